#pragma once
#include <string>

#include "app/Program.h"

namespace qz {

// What the configuration screen shows after Archive: the status text ("" = unchanged) and whether
// its Timer1 is to be enabled.
struct ArchiveOutcome {
    std::string status;
    bool enableTimer1 = false;
};

ArchiveOutcome Archive_Click(Program& p);
void ViewL_Click(Program& p);

} // namespace qz
