#pragma once
#include <string>
#include <string_view>

#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// A program with a "Log" folder and the default log settings at the Normal level.
struct LogWorld {
    LogWorld();
    // The log's content as written on this platform's line ends.
    std::string Log() const { return dir.Read("Log/Quenzel.log"); }
    void SetLog(std::string_view text) const;
    // The log after CreateLogFile, the start-up separator and the version header: 9 lines.
    void StartUp();

    TempDir dir;
    FakeWorld w{dir.path()};
    Program& p = w.program;
};

// text with "\n" written as this platform's line end.
std::string Native(std::string_view text);

} // namespace qz::test
