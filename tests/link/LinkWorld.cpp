#include "tests/link/LinkWorld.h"

#include <utility>

namespace qz::test {

std::string ConfigFileText(const std::map<std::string, std::string>& values) {
    const std::vector<std::pair<std::string, std::string>> sections[] = {
        {{"CMain", "1"},
         {"ComDelay", "60"},
         {"DName", "1"},
         {"IPAdd", "127.1.1.1"},
         {"Port1", "10001"},
         {"Port2", "10000"}},
        {{"Del_On", "1"},
         {"DelTime", "90"},
         {"LogLevel", "2"},
         {"LogName", "Quenzel.log"},
         {"LogPath", "Log\\"},
         {"Proc1", "editor"},
         {"Proc2", ""},
         {"Proc3", ""},
         {"ProcDelay", "60"},
         {"RunOnTop", "1"},
         {"StartDelay", "2"},
         {"StartMin", "1"},
         {"StartTime", "1"},
         {"StopTime", "10000"},
         {"Stop_On", "1"}},
        {{"Force", "2"}, {"ShutTime", "60"}, {"ShutType", "1"}, {"UserExit", "1"}},
    };
    const char* headers[] = {"[Comms]", "[Run]", "[Shutdown]"};
    std::string text = "# Quenzel Version 1.6\r\n# Configuration File\r\n";
    for (int i = 0; i < 3; ++i) {
        text += std::string("\r\n") + headers[i] + "\r\n";
        for (const auto& [key, standard] : sections[i]) {
            auto given = values.find(key);
            text += key + "=" + (given != values.end() ? given->second : standard) + "\r\n";
        }
    }
    return text;
}

} // namespace qz::test
