#include "app/ProgramLog.h"

#include "app/ProgramEnd.h"
#include "logging/Log.h"

namespace qz {

void CreateLogFile(Program& p) {
    EndOnFault(p, CreateLog(p.svc.files, p.set, p.rt.appTitle, p.svc.clock.Now()));
}

void WriteLogHeader(Program& p, int mode) {
    const std::string block =
        mode == 0 ? LogStartHeader(p.set, p.rt.appTitle, p.rt.configText) : LogUpdateBlock(p.rt.configText);
    EndOnFault(p, AppendLog(p.svc.files, p.set, block));
}

void WriteLog(Program& p, std::string_view event, std::string_view detail) {
    if (p.set.logLevel == LogLevel::None) return;
    RunState& rt = p.rt;
    if (event.empty() && detail.empty()) {
        // Only made once at start-up, while logLine is still empty: it separates the runs in the file.
        rt.logLine += "\n";
    } else {
        rt.logLine =
            LogEventLine(p.set, p.svc.clock.Now(), event, detail,
                         {p.monitor.testMode, p.monitor.countSeconds, p.monitor.processMarks, rt.linkMark});
    }
    EndOnFault(p, AppendLog(p.svc.files, p.set, rt.logLine));
}

} // namespace qz
