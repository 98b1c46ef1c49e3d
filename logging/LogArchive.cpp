#include "logging/LogArchive.h"

#include <cstdio>
#include <optional>

#include "core/PathChecks.h"
#include "logging/LogFile.h"
#include "platform/FileSys.h"

namespace qz {

namespace {

constexpr size_t kLinesOfData = 9; // a fresh log after one start holds 9 lines

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

std::string FreshLogHeader(const Program& p) {
    const LocalTime t = p.svc.clock.Now();
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                  t.minute, t.second);
    return p.rt.appTitle + " Log\n" + VersionText() + "\nFile Created\n" + stamp + "\n\n";
}

// The log folder, the name before its first ".", "_yymmdd_", n and the rest of the name from the first ".";
// the first n whose file does not exist yet. nullopt when the name has no "." or a name could not
// be checked.
std::optional<std::string> ArchiveName(const Program& p) {
    const std::string& name = p.set.logName;
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return std::nullopt;
    const LocalTime t = p.svc.clock.Now();
    const std::string stem = p.set.logFolder + name.substr(0, dot) + "_" + TwoDigits(t.year) +
                             TwoDigits(t.month) + TwoDigits(t.day) + "_";
    for (unsigned n = 1;; ++n) {
        std::string candidate = stem + std::to_string(n) + name.substr(dot);
        const PathCheck check = p.svc.files.CheckFile(candidate);
        // A name that could not be checked may hold an earlier archive; it is never overwritten.
        if (check.state == PathCheck::State::Unknown) return std::nullopt;
        if (check.state == PathCheck::State::Missing) return candidate;
    }
}

// Replaces the log by a fresh one in one step, so a failure leaves the old log whole.
bool StartNewLog(const Program& p) {
    return p.svc.files.ReplaceText(LogFilePath(p.set), FreshLogHeader(p) + "\n");
}

void ShowArchiveError(Program& p) {
    p.svc.host.ShowMessage(MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Log File Error",
                           "Unable to archive the log file " + p.set.logName +
                               ".\r\nThis may be a permissions problem.");
}

} // namespace

ArchiveOutcome ArchiveLog(Program& p) {
    if (Result<void> exists = CheckLogExists(p.svc.files, p.set.logFolder, p.set.logName); !exists)
        return {"", false, exists.fault()};
    const std::string path = LogFilePath(p.set);
    const std::optional<std::string> content = p.svc.files.ReadText(path);
    if (!content) {
        ShowArchiveError(p);
        return {};
    }
    const bool holdsData = SplitLines(*content).size() >= kLinesOfData;

    const Answer choice = p.svc.host.ShowMessage(
        MsgIcon::Exclamation, MsgButtons::YesNoCancel, "Archive " + p.rt.appTitle + " Log File",
        "Do you want to archive the log file?\r\n"
        "To Archive the log file and create a new one click Yes\r\n"
        "To Clear the results log file without archiving it click No\r\n"
        "Click Cancel to return");

    if (choice == Answer::Yes) {
        if (!holdsData) {
            p.svc.host.ShowMessage(MsgIcon::Exclamation, MsgButtons::Ok, p.rt.appTitle + " Log File Error",
                                   "There is no data to archive!\r\nLog file not archived.");
            return {};
        }
        const std::optional<std::string> archive = ArchiveName(p);
        if (!archive || !p.svc.files.CopyFile(path, *archive)) {
            ShowArchiveError(p);
            return {};
        }
        // The copy exists whatever happens to the new log, so the status stays true.
        if (!StartNewLog(p)) ShowArchiveError(p);
        return {"Log File Archived", true, std::nullopt};
    }

    if (choice != Answer::No) return {};
    if (holdsData && p.svc.host.ShowMessage(
                         MsgIcon::Exclamation, MsgButtons::YesNo, p.rt.appTitle + " Create New Log File",
                         "Are you sure you want to create a new log file?") != Answer::Yes) {
        return {};
    }
    if (!StartNewLog(p)) {
        ShowArchiveError(p);
        return {};
    }
    return {"Log File Cleared", true, std::nullopt};
}

Result<void> ViewLog(Program& p) {
    if (p.set.logLevel == LogLevel::None) {
        p.svc.host.ShowMessage(MsgIcon::Information, MsgButtons::Ok, p.rt.appTitle + " Log File Error",
                               "Logging is set to None. There\r\nis no information to display.");
        return {};
    }
    if (Result<void> exists = CheckLogExists(p.svc.files, p.set.logFolder, p.set.logName); !exists)
        return exists;
    // The path goes to the viewer as one argument, so blanks in it need no quoting.
    if (p.svc.system.StartViewer(p.svc.files.Resolve(LogFilePath(p.set)).string())) return {};
    p.svc.host.ShowMessage(MsgIcon::Exclamation, MsgButtons::Ok, "Quenzel Log File Error",
                           "Unable to run Notepad\r\nCheck that it exists and\r\nis working properly.");
    return {};
}

} // namespace qz
