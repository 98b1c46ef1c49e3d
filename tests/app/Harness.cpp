#include "tests/app/Harness.h"

#include <filesystem>
#include <utility>

namespace qz::test {
namespace {

struct Key {
    const char* section; // the header the key follows, if it opens a section
    const char* name;
    const char* value;
};

constexpr Key kKeys[] = {
    {"[Comms]", "CMain", "1"},     {nullptr, "ComDelay", "5"},
    {nullptr, "DName", "1"},       {nullptr, "IPAdd", ""},
    {nullptr, "Port1", "10001"},   {nullptr, "Port2", "10000"},
    {"[Run]", "Del_On", "1"},      {nullptr, "DelTime", "60"},
    {nullptr, "LogLevel", "2"},    {nullptr, "LogName", "Quenzel.log"},
    {nullptr, "LogPath", "Log\\"}, {nullptr, "Proc1", "worker.exe"},
    {nullptr, "Proc2", ""},        {nullptr, "Proc3", ""},
    {nullptr, "ProcDelay", "5"},   {nullptr, "RunOnTop", "1"},
    {nullptr, "StartDelay", "2"},  {nullptr, "StartMin", "1"},
    {nullptr, "StartTime", "1"},   {nullptr, "StopTime", "10000"},
    {nullptr, "Stop_On", "1"},     {"[Shutdown]", "Force", "1"},
    {nullptr, "ShutTime", "3"},    {nullptr, "ShutType", "3"},
    {nullptr, "UserExit", "1"},
};

std::string RightTrimmed(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

IniFile& IniFile::Set(const std::string& key, const std::string& value) {
    values_[key] = value;
    return *this;
}

std::string IniFile::Text() const {
    std::string text = "# Quenzel Version 1.6\r\n# Configuration File\r\n";
    for (const Key& k : kKeys) {
        if (k.section) text += std::string("\r\n") + k.section + "\r\n";
        auto it = values_.find(k.name);
        text += std::string(k.name) + "=" + (it != values_.end() ? it->second : k.value) + "\r\n";
    }
    return text;
}

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
