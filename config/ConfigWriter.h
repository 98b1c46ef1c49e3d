#pragma once
#include <string>

#include "core/Fault.h"
#include "core/Settings.h"
#include "core/Version.h"
#include "platform/Clock.h"
#include "platform/FileSys.h"

namespace qz {

// What the configuration screen holds when it saves: field texts as typed, check boxes, and the
// working log level and shutdown type codes.
struct ConfigInput {
    std::string ComDelay, IPAdd, Port1, Port2, DelTime, LogName, LogPath, Proc1, Proc2, Proc3, ProcDelay,
        StartDelay, StopTime, ShutTime;
    bool DName = false, Del_On = false, RunOnTop = false, StartMin = false, StartTime = false,
         Stop_On = false, Force = false, UserExit = false;
    int LogLevel = 0; // working log level 1..3
    int ShutType = 0; // working shutdown type 1..6
};

// The exact text Save writes, lines ending in "\n".
std::string ConfigFileText(const ConfigInput& in, Role role, const LocalTime& now);

// Checks the folder and file, then replaces the file with the text. A missing folder or file is a
// fatal fault; a failed write is not, and leaves the old file whole.
Result<void> WriteConfigFile(const FileSys& files, const std::string& text);

} // namespace qz
