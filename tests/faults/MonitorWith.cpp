#include "tests/faults/MonitorWith.h"

#include <filesystem>

namespace qz::test {

MonitorWith::MonitorWith(std::unique_ptr<ProcessTable> processes, std::unique_ptr<PowerApi> power)
    : world(dir.path()), processes_(std::move(processes)), power_(std::move(power)),
      program(Services{host, world.clock, world.files, processes_ ? *processes_ : world.processes,
                       power_ ? *power_ : world.power, world.socket, world.resolver, world.guard,
                       world.system}),
      main(program, window), window(program, main) {
    std::filesystem::create_directories(dir.path() / "Log");
}

void MonitorWith::Start(const IniFile& ini) {
    dir.Write("Data/Quenzel.ini", ini.Text());
    main.Form_Load();
}

std::optional<int> MonitorWith::Seconds(int count) {
    try {
        for (int tick = 0; tick < 2 * count; ++tick)
            main.tmrRefresh_Timer();
    } catch (const ProgramEnded& end) {
        return end.status;
    }
    return std::nullopt;
}

bool MonitorWith::RunIntoCountdown() {
    for (int second = 0; second < 60 && program.rt.MonState != 2; ++second)
        if (Seconds(1)) return false;
    return program.rt.MonState == 2;
}

std::vector<std::string> MonitorWith::EventsSince(size_t from) const {
    const std::vector<std::string> all = Events();
    return from < all.size()
               ? std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end())
               : std::vector<std::string>{};
}

} // namespace qz::test
