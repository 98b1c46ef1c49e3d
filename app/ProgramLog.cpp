#include "app/ProgramLog.h"

#include "app/ProgramEnd.h"
#include "logging/Log.h"

namespace qz {

void CreateLogFile(Program& p) {
    EndOnFault(p, CreateLog(p.svc.files, p.set, p.rt.AppTitle, p.svc.clock.Now()));
}

void WriteLogHeader(Program& p, int mode) {
    const std::string block =
        mode == 0 ? LogStartHeader(p.set, p.rt.AppTitle, p.rt.ConfigText) : LogUpdateBlock(p.rt.ConfigText);
    EndOnFault(p, AppendLog(p.svc.files, p.set, block));
}

void WriteLog(Program& p, std::string_view event, std::string_view detail) {
    if (p.set.logLevel == LogLevel::None) return;
    RunState& rt = p.rt;
    if (event.empty() && detail.empty()) {
        // Only made once at start-up, while LogLine is still empty: it separates the runs in the file.
        rt.LogLine += "\n";
    } else {
        rt.LogLine =
            LogEventLine(p.set, p.svc.clock.Now(), event, detail,
                         {p.monitor.testMode, p.monitor.countSeconds, p.monitor.processMarks, rt.LinkMark});
    }
    EndOnFault(p, AppendLog(p.svc.files, p.set, rt.LogLine));
}

} // namespace qz
