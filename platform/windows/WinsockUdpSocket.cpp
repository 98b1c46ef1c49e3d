// The program's headers come before the system's, whose macros would rename their members.
#include "platform/Backend.h"
#include "platform/ThreadedResolver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <array>

namespace qz {
namespace {

// Without this, a datagram that met a closed port makes the next receive fail with a reset.
constexpr DWORD kUdpConnReset = _WSAIOW(IOC_VENDOR, 12);

bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

bool IsPort(int port) {
    return port >= 1 && port <= 65535;
}

class WinsockUdpSocket final : public UdpSocket {
  public:
    ~WinsockUdpSocket() override { Close(); }

    void Close() override {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

    // Exclusive use, and no SO_REUSEADDR: a port in use must fail here, not share the datagrams.
    bool Bind(int port) override {
        Close();
        if (!IsPort(port) || !WinsockReady()) return false;
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return false;
        BOOL on = TRUE;
        u_long nonBlocking = 1;
        BOOL reportReset = FALSE;
        DWORD returned = 0;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(static_cast<u_short>(port));
        bool ok = setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                             sizeof on) == 0 &&
                  ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
                  WSAIoctl(s, kUdpConnReset, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr,
                           nullptr) == 0 &&
                  bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
        if (!ok) {
            closesocket(s);
            return false;
        }
        socket_ = s;
        return true;
    }

    bool SendTo(const std::string& ipv4, int port, const std::string& data) override {
        if (socket_ == INVALID_SOCKET || !IsPort(port) || data.size() > buffer_.size()) return false;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<u_short>(port));
        if (inet_pton(AF_INET, ipv4.c_str(), &peer.sin_addr) != 1) return false;
        int sent = sendto(socket_, data.data(), static_cast<int>(data.size()), 0,
                          reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        return sent == static_cast<int>(data.size());
    }

    std::optional<std::string> Receive() override {
        if (socket_ == INVALID_SOCKET) return std::nullopt;
        int got = recv(socket_, buffer_.data(), static_cast<int>(buffer_.size()), 0);
        if (got == SOCKET_ERROR) return std::nullopt;
        return std::string(buffer_.data(), static_cast<std::size_t>(got));
    }

    std::intptr_t NativeHandle() const override {
        return socket_ == INVALID_SOCKET ? -1 : static_cast<std::intptr_t>(socket_);
    }

  private:
    SOCKET socket_ = INVALID_SOCKET;
    std::array<char, 65536> buffer_{}; // the largest UDP payload fits
};

} // namespace

std::unique_ptr<UdpSocket> MakeUdpSocket() {
    return std::make_unique<WinsockUdpSocket>();
}

std::unique_ptr<NameResolver> MakeNameResolver() {
    return std::make_unique<ThreadedResolver>(
        [](const std::string& host) { return WinsockReady() ? LookUpIPv4(host) : std::nullopt; });
}

} // namespace qz
