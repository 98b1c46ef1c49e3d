#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Clock.h"

namespace qz {

// The messages this program sends. A datagram is "<", sender, command, two-digit payload length,
// payload, ">".
inline constexpr const char* kAliveMessage = "<QZA100>";
inline constexpr const char* kResetMessage = "<QZC000>";
inline constexpr const char* kTestMessage = "<QZT000>";

// Datagrams the link heard but did not act on: counted, the count logged at most once a minute.
struct DropCount {
    uint64_t count = 0;
    LocalTime since; // when the first one not yet logged came
};

// Microseconds of the wall clock since 1970: a counter that keeps rising across restarts.
inline uint64_t WallClockMicros() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

// The link's own state beside the shared run-time record.
struct LinkState {
    bool peerHeard = false; // since the last monitor step
    // The second in which the peer's last Reset and Test were acted on.
    std::optional<LocalTime> resetActed, testActed;
    DropCount resetsDropped, testsDropped;
    std::optional<std::string> held; // "C0" or "T0" that came too soon, to be acted on at the next tick

    // With a shared key every message sent carries a proof, and only the peer's proven messages
    // with a rising counter are heard.
    std::optional<std::string> key;
    uint64_t lastSent = 0;  // the counter of the last message signed
    uint64_t lastHeard = 0; // the peer's highest counter accepted
    DropCount refused;
    std::function<uint64_t()> counterClock = WallClockMicros;
};

} // namespace qz
