#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/QuenzelMain.h"
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

// The screens and shell of a real window. The About and configuration screens behave as theirs
// do towards the main window: DialogOpen while open, EnableMainControls when they unload.
class FakeWindow : public WindowHost {
  public:
    FakeWindow(Program& program, QuenzelMain& window) : p(program), main(window) {}
    void ShowAbout() override;
    void ShowConfig() override;
    void UnloadAbout() override;
    void UnloadConfig() override;
    void OpenWebPage(const std::string& page) override { pages.push_back(page); }
    void SetForeground() override { calls.push_back("SetForeground"); }
    void ShowPopupMenu() override { calls.push_back("ShowPopupMenu"); }

    bool aboutOpen = false;
    bool configOpen = false;
    std::vector<std::string> calls;
    std::vector<std::string> pages;

  private:
    Program& p;
    QuenzelMain& main;
};

// A log entry as "Event/Detail", the event word with its test-mode marker "*".
std::vector<std::string> LogEvents(const std::string& logText);

// One program in its own working folder (Data\Quenzel.ini, Log\), with fakes for the world.
class Monitor {
  public:
    Monitor();
    void WriteConfig(const IniFile& ini) const;
    // Writes the configuration and loads the main window as a start with this command line.
    void Start(const IniFile& ini, const std::string& commandLine = "");
    void Tick(int count = 1);
    void Seconds(int count); // two ticks each: one monitor step per second
    std::string LogText() const;
    std::vector<std::string> Events() const { return LogEvents(LogText()); }
    // The entries written after the first `from` ones.
    std::vector<std::string> EventsSince(size_t from) const;
    void ProcessRuns(bool runs); // the watched process "worker.exe"

    TempDir dir;
    HookHost host;
    FakeWorld world; // the fakes besides the host
    Program program;
    Program& p;
    QuenzelMain main;
    FakeWindow window;
};

} // namespace qz::test
