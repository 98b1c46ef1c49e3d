#include "link/LinkMessage.h"

#include <algorithm>
#include <array>

namespace qz {
namespace {

constexpr std::array<std::string_view, 3> kSenders = {"<QZ", "<KX", "<WV"};
constexpr std::size_t kFrameLength = 8; // everything but the payload

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ReadMessage ReadLinkMessage(std::string_view datagram) {
    if (datagram.size() < 6) return {LinkVerdict::Unreadable, {}};
    // A six-character datagram has only the first digit of the length field.
    std::string_view lengthField = datagram.substr(5, 2);
    if (!IsDigits(lengthField)) return {LinkVerdict::Unreadable, {}};
    std::size_t payloadLength = 0;
    for (char c : lengthField)
        payloadLength = payloadLength * 10 + static_cast<std::size_t>(c - '0');

    bool knownSender = std::any_of(kSenders.begin(), kSenders.end(),
                                   [&](std::string_view s) { return datagram.starts_with(s); });
    bool valid = datagram.size() >= kFrameLength && knownSender && datagram.back() == '>' &&
                 payloadLength == datagram.size() - kFrameLength;
    if (!valid) return {LinkVerdict::Invalid, {}};
    return {LinkVerdict::Valid, std::string(datagram.substr(3, 2))};
}

} // namespace qz
