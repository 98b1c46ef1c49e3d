#include "tests/link/Loopback.h"

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

} // namespace qz::test
