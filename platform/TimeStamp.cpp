#include <array>
#include <cstdio>

#include "platform/Clock.h"

namespace qz {

std::string TimeStamp(const LocalTime& t) {
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = (t.month >= 1 && t.month <= 12) ? kMonths[static_cast<size_t>(t.month - 1)] : "???";
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%02d-%s-%02d %02d:%02d:%02d", t.day, month, t.year % 100, t.hour,
                  t.minute, t.second);
    return text.data();
}

} // namespace qz
