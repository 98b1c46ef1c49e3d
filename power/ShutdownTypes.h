#pragma once

#include "core/Settings.h"

namespace qz {

// How each shutdown type is named, carried out and announced.
struct ShutdownTypeInfo {
    const char* name; // "Power Off", ..., "Standby"
    int normalFlags;  // exit flags; 0 for types without an exit call
    int forcedFlags;
    const char* countdownText; // "The Computer Will Power Off In ", ...
};

const ShutdownTypeInfo& InfoOf(ShutdownType type);

} // namespace qz
