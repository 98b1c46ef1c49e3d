#pragma once
#include <cstdint>
#include <optional>

#include "platform/Clock.h"

namespace qz {

// Datagrams the link heard but did not act on: counted, the count logged at most once a minute.
struct DropCount {
    uint64_t count = 0;
    LocalTime since; // when the first one not yet logged came
};

// The link's own state beside the shared run-time record.
struct LinkState {
    // The second in which the peer's last Reset and Test were acted on.
    std::optional<LocalTime> resetActed, testActed;
    DropCount resetsDropped, testsDropped;
};

} // namespace qz
