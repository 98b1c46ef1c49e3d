#include "logging/Log.h"

#include "core/PathChecks.h"
#include "logging/LogFile.h"

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

} // namespace

Result<void> CreateLog(const FileSys& files, const Settings& s, const std::string& appTitle,
                       const LocalTime& now) {
    if (s.logLevel == LogLevel::None) return {};
    if (Result<void> dir = CheckLogDir(files, s.logFolder); !dir) return dir;
    const std::string path = LogFilePath(s);
    const PathCheck log = files.CheckFile(path);
    if (log.state == PathCheck::State::Present) return {};
    // A log that may well be there is never replaced by an empty one.
    if (log.state == PathCheck::State::Unknown)
        return path_checks::Unchecked(MsgIcon::Exclamation, "Log File Error", "log file", log);
    const std::string header = appTitle + "\n" + VersionText() + "\nFile Created\n" + TimeStamp(now);
    if (files.CreateEmpty(path) && files.AppendLine(path, header)) return {};
    return Fault{MsgIcon::Exclamation, "Log File Error",
                 "Unable to create the log file " + s.logName +
                     ".\r\nThis may be a permissions problem.\r\nThe program will now terminate."};
}

std::string LogStartHeader(const Settings& s, const std::string& appTitle, const std::string& configText) {
    std::string block = appTitle + "\n" + VersionText() + "\n";
    if (s.logLevel == LogLevel::Full) block += configText + "\n";
    return block;
}

std::string LogUpdateBlock(const std::string& configText) {
    return "\n" + configText + "\n";
}

std::string LogEventLine(const Settings& s, const LocalTime& now, std::string_view event,
                         std::string_view detail, const LogMarks& marks) {
    const std::string marker = marks.testMode ? "*" : " ";
    std::string line = TimeStamp(now) + ", " + Column(marker + std::string(event), kColumnWidth) + ", " +
                       Column(std::string(detail), kColumnWidth) + ", Count:" + CountText(marks.count);
    if (s.logLevel == LogLevel::Full) {
        line += ", " + marks.processMarks;
        if (s.peerAddress.size() > 3) line += marks.linkMark;
    }
    return line;
}

Result<void> AppendLog(const FileSys& files, const Settings& s, const std::string& block) {
    if (s.logLevel == LogLevel::None) return {};
    if (Result<void> exists = CheckLogExists(files, s.logFolder, s.logName); !exists) return exists;
    if (files.AppendLine(LogFilePath(s), block)) return {};
    return Fault{MsgIcon::Exclamation, "Log File Write Error",
                 "Unable to write to the log file " + s.logName +
                     ".\r\nThis may be a permissions problem.\r\nThe program will now terminate."};
}

} // namespace qz
