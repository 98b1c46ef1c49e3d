#include <gtest/gtest.h>

#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

// Starts the program and runs its activation delay of StartDelay seconds.
void StartAndActivate(Monitor& m, IniFile ini, int startDelay = 1) {
    m.Start(ini.Set("StartDelay", startDelay));
    m.Seconds(startDelay);
    ASSERT_EQ(m.p.rt.MonState, 1);
}

IniFile Slave() {
    return IniFile().Set("CMain", 2).Set("IPAdd", "127.1.2.3");
}

// Seconds of a slave that hears its main station before each of them.
void SecondsHearingTheMain(Monitor& m, int count) {
    for (int i = 0; i < count; ++i) {
        m.p.rt.LinkIdle = 0;
        m.Seconds(1);
    }
}

TEST(Activation, CountsDownOncePerSecondThenRuns) {
    Monitor m;
    m.ProcessRuns(true);
    m.Start(IniFile().Set("StartDelay", 10));
    const MainView& v = m.main.view;
    EXPECT_EQ(v.Counter.text, "Program Activation In 10s");
    EXPECT_EQ(v.Counter.fore, kBlue);
    m.Tick();
    EXPECT_EQ(v.Counter.text, "Program Activation In 10s"); // the first step comes with the second tick
    m.Tick();
    EXPECT_EQ(v.Counter.text, "Program Activation In 9s");
    m.Seconds(8);
    EXPECT_EQ(v.Counter.text, "Program Activation In 1s");
    EXPECT_EQ(m.p.rt.MonState, 0);
    m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(v.Counter.text, "Program Activation In 0s");
    EXPECT_EQ(m.p.rt.LinkSilence, m.p.rt.ComDelayWork); // a main station never waits for its link
    EXPECT_EQ(m.Events(), (Events{"Start/Initialise", "Enter/Run"}));
    m.Seconds(1);
    EXPECT_EQ(v.Counter.text, "Activity");
    EXPECT_EQ(v.Counter.fore, kDarkGreen);
    EXPECT_EQ(v.CPULoad.text, "P1 .. ..");
    EXPECT_EQ(v.trayKey, "Activity");
}

TEST(Activation, FullLevelLogsEveryStep) {
    Monitor m;
    m.ProcessRuns(true);
    m.Start(IniFile().Set("LogLevel", 3).Set("StartDelay", 3));
    m.Seconds(5);
    EXPECT_EQ(m.Events(),
              (Events{"Start/Initialise", "Inactive/", "Inactive/", "Enter/Run", "Run/", "Run/"}));
    EXPECT_EQ(SplitLines(m.LogText()).back(),
              "05-Dec-26 10:30:00,  Run      ,           , Count:    0, P1 .. .. ");
}

TEST(Activation, AtATimeOfDay) {
    struct Row {
        int hour, minute, second;
        int startDelay; // file form
        int count;      // seconds to activation
        const char* counter;
    };
    const Row rows[] = {
        {8, 0, 30, 10705, 1, "Program Activation At 07:05"},     // passed today: at the next step
        {10, 30, 45, 11032, 120, "Program Activation At 10:32"}, // the present minute's seconds are ignored
        {10, 32, 10, 11032, 0, "Program Activation At 10:32"},
        {23, 59, 0, 10000, 1, "Program Activation At 00:00"},
    };
    for (const Row& r : rows) {
        Monitor m;
        m.world.clock.now = {2026, 12, 5, r.hour, r.minute, r.second};
        m.Start(IniFile().Set("StartTime", 2).Set("StartDelay", r.startDelay));
        EXPECT_EQ(m.p.rt.CountSeconds, r.count) << r.startDelay;
        EXPECT_EQ(m.main.view.Counter.text, r.counter);
        if (r.count > 1) {
            m.Seconds(r.count - 1);
            EXPECT_EQ(m.p.rt.MonState, 0) << r.startDelay;
            EXPECT_EQ(m.main.view.Counter.text, r.counter); // left as the status refresh wrote it
        }
        m.Seconds(1);
        EXPECT_EQ(m.p.rt.MonState, 1) << r.startDelay;
    }
}

TEST(Run, IdleProcessLeadsToTheCountdown) {
    Monitor m;
    m.ProcessRuns(true);
    StartAndActivate(m, IniFile().Set("ProcDelay", 5));
    m.Seconds(1);
    m.ProcessRuns(false);
    const MainView& v = m.main.view;
    const size_t before = m.Events().size();
    for (int second = 1; second <= 4; ++second) {
        m.Seconds(1);
        EXPECT_EQ(v.Counter.text, "No activity for " + std::to_string(second) + "s");
        EXPECT_EQ(v.Counter.fore, kOrange);
        EXPECT_EQ(v.CPULoad.text, ".. .. ..");
        EXPECT_EQ(v.trayKey, "NoActivity");
        EXPECT_EQ(m.p.rt.MonState, 1);
    }
    m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
    // The first countdown step follows in the same tick.
    EXPECT_EQ(v.Counter.text, "The Computer Will Shutdown In 3s");
    EXPECT_EQ(v.trayKey, "Shutdown");
    EXPECT_EQ(m.EventsSince(before), Events{"Enter/Shutdown"});
}

TEST(Run, ReturningProcessClearsTheCountAtOnce) {
    Monitor m;
    StartAndActivate(m, IniFile().Set("ProcDelay", 5));
    m.Seconds(3);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 3s");
    m.ProcessRuns(true);
    m.Seconds(1);
    EXPECT_EQ(m.main.view.Counter.text, "Activity");
    EXPECT_EQ(m.main.view.Counter.fore, kDarkGreen);
    EXPECT_EQ(m.main.view.trayKey, "Activity");
    EXPECT_EQ(m.p.rt.IdleTicks, 0);
    m.ProcessRuns(false);
    m.Seconds(4);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 4s");
    EXPECT_EQ(m.p.rt.MonState, 1);
    m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
}

TEST(Run, ProcessAndLinkIndicator) {
    struct Row {
        std::vector<std::string> running;
        const char* address;
        const char* indicator;
    };
    const Row rows[] = {
        {{}, "", ".. .. .."},
        {{"a.exe"}, "", "P1 .. .."},
        {{"B.EXE"}, "", ".. P2 .."},
        {{"c.exe", "a.exe"}, "", "P1 .. P3"},
        {{"c.exe", "a.exe"}, "127.1.2.3", "P1 .. P3  ."},
        {{"a.exe", "b.exe", "c.exe"}, "127.1.2.3", "P1 P2 P3  ."},
    };
    for (const Row& r : rows) {
        Monitor m;
        m.world.processes.names = r.running;
        StartAndActivate(m, IniFile()
                                .Set("Proc1", "a.exe")
                                .Set("Proc2", "b.exe")
                                .Set("Proc3", "c.exe")
                                .Set("IPAdd", r.address));
        m.Seconds(1);
        EXPECT_EQ(m.main.view.CPULoad.text, r.indicator) << r.indicator;
    }
}

TEST(Run, FailedScanCountsAsActivityAndIsLoggedOncePerStreak) {
    Monitor m;
    StartAndActivate(m, IniFile().Set("ProcDelay", 5));
    const size_t before = m.Events().size();
    m.world.processes.fails = true;
    m.Seconds(10);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.main.view.Counter.text, "Activity");
    EXPECT_EQ(m.EventsSince(before), Events{"ScanFail/Processes"});
    m.world.processes.fails = false;
    m.Seconds(1);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 1s");
    m.world.processes.fails = true;
    m.Seconds(2);
    EXPECT_EQ(m.EventsSince(before), (Events{"ScanFail/Processes", "ScanFail/Processes"}));
}

TEST(Run, FixedTimeOnAMainStationForTheWholeMinute) {
    struct Row {
        int minute, second;
        bool due;
    };
    for (const Row& r : {Row{29, 59, false}, Row{30, 0, true}, Row{30, 59, true}, Row{31, 0, false}}) {
        Monitor m;
        m.ProcessRuns(true);
        m.world.clock.now = {2026, 12, 5, 22, 0, 0};
        StartAndActivate(m, IniFile().Set("Stop_On", 2).Set("StopTime", 12230));
        m.world.clock.now = {2026, 12, 5, 22, r.minute, r.second};
        m.Seconds(1);
        EXPECT_EQ(m.p.rt.MonState, r.due ? 2 : 1) << r.minute << ":" << r.second;
        EXPECT_EQ(m.p.rt.ShutTrigger, r.due ? 1 : 0);
    }
}

TEST(Run, FixedTimeIsIgnoredOnASlave) {
    Monitor m;
    m.world.clock.now = {2026, 12, 5, 22, 30, 0};
    StartAndActivate(m, Slave().Set("Stop_On", 2).Set("StopTime", 12230));
    SecondsHearingTheMain(m, 3);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.p.rt.ShutTrigger, 0);
}

TEST(Run, FixedDelayForcesTheCountdown) {
    Monitor m;
    m.ProcessRuns(true);
    StartAndActivate(m, IniFile().Set("Del_On", 2).Set("DelTime", 60).Set("ProcDelay", 5));
    const LabelView& counter = m.main.view.Counter;
    struct Row {
        int afterSteps;
        const char* text;
        Colour colour;
    };
    int done = 0;
    for (const Row& r : {Row{1, "Activity - Delay Time Left: 59s", kDarkGreen},
                         Row{5, "Activity - Delay Time Left: 55s", kDarkGreen},
                         Row{6, "Activity - Delay Time Left: 54s", kOrange},
                         Row{59, "Activity - Delay Time Left: 1s", kOrange}}) {
        m.Seconds(r.afterSteps - done);
        done = r.afterSteps;
        EXPECT_EQ(counter.text, r.text);
        EXPECT_EQ(counter.fore, r.colour) << r.text;
        EXPECT_EQ(m.p.rt.MonState, 1);
    }
    m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
    EXPECT_EQ(m.p.rt.ShutTrigger, 1);
}

TEST(Run, FixedDelayShownWithoutActivity) {
    Monitor m;
    StartAndActivate(m, IniFile().Set("Del_On", 2).Set("DelTime", 60));
    m.Seconds(1);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 1s - Delay Time Left: 59s");
    EXPECT_EQ(m.main.view.Counter.fore, kOrange);
}

TEST(Run, FixedDelayIsIgnoredOnASlave) {
    Monitor m;
    StartAndActivate(m, Slave().Set("Del_On", 2).Set("DelTime", 60));
    SecondsHearingTheMain(m, 65);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.p.rt.ShutTrigger, 0);
}

TEST(Slave, SilentMainAndIdleProcessesBothCount) {
    struct Row {
        int comDelay, procDelay, steps;
    };
    for (const Row& r : {Row{5, 5, 5}, Row{10, 5, 10}, Row{5, 8, 8}}) {
        Monitor m;
        StartAndActivate(m, Slave().Set("ComDelay", r.comDelay).Set("ProcDelay", r.procDelay));
        m.Seconds(r.steps - 1);
        EXPECT_EQ(m.p.rt.MonState, 1) << r.comDelay << " " << r.procDelay;
        m.Seconds(1);
        EXPECT_EQ(m.p.rt.MonState, 2) << r.comDelay << " " << r.procDelay;
        EXPECT_TRUE(m.world.socket.sent.empty()); // a slave never sends on its own
    }
}

TEST(Slave, HearingTheMainKeepsItRunning) {
    Monitor m;
    StartAndActivate(m, Slave());
    SecondsHearingTheMain(m, 20);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.main.view.Counter.text, "Activity");
    EXPECT_EQ(m.main.view.Counter.fore, kDarkGreen);
    EXPECT_EQ(m.p.rt.IdleTicks, 5); // its own idle count goes on, capped
    m.Seconds(4);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 4s");
    m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
}

TEST(Slave, DatagramsReachTheWindow) {
    Monitor m;
    StartAndActivate(m, Slave());
    auto arrive = [&](const std::string& datagram) {
        m.world.socket.incoming.push_back(datagram);
        m.main.udpServ_DataArrival();
    };
    arrive("<QZA100>");
    ASSERT_EQ(m.world.socket.sent.size(), 1u); // the alive message is answered at once
    EXPECT_EQ(m.world.socket.sent[0].to, "127.1.2.3");
    EXPECT_EQ(m.world.socket.sent[0].port, 10000);
    m.Seconds(1);
    EXPECT_EQ(m.main.view.CPULoad.text, ".. .. ..  C");
    EXPECT_EQ(m.main.view.Counter.text, "Activity");

    arrive("<ABA100>");
    EXPECT_EQ(m.main.view.Counter.text, "Connection Error");
    EXPECT_EQ(m.main.view.Counter.fore, kOrange);
    EXPECT_TRUE(m.main.view.Counter.bold);
    arrive("<QZA1");
    EXPECT_EQ(m.main.view.Counter.text, "Not connexted");

    size_t before = m.Events().size();
    arrive("<QZC000>");
    EXPECT_EQ(m.EventsSince(before), (Events{"Reset/Run", "Start/Initialise"}));
    EXPECT_EQ(m.p.rt.MonState, 0);
    EXPECT_EQ(m.p.rt.LinkMessage, "<QZC000>"); // told to the main station with the next answer
    EXPECT_EQ(m.world.socket.sent.size(), 1u);

    before = m.Events().size();
    arrive("<QZT000>");
    EXPECT_TRUE(m.p.rt.TestMode);
    EXPECT_EQ(m.EventsSince(before), (Events{"*Enter/Test", "*Start/Initialise"}));
    EXPECT_EQ(m.p.rt.LinkMessage, "<QZT000>");
}

TEST(Link, MainStationSendsWhileRunningAndInTheLastSecondOfActivation) {
    Monitor m;
    m.ProcessRuns(true);
    m.Start(IniFile().Set("IPAdd", "127.1.2.3").Set("StartDelay", 3));
    const std::vector<size_t> sentAfterTick{0, 0, 0, 1, 2, 3, 4, 5};
    for (size_t tick = 0; tick < sentAfterTick.size(); ++tick) {
        m.Tick();
        EXPECT_EQ(m.world.socket.sent.size(), sentAfterTick[tick]) << "tick " << tick + 1;
    }
    for (const auto& d : m.world.socket.sent) {
        EXPECT_EQ(d.data, "<QZA100>");
        EXPECT_EQ(d.to, "127.1.2.3");
        EXPECT_EQ(d.port, 10001);
    }
    m.main.Reset_Click();
    EXPECT_EQ(m.world.socket.sent.back().data, "<QZC000>");
    m.main.TestS_Click();
    EXPECT_EQ(m.world.socket.sent.back().data, "<QZT000>");
}

TEST(Link, NothingIsSentDuringTheCountdownOrWithoutAnAddress) {
    {
        Monitor m;
        StartAndActivate(m, IniFile().Set("IPAdd", "127.1.2.3"));
        m.Seconds(5);
        ASSERT_EQ(m.p.rt.MonState, 2);
        const size_t sent = m.world.socket.sent.size();
        m.Seconds(2);
        EXPECT_EQ(m.world.socket.sent.size(), sent);
    }
    {
        Monitor m;
        StartAndActivate(m, IniFile());
        m.main.Reset_Click();
        m.main.TestS_Click();
        m.Seconds(3);
        EXPECT_TRUE(m.world.socket.sent.empty());
    }
}

TEST(Reset, RestartsTheActivationCountdownFromRunOrInitialise) {
    struct Row {
        int seconds; // after the start
        const char* entry;
    };
    for (const Row& r : {Row{1, "Reset/Initialise"}, Row{4, "Reset/Run"}}) {
        Monitor m;
        m.Start(IniFile().Set("StartDelay", 3).Set("IPAdd", "127.1.2.3"));
        m.Seconds(r.seconds);
        const size_t before = m.Events().size();
        m.main.Reset_Click();
        EXPECT_EQ(m.EventsSince(before), (Events{r.entry, "Start/Initialise"}));
        EXPECT_EQ(m.p.rt.MonState, 0);
        EXPECT_EQ(m.p.rt.CountSeconds, 3);
        EXPECT_EQ(m.main.view.Counter.text, "Program Activation In 3s");
        EXPECT_EQ(m.main.view.trayKey, "Activate");
        EXPECT_EQ(m.world.socket.sent.back().data, "<QZC000>"); // the slaves reset too
        EXPECT_TRUE(m.p.rt.TimerEnabled);
    }
}

TEST(Pause, OpenScreenStopsTheCountsUntilItCloses) {
    Monitor m;
    StartAndActivate(m, IniFile().Set("ProcDelay", 5));
    m.Seconds(2);
    m.main.About_Click();
    EXPECT_EQ(m.window.calls, std::vector<std::string>{"ShowAbout"});
    const size_t before = m.Events().size();
    m.Seconds(10);
    EXPECT_EQ(m.p.rt.MonState, 1);
    EXPECT_EQ(m.p.rt.CountSeconds, 2);
    EXPECT_EQ(m.p.rt.IdleTicks, 2);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 2s");
    m.p.rt.AboutCloseCount = 0; // the screen's own count has run out
    m.Seconds(1);
    EXPECT_EQ(m.window.calls, (std::vector<std::string>{"ShowAbout", "UnloadAbout"}));
    EXPECT_FALSE(m.p.rt.DialogOpen);
    EXPECT_EQ(m.p.rt.CountSeconds, 2);
    m.Seconds(1);
    EXPECT_EQ(m.main.view.Counter.text, "No activity for 3s");
    EXPECT_EQ(m.EventsSince(before), Events{});
}

TEST(Pause, ConfigurationScreenHoldsTheActivation) {
    Monitor m;
    m.Start(IniFile().Set("StartDelay", 4));
    m.Seconds(1);
    m.main.Config_Click();
    m.Seconds(3);
    EXPECT_EQ(m.p.rt.CountSeconds, 3);
    m.p.rt.ConfigCloseCount = 0;
    m.Seconds(1);
    EXPECT_FALSE(m.window.configOpen);
    m.Seconds(3);
    EXPECT_EQ(m.p.rt.MonState, 1);
}

} // namespace
} // namespace qz::test
