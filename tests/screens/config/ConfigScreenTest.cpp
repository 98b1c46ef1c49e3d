#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "app/App.h"
#include "app/ProgramEnd.h"
#include "app/ProgramReset.h"
#include "config/ConfigFile.h"
#include "screens/config/ConfigScreen.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// A main station with one process, no peer and forced power off; a slave of 1.1.1.1 without processes.
const IniFile kMain =
    With(IniFile(), "ComDelay=60;DelTime=90;Proc1=editor;ProcDelay=60;Force=2;ShutTime=60;ShutType=1");
const IniFile kSlave = With(kMain, "CMain=2;IPAdd=1.1.1.1;Proc1=");

// A program that read the file beside Log/, and its screen, whose host resets it as the window does.
struct ScreenWorld : ConfigScreenHost, WindowHost {
    explicit ScreenWorld(const IniFile& file = kMain) {
        dir.Write("Data/Quenzel.ini", file.Text());
        for (size_t length : {95, 96}) // two log folders for the path rows
            std::filesystem::create_directories(dir.path() / "Log" / std::string(length, 'a'));
        p.set = ReadConfigFile(p.svc.files)->settings;
        if (p.set.role == Role::Slave) p.rt.appTitle = "Quenzel Slave";
    }
    ConfigScreen& Open() {
        screen.emplace(p, *this).Load();
        return *screen;
    }
    void ResetProgram() override {
        calls.push_back("ResetProgram");
        qz::ResetProgram(p, app.monitor);
    }
    // The main window's screens, which the configuration screen never opens.
    void ShowAbout() override {}
    void ShowConfig() override {}
    void UnloadAbout() override {}
    void UnloadConfig() override {}
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void SetTopMost(bool) override {}
    void EndProgram(const Fault& fault) override { EndWithFault(p, fault); }
    void OpenWebPage(const std::string&) override {}

    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    App app{p, *this};
    std::vector<std::string> calls;
    std::optional<ConfigScreen> screen;
};

// The names of the marked hints, separated by blanks; a half-marked one is "name(mixed look)".
std::string MarkedHints(const ConfigView& v) {
    std::string marked;
    VisitRows(v, [&](std::string_view name, const auto& row) {
        if constexpr (requires { row.hint; })
            if (row.hint.fore != kDarkGreen || row.hint.bold)
                marked += (marked.empty() ? "" : " ") + std::string(name) +
                          (row.hint.fore == kOrange && row.hint.bold ? "" : "(mixed look)");
    });
    return marked;
}

// Does "name=value;button": a field takes the text, a box ticks on "1", lists and buttons are clicked.
void Edit(ConfigScreen& s, const std::string& actions) {
    std::istringstream items(actions);
    for (std::string name, value; std::getline(items, name, ';');) {
        value = name.find('=') == name.npos ? "" : name.substr(name.find('=') + 1);
        name.resize(std::min(name.size(), name.find('=')));
        bool found = false;
        VisitRows(s.view, [&](std::string_view row, auto& r) {
            if constexpr (requires { r.field.text; }) found |= row == name && (r.field.text = value, true);
            if constexpr (requires { r.box.checked; })
                found |= row == name && (r.box.checked = value == "1", true);
        });
        const std::map<std::string, std::function<void()>> clicks = {
            {"shutdownType", [&] { s.OnShutdownTypeChosen(value); }},
            {"logLevel", [&] { s.OnLogLevelChosen(value); }},
            {"save", [&] { s.OnSave(); }},
            {"restore", [&] { s.OnRestore(); }},
            {"exit", [&] { s.OnExit(); }},
            {"atTime", [&] { s.OnActivateAtTimeTicked(value == "1"); }}};
        if (found) continue;
        ASSERT_TRUE(clicks.count(name)) << "no field or button " << name;
        clicks.at(name)();
    }
}

// Checks share a row; the marks tell which failed. Some rows show what the choices switched: Force, the
// hints, the activation, the boxes ("at ": the shutdown time opened for editing).
TEST(ValidateFields, CountsAndMarksEveryCheckAtItsBoundsAndSwitchesTheHints) {
    const std::string a95(95, 'a'), d100(100, 'd'), p30(30, 'p'),
        force = "force|(Forces Applications To Close)|";
    const char* seven = "processDelay shutdownAfter activation countdown lostLinkDelay txPort rxPort";
    const struct {
        std::string edits;
        int count = 0;
        const char* marked = "";
        IniFile file = kMain;
        std::string look = "";
        int mode = 0;
    } rows[] = {
        {"lostLinkDelay=5;shutdownAfter=60;txPort=1024;rxPort=1024;processDelay=5;countdown=2;activation=1",
         0, "", kMain, force + "|1|"},
        {"lostLinkDelay=600;shutdownAfter=10800;txPort=65535;rxPort=65535;processDelay=3600;countdown=600;"
         "activation=3600"},
        {"address=1.1.1.1;logName=abcd.log;logPath=LOG\\;processName1=" + p30},
        {"domainName=1;address=10.0.0.1;logName=ab.cd.log;logPath=Log\\" + a95 + "\\;shutdownAt=23:59"},
        {"domainName=1;address=" + d100 +
         ";logName=abcde.l\xC3\xB6g;activateAtTime=1;activation=23:59;shutdownType=Reboot;processDelay=120;"
         "shutdownAfter=120"},
        {"logName=abcdefghijklmnop.log;fixedDelay=1;processDelay=120;shutdownAfter=121;shutdownType=Monitor;"
         "domainName=1;address=host.example"},
        {"domainName=1;address=host", 0, "", kSlave},
        {"shutdownType=Reboot", 0, "", With(kSlave, "ShutType=4"), "force|Not Available In Slave Mode||2|"},
        {"activation=07:30;atTime=1", 0, "", kMain, force + "|07:30|"},
        {"lostLinkDelay=4.9;shutdownAfter=59;txPort=1023;rxPort=1023;processDelay=4;countdown=1;activation=0",
         7, seven},
        {"lostLinkDelay=600.5;shutdownAfter=10801;txPort=65536;rxPort=65536;processDelay=3601;countdown=601;"
         "activation=3601",
         7, seven},
        {"activateAtTime=1;activation=24:00;shutdownAt=25:00;address=192.168.0.5", 3,
         "shutdownAt activation address"},
        {"activation=07:30;atTime=0", 1, "activation", kMain, force + "||"},
        {"domainName=1;address=d" + d100, 1, "address"},
        {"logName=\xC3\xA4xy.log;logPath=Log;processName1=p" + p30, 3, "processName1 logName logPath"},
        {"logName=abcdefghijklmnopq.log;logPath=Nope\\;processName2=p" + p30, 3,
         "processName2 logName logPath"},
        {"logName=abcdefgh.logs;logPath=Log\\a" + a95 + "\\", 2, "logName logPath"},
        {"logName=ab;logPath=L", 5, "logName logPath"},
        {"processName3=p" + p30, 1, "processName3", With(kMain, "Proc2=b")},
        {"processName1=", 2, "processName1", With(kMain, "Proc2=b")},
        {"processName2=b", 1, "processName1", kSlave},
        {"processName3=c;fixedDelay=1;processDelay=120;shutdownAfter=120", 2, "processName2 shutdownAfter"},
        {"shutdownType=Monitor", 2, "shutdownType address", kMain, "|(Only Use With A Valid IP Address)||2|"},
        {"shutdownType=StandBy", 0, "", kMain, "|||2|"},
        {"shutdownType=Monitor;domainName=1", 2, "shutdownType address"},
        {"shutdownType=Monitor;domainName=1;address=10.1.1.1", 3, "shutdownType address"},
        {"fixedDelay=1;processDelay=120;shutdownAfter=120;shutdownType=Monitor", 2,
         "shutdownAfter shutdownType", kSlave, "|Invalid Option In Slave Mode|< Process Delay|2|"},
        {"address=", 1, "address", kSlave},
        {"domainName=1;address=", 1, "address", kSlave},
        {"shutdownAt=25:00", 1, "shutdownAt", kSlave,
         "at " + force + "|2|Quenzel Slave Data Error: Invalid Data", 2},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.file);
        ConfigScreen& s = w.Open();
        w.p.rt.startOption = static_cast<StartOption>(r.mode);
        Edit(s, r.edits);
        EXPECT_EQ(s.ValidateFields(), r.count) << r.edits;
        EXPECT_EQ(MarkedHints(s.view), r.marked) << r.edits;
        const ConfigView& v = s.view;
        const std::string& after = v.shutdownAfter.hint.text;
        const std::string look = (v.shutdownAt.field.enabled && !v.shutdownAt.field.readOnly ? "at " : "") +
                                 std::string(v.force.box.enabled ? "force|" : "|") +
                                 v.shutdownType.hint.text + "|" + (after == kShutdownAfterHint ? "" : after) +
                                 "|" + v.activation.field.text + "|" + Shown(w.world.host);
        EXPECT_TRUE(r.look.empty() || look == r.look) << r.edits << ": " << look;
    }
}

TEST(Save, AConfigurationFileGoneEndsTheProgramThroughItsHost) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    std::filesystem::remove(w.dir.path() / "Data/Quenzel.ini");
    EXPECT_THROW(Edit(s, "processName1=changed;save"), ProgramEnded);
    EXPECT_EQ(
        std::tuple(w.world.host.messages.at(0).title, w.world.host.endedWith, w.dir.Read("Data/Quenzel.ini")),
        std::tuple(std::string("Quenzel Configuration File Error"), std::optional<int>(1), std::string()));
}

// Exit resets the program only after a save or when it cannot run; a refused or failed save (a folder in
// the temporary file's place) writes nothing, leaves no file. Restore keeps the process names and peer.
TEST(Exit, ResetsTheProgramOnlyAfterASaveOrWhenItCannotRun) {
    using Calls = std::vector<std::string>;
    const Calls close{"EnableMainControls"}, reset{"ResetProgram", "EnableMainControls"}, none;
    const std::string cancel = "&Cancel Click Cancel to exit without saving changes",
                      saved = "&Exit Changes Saved - Click Exit To Activate The Changes",
                      keep = "DName=2;IPAdd=host.example;Proc2= two;";
    const struct {
        std::string name, state, actions; // state: set before the screen opens
        Calls calls;
        std::string shown; // Exit's caption, the status and the boxes
        IniFile file = kMain;
    } rows[] = {
        {"not configured", "NotConfigured", "exit", reset,
         "&Exit 1 Item(s) Highlighted Contain Out Of Range Values", With(kMain, "Proc1=")},
        {"link setup failed, saved nothing", "SetupFault", "save;exit", reset, "&Exit No Changes To Save"},
        {"saved a change at Full", "", "processDelay=61;logLevel=Full;shutdownType=StandBy;save;exit", reset,
         saved},
        {"restored the defaults", "", "restore;save;exit", reset, saved,
         With(kMain, keep + "Port1=65535;Del_On=2;DelTime=120;Stop_On=2;StopTime=12359;RunOnTop=2;"
                            "StartMin=2;UserExit=2;LogLevel=3;StartTime=2;StartDelay=10730;ShutType=6")},
        {"saved nothing", "", "save;exit", close, "&Exit No Changes To Save"},
        {"unsaved change", "", "processName2=b;exit", none, cancel},
        {"unsaved list choice", "", "logLevel=Full;exit", none, cancel},
        {"unsaved change, cancelled", "", "processName2=b;exit;exit", close, cancel},
        {"someone who may not save", "NotAdmin", "processName2=b;save;restore;exit", close, "&Exit "},
        {"refused", "", "txPort=80;countdown=0;save", none,
         "&Exit 2 Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved"},
        {"write failed", "WriteFails", "processName1=changed;shutdownType=Hibernate;save;exit", close,
         "&Exit Quenzel Configuration File Error: Unable to write to the configuration file. Quenzel.ini\r\n"
         "This may be a permissions problem.!"},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.file);
        w.p.rt.notConfigured = r.state == "NotConfigured";
        w.p.rt.setupFault = r.state == "SetupFault";
        w.world.system.admin = r.state != "NotAdmin";
        if (r.state == "WriteFails")
            std::filesystem::create_directory(w.dir.path() / "Data" / "Quenzel.ini.tmp");
        ConfigScreen& s = w.Open();
        Edit(s, r.actions);
        const bool open = r.calls.empty(), full = r.name == "saved a change at Full";
        const std::string log = w.dir.Read("Log/Quenzel.log");
        // The saved field and list take effect and are logged, in full at the Full level.
        EXPECT_EQ(
            std::tuple(w.calls, s.view.open, w.p.rt.screenOpen, w.p.rt.configSaved,
                       s.view.exit.caption + " " + s.view.status.text + Shown(w.world.host),
                       w.dir.Read("Data/Quenzel.ini") != r.file.Text(),
                       std::pair(w.p.set.processDelay, w.p.set.shutdownType),
                       std::distance(std::filesystem::directory_iterator(w.dir.path() / "Data"), {}),
                       log.find(" Config   , Updated   , Count:") != log.npos,
                       log.find("ProcDelay=61") != log.npos,
                       // every field's way into the file: the configuration fuzz replay's round trip
                       r.name != "restored the defaults" ||
                           ReadConfigFile(w.p.svc.files)->settings == ScreenWorld(With(kMain, keep)).p.set),
            std::tuple(r.calls, open, open, false, r.shown, r.shown == saved,
                       full ? std::pair(61, ShutdownType::Standby) : std::pair(60, ShutdownType::PowerOff), 1,
                       r.calls == reset && r.state != "NotConfigured", full, true))
            << r.name;
    }
}

} // namespace
} // namespace qz::test
