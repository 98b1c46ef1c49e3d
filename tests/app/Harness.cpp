#include "tests/app/Harness.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace qz::test {
std::vector<std::string> LogEvents(const std::string& logText) {
    // "05-Dec-26 10:30:00,  Enter    , Run       , Count:    0"
    const auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of(' ') + 1); };
    std::vector<std::string> events;
    for (const std::string& line : SplitLines(logText)) {
        if (line.size() < 55 || line.compare(42, 8, ", Count:") != 0) continue;
        std::string event = trimmed(line.substr(20, 10));
        if (!event.empty() && event.front() == ' ') event.erase(0, 1);
        events.push_back(event + "/" + trimmed(line.substr(32, 10)));
    }
    return events;
}

Answer HookHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                             const std::string& text) {
    const Answer answer = FakeHost::ShowMessage(icon, buttons, title, text);
    if (auto hook = std::exchange(whileOpen, nullptr)) hook();
    return answer;
}

Monitor::Monitor(std::unique_ptr<ProcessTable> processes, std::unique_ptr<PowerApi> power)
    : world(dir.path()), realProcesses(std::move(processes)), realPower(std::move(power)),
      p(Services{host, world.clock, world.files, realProcesses ? *realProcesses : world.processes,
                 realPower ? *realPower : world.power, world.socket, world.resolver, world.guard,
                 world.system}),
      app(p, window), window(p, app.window) {
    std::filesystem::create_directories(dir.path() / "Log");
}

void Monitor::Start(const IniFile& ini, const std::string& commandLine) {
    dir.Write("Data/Quenzel.ini", ini.Text());
    p.rt.commandLine = commandLine;
    app.Load();
}

void Monitor::Tick(int count) {
    while (count-- > 0)
        app.OnTimer();
}

int Monitor::Seconds(int count) {
    try {
        Tick(2 * count);
    } catch (const ProgramEnded& end) {
        return end.status;
    }
    return -1;
}

std::vector<std::string> Monitor::EventsSince(size_t from) const {
    std::vector<std::string> all = Events();
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())));
    return all;
}

std::vector<Box> Monitor::Boxes() const {
    std::vector<Box> boxes;
    for (const ShownMessage& m : host.messages)
        boxes.emplace_back(m.icon, m.buttons, m.title, m.text);
    return boxes;
}

} // namespace qz::test
