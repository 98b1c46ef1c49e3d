#pragma once
#include <string>
#include <string_view>

#include "core/LinkState.h"

namespace qz {

enum class LinkVerdict {
    Valid,     // well framed, from a known sender
    Invalid,   // garbled or foreign
    Unreadable // no usable length field
};

struct ReadMessage {
    LinkVerdict verdict;
    std::string command; // characters 4 and 5 of a valid message, e.g. "A1"
};

// Judges one received datagram. The length field must be decimal digits only: a blank or a sign
// there is as unreadable as letters.
ReadMessage ReadLinkMessage(std::string_view datagram);

} // namespace qz
