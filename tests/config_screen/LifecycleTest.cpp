#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/config_screen/ScreenWorld.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace qz::test {
namespace {

using Strings = std::vector<std::string>;

void MakeSlave(ScreenWorld& w) {
    w.p.set = SlaveSettings();
    w.p.rt.AppTitle = "Quenzel Slave";
}

TEST(FormLoad, CaptionPortsAndButtons) {
    struct Row {
        const char* name;
        std::function<void(ScreenWorld&)> prepare;
        const char* caption;
        const char* port1;
        const char* port2;
        bool saveRestore;
        bool logButtons;
    };
    const Row rows[] = {
        {"main", {}, "Quenzel Configuration", "TX Port:", "Rx Port:", true, true},
        {"slave", MakeSlave, "Quenzel Slave Configuration", "Rx Port", "Tx Port", true, true},
        {"log level None", [](ScreenWorld& w) { w.p.set.LogLevel = 1; }, "Quenzel Configuration",
         "TX Port:", "Rx Port:", true, false},
        {"not an administrator", [](ScreenWorld& w) { w.world.system.admin = false; },
         "Quenzel Configuration", "TX Port:", "Rx Port:", false, false},
        {"-InhibitAdmin", [](ScreenWorld& w) { w.p.rt.CmdLineMode = 4; }, "Quenzel Configuration",
         "TX Port:", "Rx Port:", false, false},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.prepare) r.prepare(w);
        frmConfig& s = w.Open();
        EXPECT_TRUE(s.view.open) << r.name;
        EXPECT_TRUE(w.p.rt.DialogOpen) << r.name;
        EXPECT_FALSE(s.loading) << r.name;
        EXPECT_EQ(s.view.caption, r.caption) << r.name;
        EXPECT_EQ(s.view.Port1L.text, r.port1) << r.name;
        EXPECT_EQ(s.view.Port2L.text, r.port2) << r.name;
        EXPECT_EQ(s.view.Save.enabled, r.saveRestore) << r.name;
        EXPECT_EQ(s.view.Restore.enabled, r.saveRestore) << r.name;
        EXPECT_EQ(s.view.Archive.enabled, r.logButtons) << r.name;
        EXPECT_EQ(s.view.ViewL.enabled, r.logButtons) << r.name;
        EXPECT_TRUE(s.view.ExitConfig.enabled) << r.name;
        EXPECT_EQ(s.view.Status.text, "") << r.name;
    }
}

TEST(FormLoad, FillsEveryField) {
    ScreenWorld w;
    Settings& set = w.p.set;
    set.ComDelay = 45;
    set.DName = 2;
    set.IPAdd = "host.example";
    set.Port1 = 2001;
    set.Port2 = 2002;
    set.Del_On = 2;
    set.DelTime = 7200;
    set.LogLevel = 3;
    set.LogName = "Other.log";
    set.Proc1 = " lead";
    set.Proc2 = "two";
    set.Proc3 = "three";
    set.ProcDelay = 300;
    set.RunOnTop = 2;
    set.StartDelay = 5;
    set.StartMin = 2;
    set.StopTime = 2359;
    set.Stop_On = 2;
    set.Force = 1;
    set.ShutTime = 30;
    set.ShutType = 6;
    set.UserExit = 2;
    frmConfig& s = w.Open();
    const ConfigView& v = s.view;
    EXPECT_EQ(v.ComDelayT.text, "45");
    EXPECT_EQ(v.IPAddT.text, "host.example");
    EXPECT_EQ(v.Port1T.text, "2001");
    EXPECT_EQ(v.Port2T.text, "2002");
    EXPECT_EQ(v.DelTimeT.text, "7200");
    EXPECT_EQ(v.LogLevelT.text, "Full");
    EXPECT_EQ(v.LogNameT.text, "Other.log");
    EXPECT_EQ(v.LogPathT.text, "Log\\");
    EXPECT_EQ(v.Proc1T.text, " lead");
    EXPECT_EQ(v.Proc2T.text, "two");
    EXPECT_EQ(v.Proc3T.text, "three");
    EXPECT_EQ(v.ProcDelayT.text, "300");
    EXPECT_EQ(v.StartDelayT.text, "5");
    EXPECT_EQ(v.StopTimeT.text, "23:59");
    EXPECT_EQ(v.ShutTimeT.text, "30");
    EXPECT_EQ(v.ShutNameT.text, "StandBy");
    for (const CheckBoxView* box :
         {&v.DNameT, &v.Del_OnT, &v.RunOnTopT, &v.StartMinT, &v.Stop_OnT, &v.UExitT}) {
        EXPECT_TRUE(box->checked);
    }
    EXPECT_FALSE(v.ForceT.checked);
    EXPECT_FALSE(v.StartTimeT.checked);
    EXPECT_EQ(s.workingLogLevel, 3);
    EXPECT_EQ(s.workingShutType, 6);
    EXPECT_EQ(v.ShutTypeM.text, "");
}

TEST(FormLoad, ReportsStoredValuesTheScreenRefuses) {
    struct Row {
        const char* name;
        std::function<void(Settings&)> change;
        bool savedBefore;
        const char* status;
        bool savedAfter;
    };
    const Row rows[] = {
        {"valid", {}, true, "", false},
        {"two wrong values",
         [](Settings& s) {
             s.Port1 = 80;
             s.ProcDelay = 4;
         },
         true, "2 Item(s) Highlighted Contain Out Of Range Values", true},
        {"missing log folder", [](Settings& s) { s.LogPath = "Gone\\"; }, false,
         "1 Item(s) Highlighted Contain Out Of Range Values", false},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.change) r.change(w.p.set);
        w.p.rt.ConfigSaved = r.savedBefore;
        frmConfig& s = w.Open();
        EXPECT_EQ(s.view.Status.text, r.status) << r.name;
        EXPECT_EQ(w.p.rt.ConfigSaved, r.savedAfter) << r.name;
    }
}

struct SaveRow {
    const char* name;
    std::function<void(frmConfig&)> edit;
    std::function<void(Settings&)> expect;
};

TEST(Save, WritesWhatTheReaderLoadsBack) {
    std::vector<SaveRow> rows;
    const char* const types[] = {"Power Off", "Reboot", "Shutdown", "Monitor", "Hibernate", "StandBy"};
    for (int16_t code = 1; code <= 6; ++code) {
        rows.push_back({types[code - 1],
                        [code, &types](frmConfig& s) {
                            s.view.IPAddT.text = "1.1.1.1";
                            s.ShutNameT_Click(types[code - 1]);
                        },
                        [code](Settings& set) {
                            set.IPAdd = "1.1.1.1";
                            set.ShutType = code;
                        }});
    }
    rows.push_back({"every box ticked",
                    [](frmConfig& s) {
                        s.DNameT_Click(true);
                        s.view.IPAddT.text = "host.example";
                        s.Del_OnT_Click(true);
                        s.view.DelTimeT.text = "120";
                        s.Stop_OnT_Click(true);
                        s.view.StopTimeT.text = "23:59";
                        s.RunOnTopT_Click(true);
                        s.view.StartMinT.checked = true;
                        s.view.UExitT.checked = true;
                        s.LogLevelT_Click("Full");
                    },
                    [](Settings& set) {
                        set.DName = 2;
                        set.IPAdd = "host.example";
                        set.Del_On = 2;
                        set.DelTime = 120;
                        set.Stop_On = 2;
                        set.StopTime = 2359;
                        set.RunOnTop = 2;
                        set.StartMin = 2;
                        set.UserExit = 2;
                        set.LogLevel = 3;
                    }});
    rows.push_back({"every box clear",
                    [](frmConfig& s) {
                        s.ForceT_Click(false);
                        s.LogLevelT_Click("None");
                    },
                    [](Settings& set) {
                        set.Force = 1;
                        set.LogLevel = 1;
                    }});
    rows.push_back({"activation at 07:30",
                    [](frmConfig& s) {
                        s.StartTimeT_Click(true);
                        s.view.StartDelayT.text = "07:30";
                    },
                    [](Settings& set) {
                        set.StartTime = 2;
                        set.StartDelay = 730;
                    }});
    rows.push_back({"activation at 00:00",
                    [](frmConfig& s) {
                        s.StartTimeT_Click(true);
                        s.view.StartDelayT.text = "00:00";
                    },
                    [](Settings& set) {
                        set.StartTime = 2;
                        set.StartDelay = 0;
                    }});
    rows.push_back({"numbers and names",
                    [](frmConfig& s) {
                        s.view.StartDelayT.text = "3600";
                        s.view.ProcDelayT.text = "5";
                        s.view.ShutTimeT.text = "600";
                        s.view.Port1T.text = "65535";
                        s.view.Port2T.text = "1024";
                        s.view.Proc1T.text = " leading blank";
                        s.view.Proc2T.text = "second";
                        s.view.Proc3T.text = "third";
                        s.view.LogNameT.text = "Other.txt";
                    },
                    [](Settings& set) {
                        set.StartDelay = 3600;
                        set.ProcDelay = 5;
                        set.ShutTime = 600;
                        set.Port1 = 65535;
                        set.Port2 = 1024;
                        set.Proc1 = " leading blank";
                        set.Proc2 = "second";
                        set.Proc3 = "third";
                        set.LogName = "Other.txt";
                    }});
    for (const SaveRow& r : rows) {
        ScreenWorld w;
        frmConfig& s = w.Open();
        r.edit(s);
        s.Save_Click();
        EXPECT_EQ(s.view.Status.text, "Changes Saved - Click Exit To Activate The Changes") << r.name;
        EXPECT_TRUE(w.p.rt.ConfigSaved) << r.name;
        EXPECT_TRUE(s.timer2Enabled) << r.name;
        EXPECT_EQ(s.referenceSnapshot, s.FieldSnapshot()) << r.name;
        Settings expected = MainSettings();
        r.expect(expected);
        EXPECT_TRUE(w.ReadBack() == expected) << r.name;
    }
}

TEST(Save, SlaveFileKeepsItsMode) {
    ScreenWorld w;
    MakeSlave(w);
    frmConfig& s = w.Open();
    s.view.ComDelayT.text = "600";
    s.Save_Click();
    Settings expected = SlaveSettings();
    expected.ComDelay = 600;
    EXPECT_TRUE(w.ReadBack() == expected);
}

TEST(Save, NothingChangedWritesNothingAndTheStatusGoesAfterTwoSeconds) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.Save_Click();
    EXPECT_EQ(s.view.Status.text, "No Changes To Save");
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_FALSE(w.p.rt.ConfigSaved);
    ASSERT_TRUE(s.timer2Enabled);
    s.Timer2_Timer();
    EXPECT_EQ(s.view.Status.text, "");
    EXPECT_FALSE(s.timer2Enabled);
}

TEST(Save, RefusedFieldsKeepTheFileAndTheStatus) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.view.Port1T.text = "80";
    s.view.ShutTimeT.text = "0";
    s.Save_Click();
    EXPECT_EQ(s.view.Status.text, "2 Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_FALSE(s.timer2Enabled);
    EXPECT_FALSE(w.p.rt.ConfigSaved);
}

TEST(Save, ChangedTrayBoxDropsTheHandChosenWindowState) {
    for (bool tick : {false, true}) {
        ScreenWorld w;
        w.p.rt.WindowOverride = true;
        frmConfig& s = w.Open();
        s.view.StartMinT.checked = tick;
        s.Save_Click();
        EXPECT_EQ(w.p.rt.WindowOverride, !tick);
    }
}

// Makes the next save of the configuration file fail, as a full disk or a locked file would.
class WriteFailure {
  public:
#ifdef _WIN32
    // Windows refuses to replace a file that another handle holds open without sharing its deletion.
    explicit WriteFailure(const std::filesystem::path& file) : holder_(file) {}

  private:
    std::ifstream holder_;
#else
    // Even for the superuser, every file write beyond a few bytes fails.
    explicit WriteFailure(const std::filesystem::path&) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~WriteFailure() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
#endif

  public:
    WriteFailure(const WriteFailure&) = delete;
    WriteFailure& operator=(const WriteFailure&) = delete;
};

TEST(Save, FailedWriteShowsItsBoxReloadsTheFieldsAndKeepsTheOldFile) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.view.Proc1T.text = "changed";
    s.ShutNameT_Click("Hibernate");
    {
        WriteFailure failure(w.dir.path() / "Data" / "Quenzel.ini");
        s.Save_Click();
    }
    ASSERT_EQ(w.world.host.messages.size(), 1u);
    const ShownMessage& m = w.world.host.messages.front();
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.title, "Quenzel Configuration File Error");
    EXPECT_EQ(m.text,
              "Unable to write to the configuration file. Quenzel.ini\r\nThis may be a permissions problem.");
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path() / "Data"), {}), 1);
    EXPECT_EQ(s.view.Proc1T.text, "editor");
    EXPECT_EQ(s.view.ShutNameT.text, "Power Off");
    EXPECT_TRUE(s.view.ForceT.enabled);
    EXPECT_EQ(s.view.ShutTypeM.text, "(Forces Applications To Close)");
    EXPECT_EQ(s.referenceSnapshot, s.FieldSnapshot());
    EXPECT_FALSE(w.p.rt.ConfigSaved);
    EXPECT_FALSE(s.timer2Enabled);
}

TEST(Save, MissingConfigurationFileEndsTheProgram) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.view.ProcDelayT.text = "61";
    std::filesystem::remove(w.dir.path() / "Data" / "Quenzel.ini");
    EXPECT_THROW(s.Save_Click(), ProgramEnded);
    EXPECT_EQ(w.world.host.endedWith, 1);
}

TEST(Restore, PutsTheDefaultsIntoTheFieldsOnly) {
    ScreenWorld w;
    Settings& set = w.p.set;
    set.ComDelay = 100;
    set.DName = 2;
    set.IPAdd = "host.example";
    set.Del_On = 2;
    set.DelTime = 500;
    set.LogLevel = 3;
    set.LogName = "Other.log";
    set.Proc2 = "second";
    set.Port1 = 3000;
    set.Port2 = 3001;
    set.ProcDelay = 100;
    set.RunOnTop = 2;
    set.ShutTime = 30;
    set.StartMin = 2;
    set.ShutType = 5;
    set.StartDelay = 730;
    set.StartTime = 2;
    set.StopTime = 1200;
    set.Stop_On = 2;
    set.Force = 1;
    set.UserExit = 2;
    const Settings before = set;
    frmConfig& s = w.Open();
    s.view.ShutTimeT.text = "1";
    s.ValidateFields();
    s.Restore_Click();

    const ConfigView& v = s.view;
    EXPECT_EQ(v.Status.text, "Defaults Restored - Click Save To Keep");
    EXPECT_TRUE(s.timer2Enabled);
    EXPECT_EQ(MarkedHints(v), Strings{});
    EXPECT_TRUE(v.ForceT.enabled);
    EXPECT_EQ(v.ShutTypeM.text, "(Forces Applications To Close)");
    EXPECT_EQ(v.StartDelayL.text, "Activate After:");
    EXPECT_FALSE(v.DelTimeT.enabled);
    EXPECT_TRUE(set == before);
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);

    s.Save_Click();
    Settings expected = MainSettings();
    expected.DName = 2;
    expected.IPAdd = "host.example";
    expected.Proc2 = "second";
    EXPECT_TRUE(w.ReadBack() == expected);
}

TEST(Exit, ResetsOnlyAfterASaveOrWhenTheProgramCannotRun) {
    struct Row {
        const char* name;
        std::function<void(ScreenWorld&)> prepare;
        std::function<void(frmConfig&)> act;
        Strings calls;
    };
    const Strings reset{"ResetMonitor", "ShowStatus", "EnableMainControls"};
    const Strings close{"EnableMainControls"};
    const Row rows[] = {
        {"nothing done", {}, {}, close},
        {"saved before, valid fields", [](ScreenWorld& w) { w.p.rt.ConfigSaved = true; }, {}, close},
        {"not configured", [](ScreenWorld& w) { w.p.rt.NotConfigured = true; }, {}, reset},
        {"link setup failed", [](ScreenWorld& w) { w.p.rt.SetupFault = true; }, {}, reset},
        {"saved a change",
         {},
         [](frmConfig& s) {
             s.view.ProcDelayT.text = "61";
             s.Save_Click();
         },
         reset},
        {"saved nothing", {}, [](frmConfig& s) { s.Save_Click(); }, close},
        {"link setup failed, saved nothing", [](ScreenWorld& w) { w.p.rt.SetupFault = true; },
         [](frmConfig& s) { s.Save_Click(); }, reset},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.prepare) r.prepare(w);
        frmConfig& s = w.Open();
        if (r.act) r.act(s);
        s.ExitConfig_Click();
        EXPECT_EQ(w.host.calls, r.calls) << r.name;
        EXPECT_FALSE(s.view.open) << r.name;
        EXPECT_FALSE(w.p.rt.DialogOpen) << r.name;
        EXPECT_FALSE(s.timer1Enabled) << r.name;
    }
}

TEST(Exit, LinkFaultIsShownAtLoadAndOutlivesASave) {
    ScreenWorld w;
    MakeSlave(w);
    w.p.rt.SetupFault = true;
    frmConfig& s = w.Open();
    EXPECT_EQ(s.view.Status.text, "1 Item(s) Highlighted Contain Out Of Range Values");
    EXPECT_EQ(MarkedHints(s.view), Strings{"Port1M"});
    s.Save_Click();
    EXPECT_EQ(s.view.Status.text, "No Changes To Save");
    EXPECT_EQ(MarkedHints(s.view), Strings{});
    EXPECT_TRUE(w.p.rt.SetupFault);
    s.ExitConfig_Click();
    EXPECT_EQ(w.host.calls, (Strings{"ResetMonitor", "ShowStatus", "EnableMainControls"}));
}

// The lines of the log that hold both words.
Strings LogLinesWith(const ScreenWorld& w, const std::string& a, const std::string& b) {
    Strings found;
    if (!std::filesystem::exists(w.dir.path() / "Log" / "Quenzel.log")) return found;
    for (const std::string& line : SplitLines(w.dir.Read("Log/Quenzel.log"))) {
        if (line.find(a) != std::string::npos && line.find(b) != std::string::npos) found.push_back(line);
    }
    return found;
}

TEST(Exit, AfterASaveTheNewSettingsTakeEffectAndAreLogged) {
    struct Row {
        const char* level;
        int16_t code;
        size_t configBlocks;
    };
    for (const Row& r : {Row{"Normal", 2, 0}, Row{"Full", 3, 1}}) {
        ScreenWorld w;
        frmConfig& s = w.Open();
        s.view.ProcDelayT.text = "61";
        s.LogLevelT_Click(r.level);
        s.Save_Click();
        s.ExitConfig_Click();
        Settings expected = MainSettings();
        expected.ProcDelay = 61;
        expected.LogLevel = r.code;
        EXPECT_TRUE(w.p.set == expected) << r.level;
        EXPECT_FALSE(w.p.rt.ConfigSaved) << r.level;
        EXPECT_FALSE(w.p.rt.DialogOpen) << r.level;
        EXPECT_EQ(LogLinesWith(w, "Config", "Updated").size(), 1u) << r.level;
        EXPECT_EQ(LogLinesWith(w, "ProcDelay=61", "").size(), r.configBlocks) << r.level;
    }
}

TEST(Exit, ResetOfAnIncompleteConfigurationLogsNoUpdate) {
    ScreenWorld w;
    std::string file = kMainConfigFile;
    file.replace(file.find("Proc1=editor"), 12, "Proc1=");
    w.dir.Write("Data/Quenzel.ini", file);
    w.p.set.Proc1.clear();
    w.p.rt.NotConfigured = true;
    frmConfig& s = w.Open();
    s.ExitConfig_Click();
    EXPECT_TRUE(w.p.rt.NotConfigured);
    EXPECT_EQ(w.host.calls, (Strings{"ResetMonitor", "ShowStatus", "EnableMainControls"}));
    EXPECT_TRUE(std::filesystem::exists(w.dir.path() / "Log" / "Quenzel.log"));
    EXPECT_EQ(LogLinesWith(w, "Config", "Updated"), Strings{});
}

TEST(Exit, UnsavedChangesAskForASecondPress) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.view.Proc2T.text = "second";
    s.ExitConfig_Click();
    EXPECT_TRUE(s.view.open);
    EXPECT_EQ(s.view.ExitConfig.caption, "&Cancel");
    EXPECT_EQ(s.view.Status.text, "Click Cancel to exit without saving changes");
    EXPECT_EQ(w.host.calls, Strings{});
    s.ExitConfig_Click();
    EXPECT_FALSE(s.view.open);
    EXPECT_EQ(w.host.calls, Strings{"EnableMainControls"});
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_FALSE(w.p.rt.ConfigSaved);
}

TEST(Exit, UnsavedListChoicesCount) {
    for (const char* level : {"Full", "None"}) {
        ScreenWorld w;
        frmConfig& s = w.Open();
        s.LogLevelT_Click(level);
        s.ExitConfig_Click();
        EXPECT_TRUE(s.view.open) << level;
        EXPECT_EQ(s.view.ExitConfig.caption, "&Cancel") << level;
    }
    // Every other field already holds its default, so Restore changes only the list.
    ScreenWorld w;
    w.p.set.ShutType = 5;
    frmConfig& s = w.Open();
    s.Restore_Click();
    s.ExitConfig_Click();
    EXPECT_TRUE(s.view.open);
    EXPECT_EQ(s.view.ExitConfig.caption, "&Cancel");
}

TEST(Exit, SomeoneWhoMayNotSaveLeavesWithOnePress) {
    ScreenWorld w;
    w.world.system.admin = false;
    frmConfig& s = w.Open();
    s.view.Proc1T.text = "other";
    s.Save_Click();
    s.Restore_Click();
    EXPECT_EQ(s.view.Status.text, "");
    EXPECT_EQ(s.view.ComDelayT.text, "60");
    EXPECT_EQ(s.view.Port1T.text, "10001");
    s.view.Port1T.text = "2000";
    s.ExitConfig_Click();
    EXPECT_FALSE(s.view.open);
    EXPECT_EQ(w.host.calls, Strings{"EnableMainControls"});
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
}

TEST(Exit, AutoCloseAfterASaveLeavesTheSettingsForTheNextLoad) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    s.view.ProcDelayT.text = "61";
    s.Save_Click();
    s.Form_Unload();
    EXPECT_EQ(w.host.calls, Strings{"EnableMainControls"});
    EXPECT_TRUE(w.p.rt.ConfigSaved);
    s.Form_Unload();
    EXPECT_EQ(w.host.calls.size(), 1u);

    w.host.calls.clear();
    frmConfig& again = w.Open();
    EXPECT_FALSE(w.p.rt.ConfigSaved);
    again.ExitConfig_Click();
    EXPECT_EQ(w.host.calls, Strings{"EnableMainControls"});
}

TEST(Timers, CloseCountdown) {
    struct Row {
        int16_t mode;
        int ticks;
        const char* message;
        int16_t left;
    };
    for (const Row& r : {Row{0, 0, "", 600}, Row{0, 510, "", 90},
                         Row{0, 511, "The Configuration Screen will close in 90 sec", 89},
                         Row{0, 600, "The Configuration Screen will close in 1 sec", 0},
                         Row{1, 1, "The Configuration Screen will close in 4 sec", 3},
                         Row{1, 4, "The Configuration Screen will close in 1 sec", 0}}) {
        ScreenWorld w;
        w.p.rt.CmdLineMode = r.mode;
        frmConfig& s = w.Open();
        for (int i = 0; i < r.ticks; ++i)
            s.Timer1_Timer();
        EXPECT_EQ(s.view.TMessage.text, r.message) << r.mode << " " << r.ticks;
        EXPECT_EQ(w.p.rt.ConfigCloseCount, r.left) << r.mode << " " << r.ticks;
    }
}

TEST(LogButtons, ArchiveAndViewReachTheLog) {
    ScreenWorld w;
    std::string log;
    for (int i = 0; i < 9; ++i)
        log += "line\n";
    w.dir.Write("Log/Quenzel.log", log);
    frmConfig& s = w.Open();

    s.timer1Enabled = false;
    s.Archive_Click(); // the question is answered Cancel
    EXPECT_EQ(s.view.Status.text, "");
    EXPECT_FALSE(s.timer1Enabled);

    w.world.host.answers.push_back(Answer::Yes);
    s.Archive_Click();
    EXPECT_EQ(s.view.Status.text, "Log File Archived");
    EXPECT_TRUE(s.timer1Enabled);
    EXPECT_TRUE(std::filesystem::exists(w.dir.path() / "Log" / "Quenzel_261205_1.log"));

    s.ViewL_Click();
    ASSERT_EQ(w.world.system.viewed.size(), 1u);
    EXPECT_EQ(std::filesystem::path(w.world.system.viewed[0]).filename(), "Quenzel.log");

    s.LogLevelT_Click("None");
    const size_t boxes = w.world.host.messages.size();
    s.Archive_Click();
    s.ViewL_Click();
    EXPECT_EQ(w.world.host.messages.size(), boxes);
    EXPECT_EQ(w.world.system.viewed.size(), 1u);
}

} // namespace
} // namespace qz::test
