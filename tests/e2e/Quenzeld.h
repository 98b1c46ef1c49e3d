#pragma once
#include <sys/types.h>

#include <chrono>
#include <filesystem>
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

// A UDP port that nothing holds on loopback at the moment of asking; each call gives another.
int FreeUdpPort();

// The folders a test's programs share: their single-instance lock lives here, so tests running
// side by side never meet.
struct TestWorld {
    TempDir runtime;
};

// A working folder for quenzeld: Data/Quenzel.ini and Log/.
class Station {
  public:
    explicit Station(const Config& config = {});
    void WriteConfig(const Config& config) const;
    const std::filesystem::path& Folder() const { return dir.path(); }
    std::vector<LogEntry> Log() const { return LogEntries(dir.Read("Log/Quenzel.log")); }
    bool Logged(const LogEntry& entry) const;
    size_t CountLogged(const LogEntry& entry) const;

    TempDir dir;
};

// quenzeld started as a child process in a station's folder, standard output and error going to
// files there. It never reaches a power action: its command line must begin with
// "-InhibitShutdown", and its system bus address leads nowhere.
class Quenzeld {
  public:
    // stdinFd: a descriptor for the child's standard input (a terminal it takes as its
    // controlling one), or -1 for /dev/null.
    Quenzeld(const TestWorld& world, const Station& station, const std::vector<std::string>& arguments,
             int stdinFd = -1);
    ~Quenzeld();
    Quenzeld(const Quenzeld&) = delete;
    Quenzeld& operator=(const Quenzeld&) = delete;

    void Signal(int number) const;
    // The exit status (128 + the signal when a signal ended it); nothing when it still runs.
    std::optional<int> WaitExit(std::chrono::milliseconds within = 20s);
    bool Running();
    std::string Stdout() const { return station_.dir.Read("stdout.txt"); }
    std::string Stderr() const { return station_.dir.Read("stderr.txt"); }

  private:
    const Station& station_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A program that the monitor watches: a copy of sleep under a name of its own, longer than the
// 15 characters the kernel keeps.
class WatchedProcess {
  public:
    WatchedProcess(const Station& station, int seconds);
    ~WatchedProcess();
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;

    const std::string& Name() const { return name_; }
    bool Ended(); // reaps it when it has ended

  private:
    std::string name_;
    pid_t pid_ = -1;
};

// A name that is unique among this machine's processes; it has more than 15 characters.
std::string UniqueProgramName();

} // namespace qz::test
