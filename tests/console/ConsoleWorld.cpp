#include "tests/console/ConsoleWorld.h"

namespace qz::test {

ConsoleWorld::ConsoleWorld(const Config& config, const std::string& commandLine) {
    dir.Write("Data/Quenzel.ini", ConfigText(config));
    dir.Write("Log/.keep", "");
    program.rt.CommandLine = commandLine;
    program.rt.ExeName = "quenzeld";
}

std::vector<LogEntry> ConsoleWorld::Log() const {
    return LogEntries(dir.Read("Log/Quenzel.log"));
}

} // namespace qz::test
