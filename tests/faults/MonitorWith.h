#pragma once
#include <algorithm>
#include <filesystem>

#include "tests/app/Harness.h"

namespace qz::test {

// The main window's logic with the given process table and power backend (fakes where null).
class MonitorWith {
  public:
    MonitorWith(std::unique_ptr<ProcessTable> processes, std::unique_ptr<PowerApi> power)
        : world(dir.path()), processes_(std::move(processes)), power_(std::move(power)),
          program(Services{host, world.clock, world.files, processes_ ? *processes_ : world.processes,
                           power_ ? *power_ : world.power, world.socket, world.resolver, world.guard,
                           world.system}),
          main(program, window), window(program, main) {
        std::filesystem::create_directories(dir.path() / "Log");
    }
    void Start(const IniFile& ini) {
        dir.Write("Data/Quenzel.ini", ini.Text());
        main.Form_Load();
    }
    // The status the program ended with, or -1 when it carried on.
    int Seconds(int count) {
        try {
            for (int tick = 0; tick < 2 * count; ++tick)
                main.tmrRefresh_Timer();
        } catch (const ProgramEnded& end) {
            return end.status;
        }
        return -1;
    }
    std::vector<std::string> EventsSince(size_t from = 0) const {
        const std::vector<std::string> all = LogEvents(dir.Read("Log/Quenzel.log"));
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    TempDir dir;
    HookHost host;
    FakeWorld world;
    std::unique_ptr<ProcessTable> processes_;
    std::unique_ptr<PowerApi> power_;
    Program program;
    QuenzelMain main;
    FakeWindow window;
};

} // namespace qz::test
