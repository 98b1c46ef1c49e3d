#pragma once
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/App.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// A host whose message boxes can run other events while they are open, as a real modal box does.
class HookHost : public FakeHost {
  public:
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    std::function<void()> whileOpen; // runs inside every box, then is cleared
};

// A real window's screens: screenOpen while open, EnableMainControls when they unload.
class FakeWindow : public WindowHost {
  public:
    FakeWindow(Program& program, MainWindowModel& window) : p(program), main(window) {}
    void ShowAbout() override { aboutOpen = p.rt.screenOpen = true, p.rt.aboutCloseCount = 60; }
    void ShowConfig() override { configOpen = p.rt.screenOpen = true, p.rt.configCloseCount = 600; }
    void UnloadAbout() override { Close(aboutOpen); }
    void UnloadConfig() override { Close(configOpen); }
    void OpenWebPage(const std::string&) override {}
    bool aboutOpen = false, configOpen = false;

  private:
    void Close(bool& open) {
        if (open) open = p.rt.screenOpen = false, main.EnableMainControls();
    }
    Program& p;
    MainWindowModel& main;
};

// A log entry as "Event/Detail", the event word with its test-mode marker "*".
std::vector<std::string> LogEvents(const std::string& logText);
using Box = std::tuple<MsgIcon, MsgButtons, std::string, std::string>;

// One program in its own working folder, with fakes where no real process table or power is given.
class Monitor {
  public:
    explicit Monitor(std::unique_ptr<ProcessTable> processes = nullptr,
                     std::unique_ptr<PowerApi> power = nullptr);
    // Writes the configuration and loads the main window as a start with this command line.
    void Start(const IniFile& ini, const std::string& commandLine = "");
    void Tick(int count = 1);
    // Two ticks a second. The status the program ended with, or -1 when it carried on.
    int Seconds(int count);
    std::vector<std::string> Events() const { return LogEvents(dir.Read("Log/Quenzel.log")); }
    std::vector<std::string> EventsSince(size_t from = 0) const; // after the first `from` entries
    std::vector<Box> Boxes() const;

    TempDir dir;
    HookHost host;
    FakeWorld world; // the fakes besides the host
    std::unique_ptr<ProcessTable> realProcesses;
    std::unique_ptr<PowerApi> realPower;
    Program p;
    App app;
    FakeWindow window;
};

} // namespace qz::test
