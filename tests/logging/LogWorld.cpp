#include "tests/logging/LogWorld.h"

#include <filesystem>

#include "logging/Log.h"

namespace qz::test {

LogWorld::LogWorld() {
    std::filesystem::create_directory(dir.path() / "Log");
    p.set.LogLevel = 2;
    p.set.LogPath = "Log\\";
    p.set.LogName = "Quenzel.log";
}

void LogWorld::SetLog(std::string_view text) const {
    dir.Write("Log/Quenzel.log", Native(text));
}

void LogWorld::StartUp() {
    CreateLogFile(p);
    WriteLog(p, "", "");
    WriteLogHeader(p, 0);
}

std::string Native(std::string_view text) {
    return FileSys::ToPlatformLineEnds(text);
}

} // namespace qz::test
