#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

// The system's cryptography: libsodium on Linux, BCrypt on Windows (platform/*/...Crypto.cpp).

using Sha256Digest = std::array<uint8_t, 32>;

// HMAC-SHA256 of the message under the key; nullopt when the library fails.
std::optional<Sha256Digest> HmacSha256(std::string_view key, std::string_view message);

// Bytes from the system's random source; nullopt when it fails.
std::optional<std::string> RandomBytes(size_t count);

// A secret file read in whole, or why it cannot be used.
struct SecretFile {
    enum class Fault {
        None,
        Missing,    // no file of that name
        Unreadable, // it exists but cannot be read (reason says why), or is no regular file
        OpenToAll   // others than its owner may read or change it
    };
    Fault fault = Fault::None;
    std::string bytes;
    std::string reason; // the system's text for Unreadable
};

// Reads at most maxBytes + 1 bytes, so a caller can tell a file that is too long.
SecretFile ReadSecretFile(const std::filesystem::path& path, size_t maxBytes);

// Writes a new file only its owner may read; refuses to replace one. The system's reason on failure.
std::optional<std::string> WriteSecretFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace qz
