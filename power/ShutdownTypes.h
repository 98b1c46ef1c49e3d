#pragma once
#include <string>

namespace qz {

// The shutdown type codes 1..6.
struct ShutdownType {
    const char* name; // "Power Off", ..., "Standby"
    int normalFlags;  // exit flags; 0 for types without an exit call
    int forcedFlags;
    const char* countdownText; // "The Computer Will Power Off In ", ...
};

// The type of a code, or nullptr for a code outside 1..6.
const ShutdownType* FindShutdownType(int code);

} // namespace qz
