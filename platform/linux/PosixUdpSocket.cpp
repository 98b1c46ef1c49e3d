#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/Backend.h"
#include "platform/ThreadedResolver.h"

namespace qz {
namespace {

bool IsPort(int port) {
    return port >= 1 && port <= 65535;
}

class PosixUdpSocket final : public UdpSocket {
  public:
    ~PosixUdpSocket() override { Close(); }

    void Close() override {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    // SO_REUSEADDR stays off: a port in use must fail here, not share the datagrams.
    bool Bind(int port) override {
        Close();
        if (!IsPort(port)) return false;
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(static_cast<uint16_t>(port));
        if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            close(fd);
            return false;
        }
        fd_ = fd;
        return true;
    }

    bool SendTo(const std::string& ipv4, int port, const std::string& data) override {
        if (fd_ < 0 || !IsPort(port)) return false;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<uint16_t>(port));
        if (inet_pton(AF_INET, ipv4.c_str(), &peer.sin_addr) != 1) return false;
        ssize_t sent;
        do {
            sent = sendto(fd_, data.data(), data.size(), MSG_NOSIGNAL,
                          reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        } while (sent < 0 && errno == EINTR);
        return sent == static_cast<ssize_t>(data.size());
    }

    std::optional<std::string> Receive() override {
        if (fd_ < 0) return std::nullopt;
        ssize_t got;
        do {
            got = recv(fd_, buffer_.data(), buffer_.size(), 0);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return std::nullopt;
        return std::string(buffer_.data(), static_cast<std::size_t>(got));
    }

    std::intptr_t NativeHandle() const override { return fd_; }

  private:
    int fd_ = -1;
    std::array<char, 65536> buffer_{}; // the largest UDP payload fits
};

} // namespace

std::unique_ptr<UdpSocket> MakeUdpSocket() {
    return std::make_unique<PosixUdpSocket>();
}

std::unique_ptr<NameResolver> MakeNameResolver() {
    return std::make_unique<ThreadedResolver>(LookUpIPv4);
}

} // namespace qz
