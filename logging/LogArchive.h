#pragma once
#include <string>

#include <optional>

#include "core/Fault.h"
#include "core/Program.h"

namespace qz {

// What the configuration screen shows after Archive: the status text ("" = unchanged) and whether
// its close countdown is to start; or the fault of a log that is no longer there.
struct ArchiveOutcome {
    std::string status;
    bool startCloseCountdown = false;
    std::optional<Fault> fatal;
};

ArchiveOutcome ArchiveLog(Program& p);
// Opens the log in the viewer; a log that is no longer there is a fault.
Result<void> ViewLog(Program& p);

} // namespace qz
