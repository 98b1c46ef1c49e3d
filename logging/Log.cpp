#include "logging/Log.h"

#include "logging/LogFile.h"
#include "screens/StartupChecks.h"

namespace qz {

namespace {

constexpr size_t kColumnWidth = 10;
constexpr size_t kCountWidth = 5;

// Padded with blanks and cut to exactly the width.
std::string Column(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

std::string CountText(int32_t count) {
    std::string text = std::string(kCountWidth + 1, ' ') + std::to_string(count);
    return text.substr(text.size() - kCountWidth);
}

void AppendOrEnd(Program& p, const std::string& block) {
    if (p.svc.files.AppendLine(LogFilePath(p.set), block)) return;
    EndWithMessage(p, MsgIcon::Exclamation, p.rt.AppTitle + " Log File Write Error",
                   "Unable to write to the log file " + p.set.logName +
                       ".\r\nThis may be a permissions problem.\r\nThe program will now terminate.");
}

} // namespace

void CheckLogExists(Program& p) {
    CheckLogDir(p, p.set.logFolder);
    CheckLogFile(p, "log", p.set.logFolder, p.set.logName);
}

void CreateLogFile(Program& p) {
    if (p.set.logLevel == LogLevel::None) return;
    CheckLogDir(p, p.set.logFolder);
    const std::string path = LogFilePath(p.set);
    const PathCheck log = p.svc.files.CheckFile(path);
    if (log.state == PathCheck::State::Present) return;
    // A log that may well be there is never replaced by an empty one.
    if (log.state == PathCheck::State::Unknown)
        EndUnchecked(p, MsgIcon::Exclamation, p.rt.AppTitle + " Log File Error", "log file", log);
    const std::string header =
        p.rt.AppTitle + "\n" + VersionText() + "\nFile Created\n" + TimeStamp(p.svc.clock.Now());
    if (p.svc.files.CreateEmpty(path) && p.svc.files.AppendLine(path, header)) return;
    EndWithMessage(p, MsgIcon::Exclamation, p.rt.AppTitle + " Log File Error",
                   "Unable to create the log file " + p.set.logName +
                       ".\r\nThis may be a permissions problem.\r\nThe program will now terminate.");
}

void WriteLogHeader(Program& p, int mode) {
    if (p.set.logLevel == LogLevel::None) return;
    std::string block;
    if (mode == 0) {
        block = p.rt.AppTitle + "\n" + VersionText() + "\n";
        if (p.set.logLevel == LogLevel::Full) block += p.rt.ConfigText + "\n";
    } else {
        block = "\n" + p.rt.ConfigText + "\n";
    }
    CheckLogExists(p);
    AppendOrEnd(p, block);
}

void WriteLog(Program& p, std::string_view event, std::string_view detail) {
    if (p.set.logLevel == LogLevel::None) return;
    if (event.empty() && detail.empty()) {
        // Only made once at start-up, while LogLine is still empty: it separates the runs in the file.
        p.rt.LogLine += "\n";
    } else {
        const std::string marker = p.monitor.testMode ? "*" : " ";
        std::string line =
            TimeStamp(p.svc.clock.Now()) + ", " + Column(marker + std::string(event), kColumnWidth) + ", " +
            Column(std::string(detail), kColumnWidth) + ", Count:" + CountText(p.monitor.countSeconds);
        if (p.set.logLevel == LogLevel::Full) {
            line += ", " + p.monitor.processMarks;
            if (p.set.peerAddress.size() > 3) line += p.rt.LinkMark;
        }
        p.rt.LogLine = std::move(line);
    }
    CheckLogExists(p);
    AppendOrEnd(p, p.rt.LogLine);
}

} // namespace qz
