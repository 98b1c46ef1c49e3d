#include <gtest/gtest.h>

#include "screens/AdminTest.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

TEST(StatusSentence, EveryFormOfIt) {
    struct Row {
        int16_t cMain, shutType, procDelay, comDelay;
        int16_t stopTime; // 0 = fixed-time shutdown off
        int16_t delTime;  // 0 = fixed delay off
        int16_t cmdLineMode;
        const char* sentence;
    };
    const Row rows[] = {
        {1, 1, 300, 60, 0, 0, 0, "Power Off if there is no activity for 300s"},
        {1, 3, 300, 60, 2230, 3600, 0,
         "Shutdown if there is no activity for 300s or at 22:30 or after 3600s"},
        {1, 4, 300, 60, 705, 60, 0, "Monitor until no activity for 300s or until 07:05 or for 60s"},
        {2, 2, 30, 60, 0, 0, 0, "Reboot if there are no communications for 60s"},
        {1, 3, 300, 60, 5, 0, 0, "Shutdown if there is no activity for 300s or at 00:05"},
        {1, 3, 300, 60, 0, 90, 0, "Shutdown if there is no activity for 300s or after 90s"},
        {1, 5, 0, 60, 0, 0, 0, "Hibernate if there is no activity for 0s"},
        {1, 6, -5, 60, 0, 0, 0, "Standby if there is no activity for 0s"},
        {2, 3, 300, 600, 0, 0, 0, "Shutdown if there are no communications for 600s"},
        {2, 3, 600, 300, 0, 0, 0, "Shutdown if there are no communications for 600s"},
        {1, 3, 300, 600, 0, 0, 0, "Shutdown if there is no activity for 300s"},
        {2, 4, 300, 600, 0, 0, 0, "Monitor until no activity for 600s"},
        {1, 1, 45, 60, 0, 0, 3, "Power Off if there is no activity for 600s"},
        {2, 1, 45, 90, 0, 0, 3, "Power Off if there are no communications for 60s"},
    };
    for (const Row& r : rows) {
        Monitor m;
        m.Start(IniFile().Set("IPAdd", "127.1.2.3"));
        Settings& s = m.p.set;
        s.CMain = r.cMain;
        s.ShutType = r.shutType;
        s.ProcDelay = r.procDelay;
        s.ComDelay = r.comDelay;
        s.Stop_On = r.stopTime ? 2 : 1;
        s.StopTime = r.stopTime;
        s.Del_On = r.delTime ? 2 : 1;
        s.DelTime = r.delTime;
        m.p.rt.CmdLineMode = r.cmdLineMode;
        m.main.ResetMonitor();
        m.main.ShowStatus();
        EXPECT_EQ(m.main.view.Title.text, r.sentence);
        EXPECT_EQ(m.main.view.Title.fore, kButtonText);
        EXPECT_FALSE(m.main.view.Title.bold);
    }
}

TEST(StatusSentence, FromTheConfigurationFile) {
    Monitor m;
    m.Start(IniFile()
                .Set("ProcDelay", 300)
                .Set("Stop_On", 2)
                .Set("StopTime", 12230)
                .Set("Del_On", 2)
                .Set("DelTime", 3600));
    EXPECT_EQ(m.main.view.Title.text, "Shutdown if there is no activity for 300s or at 22:30 or after 3600s");
    const MainView& v = m.main.view;
    EXPECT_EQ(v.Reset.tooltip, "Reset Quenzel");
    EXPECT_EQ(v.Exit.tooltip, "Close Quenzel");
    EXPECT_EQ(v.About.tooltip, "About Quenzel");
    EXPECT_EQ(v.Config.tooltip, "Configure Quenzel");
    EXPECT_EQ(v.TestS.tooltip, "Enables/Restarts Quenzel Test Mode");
    EXPECT_EQ(m.p.rt.LinkMessage, "<QZA100>");
}

TEST(ResetMonitor, StartOptionsShortenTheDelays) {
    struct Row {
        const char* option;
        int16_t procDelay, comDelay, shutTime;
    };
    for (const Row& r :
         {Row{"", 30, 40, 50}, Row{"-InhibitShutdown", 6, 6, 6}, Row{"-StartShutdown", 6, 6, 50},
          Row{"-AddErrorMessage", 30, 40, 50}, Row{"-InhibitAdmin", 30, 40, 50}}) {
        Monitor m;
        m.Start(IniFile().Set("ProcDelay", 30).Set("ComDelay", 40).Set("ShutTime", 50), r.option);
        EXPECT_EQ(m.p.set.ProcDelay, r.procDelay) << r.option;
        EXPECT_EQ(m.p.rt.ProcDelayWork, r.procDelay) << r.option;
        EXPECT_EQ(m.p.rt.ComDelayWork, r.comDelay) << r.option;
        EXPECT_EQ(m.p.set.ShutTime, r.shutTime) << r.option;
    }
}

TEST(ResetMonitor, PutsTheLookBackAndStopsTheTimer) {
    Monitor m;
    m.Start(IniFile().Set("CMain", 2).Set("IPAdd", "127.1.2.3"));
    m.main.ShowLinkError("Connection Error");
    MainView& v = m.main.view;
    v.Title.bold = true;
    v.Title.fore = kOrange;
    v.TestS.enabled = false;
    m.p.rt.TestMode = true;
    m.main.ResetMonitor();
    EXPECT_FALSE(m.p.rt.TimerEnabled);
    EXPECT_FALSE(m.p.rt.TestMode);
    EXPECT_EQ(v.Counter.fore, kBlue);
    EXPECT_EQ(v.Counter.back, kButtonFace);
    EXPECT_FALSE(v.Counter.bold);
    EXPECT_EQ(v.Title.fore, kButtonText);
    EXPECT_FALSE(v.Title.bold);
    EXPECT_TRUE(v.TestS.enabled);
    EXPECT_EQ(v.CPULoad.text, "");
    EXPECT_EQ(m.p.rt.ProcMarks, "-- -- -- ");
    EXPECT_EQ(m.p.rt.LinkMark, "-");
    m.main.ShowStatus();
    EXPECT_TRUE(m.p.rt.TimerEnabled);
}

TEST(ResetMonitor, RunOnTopOffTakesTheTopPlaceAway) {
    for (int runOnTop : {1, 2}) {
        Monitor m;
        m.Start(IniFile().Set("RunOnTop", runOnTop));
        m.main.view.topMost = true;
        m.main.ShowStatus();
        EXPECT_EQ(m.main.view.topMost, runOnTop == 2);
    }
}

TEST(ExitPermission, AdministratorsUserExitAndInhibitAdmin) {
    struct Row {
        bool admin;
        int userExit;
        const char* option;
        bool administrator, allowed;
    };
    const Row rows[] = {
        {true, 2, "", true, true},
        {false, 2, "", false, false},
        {false, 1, "", false, true},
        {true, 2, "-InhibitAdmin", false, false},
        {true, 1, "-InhibitAdmin", false, true},
        {true, 2, "-InhibitShutdown", true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.option) + (r.admin ? " admin" : " user") + " UserExit " +
                     std::to_string(r.userExit));
        Monitor m;
        m.world.system.admin = r.admin;
        m.Start(IniFile().Set("UserExit", r.userExit), r.option);
        EXPECT_EQ(IsAdministrator(m.p), r.administrator);
        EXPECT_EQ(ExitPermitted(m.p), r.allowed);
        for (int resets = 0; resets < 3; ++resets) {
            EXPECT_EQ(m.main.view.Exit.enabled, r.allowed);
            EXPECT_EQ(m.main.view.closeAllowed, r.allowed);
            EXPECT_EQ(m.main.view.mPopUpExit.enabled, r.allowed);
            m.main.view.mPopUpExit.enabled = !r.allowed;
            m.main.Form_Activate();
            EXPECT_EQ(m.main.view.mPopUpExit.enabled, r.allowed);
            m.main.Reset_Click();
        }
    }
}

} // namespace
} // namespace qz::test
