#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

// What the configuration screen holds when it saves: field texts as typed, check boxes, and the
// working log level and shutdown type codes.
struct ConfigInput {
    std::string ComDelay, IPAdd, Port1, Port2, DelTime, LogName, LogPath, Proc1, Proc2, Proc3, ProcDelay,
        StartDelay, StopTime, ShutTime;
    bool DName = false, Del_On = false, RunOnTop = false, StartMin = false, StartTime = false, Stop_On = false,
         Force = false, UserExit = false;
    int LogLevel = 0; // working log level 1..3
    int ShutType = 0; // working shutdown type 1..6
};

// The exact text Save writes, lines ending in "\n".
std::string ConfigFileText(const ConfigInput& in, Role role, const LocalTime& now);

// Checks the folder and file (ending the program when missing), then replaces the file with the
// text. On a write failure shows the write-error box and returns false; the old file stays whole.
bool WriteConfigFile(Program& p, const std::string& text);

} // namespace qz
