#pragma once
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace qz::test {

using Config = std::map<std::string, std::string>;

// A configuration file: the values over a stand-alone main station that powers off, idle from the start.
std::string ConfigText(const Config& values = {});

// An entry of the log: its event word (led by "*" in test mode) and its detail word, unpadded.
struct LogEntry {
    std::string event;
    std::string detail;
    bool operator==(const LogEntry&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const LogEntry& e) {
        return o << e.event << '/' << e.detail;
    }
};

// The entries of a log file's text, in order.
std::vector<LogEntry> LogEntries(const std::string& log);

} // namespace qz::test
