#include <gtest/gtest.h>

#include <tuple>

#include "app/ProgramEnd.h"
#include "app/ProgramReset.h"
#include "config/ConfigFile.h"
#include "screens/config/ConfigScreen.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using Events = std::vector<std::string>;

// Starts with no watched process and runs into the countdown; the number of entries logged before it.
size_t ToCountdown(Monitor& m, IniFile ini, const std::string& commandLine = "") {
    m.Start(ini.Set("StartDelay", 1), commandLine);
    for (int second = 0; second < 30 && m.p.monitor.phase != MonitorPhase::Shutdown; ++second)
        m.Seconds(1);
    EXPECT_EQ(m.p.monitor.phase, MonitorPhase::Shutdown);
    return m.Events().size() - 1; // the countdown's "Enter" entry is the last one
}

// The countdown's entries from its start: an action that ends the program, or a suspend that starts over.
Events Ended(const std::string& type, const std::string& start = "Start") {
    return {"Enter/" + type, start + "/" + type, "Close/" + type};
}
Events Suspended(const std::string& type) {
    return {"Enter/" + type,   "Start/" + type,        "Start/Initialise",
            "Restart/" + type, "---------/----------", "---------/----------"};
}

TEST(Countdown, ActionOfEachTypeNormalForcedOrSimulated) {
    enum How { Normal, Forced, FixedTime };
    struct Row {
        int type;
        How how;
        std::vector<int> exitCalls;
        std::vector<bool> suspends; // true: hibernate
        Events events;
        const char* option = "";
        int idleDelay = 5, seconds = 3; // the countdown's
        bool resetWhileOpen = false;    // by the link, while the simulation's box is open
    };
    const auto simulated = [](Events events) {
        events.insert(events.begin() + 2, "Simulate/" + events[0].substr(6));
        return events;
    };
    const Events reset{"Enter/Shutdown", "Start/Shutdown", "Simulate/Shutdown", "Cancel/Shutdown",
                       "Start/Initialise"};
    for (const Row& r :
         {Row{1, Normal, {8}, {}, Ended("Power Off")},
          Row{1, Forced, {12}, {}, Ended("Power Off", "Start(F)")}, Row{2, Normal, {2}, {}, Ended("Reboot")},
          Row{2, Forced, {6}, {}, Ended("Reboot", "Start(F)")}, Row{3, Normal, {1}, {}, Ended("Shutdown")},
          Row{3, Forced, {5}, {}, Ended("Shutdown", "Start(F)")},
          Row{3, FixedTime, {5}, {}, Ended("Shutdown", "Start(F)")}, Row{4, Normal, {}, {}, Ended("Monitor")},
          Row{4, Forced, {}, {}, Ended("Monitor")}, Row{5, Normal, {}, {true}, Suspended("Hibernate")},
          Row{5, Forced, {}, {true}, Suspended("Hibernate")},
          Row{6, Normal, {}, {false}, Suspended("Standby")},
          Row{6, Forced, {}, {false}, Suspended("Standby")},
          Row{3, Normal, {}, {}, simulated(Ended("Shutdown")), "-InhibitShutdown", 6, 6},
          Row{3, Normal, {}, {}, simulated(Ended("Shutdown")), "-AddErrorMessage", 5, 3},
          Row{3, Normal, {}, {}, simulated(Ended("Shutdown")), "-StartShutdown", 6, 3},
          Row{3, Normal, {}, {}, simulated(Ended("Shutdown")), "-InhibitAdmin", 5, 3},
          Row{5, Normal, {}, {}, simulated(Suspended("Hibernate")), "-InhibitShutdown", 6, 6},
          Row{3, Normal, {}, {}, reset, "-InhibitShutdown", 6, 6, true}}) {
        SCOPED_TRACE("type " + std::to_string(r.type) + " how " + std::to_string(r.how) + " " + r.option);
        Monitor m;
        IniFile ini =
            IniFile().Set("ShutType", r.type).Set("Force", r.how == Forced ? 2 : 1).Set("IPAdd", "127.1.2.3");
        if (r.how == FixedTime) {
            m.world.clock.now = {2026, 12, 5, 23, 59, 59}; // the notice's time of day wraps at midnight
            m.world.processes.names = {"worker.exe"};
            ini.Set("Stop_On", 2).Set("StopTime", 12359);
        }
        const size_t before = ToCountdown(m, ini, r.option);
        const std::string name = r.events[0].substr(6); // after "Enter/"
        EXPECT_EQ(std::tuple(m.p.monitor.delays.idle, m.app.window.view.counter.text),
                  std::tuple(r.idleDelay, (r.type == 4 ? "Quenzel Will Close" : "The Computer Will " + name) +
                                              " In " + std::to_string(r.seconds) + "s"));
        const char* const what[] = {"The computer will power off", "The computer will reboot",
                                    "The computer will shut down", "Quenzel will close",
                                    "The computer will hibernate", "The computer will stand by"};
        EXPECT_EQ(m.app.window.view.notice,
                  what[r.type - 1] + std::string(" at ") +
                      (r.how == FixedTime ? "00:00:02" : "10:30:0" + std::to_string(r.seconds)) + " (in " +
                      std::to_string(r.seconds) + " s). Click Cancel or use the tray menu to stop it.");
        m.Seconds(r.seconds - 1);
        EXPECT_TRUE(m.host.messages.empty());
        if (r.resetWhileOpen)
            m.host.whileOpen = [&m] {
                m.Tick(6); // three seconds pass while the box is open
                m.app.link.RemoteReset();
            };
        const bool ends = r.events.back().starts_with("Close/");
        EXPECT_EQ(m.Seconds(1), ends ? 0 : -1);
        EXPECT_EQ(std::tuple(m.world.power.exitCalls, m.world.power.suspends),
                  std::tuple(r.exitCalls, r.suspends));
        EXPECT_EQ(m.EventsSince(before), r.events);
        EXPECT_EQ(std::tuple(m.host.trayRemovals, m.p.monitor.phase),
                  std::tuple(ends ? 1 : 0, ends ? MonitorPhase::Shutdown : MonitorPhase::Initialise));
        const std::vector<Box> simulation{
            {MsgIcon::None, MsgButtons::Ok, "Quenzel Simulate " + name, "Test Real " + name}};
        EXPECT_EQ(m.Boxes(), *r.option ? simulation : std::vector<Box>{});
    }
}

// The configuration screen opened from the monitor's window, connected as the front ends do it.
struct WindowScreenHost final : ConfigScreenHost {
    WindowScreenHost(Program& program, App& a) : p(program), app(a) {}
    void ResetProgram() override { qz::ResetProgram(p, app.monitor); }
    void EnableMainControls() override { app.window.EnableMainControls(); }
    void SetTopMost(bool) override {}
    void OpenWebPage(const std::string&) override {}
    void EndProgram(const Fault& fault) override { EndWithFault(p, fault); }
    Program& p;
    App& app;
};

TEST(Reload, TheMonitorCountsTheSavedDelaysOrAStartOptionsShortOnes) {
    for (const auto& [option, procDelay, delays, sentence] :
         {std::tuple{"-InhibitShutdown", "60", std::tuple{6, 6, 6}, "for 6s"},
          std::tuple{"-StartShutdown", "60", std::tuple{6, 6, 50}, "for 600s"},
          std::tuple{"", "20", std::tuple{20, 70, 50}, "for 20s"}}) {
        SCOPED_TRACE(option);
        Monitor m;
        IniFile ini = IniFile().Set("ProcDelay", 60).Set("ComDelay", 70).Set("ShutTime", 50);
        m.Start(ini, option);
        WindowScreenHost host(m.p, m.app);
        ConfigScreen screen(m.p, host);
        screen.Load();
        ConfigView& v = screen.view;
        EXPECT_EQ(v.processDelay.field.text + " " + v.lostLinkDelay.field.text + " " + v.countdown.field.text,
                  "60 70 50");
        v.processNames[1].field.text = "other";
        v.processDelay.field.text = procDelay;
        screen.OnSave();
        screen.OnExit();
        const Settings saved = ReadConfigFile(m.world.files)->settings;
        m.dir.Write("Data/Quenzel.ini", ini.Set("Proc2", "other").Set("ProcDelay", procDelay).Text());
        EXPECT_EQ(saved, ReadConfigFile(m.world.files)->settings);
        const MonitorState& s = m.p.monitor;
        EXPECT_EQ(std::tuple(s.delays.idle, s.delays.link, s.delays.countdown), delays);
        EXPECT_EQ(m.app.window.view.title.text, "Shutdown if there is no activity " + std::string(sentence));
        m.Seconds(1 + std::get<0>(delays)); // activation, then all but the last idle second
        EXPECT_EQ(s.phase, MonitorPhase::Run);
        m.Seconds(1);
        EXPECT_EQ(s.phase, MonitorPhase::Shutdown);
    }
}

TEST(Countdown, CancelAtAnySecondStartsOverAndPutsTheWindowBackAsTheUserLeftIt) {
    enum Action { None, Restore, Minimise };
    for (const auto& [second, startMin, action, minimisedAfterCancel] :
         {std::tuple{0, 2, None, true}, std::tuple{1, 2, Restore, false}, std::tuple{2, 1, None, false},
          std::tuple{3, 1, Minimise, true}}) {
        SCOPED_TRACE("second " + std::to_string(second));
        Monitor m;
        const IniFile ini = IniFile().Set("StartMin", startMin).Set("ShutTime", 4).Set("ProcDelay", 30);
        m.Start(IniFile(ini).Set("IPAdd", "127.1.2.3"));
        if (action == Restore) m.app.window.OnTrayDoubleClick(); // a double click on the tray icon
        if (action == Minimise) m.app.window.OnMenuMinimise();
        m.Seconds(32 + second);
        const MainView& v = m.app.window.view; // shown whatever the user chose
        EXPECT_EQ(std::tuple(v.counter.text, v.state, v.hidden),
                  std::tuple("The Computer Will Shutdown In " + std::to_string(4 - second) + "s",
                             WindowState::Normal, false));
        second % 2 ? m.app.window.OnMenuCancel() : m.app.window.OnReset();
        EXPECT_EQ(m.EventsSince(2), (Events{"Enter/Shutdown", "Cancel/Shutdown", "Start/Initialise"}));
        EXPECT_EQ(m.world.socket.sent.back().data, "<QZC000>"); // the slaves cancel too
        EXPECT_EQ(std::tuple(v.reset.caption, v.reset.tooltip, v.menuReset.visible, v.menuCancel.visible),
                  std::tuple(std::string("&Reset"), std::string("Reset Quenzel"), true, false));
        EXPECT_EQ(std::tuple(v.counter.text, v.counter.fore, v.counter.back, v.counter.bold),
                  std::tuple(std::string("Program Activation In 2s"), kBlue, kButtonFace, false));
        EXPECT_EQ(std::tuple(v.state == WindowState::Minimised, v.hidden),
                  std::tuple(minimisedAfterCancel, minimisedAfterCancel));
        // A test run then: its own short delays, its box, and no notice; then the configured delays again.
        m.app.window.OnTest();
        EXPECT_EQ(m.world.socket.sent.back().data, "<QZT000>");
        EXPECT_EQ(v.caption, "Quenzel - Test Mode");
        m.Seconds(6);
        EXPECT_TRUE(m.host.messages.empty());
        m.Seconds(1);
        EXPECT_EQ(m.Boxes(),
                  (std::vector{Box{MsgIcon::None, MsgButtons::Ok, "Quenzel Test", "Test Shutdown"}}));
        EXPECT_EQ(m.EventsSince(5), (Events{"*Enter/Test", "*Start/Initialise", "*Enter/Run",
                                            "*Simulate/Shutdown", "Start/Initialise"}));
        EXPECT_EQ(std::tuple(m.p.monitor.phase, m.p.monitor.delays.idle, v.caption),
                  std::tuple(MonitorPhase::Initialise, 30, std::string("Quenzel")));
        EXPECT_EQ(m.Seconds(32), -1);
        EXPECT_EQ(v.noticeSerial, 2u); // the next countdown says it again
    }
}

} // namespace
} // namespace qz::test
