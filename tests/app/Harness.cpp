#include "tests/app/Harness.h"

#include <filesystem>
#include <utility>

namespace qz::test {
namespace {

std::string RightTrimmed(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

void FakeWindow::ShowAbout() {
    calls.push_back("ShowAbout");
    aboutOpen = true;
    p.rt.DialogOpen = true;
    p.rt.AboutCloseCount = 60;
}

void FakeWindow::ShowConfig() {
    calls.push_back("ShowConfig");
    configOpen = true;
    p.rt.DialogOpen = true;
    p.rt.ConfigCloseCount = 600;
}

void FakeWindow::UnloadAbout() {
    if (!aboutOpen) return;
    calls.push_back("UnloadAbout");
    aboutOpen = false;
    main.EnableMainControls();
    p.rt.DialogOpen = false;
}

void FakeWindow::UnloadConfig() {
    if (!configOpen) return;
    calls.push_back("UnloadConfig");
    configOpen = false;
    main.EnableMainControls();
    p.rt.DialogOpen = false;
}

std::vector<std::string> LogEvents(const std::string& logText) {
    // "05-Dec-26 10:30:00,  Enter    , Run       , Count:    0"
    std::vector<std::string> events;
    for (const std::string& line : SplitLines(logText)) {
        if (line.size() < 55 || line.compare(42, 8, ", Count:") != 0) continue;
        std::string event = RightTrimmed(line.substr(20, 10));
        if (!event.empty() && event.front() == ' ') event.erase(0, 1);
        events.push_back(event + "/" + RightTrimmed(line.substr(32, 10)));
    }
    return events;
}

Answer HookHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                             const std::string& text) {
    const Answer answer = FakeHost::ShowMessage(icon, buttons, title, text);
    if (auto hook = std::exchange(whileOpen, nullptr)) hook();
    return answer;
}

Monitor::Monitor()
    : world(dir.path()), program(Services{host, world.clock, world.files, world.processes, world.power,
                                          world.socket, world.resolver, world.guard, world.system}),
      p(program), main(p, window), window(p, main) {
    std::filesystem::create_directories(dir.path() / "Log");
}

void Monitor::WriteConfig(const IniFile& ini) const {
    dir.Write("Data/Quenzel.ini", ini.Text());
}

void Monitor::Start(const IniFile& ini, const std::string& commandLine) {
    WriteConfig(ini);
    p.rt.CommandLine = commandLine;
    main.Form_Load();
}

void Monitor::Tick(int count) {
    for (int i = 0; i < count; ++i)
        main.tmrRefresh_Timer();
}

void Monitor::Seconds(int count) {
    Tick(2 * count);
}

std::string Monitor::LogText() const {
    return dir.Read("Log/Quenzel.log");
}

std::vector<std::string> Monitor::EventsSince(size_t from) const {
    std::vector<std::string> all = Events();
    if (from >= all.size()) return {};
    return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
}

void Monitor::ProcessRuns(bool runs) {
    world.processes.names.clear();
    if (runs) world.processes.names = {"init", "worker.exe"};
}

} // namespace qz::test
