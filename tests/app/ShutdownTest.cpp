#include <gtest/gtest.h>

#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

// Starts the program with no watched process and runs it into the countdown. Returns the number of
// log entries written before the countdown began.
size_t ToCountdown(Monitor& m, IniFile ini, const std::string& commandLine = "") {
    m.Start(ini.Set("StartDelay", 1), commandLine);
    for (int second = 0; second < 30 && m.p.rt.MonState != 2; ++second)
        m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
    const Events events = m.Events();
    EXPECT_FALSE(events.empty());
    return events.size() - 1; // the countdown's "Enter" entry is the last one
}

// Runs seconds until the program ends; the status it ended with, or -1 when it carried on.
int SecondsUntilEnd(Monitor& m, int seconds) {
    try {
        m.Seconds(seconds);
    } catch (const ProgramEnded& end) {
        return end.status;
    }
    return -1;
}

TEST(Countdown, CountsDownThenShutsDownAndEnds) {
    Monitor m;
    const size_t before = ToCountdown(m, IniFile().Set("ShutTime", 10));
    const MainView& v = m.main.view;
    EXPECT_EQ(v.Counter.text, "The Computer Will Shutdown In 10s");
    EXPECT_EQ(v.Counter.fore, kWhite);
    EXPECT_EQ(v.Counter.back, kOrange);
    EXPECT_TRUE(v.Counter.bold);
    EXPECT_EQ(v.CPULoad.text, "");
    EXPECT_EQ(v.CPULoad.fore, kWhite);
    EXPECT_EQ(v.CPULoad.back, kOrange);
    EXPECT_EQ(v.Reset.caption, "&Cancel");
    EXPECT_EQ(v.Reset.tooltip, "Cancel Quenzel Shutdown");
    EXPECT_TRUE(v.Reset.enabled);
    for (const ButtonView* b : {&v.Config, &v.About, &v.TestS, &v.Exit, &v.Update})
        EXPECT_FALSE(b->enabled);
    // The popup menu offers only Cancel.
    for (const MenuItemView* item : {&v.mPopUpAbout, &v.mPopUpConfig, &v.mPopUpMin, &v.mPopUpRestore,
                                     &v.mPopUpTest, &v.mPopUpUpdate, &v.mPopUpExit})
        EXPECT_FALSE(item->enabled) << item->caption;
    EXPECT_FALSE(v.mPopUpReset.visible);
    EXPECT_TRUE(v.mPopUpCancel.visible);
    EXPECT_TRUE(v.mPopUpCancel.enabled);
    EXPECT_TRUE(v.topMost);
    EXPECT_EQ(v.trayKey, "Shutdown");

    for (int left = 9; left >= 1; --left) {
        m.Seconds(1);
        EXPECT_EQ(v.Counter.text, "The Computer Will Shutdown In " + std::to_string(left) + "s");
    }
    EXPECT_TRUE(m.world.power.exitCalls.empty());
    EXPECT_EQ(SecondsUntilEnd(m, 1), 0);
    EXPECT_EQ(v.Counter.text, "The Computer Will Shutdown In 0s");
    EXPECT_EQ(m.world.power.exitCalls, std::vector<int>{1});
    EXPECT_EQ(m.EventsSince(before), (Events{"Enter/Shutdown", "Start/Shutdown", "Close/Shutdown"}));
    EXPECT_EQ(m.host.trayRemovals, 1);
}

TEST(Countdown, FullLevelLogsEverySecond) {
    Monitor m;
    const size_t before = ToCountdown(m, IniFile().Set("LogLevel", 3).Set("ShutTime", 3).Set("ShutType", 2));
    EXPECT_EQ(SecondsUntilEnd(m, 3), 0);
    EXPECT_EQ(m.EventsSince(before),
              (Events{"Enter/Reboot", "Reboot/", "Reboot/", "Start/Reboot", "Close/Reboot"}));
}

TEST(Countdown, TextOfEachType) {
    const char* texts[] = {"The Computer Will Power Off In 3s", "The Computer Will Reboot In 3s",
                           "The Computer Will Shutdown In 3s",  "Quenzel Will Close In 3s",
                           "The Computer Will Hibernate In 3s", "The Computer Will Standby In 3s"};
    for (int type = 1; type <= 6; ++type) {
        Monitor m;
        ToCountdown(m, IniFile().Set("ShutType", type).Set("IPAdd", "127.1.2.3"));
        EXPECT_EQ(m.main.view.Counter.text, texts[type - 1]);
    }
}

TEST(Countdown, ActionOfEveryTypeNormalAndForced) {
    enum How { Normal, ForceSetting, FixedTime };
    struct Row {
        int type;
        How how;
        std::vector<int> exitCalls;
        std::vector<bool> suspends;
        std::vector<PowerAction> privileges;
        Events events;
    };
    const Row rows[] = {
        {1,
         Normal,
         {8},
         {},
         {PowerAction::PowerOff},
         {"Enter/Power Off", "Start/Power Off", "Close/Power Off"}},
        {1,
         ForceSetting,
         {12},
         {},
         {PowerAction::PowerOff},
         {"Enter/Power Off", "Start(F)/Power Off", "Close/Power Off"}},
        {1,
         FixedTime,
         {12},
         {},
         {PowerAction::PowerOff},
         {"Enter/Power Off", "Start(F)/Power Off", "Close/Power Off"}},
        {2, Normal, {2}, {}, {PowerAction::Reboot}, {"Enter/Reboot", "Start/Reboot", "Close/Reboot"}},
        {2,
         ForceSetting,
         {6},
         {},
         {PowerAction::Reboot},
         {"Enter/Reboot", "Start(F)/Reboot", "Close/Reboot"}},
        {2, FixedTime, {6}, {}, {PowerAction::Reboot}, {"Enter/Reboot", "Start(F)/Reboot", "Close/Reboot"}},
        {3, Normal, {1}, {}, {PowerAction::PowerOff}, {"Enter/Shutdown", "Start/Shutdown", "Close/Shutdown"}},
        {3,
         ForceSetting,
         {5},
         {},
         {PowerAction::PowerOff},
         {"Enter/Shutdown", "Start(F)/Shutdown", "Close/Shutdown"}},
        {3,
         FixedTime,
         {5},
         {},
         {PowerAction::PowerOff},
         {"Enter/Shutdown", "Start(F)/Shutdown", "Close/Shutdown"}},
        {4, Normal, {}, {}, {}, {"Enter/Monitor", "Start/Monitor", "Close/Monitor"}},
        {4, ForceSetting, {}, {}, {}, {"Enter/Monitor", "Start/Monitor", "Close/Monitor"}},
        {4, FixedTime, {}, {}, {}, {"Enter/Monitor", "Start/Monitor", "Close/Monitor"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("type " + std::to_string(r.type) + " how " + std::to_string(r.how));
        Monitor m;
        IniFile ini;
        ini.Set("ShutType", r.type).Set("IPAdd", "127.1.2.3").Set("Force", r.how == ForceSetting ? 2 : 1);
        if (r.how == FixedTime) {
            m.world.clock.now = {2026, 12, 5, 22, 30, 0};
            m.ProcessRuns(true);
            ini.Set("Stop_On", 2).Set("StopTime", 12230);
        }
        const size_t before = ToCountdown(m, ini);
        EXPECT_EQ(SecondsUntilEnd(m, 3), 0);
        EXPECT_EQ(m.world.power.exitCalls, r.exitCalls);
        EXPECT_EQ(m.world.power.suspends, r.suspends);
        EXPECT_EQ(m.world.power.privilegeActions, r.privileges);
        EXPECT_EQ(m.EventsSince(before), r.events);
        EXPECT_EQ(m.host.trayRemovals, 1);
    }
}

TEST(Countdown, SuspendTypesRestartMonitoringBeforeTheSuspend) {
    struct Row {
        int type;
        int force;
        bool hibernate;
        const char* name;
    };
    for (const Row& r : {Row{5, 1, true, "Hibernate"}, Row{5, 2, true, "Hibernate"},
                         Row{6, 1, false, "Standby"}, Row{6, 2, false, "Standby"}}) {
        Monitor m;
        const size_t before = ToCountdown(m, IniFile().Set("ShutType", r.type).Set("Force", r.force));
        EXPECT_EQ(SecondsUntilEnd(m, 3), -1);
        const std::string n = r.name;
        EXPECT_EQ(m.EventsSince(before),
                  (Events{"Enter/" + n, "Start/" + n, "Start/Initialise", "Restart/" + n,
                          "---------/----------", "---------/----------"}));
        EXPECT_EQ(m.world.power.suspends, std::vector<bool>{r.hibernate});
        EXPECT_TRUE(m.world.power.exitCalls.empty());
        EXPECT_EQ(m.p.rt.MonState, 0);
        EXPECT_EQ(m.main.view.Reset.caption, "&Reset");
        EXPECT_EQ(m.main.view.trayKey, "Activate");
        EXPECT_EQ(m.host.trayRemovals, 0);
        m.Seconds(2);
        EXPECT_EQ(m.p.rt.MonState, 1); // monitoring again after waking
    }
}

TEST(Countdown, ForceOfNoKnownValueMakesNoActionButStillCloses) {
    Monitor m;
    const size_t before = ToCountdown(m, IniFile());
    m.p.set.Force = 3;
    EXPECT_EQ(SecondsUntilEnd(m, 3), 0);
    EXPECT_TRUE(m.world.power.exitCalls.empty());
    EXPECT_EQ(m.EventsSince(before), (Events{"Enter/Shutdown", "Close/Shutdown"}));
}

TEST(Countdown, StartOptionsOnlySimulateTheAction) {
    struct Row {
        const char* option;
        int seconds; // length of the countdown
    };
    const Row options[] = {
        {"-InhibitShutdown", 6}, {"-AddErrorMessage", 3}, {"-StartShutdown", 3}, {"-InhibitAdmin", 3}};
    for (const Row& o : options) {
        for (int type : {3, 5}) {
            SCOPED_TRACE(std::string(o.option) + " type " + std::to_string(type));
            Monitor m;
            const size_t before = ToCountdown(m, IniFile().Set("ShutType", type), o.option);
            const std::string n = type == 3 ? "Shutdown" : "Hibernate";
            EXPECT_EQ(m.main.view.Counter.text,
                      "The Computer Will " + n + " In " + std::to_string(o.seconds) + "s");
            m.Seconds(o.seconds - 1);
            EXPECT_TRUE(m.host.messages.empty());
            const int end = SecondsUntilEnd(m, 1);
            ASSERT_EQ(m.host.messages.size(), 1u);
            const ShownMessage& box = m.host.messages[0];
            EXPECT_EQ(box.icon, MsgIcon::None);
            EXPECT_EQ(box.buttons, MsgButtons::Ok);
            EXPECT_EQ(box.title, "Quenzel Simulate " + n);
            EXPECT_EQ(box.text, "Test Real " + n);
            EXPECT_TRUE(m.world.power.exitCalls.empty());
            EXPECT_TRUE(m.world.power.suspends.empty());
            EXPECT_EQ(m.world.power.privilegeCalls, 0);
            if (type == 3) {
                EXPECT_EQ(end, 0);
                EXPECT_EQ(m.EventsSince(before),
                          (Events{"Enter/" + n, "Start/" + n, "Simulate/" + n, "Close/" + n}));
            } else {
                EXPECT_EQ(end, -1);
                EXPECT_EQ(m.p.rt.MonState, 0);
                EXPECT_EQ(m.EventsSince(before),
                          (Events{"Enter/" + n, "Start/" + n, "Simulate/" + n, "Start/Initialise",
                                  "Restart/" + n, "---------/----------", "---------/----------"}));
            }
        }
    }
}

TEST(Countdown, CancelAtAnySecond) {
    const int shutTime = 4;
    for (int second = 0; second < shutTime; ++second) {
        SCOPED_TRACE("second " + std::to_string(second));
        Monitor m;
        const size_t before = ToCountdown(m, IniFile().Set("ShutTime", shutTime).Set("IPAdd", "127.1.2.3"));
        m.Seconds(second);
        EXPECT_EQ(m.main.view.Counter.text,
                  "The Computer Will Shutdown In " + std::to_string(shutTime - second) + "s");
        if (second % 2 == 0)
            m.main.Reset_Click();
        else
            m.main.mPopUpCancel_Click();
        EXPECT_EQ(m.EventsSince(before), (Events{"Enter/Shutdown", "Cancel/Shutdown", "Start/Initialise"}));
        EXPECT_EQ(m.p.rt.MonState, 0);
        EXPECT_EQ(m.world.socket.sent.back().data, "<QZC000>"); // the slaves cancel too
        const MainView& v = m.main.view;
        EXPECT_EQ(v.Reset.caption, "&Reset");
        EXPECT_EQ(v.Reset.tooltip, "Reset Quenzel");
        EXPECT_EQ(v.Counter.text, "Program Activation In 1s");
        EXPECT_EQ(v.Counter.fore, kBlue);
        EXPECT_EQ(v.Counter.back, kButtonFace);
        EXPECT_FALSE(v.Counter.bold);
        EXPECT_EQ(v.CPULoad.fore, kButtonText);
        EXPECT_EQ(v.CPULoad.back, kButtonFace);
        for (const ButtonView* b : {&v.Config, &v.About, &v.TestS, &v.Reset, &v.Update, &v.Exit})
            EXPECT_TRUE(b->enabled) << b->caption;
        for (const MenuItemView* item : {&v.mPopUpAbout, &v.mPopUpConfig, &v.mPopUpMin, &v.mPopUpRestore,
                                         &v.mPopUpTest, &v.mPopUpUpdate, &v.mPopUpExit})
            EXPECT_TRUE(item->enabled) << item->caption;
        EXPECT_TRUE(v.mPopUpReset.visible);
        EXPECT_FALSE(v.mPopUpCancel.visible);
        EXPECT_EQ(v.trayKey, "Activate");
        EXPECT_EQ(SecondsUntilEnd(m, 2), -1);
        EXPECT_TRUE(m.world.power.exitCalls.empty());
    }
}

TEST(TestRun, ActivatesShowsTheTestMessageAndStartsOver) {
    Monitor m;
    m.Start(IniFile().Set("ProcDelay", 30).Set("StartDelay", 1));
    m.Seconds(2);
    const size_t before = m.Events().size();
    m.main.TestS_Click();
    const MainView& v = m.main.view;
    EXPECT_EQ(v.caption, "Quenzel - Test Mode");
    EXPECT_EQ(v.Counter.text, "Program Activation In 2s");
    EXPECT_EQ(v.trayKey, "Activate");
    m.Seconds(2);
    EXPECT_EQ(m.p.rt.MonState, 1);
    m.Seconds(4);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_TRUE(m.host.messages.empty());
    m.Seconds(1);
    ASSERT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.host.messages[0].title, "Quenzel Test");
    EXPECT_EQ(m.host.messages[0].text, "Test Shutdown");
    EXPECT_EQ(m.host.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(m.EventsSince(before), (Events{"*Enter/Test", "*Start/Initialise", "*Enter/Run",
                                             "*Simulate/Shutdown", "Start/Initialise"}));
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_FALSE(m.p.rt.TestMode);
    EXPECT_EQ(m.p.rt.ProcDelayWork, 30); // the configured delays again
    EXPECT_EQ(v.trayKey, "Activate");
    EXPECT_EQ(v.caption, "Quenzel");
    EXPECT_TRUE(m.world.power.exitCalls.empty());
    EXPECT_EQ(m.host.trayRemovals, 0);
}

TEST(PowerFailure, IsReportedAndMonitoringStartsOver) {
    struct Row {
        int type;
        std::function<void(FakePower&)> refuse;
        Events events;
        const char* text;
    };
    const Row rows[] = {
        {3,
         [](FakePower& f) {
             f.exitAccepted = false;
             f.exitRefusal = "Access is denied.";
         },
         {"Enter/Shutdown", "Start/Shutdown", "PowerFail/Shutdown", "Start/Initialise"},
         "Unable to Shutdown the computer.\r\nError Number: 0x8004062B (-2147219925)\r\n"
         "Error description: ShutdownSystem failed: Access is denied.\r\nMonitoring starts again."},
        {3,
         [](FakePower& f) {
             f.exitAccepted = false;
             f.exitRefusal = "Refused.\r\n";
         },
         {"Enter/Shutdown", "Start/Shutdown", "PowerFail/Shutdown", "Start/Initialise"},
         "Unable to Shutdown the computer.\r\nError Number: 0x8004062B (-2147219925)\r\n"
         "Error description: ShutdownSystem failed: Refused.\r\nMonitoring starts again."},
        {1,
         [](FakePower& f) {
             f.privilege = {PowerApi::PrivilegeStep::TokenFailed, "Access is denied.\r\n"};
         },
         {"Enter/Power Off", "Start/Power Off", "PowerFail/Power Off", "Start/Initialise"},
         "Unable to Power Off the computer.\r\nError Number: 0x8004062E (-2147219922)\r\n"
         "Error description: Can't enable shutdown: You do not have the privileges to shutdown this system. "
         "[Access is denied.\r\n]\r\nMonitoring starts again."},
        {5,
         [](FakePower& f) {
             f.suspendAccepted = false;
             f.suspendRefusal = "Sleep is blocked";
         },
         {"Enter/Hibernate", "Start/Hibernate", "Start/Initialise", "PowerFail/Hibernate"},
         "Unable to Hibernate the computer.\r\nError Number: 0x8004062B (-2147219925)\r\n"
         "Error description: HibernateSystem failed: Sleep is blocked\r\nMonitoring starts again."},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        Monitor m;
        r.refuse(m.world.power);
        const size_t before = ToCountdown(m, IniFile().Set("ShutType", r.type));
        EXPECT_EQ(SecondsUntilEnd(m, 3), -1);
        ASSERT_EQ(m.host.messages.size(), 1u);
        const ShownMessage& box = m.host.messages[0];
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        EXPECT_EQ(box.buttons, MsgButtons::Ok);
        EXPECT_EQ(box.title, "Quenzel Shutdown Error");
        EXPECT_EQ(box.text, r.text);
        EXPECT_EQ(m.EventsSince(before), r.events);
        EXPECT_EQ(m.p.rt.MonState, 0);
        EXPECT_TRUE(m.p.rt.TimerEnabled);
        EXPECT_EQ(m.main.view.Reset.caption, "&Reset");
        EXPECT_EQ(m.host.trayRemovals, 0);
        m.Seconds(2);
        EXPECT_EQ(m.p.rt.MonState, 1);
    }
}

TEST(MessageBoxes, TicksWhileATestMessageIsOpenRunNoStep) {
    Monitor m;
    m.Start(IniFile().Set("StartDelay", 1));
    m.Seconds(1);
    m.main.TestS_Click();
    size_t entriesBefore = 0, entriesDuring = 0;
    int stateDuring = -1;
    m.host.whileOpen = [&] {
        entriesBefore = m.Events().size();
        m.Tick(6);
        entriesDuring = m.Events().size();
        stateDuring = m.p.rt.MonState;
    };
    m.Seconds(7);
    ASSERT_EQ(stateDuring, 2);
    EXPECT_EQ(entriesDuring, entriesBefore);
    EXPECT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_FALSE(m.p.rt.TestMode);
}

TEST(MessageBoxes, ResetWhileTheSimulationMessageIsOpenKeepsTheProgram) {
    Monitor m;
    const size_t before = ToCountdown(m, IniFile(), "-InhibitShutdown");
    m.host.whileOpen = [&] { m.main.RemoteReset(); };
    EXPECT_EQ(SecondsUntilEnd(m, 6), -1);
    EXPECT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.EventsSince(before), (Events{"Enter/Shutdown", "Start/Shutdown", "Simulate/Shutdown",
                                             "Cancel/Shutdown", "Start/Initialise"}));
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_EQ(m.host.trayRemovals, 0);
}

} // namespace
} // namespace qz::test
