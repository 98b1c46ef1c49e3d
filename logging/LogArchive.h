#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

// What the configuration screen shows after Archive: the status text ("" = unchanged) and whether
// its close countdown is to start.
struct ArchiveOutcome {
    std::string status;
    bool startCloseCountdown = false;
};

ArchiveOutcome ArchiveLog(Program& p);
void ViewLog(Program& p);

} // namespace qz
