#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "app/ProgramEnd.h"
#include "app/ProgramReset.h"
#include "config/ConfigFile.h"
#include "screens/config/ConfigScreen.h"
#include "tests/support/Fakes.h"
#include "tests/support/IniFile.h"
#include "tests/support/TempDir.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace qz::test {
namespace {

// The "name=value" items of a list separated by ";"; a bare name has the value "".
std::vector<std::pair<std::string, std::string>> Pairs(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream items{std::string(list)};
    for (std::string item; std::getline(items, item, ';');) {
        const size_t equals = std::min(item.find('='), item.size());
        pairs.emplace_back(item.substr(0, equals), item.substr(std::min(equals + 1, item.size())));
    }
    return pairs;
}

// The file with each key of a list "Key=value;Key=value" set to its value.
IniFile With(IniFile file, std::string_view list) {
    for (const auto& [key, value] : Pairs(list))
        file.Set(key, value);
    return file;
}

// A main station holding the screen's defaults: one process, IP mode without a peer, forced power off;
// and a slave of a main station at 1.1.1.1, without processes.
const IniFile kMain =
    With(IniFile(), "ComDelay=60;DelTime=90;Proc1=editor;ProcDelay=60;Force=2;ShutTime=60;ShutType=1");
const IniFile kSlave = With(kMain, "CMain=2;IPAdd=1.1.1.1;Proc1=");

// A folder with the file as Data/Quenzel.ini and an empty Log/, a program that read the file, and the
// screen over it. As the screen's host it records the calls and resets the program as the main window does.
struct ScreenWorld : ConfigScreenHost, MonitorWindow {
    explicit ScreenWorld(const IniFile& file = kMain) {
        dir.Write("Data/Quenzel.ini", file.Text());
        std::filesystem::create_directory(dir.path() / "Log");
        p.set = ReadConfigFile(p.svc.files)->settings;
        if (p.set.role == Role::Slave) p.rt.AppTitle = "Quenzel Slave";
    }
    ConfigScreen& Open() {
        screen.emplace(p, *this).Load();
        return *screen;
    }
    std::string File() const { return dir.Read("Data/Quenzel.ini"); }

    void ResetProgram() override {
        calls.push_back("ResetProgram");
        qz::ResetProgram(p, *this);
    }
    void ResetMonitor() override {}
    void ShowStatus() override {}
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void SetTopMost(bool) override {}
    void EndProgram(const Fault& fault) override { EndWithFault(p, fault); }
    void OpenWebPage(const std::string&) override {}

    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    std::vector<std::string> calls;
    std::optional<ConfigScreen> screen;
};

// The names of the marked hints, separated by blanks; a half-marked one is "name(mixed look)".
std::string MarkedHints(ConfigView& v) {
    std::string marked;
    auto add = [&](std::string_view name, const LabelView& hint) {
        if (hint.fore == kDarkGreen && !hint.bold) return;
        marked += (marked.empty() ? "" : " ") + std::string(name) +
                  (hint.fore == kOrange && hint.bold ? "" : "(mixed look)");
    };
    VisitRows(v, Overloaded{[&](std::string_view name, FieldRow& row) { add(name, row.hint); },
                            [&](std::string_view name, ListRow& row) { add(name, row.hint); },
                            [](std::string_view, auto&) {}});
    return marked;
}

// Does what a list "name=value;button" says: a text field takes the value as its text, a tick box is
// ticked by "1" and cleared by anything else, a list is clicked to the value, and save, restore and
// exit are clicked.
void Edit(ConfigScreen& s, std::string_view actions) {
    for (const auto& [name, value] : Pairs(actions)) {
        bool found = false;
        VisitRows(s.view, Overloaded{[&](std::string_view row, FieldRow& field) {
                                         if (row == name) found = (field.field.text = value, true);
                                     },
                                     [&](std::string_view row, CheckRow& box) {
                                         if (row == name) found = (box.box.checked = value == "1", true);
                                     },
                                     [](std::string_view, auto&) {}});
        const std::map<std::string, std::function<void()>> clicks = {
            {"shutdownType", [&] { s.OnShutdownTypeChosen(value); }},
            {"logLevel", [&] { s.OnLogLevelChosen(value); }},
            {"save", [&] { s.OnSave(); }},
            {"restore", [&] { s.OnRestore(); }},
            {"exit", [&] { s.OnExit(); }}};
        if (found) continue;
        ASSERT_TRUE(clicks.count(name)) << "no field or button " << name;
        clicks.at(name)();
    }
}

struct Row {
    std::string edits;
    int count = 0;
    const char* marked = "";
    IniFile file = kMain;
};

TEST(ValidateFields, CountsAndMarksEveryCheckAtItsBounds) {
    const IniFile slave = kSlave, withProc2 = With(kMain, "Proc2=b");
    const std::string a95(95, 'a'), d100(100, 'd'), p30(30, 'p');
    // Values of different checks share a row; the marks tell which of them failed.
    std::vector<Row> rows = {
        {"lostLinkDelay=5;shutdownAfter=60;txPort=1024;rxPort=1024;processDelay=5;countdown=2;activation=1"},
        {"lostLinkDelay=600;shutdownAfter=10800;txPort=65535;rxPort=65535;processDelay=3600;countdown=600;"
         "activation=3600"},
        {"address=1.1.1.1;logName=abcd.log;logPath=LOG\\;processName1=" + p30},
        {"activation=07:30;shutdownAfter=60abc"},
        {"domainName=1;address=10.0.0.1;logName=ab.cd.log;logPath=Log\\" + a95 + "\\;shutdownAt=23:59"},
        {"domainName=1;address=" + d100 + ";logName=abcde.l\xC3\xB6g;activateAtTime=1;activation=23:59"},
        {"logName=abcdefghijklmnop.log;fixedDelay=1;processDelay=120;shutdownAfter=121"},
        {"shutdownType=Monitor;domainName=1;address=host.example"},
        {"shutdownType=Reboot;domainName=1;processDelay=120;shutdownAfter=120"},
        {"domainName=1;address=host", 0, "", slave},
        {"lostLinkDelay=4.9;shutdownAfter=59;txPort=1023;rxPort=1023;processDelay=4;countdown=1;activation=0",
         7, "processDelay shutdownAfter activation countdown lostLinkDelay txPort rxPort"},
        {"lostLinkDelay=600.5;shutdownAfter=10801;txPort=65536;rxPort=65536;processDelay=3601;countdown=601;"
         "activation=3601",
         7, "processDelay shutdownAfter activation countdown lostLinkDelay txPort rxPort"},
        {"activateAtTime=1;activation=24:00;shutdownAt=25:00;address=192.168.0.5", 3,
         "shutdownAt activation address"},
        {"domainName=1;address=10.1.1.1", 1, "address"},
        {"domainName=1;address=d" + d100, 1, "address"},
        {"logName=\xC3\xA4xy.log;logPath=Log;processName1=p" + p30, 3, "processName1 logName logPath"},
        {"logName=abcdefghijklmnopq.log;logPath=Nope\\;processName2=p" + p30, 3,
         "processName2 logName logPath"},
        {"logName=abcdefgh.logs;logPath=Log\\a" + a95 + "\\", 2, "logName logPath"},
        {"logName=ab;logPath=L", 5, "logName logPath"},
        {"processName3=p" + p30, 1, "processName3", withProc2},
        {"processName1=", 2, "processName1", withProc2},
        {"processName2=b", 1, "processName1", slave},
        {"processName3=c;fixedDelay=1;processDelay=120;shutdownAfter=120", 2, "processName2 shutdownAfter"},
        {"shutdownType=Monitor", 2, "shutdownType address"},
        {"shutdownType=Monitor;domainName=1", 2, "shutdownType address"},
        {"shutdownType=Monitor;domainName=1;address=10.1.1.1", 3, "shutdownType address"},
        {"shutdownType=Monitor", 1, "shutdownType", slave},
        {"address=", 1, "address", slave},
        {"domainName=1;address=", 1, "address", slave},
    };
    for (const Row& r : rows) {
        ScreenWorld w(r.file);
        for (size_t length : {95, 96})
            std::filesystem::create_directories(w.dir.path() / "Log" / std::string(length, 'a'));
        ConfigScreen& s = w.Open();
        Edit(s, r.edits);
        EXPECT_EQ(s.ValidateFields(), r.count) << r.edits;
        EXPECT_EQ(MarkedHints(s.view), r.marked) << r.edits;
    }
}

// Changed hint texts hold until the next check; the box shows only with its start option; a failed field
// that its mode had switched off is switched on.
TEST(ValidateFields, ChangedHintsTheDataBoxAndSwitchedOnFields) {
    for (auto [file, mode, box] : {std::tuple{kMain, 2, "Quenzel Data Error: Invalid Data"},
                                   {kSlave, 2, "Quenzel Slave Data Error: Invalid Data"},
                                   {kSlave, 0, ""}}) {
        ScreenWorld w(file);
        w.p.rt.CmdLineMode = int16_t(mode);
        ConfigScreen& s = w.Open();
        Edit(s, "shutdownAt=25:00");
        s.ValidateFields();
        EXPECT_TRUE(s.view.shutdownAt.field.enabled && !s.view.shutdownAt.field.readOnly) << box;
        std::string boxes;
        for (const ShownMessage& m : w.world.host.messages)
            boxes +=
                m.title + ": " + m.text + (m.icon == MsgIcon::None && m.buttons == MsgButtons::Ok ? "" : "!");
        EXPECT_EQ(boxes, box);
    }
    ScreenWorld w(kSlave);
    ConfigScreen& s = w.Open();
    Edit(s, "fixedDelay=1;processDelay=120;shutdownAfter=120;shutdownType=Monitor");
    EXPECT_EQ(s.ValidateFields(), 2);
    EXPECT_EQ(s.view.shutdownAfter.hint.text + "|" + s.view.shutdownType.hint.text,
              "< Process Delay|Invalid Option In Slave Mode");
    s.OnDomainNameTicked(false); // a new label keeps the marked look until the next check
    EXPECT_EQ(s.view.shutdownType.hint.text + "|" + MarkedHints(s.view),
              "Not Available In Slave Mode|shutdownAfter shutdownType");
    Edit(s, "restore");
    EXPECT_EQ(s.view.shutdownAfter.hint.text + MarkedHints(s.view), "sec (min 60, max 10800)");
}

// The chosen type decides whether Force applies and what its hint says; the activation value is kept
// only while it fits the tick (a time of day or seconds).
TEST(ConfigScreen, ChoicesAndTicksSwitchTheControlsThatDependOnThem) {
    const std::tuple<IniFile, const char*, const char*> rows[] = {
        {kMain, "Power Off", "force|(Forces Applications To Close)"},
        {kMain, "Shutdown", "force|(Forces Applications To Close)"},
        {kMain, "Monitor", "|(Only Use With A Valid IP Address)"},
        {kMain, "StandBy", "|"},
        {With(kSlave, "ShutType=4"), "Reboot", "force|Not Available In Slave Mode"},
    };
    for (const auto& [file, type, expected] : rows) {
        ScreenWorld w(file);
        ConfigScreen& s = w.Open();
        s.OnShutdownTypeChosen(type);
        EXPECT_EQ((s.view.force.box.enabled ? "force|" : "|") + s.view.shutdownType.hint.text, expected)
            << type;
    }
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    std::string kept;
    for (const auto& [value, ticked] :
         {std::pair{"07:30", true}, {"07:30", false}, {"5", false}, {"5", true}}) {
        s.view.activation.field.text = value;
        s.OnActivateAtTimeTicked(ticked);
        kept += s.view.activation.field.text + "|";
    }
    EXPECT_EQ(kept, "07:30||5||");
}

TEST(Save, WritesWhatTheReaderLoadsBackInEveryModeAndBox) {
    const std::string keep = "DName=2;IPAdd=host.example;Proc2= two;";
    const IniFile ticked =
        With(kMain, keep + "Port1=65535;Del_On=2;DelTime=120;Stop_On=2;StopTime=12359;RunOnTop=2;"
                           "StartMin=2;UserExit=2;LogLevel=3;StartTime=2;StartDelay=10730;ShutType=6");
    const struct {
        IniFile stored;
        std::string actions;
        IniFile expected;
    } rows[] = {
        {kMain,
         "domainName=1;address=host.example;processName2= two;txPort=65535;fixedDelay=1;shutdownAfter=120;"
         "fixedTime=1;shutdownAt=23:59;runOnTop=1;runInTray=1;userExit=1;logLevel=Full;activateAtTime=1;"
         "activation=07:30;shutdownType=StandBy",
         ticked},
        {ticked,
         "domainName=0;address=;fixedDelay=0;fixedTime=0;runOnTop=0;runInTray=0;userExit=0;force=0;"
         "logLevel=None;activateAtTime=0;activation=2;shutdownType=Hibernate",
         With(kMain, "Proc2= two;Port1=65535;DelTime=120;StopTime=12359;Force=1;LogLevel=1;ShutType=5")},
        {ticked, "restore", With(kMain, keep)},
        {kSlave, "lostLinkDelay=600;shutdownType=Reboot", With(kSlave, "ComDelay=600;ShutType=2")},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.stored);
        ConfigScreen& s = w.Open();
        Edit(s, r.actions + ";save");
        EXPECT_EQ(s.view.status.text, "Changes Saved - Click Exit To Activate The Changes") << r.actions;
        EXPECT_TRUE(w.p.rt.ConfigSaved && s.statusTimeoutEnabled) << r.actions;
        EXPECT_EQ(ReadConfigFile(w.p.svc.files)->settings, ScreenWorld(r.expected).p.set) << r.actions;
    }
}

TEST(Save, NothingChangedOrRefusedFieldsWriteNothing) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    s.OnSave();
    EXPECT_EQ(s.view.status.text, "No Changes To Save");
    ASSERT_TRUE(s.statusTimeoutEnabled);
    s.OnStatusTimeout();
    EXPECT_EQ(s.view.status.text, "");
    Edit(s, "txPort=80;countdown=0;save");
    EXPECT_EQ(s.view.status.text, "2 Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
    EXPECT_FALSE(s.statusTimeoutEnabled || w.p.rt.ConfigSaved);
    EXPECT_EQ(w.File(), kMain.Text());
}

#ifndef _WIN32
TEST(Save, AFailedWriteShowsItsBoxReloadsTheFieldsAndKeepsTheOldFile) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    Edit(s, "processName1=changed;shutdownType=Hibernate");
    // Every write beyond a few bytes fails, as on a full disk, even for the superuser, and is not fatal.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limited{16, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
    s.OnSave();
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_EQ(w.world.host.messages.size(), 1u);
    const ShownMessage& m = w.world.host.messages[0];
    EXPECT_EQ(std::tuple(m.icon, m.buttons, m.title + "|" + m.text),
              std::tuple(MsgIcon::Exclamation, MsgButtons::Ok,
                         "Quenzel Configuration File Error|Unable to write to the configuration file. "
                         "Quenzel.ini\r\nThis may be a permissions problem."));
    // The old file stays alone in its folder, and the fields show it again.
    EXPECT_EQ(std::tuple(w.File(),
                         std::distance(std::filesystem::directory_iterator(w.dir.path() / "Data"), {}),
                         s.view.processNames[0].field.text + "," + s.view.shutdownType.list.text + "," +
                             s.view.shutdownType.hint.text,
                         w.p.rt.ConfigSaved || s.statusTimeoutEnabled),
              std::tuple(kMain.Text(), 1, "editor,Power Off,(Forces Applications To Close)", false));
}
#endif

// A configuration file gone while the screen was open cannot be saved over: the box, then the end.
TEST(Save, AConfigurationFileGoneEndsTheProgramThroughItsHost) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    Edit(s, "processName1=changed");
    std::filesystem::remove(w.dir.path() / "Data/Quenzel.ini");
    EXPECT_THROW(s.OnSave(), ProgramEnded);
    ASSERT_EQ(w.world.host.messages.size(), 1u);
    EXPECT_EQ(std::tuple(w.world.host.messages[0].title, w.world.host.endedWith),
              std::tuple("Quenzel Configuration File Error", std::optional<int>(1)));
    EXPECT_FALSE(std::filesystem::exists(w.dir.path() / "Data/Quenzel.ini"));
}

TEST(Exit, ResetsTheProgramOnlyAfterASaveOrWhenItCannotRun) {
    using Calls = std::vector<std::string>;
    const Calls close{"EnableMainControls"}, reset{"ResetProgram", "EnableMainControls"};
    const struct {
        std::string name, state, actions; // state: set before the screen opens
        Calls calls;
        bool open = false;
    } rows[] = {
        {"nothing done", "", "exit", close},
        {"not configured", "NotConfigured", "exit", reset},
        {"link setup failed, saved nothing", "SetupFault", "save;exit", reset},
        {"saved a change", "", "processDelay=61;save;exit", reset},
        {"saved a change at Full", "", "processDelay=61;logLevel=Full;save;exit", reset},
        {"saved nothing", "", "save;exit", close},
        {"unsaved change", "", "processName2=b;exit", {}, true},
        {"unsaved list choice", "", "logLevel=Full;exit", {}, true},
        {"unsaved change, cancelled", "", "processName2=b;exit;exit", close},
        {"someone who may not save", "NotAdmin", "processName2=b;save;restore;exit", close},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.state == "NotConfigured" ? With(kMain, "Proc1=") : kMain);
        const std::string stored = w.File();
        w.p.rt.NotConfigured = r.state == "NotConfigured";
        w.p.rt.SetupFault = r.state == "SetupFault";
        w.world.system.admin = r.state != "NotAdmin";
        ConfigScreen& s = w.Open();
        Edit(s, r.actions);
        EXPECT_EQ(w.calls, r.calls) << r.name;
        EXPECT_EQ(std::pair(s.view.open, w.p.rt.DialogOpen), std::pair(r.open, r.open)) << r.name;
        if (r.open) {
            EXPECT_EQ(s.view.exit.caption + " " + s.view.status.text,
                      "&Cancel Click Cancel to exit without saving changes");
        }
        const bool written = w.File() != stored;
        EXPECT_EQ(written, r.name.starts_with("saved a change")) << r.name;
        EXPECT_EQ(w.p.set.processDelay, written ? 61 : 60) << r.name; // the saved settings took effect
        EXPECT_FALSE(written && w.p.rt.ConfigSaved) << r.name;
        const std::string log = w.dir.Read("Log/Quenzel.log");
        EXPECT_EQ(
            std::pair(log.find(" Config   , Updated   , Count:") != log.npos,
                      log.find("ProcDelay=61") != log.npos),
            std::pair(r.calls == reset && r.state != "NotConfigured", r.name == "saved a change at Full"))
            << r.name;
    }
}

} // namespace
} // namespace qz::test
