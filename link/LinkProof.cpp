#include "link/LinkProof.h"

#include <array>

#include "platform/Crypto.h"

namespace qz {
namespace {

constexpr size_t kCounterText = 11; // 8 bytes
constexpr size_t kTagBytes = 16;
constexpr size_t kTagText = 22;
constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string Encode(const uint8_t* bytes, size_t count) {
    std::string text;
    uint32_t bits = 0;
    int held = 0;
    for (size_t i = 0; i < count; ++i) {
        bits = (bits << 8) | bytes[i];
        for (held += 8; held >= 6; held -= 6)
            text += kDigits[(bits >> (held - 6)) & 63];
    }
    if (held > 0) text += kDigits[(bits << (6 - held)) & 63];
    return text;
}

// Only the one text Encode makes of these bytes decodes.
template <size_t N> std::optional<std::array<uint8_t, N>> Decode(std::string_view text) {
    std::array<uint8_t, N> bytes{};
    uint32_t bits = 0;
    int held = 0;
    size_t filled = 0;
    for (char c : text) {
        const size_t value = kDigits.find(c);
        if (value == std::string_view::npos) return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        held += 6;
        if (held >= 8 && filled < N) {
            held -= 8;
            bytes[filled++] = static_cast<uint8_t>(bits >> held);
        }
    }
    if (filled != N || Encode(bytes.data(), N) != text) return std::nullopt;
    return bytes;
}

std::string CounterText(uint64_t counter) {
    std::array<uint8_t, 8> bytes{};
    for (size_t i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(counter >> (56 - 8 * i));
    return Encode(bytes.data(), bytes.size());
}

std::optional<Sha256Digest> Tag(std::string_view key, Role sender, std::string_view signedPart) {
    return HmacSha256(key, std::string(sender == Role::Main ? "M" : "S") + std::string(signedPart));
}

} // namespace

std::optional<std::string> SignLinkMessage(std::string_view key, Role sender, std::string_view plain,
                                           uint64_t counter) {
    std::string message =
        std::string(plain.substr(0, 5)) + std::to_string(kProofLength) + CounterText(counter);
    const std::optional<Sha256Digest> tag = Tag(key, sender, message);
    if (!tag) return std::nullopt;
    return message + Encode(tag->data(), kTagBytes) + ">";
}

Proof CheckLinkProof(std::string_view key, Role sender, std::string_view datagram) {
    // A well-framed datagram: the payload sits between the length field and the end mark.
    if (datagram.size() != 8 + kProofLength) return {};
    const std::string_view signedPart = datagram.substr(0, 7 + kCounterText);
    const auto counter = Decode<8>(signedPart.substr(7));
    const auto tag = Decode<kTagBytes>(datagram.substr(7 + kCounterText, kTagText));
    if (!counter || !tag) return {};
    const std::optional<Sha256Digest> expected = Tag(key, sender, signedPart);
    uint8_t difference = expected ? 0 : 1;
    for (size_t i = 0; expected && i < kTagBytes; ++i)
        difference = static_cast<uint8_t>(difference | ((*expected)[i] ^ (*tag)[i]));
    uint64_t value = 0;
    for (uint8_t byte : *counter)
        value = (value << 8) | byte;
    return {difference == 0 ? Proof::Kind::Good : Proof::Kind::Bad, value};
}

} // namespace qz
