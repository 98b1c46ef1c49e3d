#include "tests/link/Loopback.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

#include <random>
#include <stdexcept>

#include "platform/Backend.h"

namespace qz::test {

int FreeUdpPort() {
    // A random start, so that test programs running side by side rarely meet.
    std::random_device seed;
    int port = std::uniform_int_distribution<int>(20000, 59999)(seed);
    auto probe = MakeUdpSocket();
    for (int tries = 0; tries < 1000; ++tries, ++port)
        if (probe->Bind(port)) return port;
    throw std::runtime_error("no free UDP port");
}

bool WaitReadable(std::intptr_t handle, std::chrono::milliseconds timeout) {
#ifdef _WIN32
    WSAPOLLFD watch{static_cast<SOCKET>(handle), POLLRDNORM, 0};
    return WSAPoll(&watch, 1, static_cast<INT>(timeout.count())) == 1;
#else
    pollfd watch{static_cast<int>(handle), POLLIN, 0};
    return poll(&watch, 1, static_cast<int>(timeout.count())) == 1;
#endif
}

} // namespace qz::test
