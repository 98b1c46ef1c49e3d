#include "tests/console/RunFolder.h"

#include <regex>
#include <sstream>
#include <utility>

namespace qz::test {

std::string ConfigText(const Config& values) {
    using Keys = std::vector<std::pair<std::string, std::string>>;
    const std::pair<const char*, Keys> sections[] = {
        {"[Comms]",
         {{"CMain", "1"},
          {"ComDelay", "60"},
          {"DName", "1"},
          {"IPAdd", ""},
          {"Port1", "10001"},
          {"Port2", "10000"}}},
        {"[Run]",
         {{"Del_On", "1"},
          {"DelTime", "90"},
          {"LogLevel", "2"},
          {"LogName", "Quenzel.log"},
          {"LogPath", "Log\\"},
          {"Proc1", "no-such-program-runs"},
          {"Proc2", ""},
          {"Proc3", ""},
          {"ProcDelay", "60"},
          {"RunOnTop", "1"},
          {"StartDelay", "1"},
          {"StartMin", "1"},
          {"StartTime", "1"},
          {"StopTime", "10000"},
          {"Stop_On", "1"}}},
        {"[Shutdown]", {{"Force", "1"}, {"ShutTime", "60"}, {"ShutType", "1"}, {"UserExit", "1"}}},
    };
    std::string text = "# Quenzel Version 1.6\n# Configuration File\n";
    for (const auto& [header, keys] : sections) {
        text += std::string("\n") + header + "\n";
        for (const auto& [key, standard] : keys) {
            const auto given = values.find(key);
            text += key + "=" + (given != values.end() ? given->second : standard) + "\n";
        }
    }
    return text;
}

std::vector<LogEntry> LogEntries(const std::string& log) {
    // "06-Dec-26 08:36:21,  Enter    , Run       , Count:    0"
    static const std::regex kEntry(R"(^\d\d-\w\w\w-\d\d \d\d:\d\d:\d\d, (.{10}), (.{10}), Count:.*)");
    std::vector<LogEntry> entries;
    std::istringstream lines(log);
    std::string line;
    auto trimmed = [](const std::string& word) {
        const auto first = word.find_first_not_of(' ');
        return first == std::string::npos ? std::string()
                                          : word.substr(first, word.find_last_not_of(' ') - first + 1);
    };
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch match;
        if (std::regex_match(line, match, kEntry)) entries.push_back({trimmed(match[1]), trimmed(match[2])});
    }
    return entries;
}

} // namespace qz::test
