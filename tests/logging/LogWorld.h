#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "logging/Log.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// text with "\n" written as this platform's line end.
inline std::string Native(std::string_view text) {
    return FileSys::ToPlatformLineEnds(text);
}

// A program with a "Log" folder and the default log settings at the Normal level.
struct LogWorld {
    LogWorld() {
        std::filesystem::create_directory(dir.path() / "Log");
        p.set.LogLevel = 2;
        p.set.LogPath = "Log\\";
        p.set.LogName = "Quenzel.log";
    }
    std::string Log() const { return dir.Read("Log/Quenzel.log"); }
    void SetLog(std::string_view text) const { dir.Write("Log/Quenzel.log", Native(text)); }
    // What start-up writes: the file's header when it is new, the separator and the version header.
    void StartUp() {
        CreateLogFile(p);
        WriteLog(p, "", "");
        WriteLogHeader(p, 0);
    }
    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
};

} // namespace qz::test
