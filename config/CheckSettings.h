#pragma once
#include "core/Program.h"

namespace qz {

// Checks p.set after reading: ends the program as corrupt on any wrong value, may set NotConfigured.
void CheckSettings(Program& p);

} // namespace qz
