#include "app/ProgramReset.h"

#include "app/LoadSettings.h"
#include "app/ProgramLog.h"

namespace qz {

void ResetProgram(Program& p, MonitorWindow& window) {
    LoadSettings(p);
    window.ResetMonitor();
    CreateLogFile(p);
    // Incomplete settings are not an update the log should announce.
    if (!p.rt.NotConfigured) {
        WriteLog(p, "Config", "Updated");
        if (p.set.logLevel == LogLevel::Full) WriteLogHeader(p, 1);
    }
    window.ShowStatus();
}

} // namespace qz
