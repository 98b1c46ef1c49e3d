#include <gtest/gtest.h>

#include "tests/app/Harness.h"

namespace qz::test {
namespace {

constexpr int kDoubleClick = 515;
constexpr int kRightClick = 516;

void RunIntoCountdown(Monitor& m) {
    for (int second = 0; second < 30 && m.p.rt.MonState != 2; ++second)
        m.Seconds(1);
    ASSERT_EQ(m.p.rt.MonState, 2);
}

TEST(Window, MinimiseGoesToTheTrayAndDoubleClickBringsItBackCentred) {
    Monitor m;
    m.Start(IniFile());
    const MainView& v = m.main.view;
    EXPECT_FALSE(v.mPopUpRestore.visible);
    m.main.mPopUpMin_Click();
    EXPECT_EQ(v.state, WindowState::Minimised);
    EXPECT_TRUE(v.hidden);
    EXPECT_TRUE(v.mPopUpRestore.visible);
    EXPECT_FALSE(v.mPopUpMin.visible);
    EXPECT_EQ(v.trayKey, "Start");
    EXPECT_TRUE(m.p.rt.WindowOverride); // minimised against StartMin = 1
    m.main.Form_MouseMove(0, 0, kDoubleClick, 0);
    EXPECT_EQ(v.state, WindowState::Normal);
    EXPECT_FALSE(v.hidden);
    EXPECT_EQ(v.centreRequests, 1);
    EXPECT_FALSE(v.mPopUpRestore.visible);
    EXPECT_TRUE(v.mPopUpMin.visible);
    EXPECT_FALSE(m.p.rt.WindowOverride);
}

TEST(Window, StartMinimisedHidesTheWindowAtLoad) {
    Monitor m;
    m.Start(IniFile().Set("StartMin", 2));
    EXPECT_EQ(m.main.view.state, WindowState::Minimised);
    EXPECT_TRUE(m.main.view.hidden);
    EXPECT_EQ(m.main.view.trayKey, "Start");
    EXPECT_FALSE(m.p.rt.WindowOverride);
}

TEST(Window, UnconfiguredProgramStaysInView) {
    Monitor m;
    m.Start(IniFile().Set("StartMin", 2).Set("Proc1", ""));
    EXPECT_EQ(m.main.view.state, WindowState::Normal);
    EXPECT_FALSE(m.main.view.hidden);
}

TEST(Window, WithoutATrayMinimisingDoesNotHide) {
    Monitor m;
    m.main.view.trayAvailable = false;
    m.Start(IniFile().Set("StartMin", 2));
    EXPECT_EQ(m.main.view.state, WindowState::Minimised);
    EXPECT_FALSE(m.main.view.hidden);
    m.main.Form_Activate();
    EXPECT_FALSE(m.main.view.hidden);
}

TEST(Window, StartStateAfterACancelledCountdownFollowsTheOverride) {
    enum Action { None, Restore, RestoreThenMinimise, Minimise };
    struct Row {
        int startMin;
        Action action;
        const char* option;
        bool minimisedAfterCancel;
    };
    const Row rows[] = {
        {2, None, "", true},
        {2, Restore, "", false},
        {2, RestoreThenMinimise, "", true},
        {1, None, "", false},
        {1, Minimise, "", true},
        {1, Minimise, "-InhibitShutdown", false},
        {2, None, "-InhibitShutdown", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("StartMin " + std::to_string(r.startMin) + " action " + std::to_string(r.action) + " " +
                     r.option);
        Monitor m;
        m.Start(IniFile().Set("StartMin", r.startMin).Set("StartDelay", 1), r.option);
        if (r.action == Restore || r.action == RestoreThenMinimise)
            m.main.Form_MouseMove(0, 0, kDoubleClick, 0);
        if (r.action == RestoreThenMinimise || r.action == Minimise) m.main.mPopUpMin_Click();
        const bool overrideBefore = m.p.rt.WindowOverride;
        RunIntoCountdown(m);
        // The countdown shows the window whatever the user chose, without counting it as a choice.
        EXPECT_EQ(m.main.view.state, WindowState::Normal);
        EXPECT_FALSE(m.main.view.hidden);
        EXPECT_TRUE(m.main.view.topMost);
        EXPECT_EQ(m.p.rt.WindowOverride, overrideBefore);
        m.main.mPopUpCancel_Click();
        EXPECT_EQ(m.main.view.state == WindowState::Minimised, r.minimisedAfterCancel);
        EXPECT_EQ(m.main.view.hidden, r.minimisedAfterCancel);
    }
}

TEST(Window, ActivationKeepsOnTopStateAndHidesAMinimisedWindow) {
    for (int runOnTop : {1, 2}) {
        Monitor m;
        m.Start(IniFile().Set("RunOnTop", runOnTop));
        m.main.Form_Activate();
        EXPECT_EQ(m.main.view.topMost, runOnTop == 2);
        m.main.BringToFront();
        EXPECT_EQ(m.main.view.topMost, runOnTop == 2);
        m.main.view.state = WindowState::Minimised;
        m.main.Form_Activate();
        EXPECT_TRUE(m.main.view.hidden);
    }
}

TEST(TrayMenu, RightClickBringsTheWindowForwardUnlessTheUserMovedIt) {
    struct Row {
        bool minimiseFirst; // with StartMin = 1 this sets the override
        int x;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {false, kRightClick, {"SetForeground", "ShowPopupMenu"}},
        {true, kRightClick, {"ShowPopupMenu"}},
        {false, 512, {}},
        {false, 514, {}},
    };
    for (const Row& r : rows) {
        Monitor m;
        m.Start(IniFile());
        if (r.minimiseFirst) m.main.mPopUpMin_Click();
        m.main.Form_MouseMove(0, 0, r.x, 0);
        EXPECT_EQ(m.window.calls, r.calls) << r.x;
    }
}

TEST(TrayMenu, ItemsAndPicturesRunTheirHandlers) {
    Monitor m;
    m.Start(IniFile().Set("StartDelay", 5));
    m.Seconds(2);
    m.main.mPopUpReset_Click();
    EXPECT_EQ(m.Events().back(), "Start/Initialise");
    EXPECT_EQ(m.EventsSince(1).front(), "Reset/Initialise");
    m.main.mPopUpTest_Click();
    EXPECT_TRUE(m.p.rt.TestMode);
    m.main.mPopUpUpdate_Click();
    m.main.Logo_Click();
    m.main.mPopUpAbout_Click();
    EXPECT_TRUE(m.window.aboutOpen);
    m.window.UnloadAbout();
    m.main.mPopUpConfig_Click();
    EXPECT_TRUE(m.window.configOpen);
    EXPECT_EQ(m.window.pages,
              (std::vector<std::string>{"software/misc/update.htm?ID=15&Ver=1.6", "index.htm"}));
}

TEST(Controls, OpenScreenDisablesTheMainControlsUntilItCloses) {
    Monitor m;
    m.Start(IniFile());
    const MainView& v = m.main.view;
    auto mainControls = [&] {
        return std::vector<bool>{v.TestS.enabled,       v.Config.enabled,      v.About.enabled,
                                 v.Reset.enabled,       v.mPopUpAbout.enabled, v.mPopUpConfig.enabled,
                                 v.mPopUpReset.enabled, v.mPopUpTest.enabled};
    };
    m.main.About_Click();
    EXPECT_EQ(mainControls(), std::vector<bool>(8, false));
    EXPECT_TRUE(v.Exit.enabled);
    EXPECT_TRUE(v.mPopUpExit.enabled);
    m.window.UnloadAbout();
    EXPECT_EQ(mainControls(), std::vector<bool>(8, true));
    m.main.Config_Click();
    EXPECT_EQ(mainControls(), std::vector<bool>(8, false));
    m.window.UnloadConfig();
    EXPECT_EQ(mainControls(), std::vector<bool>(8, true));
}

TEST(Controls, DuringTheCountdownTheScreensTakeCancelNotReset) {
    Monitor m;
    m.Start(IniFile().Set("StartDelay", 1));
    RunIntoCountdown(m);
    m.main.DisableMainControls();
    EXPECT_FALSE(m.main.view.mPopUpCancel.enabled);
    EXPECT_TRUE(m.main.view.Reset.enabled);
    m.main.EnableMainControls();
    EXPECT_TRUE(m.main.view.mPopUpCancel.enabled);
}

} // namespace
} // namespace qz::test
