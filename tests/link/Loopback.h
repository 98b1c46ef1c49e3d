#pragma once
#include <chrono>
#include <cstdint>

namespace qz::test {

// A UDP port that nothing on this machine listens on at the moment of asking.
int FreeUdpPort();

// Waits until the socket has a datagram waiting; false when none came within the time.
bool WaitReadable(std::intptr_t handle, std::chrono::milliseconds timeout = std::chrono::seconds(5));

} // namespace qz::test
