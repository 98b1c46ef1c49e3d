#include <gtest/gtest.h>

#include <tuple>

#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

void Activate(Monitor& m, IniFile ini) {
    m.Start(ini.Set("StartDelay", 1));
    m.Seconds(1);
    ASSERT_EQ(m.p.monitor.phase, MonitorPhase::Run);
}

// At the full log level, every second of every state is logged.
TEST(Monitor, MainStationActivatesWatchesSendsAndCountsDown) {
    Monitor m;
    m.world.processes.names = {"worker.exe", "C.EXE"};
    m.Start(
        IniFile().Set("IPAdd", "127.1.2.3").Set("Proc2", "b.exe").Set("Proc3", "c.exe").Set("LogLevel", 3));
    const MainView& v = m.app.window.view;
    const auto counter = [&v] { return std::tuple(v.counter.text, v.counter.fore, v.trayKey); };
    // A step every second tick; alive messages on every tick from the last second of activation on.
    for (const auto& [text, sent] :
         {std::pair{"Program Activation In 2s", 0u}, std::pair{"Program Activation In 1s", 1u},
          std::pair{"Program Activation In 1s", 2u}, std::pair{"Program Activation In 0s", 3u}}) {
        m.Tick();
        EXPECT_EQ(std::tuple(v.counter.text, m.world.socket.sent.size()),
                  std::tuple(std::string(text), size_t{sent}));
    }
    m.Seconds(1);
    EXPECT_EQ(counter(), std::tuple(std::string("Activity"), kDarkGreen, std::string("Activity")));
    EXPECT_EQ(v.statusLine.text, "P1 .. P3  .");
    // An open screen holds the monitor (no entry); the tick closing it when its count ends runs no step.
    for (bool about : {true, false}) {
        about ? m.app.window.OnAbout() : m.app.window.OnConfigure();
        m.Seconds(10);
        (about ? m.p.rt.aboutCloseCount : m.p.rt.configCloseCount) = 0;
        m.Seconds(1);
        EXPECT_FALSE(m.p.rt.screenOpen || m.window.aboutOpen || m.window.configOpen);
    }
    m.world.processes.names = {"B.EXE"};
    m.Seconds(1);
    EXPECT_EQ(v.statusLine.text, ".. P2 ..  .");
    m.world.processes.names.clear();
    for (int second = 1; second <= 4; ++second) {
        m.Seconds(1);
        EXPECT_EQ(counter(), std::tuple("No activity for " + std::to_string(second) + "s", kOrange,
                                        std::string("NoActivity")));
    }
    m.Seconds(1); // the countdown begins in the same tick
    EXPECT_EQ(counter(),
              std::tuple(std::string("The Computer Will Shutdown In 3s"), kWhite, std::string("Shutdown")));
    for (const auto& d : m.world.socket.sent)
        EXPECT_EQ(d.data, "<QZA100>");
    const size_t sent = m.world.socket.sent.size();
    EXPECT_EQ(m.Seconds(3), 0);
    EXPECT_EQ(m.world.socket.sent.size(), sent); // the slaves hear silence
    EXPECT_EQ(m.Events(), (Events{"Start/Initialise", "Inactive/", "Enter/Run", "Run/", "Run/", "Run/",
                                  "Run/", "Run/", "Run/", "Enter/Shutdown", "Shutdown/", "Shutdown/",
                                  "Start/Shutdown", "Close/Shutdown"}));
}

TEST(Monitor, ActivationAtATimeOfDayPassedNowOrLater) {
    for (const auto& [minute, second, count] :
         {std::tuple{33, 0, 1}, std::tuple{32, 10, 0}, std::tuple{30, 45, 120}}) {
        Monitor m;
        m.world.clock.now = {2026, 12, 5, 10, minute, second};
        m.Start(IniFile().Set("StartTime", 2).Set("StartDelay", 11032));
        EXPECT_EQ(m.p.monitor.countSeconds, count) << minute;
        if (count > 1) m.Seconds(count - 1);
        EXPECT_EQ(m.p.monitor.phase, MonitorPhase::Initialise) << minute;
        EXPECT_EQ(m.app.window.view.counter.text, "Program Activation At 10:32"); // the steps leave it
        m.Seconds(1);
        EXPECT_EQ(m.p.monitor.phase, MonitorPhase::Run) << minute;
    }
}

TEST(Monitor, FixedTimeForItsWholeMinuteAndFixedDelayForceTheCountdown) {
    for (const auto& [minute, second, due] : {std::tuple{29, 59, false}, std::tuple{30, 0, true},
                                              std::tuple{30, 59, true}, std::tuple{31, 0, false}}) {
        Monitor m;
        m.world.processes.names = {"worker.exe"};
        Activate(m, IniFile().Set("Stop_On", 2).Set("StopTime", 12230));
        m.world.clock.now = {2026, 12, 5, 22, minute, second};
        m.Seconds(1);
        EXPECT_EQ(std::tuple(m.p.monitor.phase, m.p.monitor.triggered),
                  std::tuple(due ? MonitorPhase::Shutdown : MonitorPhase::Run, due))
            << second;
    }
    Monitor m;
    m.world.processes.names = {"worker.exe"};
    Activate(m, IniFile().Set("Del_On", 2).Set("DelTime", 60));
    int done = 0;
    for (const auto& [step, runs, text, colour] :
         {std::tuple{5, true, "Activity - Delay Time Left: 55s", kDarkGreen},
          std::tuple{6, true, "Activity - Delay Time Left: 54s", kOrange},
          std::tuple{59, false, "No activity for 1s - Delay Time Left: 1s", kOrange}}) {
        m.Seconds(step - done - 1);
        m.world.processes.names = runs ? Events{"worker.exe"} : Events{};
        m.Seconds(1);
        done = step;
        EXPECT_EQ(std::tuple(m.app.window.view.counter.text, m.app.window.view.counter.fore),
                  std::tuple(text, colour));
    }
    m.Seconds(1);
    EXPECT_EQ(std::tuple(m.p.monitor.phase, m.p.monitor.triggered), std::tuple(MonitorPhase::Shutdown, true));
}

TEST(Slave, NeedsASilentMainAndIdleProcessesBothAndNoFixedTrigger) {
    IniFile slave = IniFile().Set("CMain", 2).Set("IPAdd", "127.1.2.3");
    slave.Set("Stop_On", 2).Set("StopTime", 12230).Set("Del_On", 2).Set("DelTime", 60); // a main's triggers
    for (const auto& [comDelay, procDelay, heard, steps] :
         {std::tuple{5, 5, 0, 5}, std::tuple{10, 5, 0, 10}, std::tuple{5, 8, 0, 8},
          std::tuple{5, 5, 62, 5}}) {
        SCOPED_TRACE(testing::Message() << comDelay << " " << procDelay << " " << heard);
        Monitor m;
        m.world.clock.now = {2026, 12, 5, 22, 30, 0};
        Activate(m, IniFile(slave).Set("ComDelay", comDelay).Set("ProcDelay", procDelay));
        for (int second = 0; second < heard; ++second) {
            m.world.socket.incoming.push_back("<QZA100>");
            m.app.link.OnDatagram();
            m.Seconds(1);
        }
        if (heard > 0) { // its own idle count goes on meanwhile
            const MainView& v = m.app.window.view;
            EXPECT_EQ(std::tuple(v.counter.text, v.statusLine.text, m.p.monitor.idleSeconds, v.caption),
                      std::tuple(std::string("Activity - Delay Time Left: 0s"), std::string(".. .. ..  C"), 5,
                                 std::string("Quenzel Slave")));
        }
        m.Seconds(steps - 1);
        EXPECT_EQ(m.p.monitor.phase, MonitorPhase::Run);
        m.Seconds(1);
        EXPECT_EQ(m.p.monitor.phase, MonitorPhase::Shutdown);
        EXPECT_EQ(m.world.socket.sent.size(), static_cast<size_t>(heard)); // only its answers
    }
}

} // namespace
} // namespace qz::test
