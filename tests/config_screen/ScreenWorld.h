#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "config/screen/frmConfig.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// The main window as the configuration screen sees it: every call is recorded in order.
class FakeScreenHost : public ConfigScreenHost {
  public:
    void ResetMonitor() override { calls.push_back("ResetMonitor"); }
    void ShowStatus() override { calls.push_back("ShowStatus"); }
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void SetTopMost(bool topMost) override { calls.push_back(topMost ? "TopMost" : "NotTopMost"); }
    void OpenWebPage(const std::string& page) override { calls.push_back("OpenWebPage " + page); }
    std::vector<std::string> calls;
};

// A valid main station: one process, IP mode without a peer, power off after 60 s.
Settings MainSettings();
// A valid slave of the main station at 1.1.1.1.
Settings SlaveSettings();

// The configuration file that holds MainSettings().
extern const char* const kMainConfigFile;

// A working folder with Data/Quenzel.ini (MainSettings), an empty Log/ folder and a program whose
// settings are MainSettings(); the screen opens on demand.
struct ScreenWorld {
    ScreenWorld();
    // Opens the screen for the settings and run-time state as they are now.
    frmConfig& Open();
    std::string ConfigFile() const { return dir.Read("Data/Quenzel.ini"); }
    // Settings as the reader finds them in Data/Quenzel.ini now.
    Settings ReadBack();

    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    FakeScreenHost host;
    std::optional<frmConfig> screen;
};

// The 16 hint labels by name.
std::vector<std::pair<std::string, const LabelView*>> Hints(const ConfigView& v);
// The names of the hint labels in the marked look.
std::vector<std::string> MarkedHints(const ConfigView& v);

} // namespace qz::test
