#include "tests/support/RunFolder.h"

#include <regex>

#include "tests/support/IniFile.h"

namespace qz::test {

std::string ConfigText(const Config& values) {
    IniFile ini;
    ini.Set("Proc1", "no-such-program-runs").Set("ShutType", 1).Set("StartDelay", 1);
    for (const auto& [key, value] : values)
        ini.Set(key, value);
    return ini.Text();
}

std::vector<LogEntry> LogEntries(const std::string& log) {
    // "06-Dec-26 08:36:21,  Enter    , Run       , Count:    0"
    static const std::regex kEntry(R"(\d\d-\w\w\w-\d\d \d\d:\d\d:\d\d, *(.*?) *, *(.*?) *, Count:)");
    std::vector<LogEntry> entries;
    for (std::sregex_iterator it(log.begin(), log.end(), kEntry), end; it != end; ++it)
        entries.push_back({(*it)[1], (*it)[2]});
    return entries;
}

} // namespace qz::test
