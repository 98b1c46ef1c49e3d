#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/config/ConfigScreen.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
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

// The file with each key of a list "Key=value;Key=value" set to its value.
IniFile With(IniFile file, std::string_view list);
// A main station holding the screen's defaults: one process, IP mode without a peer, forced power off.
IniFile MainFile();
// A slave of the main station at 1.1.1.1, without processes.
inline IniFile SlaveFile() {
    return With(MainFile(), "CMain=2;IPAdd=1.1.1.1;Proc1=");
}
inline const std::string kMainConfigFile = MainFile().Text();

// A folder with the file as Data/Quenzel.ini and an empty Log/, and a program that read the file.
struct ScreenWorld {
    explicit ScreenWorld(const IniFile& file = MainFile());
    ConfigScreen& Open();
    std::string ConfigFile() const { return dir.Read("Data/Quenzel.ini"); }
    // Settings as the reader finds them in the file now.
    Settings ReadBack() const;

    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    FakeScreenHost host;
    std::optional<ConfigScreen> screen;
};

inline Settings MainSettings() {
    return ScreenWorld().p.set;
}
inline Settings SlaveSettings() {
    return ScreenWorld(SlaveFile()).p.set;
}

// The names of the marked hint labels, separated by blanks; a half-marked one is "Name(mixed look)".
std::string MarkedHints(const ConfigView& v);

// Does what a list "Field=value;Button" says: a text field takes the value as its text, a check box is
// ticked by "1" and cleared by anything else, a list is clicked to the value, and Save, Restore and
// Exit are clicked.
void Edit(ConfigScreen& s, std::string_view actions);

} // namespace qz::test
