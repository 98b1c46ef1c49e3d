#pragma once
#include "tests/support/Process.h"
#include "tests/support/RunFolder.h"

namespace qz::test {

// Where a test's programs keep their single-instance lock (their test-only QZ_TEST_LOCK_FOLDER), so
// that tests side by side never meet.
struct TestWorld {
    TempDir runtime;
};

inline const std::array<Stream, 3> kStreams{"/dev/null", "stdout.txt", "stderr.txt"};

// quenzeld (or the desktop program, on Qt's offscreen platform) in a station's folder, by default
// writing stdout.txt and stderr.txt there. Never a power action: "-InhibitShutdown" must lead its
// command line, and its system bus address leads nowhere. Each station has a runtime folder of its
// own, which must not keep copies apart.
struct Quenzeld : Process {
    Quenzeld(const TestWorld& world, const Station& station, const std::vector<std::string>& arguments,
             const std::array<Stream, 3>& streams = kStreams, const char* program = QZ_QUENZELD);
    std::string Stdout() const { return station.dir.Read("stdout.txt"); }
    std::string Stderr() const { return station.dir.Read("stderr.txt"); }
    const Station& station;
};

// A copy of sleep for the monitor to watch, under a unique name longer than the 15 characters
// the kernel keeps.
struct WatchedProcess {
    WatchedProcess(const Station& station, int seconds);
    const std::string name;
    Process process;
};

} // namespace qz::test
