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

namespace qz {

// Turns the peer's name into an IPv4 address without ever blocking the event loop: a lookup
// that is not yet answered starts one in the background and returns nullopt; answers are cached
// and a failed lookup is retried at the next ask.
class NameResolver {
  public:
    virtual ~NameResolver() = default;
    virtual std::optional<std::string> Lookup(const std::string& host) = 0;
    // Forgets the cached answer for host, so the next Lookup asks again (after a failed send).
    virtual void Forget(const std::string& host) = 0;
};

} // namespace qz
