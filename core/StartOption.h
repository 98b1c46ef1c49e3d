#pragma once
#include <cstdint>

namespace qz {

// The options that make a trial run: each ends the countdown in a message instead of the power
// action.
enum class StartOption : int16_t {
    None = 0,
    InhibitShutdown = 1,
    AddErrorMessage = 2,
    StartShutdown = 3,
    InhibitAdmin = 4
};

} // namespace qz
