#include "app/ProgramReset.h"

#include "app/LoadSettings.h"
#include "app/ProgramLog.h"

namespace qz {

void ResetProgram(Program& p, Monitor& monitor) {
    LoadSettings(p);
    monitor.Reset();
    CreateLogFile(p);
    // Incomplete settings are not an update the log should announce.
    if (!p.rt.notConfigured) {
        WriteLog(p, "Config", "Updated");
        if (p.set.logLevel == LogLevel::Full) WriteLogHeader(p, 1);
    }
    monitor.ShowStatus();
}

} // namespace qz
