#pragma once
#include <algorithm>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {

using Config = std::map<std::string, std::string>;

// A configuration file: the values over a stand-alone main station that powers off, idle from the start.
inline std::string ConfigText(const Config& values = {}) {
    IniFile ini;
    ini.Set("Proc1", "no-such-program-runs").Set("ShutType", 1).Set("StartDelay", 1);
    for (const auto& [key, value] : values)
        ini.Set(key, value);
    return ini.Text();
}

// An entry of the log: its event word (led by "*" in test mode) and its detail word, unpadded.
struct LogEntry {
    std::string event;
    std::string detail;
    bool operator==(const LogEntry&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const LogEntry& e) {
        return o << e.event << '/' << e.detail;
    }
};

// The entries of a log file's text, in order: "06-Dec-26 08:36:21,  Enter    , Run       , Count:    0".
inline std::vector<LogEntry> LogEntries(const std::string& log) {
    static const std::regex kEntry(R"(\d\d-\w\w\w-\d\d \d\d:\d\d:\d\d, *(.*?) *, *(.*?) *, Count:)");
    std::vector<LogEntry> entries;
    for (std::sregex_iterator it(log.begin(), log.end(), kEntry), end; it != end; ++it)
        entries.push_back({(*it)[1], (*it)[2]});
    return entries;
}

// A working folder for a program: Data/Quenzel.ini and Log/.
struct Station {
    explicit Station(const Config& config = {}) {
        WriteConfig(config);
        dir.Write("Log/.keep", "");
    }
    void WriteConfig(const Config& config) const { dir.Write("Data/Quenzel.ini", ConfigText(config)); }
    const std::filesystem::path& Folder() const { return dir.path(); }
    std::vector<LogEntry> Log() const { return LogEntries(dir.Read("Log/Quenzel.log")); }
    auto CountLogged(const LogEntry& entry) const { return std::ranges::count(Log(), entry); }
    bool Logged(const LogEntry& entry) const { return CountLogged(entry) > 0; }

    TempDir dir;
};

} // namespace qz::test
