#pragma once
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace qz::test {

using Config = std::map<std::string, std::string>;

// A whole configuration file: the given values over those of a stand-alone main station that
// watches one process which does not run, starts at once and powers off.
std::string ConfigText(const Config& values = {});

// An entry of the log: its event word (led by "*" in test mode) and its detail word, unpadded.
struct LogEntry {
    std::string event;
    std::string detail;
    bool operator==(const LogEntry&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const LogEntry& e) {
    return os << '{' << e.event << '/' << e.detail << '}';
}

// The entries of a log file's text, in order; header and blank lines are left out.
std::vector<LogEntry> LogEntries(const std::string& log);

} // namespace qz::test
