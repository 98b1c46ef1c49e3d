#include <gtest/gtest.h>

#include <filesystem>

#include "tests/config_screen/ScreenWorld.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace qz::test {
namespace {

struct Row {
    std::string edits;
    int count;
    const char* marked;
    IniFile file = MainFile();
};

TEST(ValidateFields, CountsAndMarksEveryCheckAtItsBounds) {
    const IniFile slave = SlaveFile(), withProc2 = MainFile().Set("Proc2", "b");
    const std::string a95(95, 'a'), d100(100, 'd'), p30(30, 'p');
    // Values of different checks share a row; the marks tell which of them failed.
    std::vector<Row> rows = {
        {"ComDelayT=5;DelTimeT=60;Port1T=1024;Port2T=1024", 0, ""},
        {"ProcDelayT=5;ShutTimeT=2;StartDelayT=1", 0, ""},
        {"ComDelayT=600;DelTimeT=10800;Port1T=65535;Port2T=65535", 0, ""},
        {"ProcDelayT=3600;ShutTimeT=600;StartDelayT=3600", 0, ""},
        {"IPAddT=1.1.1.1;LogNameT=abcd.log;LogPathT=LOG\\;Proc1T=" + p30, 0, ""},
        {"StartDelayT=07:30;DelTimeT=60abc", 0, ""},
        {"DNameT=1;IPAddT=10.0.0.1;LogNameT=ab.cd.log;LogPathT=Log\\" + a95 + "\\;StopTimeT=23:59", 0, ""},
        {"DNameT=1;IPAddT=" + d100 + ";LogNameT=abcde.l\xC3\xB6g;StartTimeT=1;StartDelayT=23:59", 0, ""},
        {"LogNameT=abcdefghijklmnop.log;Del_OnT=1;ProcDelayT=120;DelTimeT=121", 0, ""},
        {"ShutNameT=Monitor;DNameT=1;IPAddT=host.example", 0, ""},
        {"ShutNameT=Reboot;DNameT=1;ProcDelayT=120;DelTimeT=120", 0, ""},
        {"DNameT=1;IPAddT=host", 0, "", slave},
        {"ComDelayT=4.9;DelTimeT=59;Port1T=1023;Port2T=1023", 4, "ComDelayM Port1M Port2M DelTimeM"},
        {"ProcDelayT=4;ShutTimeT=1;StartDelayT=0", 3, "ProcDelayM ShutTimeM StartDelayM"},
        {"ComDelayT=600.5;DelTimeT=10801;Port1T=65536;Port2T=65536", 4, "ComDelayM Port1M Port2M DelTimeM"},
        {"ProcDelayT=3601;ShutTimeT=601;StartDelayT=3601", 3, "ProcDelayM ShutTimeM StartDelayM"},
        {"StartTimeT=1;StartDelayT=24:00", 1, "StartDelayM"},
        {"StopTimeT=25:00", 1, "StopTimeM"},
        {"IPAddT=192.168.0.5", 1, "IPAddM"},
        {"DNameT=1;IPAddT=10.1.1.1", 1, "IPAddM"},
        {"DNameT=1;IPAddT=d" + d100, 1, "IPAddM"},
        {"LogNameT=\xC3\xA4xy.log", 1, "LogNameM"},
        {"LogNameT=abcdefghijklmnopq.log", 1, "LogNameM"},
        {"LogNameT=abcdefgh.logs", 1, "LogNameM"},
        {"LogNameT=ab", 2, "LogNameM"},
        {"LogPathT=Log", 1, "LogPathM"},
        {"LogPathT=Nope\\", 1, "LogPathM"},
        {"LogPathT=L", 3, "LogPathM"},
        {"LogPathT=Log\\a" + a95 + "\\", 1, "LogPathM"},
        {"Proc1T=p" + p30, 1, "Proc1M"},
        {"Proc2T=p" + p30, 1, "Proc2M"},
        {"Proc3T=p" + p30, 1, "Proc3M", withProc2},
        {"Proc1T=", 2, "Proc1M", withProc2},
        {"Proc2T=b", 1, "Proc1M", slave},
        {"Proc3T=c", 1, "Proc2M"},
        {"ShutNameT=Monitor", 2, "IPAddM ShutTypeM"},
        {"ShutNameT=Monitor;DNameT=1", 2, "IPAddM ShutTypeM"},
        {"ShutNameT=Monitor;DNameT=1;IPAddT=10.1.1.1", 3, "IPAddM ShutTypeM"},
        {"ShutNameT=Monitor", 1, "ShutTypeM", slave},
        {"IPAddT=", 1, "IPAddM", slave},
        {"DNameT=1;IPAddT=", 1, "IPAddM", slave},
        {"Del_OnT=1;ProcDelayT=120;DelTimeT=120", 1, "DelTimeM"},
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

TEST(ValidateFields, ChangedCaptionsHoldUntilTheNextCheck) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    Edit(s, "Del_OnT=1;ProcDelayT=120;DelTimeT=120");
    s.ValidateFields();
    EXPECT_EQ(s.view.DelTimeM.text, "< Process Delay");
    Edit(s, "Restore");
    EXPECT_EQ(s.view.DelTimeM.text + MarkedHints(s.view), "sec (min 60, max 10800)");
    ScreenWorld slave(SlaveFile());
    ConfigScreen& t = slave.Open();
    Edit(t, "ShutNameT=Monitor");
    EXPECT_EQ(t.ValidateFields(), 1);
    EXPECT_EQ(t.view.ShutTypeM.text, "Invalid Option In Slave Mode");
    t.OnDomainNameTicked(false); // a new label keeps the marked look until the next check
    EXPECT_EQ(t.view.ShutTypeM.text + " " + MarkedHints(t.view), "Not Available In Slave Mode ShutTypeM");
}

TEST(ValidateFields, ShowsTheInvalidDataBoxOnlyWithItsOptionAndSwitchesTheFieldOn) {
    for (auto [file, mode, title] : {std::tuple{MainFile(), 2, "Quenzel Data Error"},
                                     {SlaveFile(), 2, "Quenzel Slave Data Error"},
                                     {MainFile(), 0, ""}}) {
        ScreenWorld w(file);
        w.p.rt.CmdLineMode = int16_t(mode);
        Edit(w.Open(), "StopTimeT=25:00");
        w.screen->ValidateFields();
        EXPECT_TRUE(w.screen->view.StopTimeT.enabled && !w.screen->view.StopTimeT.readOnly) << title;
        std::string boxes;
        for (const ShownMessage& m : w.world.host.messages)
            boxes += m.title + ": " + m.text +
                     (m.icon == MsgIcon::None && m.buttons == MsgButtons::Ok ? "" : " (other look)");
        EXPECT_EQ(boxes, *title ? title + std::string(": Invalid Data") : "");
    }
}

using Strings = std::vector<std::string>;
const Strings kReset{"ResetMonitor", "ShowStatus", "EnableMainControls"};

TEST(Save, WritesWhatTheReaderLoadsBackInEveryModeAndBox) {
    const std::string keep = "DName=2;IPAdd=host.example;Proc2= two;";
    const IniFile ticked =
        With(MainFile(), keep + "Port1=65535;Del_On=2;DelTime=120;Stop_On=2;StopTime=12359;"
                                "RunOnTop=2;StartMin=2;UserExit=2;LogLevel=3;StartTime=2;"
                                "StartDelay=10730;ShutType=6");
    const struct {
        IniFile stored;
        std::string actions;
        IniFile expected;
    } rows[] = {
        {MainFile(),
         "DNameT=1;IPAddT=host.example;Proc2T= two;Port1T=65535;Del_OnT=1;DelTimeT=120;Stop_OnT=1;"
         "StopTimeT=23:59;RunOnTopT=1;StartMinT=1;UExitT=1;LogLevelT=Full;StartTimeT=1;"
         "StartDelayT=07:30;ShutNameT=StandBy",
         ticked},
        {ticked,
         "DNameT=0;IPAddT=;Del_OnT=0;Stop_OnT=0;RunOnTopT=0;StartMinT=0;UExitT=0;ForceT=0;"
         "LogLevelT=None;StartTimeT=0;StartDelayT=2;ShutNameT=Hibernate",
         With(MainFile(), "Proc2= two;Port1=65535;DelTime=120;StopTime=12359;Force=1;LogLevel=1;ShutType=5")},
        {ticked, "Restore", With(MainFile(), keep)},
        {SlaveFile(), "ComDelayT=600;ShutNameT=Reboot", With(SlaveFile(), "ComDelay=600;ShutType=2")},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.stored);
        ConfigScreen& s = w.Open();
        Edit(s, r.actions + ";Save");
        EXPECT_EQ(s.view.Status.text, "Changes Saved - Click Exit To Activate The Changes") << r.actions;
        EXPECT_TRUE(w.p.rt.ConfigSaved && s.statusTimeoutEnabled) << r.actions;
        EXPECT_EQ(w.ReadBack(), ScreenWorld(r.expected).p.set) << r.actions;
    }
}

TEST(Save, NothingChangedOrRefusedFieldsWriteNothing) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    s.OnSave();
    EXPECT_EQ(s.view.Status.text, "No Changes To Save");
    ASSERT_TRUE(s.statusTimeoutEnabled);
    s.OnStatusTimeout();
    EXPECT_EQ(s.view.Status.text, "");
    Edit(s, "Port1T=80;ShutTimeT=0");
    s.OnSave();
    EXPECT_EQ(s.view.Status.text, "2 Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
    EXPECT_FALSE(s.statusTimeoutEnabled || w.p.rt.ConfigSaved);
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
}

#ifndef _WIN32
TEST(Save, AFailedWriteShowsItsBoxReloadsTheFieldsAndKeepsTheOldFile) {
    ScreenWorld w;
    ConfigScreen& s = w.Open();
    Edit(s, "Proc1T=changed;ShutNameT=Hibernate");
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
    EXPECT_EQ(std::tuple(m.icon, m.buttons, m.title, m.text),
              std::tuple(MsgIcon::Exclamation, MsgButtons::Ok,
                         std::string("Quenzel Configuration File Error"),
                         std::string("Unable to write to the configuration file. Quenzel.ini\r\n"
                                     "This may be a permissions problem.")));
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path() / "Data"), {}), 1);
    EXPECT_EQ(s.view.Proc1T.text + "," + s.view.ShutNameT.text + "," + s.view.ShutTypeM.text,
              "editor,Power Off,(Forces Applications To Close)");
    EXPECT_FALSE(w.p.rt.ConfigSaved || s.statusTimeoutEnabled);
}
#endif

TEST(Exit, ResetsAndLogsOnlyAfterASaveOrWhenTheProgramCannotRun) {
    const Strings close{"EnableMainControls"};
    const struct {
        std::string name, state, actions; // state: set before the screen opens
        Strings calls;
        bool open = false;
    } rows[] = {
        {"nothing done", "", "Exit", close},
        {"not configured", "NotConfigured", "Exit", kReset},
        {"link setup failed, saved nothing", "SetupFault", "Save;Exit", kReset},
        {"saved a change", "", "ProcDelayT=61;Save;Exit", kReset},
        {"saved a change at Full", "", "ProcDelayT=61;LogLevelT=Full;Save;Exit", kReset},
        {"saved nothing", "", "Save;Exit", close},
        {"unsaved change", "", "Proc2T=b;Exit", {}, true},
        {"unsaved list choice", "", "LogLevelT=Full;Exit", {}, true},
        {"unsaved change, cancelled", "", "Proc2T=b;Exit;Exit", close},
        {"someone who may not save", "NotAdmin", "Proc2T=b;Save;Restore;Exit", close},
    };
    for (const auto& r : rows) {
        ScreenWorld w(r.state == "NotConfigured" ? With(MainFile(), "Proc1=") : MainFile());
        const std::string stored = w.ConfigFile();
        w.p.rt.NotConfigured = r.state == "NotConfigured";
        w.p.rt.SetupFault = r.state == "SetupFault";
        w.world.system.admin = r.state != "NotAdmin";
        ConfigScreen& s = w.Open();
        Edit(s, r.actions);
        EXPECT_EQ(w.host.calls, r.calls) << r.name;
        EXPECT_EQ(std::pair(s.view.open, w.p.rt.DialogOpen), std::pair(r.open, r.open)) << r.name;
        if (r.open) {
            EXPECT_EQ(s.view.ExitConfig.caption + " " + s.view.Status.text,
                      "&Cancel Click Cancel to exit without saving changes");
        }
        const bool written = w.ConfigFile() != stored;
        EXPECT_EQ(written, r.name.starts_with("saved a change")) << r.name;
        EXPECT_EQ(w.p.set.processDelay, written ? 61 : 60) << r.name; // the saved settings took effect
        EXPECT_FALSE(written && w.p.rt.ConfigSaved) << r.name;
        const std::string log = w.dir.Read("Log/Quenzel.log");
        EXPECT_EQ(log.find(" Config   , Updated   , Count:") != std::string::npos,
                  r.calls == kReset && r.state != "NotConfigured")
            << r.name;
        EXPECT_EQ(log.find("ProcDelay=61") != std::string::npos, r.name == "saved a change at Full")
            << r.name;
    }
}

} // namespace
} // namespace qz::test
