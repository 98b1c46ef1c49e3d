#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qz {

// A non-blocking UDP socket. The front end's event loop watches NativeHandle() for readability.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual void Close() = 0;
    // Binds to the port on all local addresses. False when it is taken or not allowed.
    virtual bool Bind(int port) = 0;
    // Sends one datagram to a numeric IPv4 address. False when it could not be sent.
    virtual bool SendTo(const std::string& ipv4, int port, const std::string& data) = 0;
    // The waiting datagram, if any; nullopt when none waits or the read failed.
    virtual std::optional<std::string> Receive() = 0;
    // The descriptor (POSIX) or SOCKET (Windows) to watch; -1 when closed.
    virtual std::intptr_t NativeHandle() const = 0;
};

} // namespace qz
