#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qz::bench {

// A bare UDP socket on a loopback port of the kernel's choice: the peer the program is measured against.
struct LoopbackSocket {
    LoopbackSocket() {
        fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ok = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
             getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    }
    ~LoopbackSocket() {
        if (fd >= 0) close(fd);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;
    int Port() const { return ntohs(address.sin_port); }

    int fd = -1;
    sockaddr_in address{};
    bool ok = false;
};

} // namespace qz::bench
