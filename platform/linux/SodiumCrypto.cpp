#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Crypto.h"

namespace qz {
namespace {

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

std::optional<Sha256Digest> HmacSha256(std::string_view key, std::string_view message) {
    if (!SodiumReady()) return std::nullopt;
    // The multi-part form takes keys of any length, as HMAC does.
    crypto_auth_hmacsha256_state state;
    Sha256Digest digest{};
    if (crypto_auth_hmacsha256_init(&state, reinterpret_cast<const unsigned char*>(key.data()), key.size()) !=
            0 ||
        crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(message.data()),
                                      message.size()) != 0 ||
        crypto_auth_hmacsha256_final(&state, digest.data()) != 0)
        return std::nullopt;
    sodium_memzero(&state, sizeof state);
    return digest;
}

std::optional<std::string> RandomBytes(size_t count) {
    if (!SodiumReady()) return std::nullopt;
    std::string bytes(count, '\0');
    randombytes_buf(bytes.data(), count);
    return bytes;
}

SecretFile ReadSecretFile(const std::filesystem::path& path, size_t maxBytes) {
    SecretFile file;
    // Non-blocking, so a FIFO in its place cannot hang the start.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.fault = errno == ENOENT ? SecretFile::Fault::Missing : SecretFile::Fault::Unreadable;
        file.reason = std::strerror(errno);
        return file;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.fault = SecretFile::Fault::Unreadable;
        file.reason = "not a regular file";
    } else if (info.st_mode & (S_IROTH | S_IWOTH)) {
        file.fault = SecretFile::Fault::OpenToAll;
    } else {
        file.bytes.resize(maxBytes + 1);
        size_t got = 0;
        while (got < file.bytes.size()) {
            const ssize_t n = read(fd, file.bytes.data() + got, file.bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                file.fault = SecretFile::Fault::Unreadable;
                file.reason = std::strerror(errno);
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        file.bytes.resize(file.fault == SecretFile::Fault::None ? got : 0);
    }
    close(fd);
    return file;
}

std::optional<std::string> WriteSecretFile(const std::filesystem::path& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return std::strerror(errno);
    size_t done = 0;
    int error = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) error = errno;
        if (n > 0) done += static_cast<size_t>(n);
    }
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return std::nullopt;
    unlink(path.c_str());
    return std::strerror(error);
}

} // namespace qz
