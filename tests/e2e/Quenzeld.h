#pragma once
#include <signal.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/console/RunFolder.h"
#include "tests/support/TempDir.h"

namespace qz::test {

using namespace std::chrono_literals;

// Polls until the condition holds; false when it did not within the time.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds within = 20s);

// Where a test's programs keep their single-instance lock (their test-only QZ_TEST_LOCK_FOLDER), so
// that tests side by side never meet.
struct TestWorld {
    TempDir runtime;
};

// A working folder for quenzeld: Data/Quenzel.ini and Log/.
struct Station {
    explicit Station(const Config& config = {}) {
        WriteConfig(config);
        dir.Write("Log/.keep", "");
    }
    void WriteConfig(const Config& config) const { dir.Write("Data/Quenzel.ini", ConfigText(config)); }
    const std::filesystem::path& Folder() const { return dir.path(); }
    std::vector<LogEntry> Log() const { return LogEntries(dir.Read("Log/Quenzel.log")); }
    long CountLogged(const LogEntry& entry) const { return std::ranges::count(Log(), entry); }
    bool Logged(const LogEntry& entry) const { return CountLogged(entry) > 0; }

    TempDir dir;
};

// A program started from its full path in a session of its own, in the folder, with only the given
// environment and these files there as its standard streams (an empty name leaves the stream
// closed); killed when dropped unless it ended.
class Process {
  public:
    Process(std::vector<std::string> argv, std::vector<std::string> env, const std::filesystem::path& folder,
            const std::array<std::string, 3>& streams);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Signal(int number) const { kill(pid_, number); }
    // The exit status (128 + the signal that ended it); nothing while it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds within = 20s);
    bool Running() { return !WaitExit(0ms); }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

inline const std::array<std::string, 3> kStreams{"/dev/null", "stdout.txt", "stderr.txt"};

// quenzeld (or the desktop program, on Qt's offscreen platform) in a station's folder, by default
// writing stdout.txt and stderr.txt there; a terminal as input becomes its controlling one. Never a
// power action: "-InhibitShutdown" must lead its command line, and its system bus address leads
// nowhere. Each station has a runtime folder of its own, which must not keep copies apart.
struct Quenzeld : Process {
    Quenzeld(const TestWorld& world, const Station& station, const std::vector<std::string>& arguments,
             const std::array<std::string, 3>& streams = kStreams, const char* program = QZ_QUENZELD);
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
