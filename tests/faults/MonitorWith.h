#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/app/Harness.h"

namespace qz::test {

// The main window's logic in a working folder of its own, with the given process table and power
// backend (the fakes where none is given) and fakes for the rest of the world.
class MonitorWith {
  public:
    MonitorWith(std::unique_ptr<ProcessTable> processes, std::unique_ptr<PowerApi> power);
    void Start(const IniFile& ini);
    // Runs that many seconds; the status the program ended with, or nothing when it carried on.
    std::optional<int> Seconds(int count);
    // Runs seconds until the countdown has begun; false when it did not within a minute.
    bool RunIntoCountdown();
    std::vector<std::string> Events() const { return LogEvents(dir.Read("Log/Quenzel.log")); }
    std::vector<std::string> EventsSince(size_t from) const;

    TempDir dir;
    HookHost host;
    FakeWorld world;

  private:
    std::unique_ptr<ProcessTable> processes_;
    std::unique_ptr<PowerApi> power_;

  public:
    Program program;
    QuenzelMain main;
    FakeWindow window;
};

} // namespace qz::test
