#include "console/OutputChannel.h"

#include <algorithm>

namespace qz {

OutputChannel::int_type OutputChannel::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) text_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
}

std::streamsize OutputChannel::xsputn(const char* s, std::streamsize n) {
    text_.append(s, static_cast<std::size_t>(n));
    return n;
}

int OutputChannel::sync() {
    if (text_.empty()) {
        Finish();
        return 0;
    }
    if (Finish()) {
        const std::optional<std::size_t> taken = end_->WriteSome(text_);
        if (taken) {
            unfinished_ = text_.substr(*taken);
            text_.clear();
            return 0;
        }
    }
    dropped_ += std::max<long>(1, static_cast<long>(std::count(text_.begin(), text_.end(), '\n')));
    text_.clear();
    return 0; // the stream stays good: the next text may well go through
}

bool OutputChannel::Finish() {
    if (unfinished_.empty()) return true;
    if (const std::optional<std::size_t> taken = end_->WriteSome(unfinished_)) unfinished_.erase(0, *taken);
    return unfinished_.empty();
}

} // namespace qz
