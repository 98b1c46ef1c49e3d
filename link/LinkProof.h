#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Settings.h"

namespace qz {

// A keyed link's proof: the payload of every message a keyed station sends is a counter and a tag,
// both in unpadded base64url (11 and 22 characters). The tag is HMAC-SHA256, cut to 16 bytes, over
// the sender's role ("M" main station, "S" slave) and the message up to the tag, so a message can
// neither be altered nor sent back to its sender as the peer's.
inline constexpr size_t kProofLength = 33;
inline constexpr size_t kMinKeyBytes = 32;

// The signed form of a plain message ("<QZA100>" -> "<QZA133" counter tag ">"), built from its
// first five characters; nullopt when the HMAC fails.
std::optional<std::string> SignLinkMessage(std::string_view key, Role sender, std::string_view plain,
                                           uint64_t counter);

struct Proof {
    enum class Kind {
        None, // the payload is no proof: a plain message
        Good,
        Bad // a proof whose tag is wrong
    };
    Kind kind = Kind::None;
    uint64_t counter = 0;
};

// The proof of a well-framed datagram from a sender of this role.
Proof CheckLinkProof(std::string_view key, Role sender, std::string_view datagram);

} // namespace qz
