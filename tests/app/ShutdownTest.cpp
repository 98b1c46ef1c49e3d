#include <gtest/gtest.h>

#include <tuple>

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
    for (int second = 0; second < 30 && m.p.rt.MonState != 2; ++second)
        m.Seconds(1);
    EXPECT_EQ(m.p.rt.MonState, 2);
    return m.Events().size() - 1; // the countdown's "Enter" entry is the last one
}

Events Ended(const std::string& type, const std::string& start = "Start") {
    return {"Enter/" + type, start + "/" + type, "Close/" + type};
}

Events Suspended(const std::string& type) {
    return {"Enter/" + type,   "Start/" + type,        "Start/Initialise",
            "Restart/" + type, "---------/----------", "---------/----------"};
}

TEST(Countdown, ActionOfEachTypeNormalOrForced) {
    enum How { Normal, Forced, FixedTime };
    struct Row {
        int type;
        How how;
        std::vector<int> exitCalls;
        std::vector<bool> suspends; // true: hibernate
        Events events;
    };
    for (const Row& r :
         {Row{1, Normal, {8}, {}, Ended("Power Off")},
          Row{1, Forced, {12}, {}, Ended("Power Off", "Start(F)")}, Row{2, Normal, {2}, {}, Ended("Reboot")},
          Row{2, Forced, {6}, {}, Ended("Reboot", "Start(F)")}, Row{3, Normal, {1}, {}, Ended("Shutdown")},
          Row{3, Forced, {5}, {}, Ended("Shutdown", "Start(F)")},
          Row{3, FixedTime, {5}, {}, Ended("Shutdown", "Start(F)")},
          Row{4, Normal, {}, {}, Ended("Monitor")}, Row{4, Forced, {}, {}, Ended("Monitor")},
          Row{5, Normal, {}, {true}, Suspended("Hibernate")},
          Row{5, Forced, {}, {true}, Suspended("Hibernate")},
          Row{6, Normal, {}, {false}, Suspended("Standby")},
          Row{6, Forced, {}, {false}, Suspended("Standby")}}) {
        SCOPED_TRACE("type " + std::to_string(r.type) + " how " + std::to_string(r.how));
        Monitor m;
        IniFile ini =
            IniFile().Set("ShutType", r.type).Set("Force", r.how == Forced ? 2 : 1).Set("IPAdd", "127.1.2.3");
        if (r.how == FixedTime) {
            m.world.clock.now = {2026, 12, 5, 22, 30, 0};
            m.world.processes.names = {"worker.exe"};
            ini.Set("Stop_On", 2).Set("StopTime", 12230);
        }
        const size_t before = ToCountdown(m, ini);
        const bool ends = r.suspends.empty();
        EXPECT_EQ(m.Seconds(3), ends ? 0 : -1);
        EXPECT_EQ(std::tuple(m.world.power.exitCalls, m.world.power.suspends),
                  std::tuple(r.exitCalls, r.suspends));
        EXPECT_EQ(m.EventsSince(before), r.events);
        EXPECT_EQ(std::tuple(m.host.trayRemovals, m.p.rt.MonState), std::tuple(ends ? 1 : 0, ends ? 2 : 0));
    }
}

TEST(Countdown, StartOptionsShortenTheDelaysAndOnlySimulateTheAction) {
    for (const auto& [option, type, delay, seconds] :
         {std::tuple{"-InhibitShutdown", 3, 6, 6}, std::tuple{"-AddErrorMessage", 3, 5, 3},
          std::tuple{"-StartShutdown", 3, 6, 3}, std::tuple{"-InhibitAdmin", 3, 5, 3},
          std::tuple{"-InhibitShutdown", 5, 6, 6}}) {
        SCOPED_TRACE(std::string(option) + " type " + std::to_string(type));
        Monitor m;
        const size_t before = ToCountdown(m, IniFile().Set("ShutType", type), option);
        EXPECT_EQ(std::tuple(m.p.rt.ProcDelayWork, m.p.rt.ComDelayWork), std::tuple(delay, delay));
        const std::string n = type == 3 ? "Shutdown" : "Hibernate";
        EXPECT_EQ(m.main.view.Counter.text,
                  "The Computer Will " + n + " In " + std::to_string(seconds) + "s");
        m.Seconds(seconds - 1);
        EXPECT_TRUE(m.host.messages.empty());
        EXPECT_EQ(m.Seconds(1), type == 3 ? 0 : -1);
        ASSERT_EQ(m.host.messages.size(), 1u);
        const ShownMessage& box = m.host.messages[0];
        EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text),
                  std::tuple(MsgIcon::None, MsgButtons::Ok, "Quenzel Simulate " + n, "Test Real " + n));
        EXPECT_TRUE(m.world.power.exitCalls.empty() && m.world.power.suspends.empty());
        Events expected = type == 3 ? Ended(n) : Suspended(n);
        expected.insert(expected.begin() + 2, "Simulate/" + n);
        EXPECT_EQ(m.EventsSince(before), expected);
    }
}

// The configuration screen opened from the monitor's window, connected as the front ends do it.
class WindowScreenHost final : public ConfigScreenHost, private MonitorWindow {
  public:
    WindowScreenHost(Program& p, QuenzelMain& main) : p_(p), main_(main) {}
    void ResetProgram() override { qz::ResetProgram(p_, *this); }
    void EnableMainControls() override { main_.EnableMainControls(); }
    void SetTopMost(bool) override {}
    void OpenWebPage(const std::string&) override {}

  private:
    void ResetMonitor() override { main_.ResetMonitor(); }
    void ShowStatus() override { main_.ShowStatus(); }
    Program& p_;
    QuenzelMain& main_;
};

TEST(Countdown, StartOptionsKeepTheShortDelaysOutOfTheSettingsTheScreenAndTheFile) {
    for (const auto& [option, shutTime] :
         {std::pair{"-InhibitShutdown", 6}, std::pair{"-StartShutdown", 50}}) {
        SCOPED_TRACE(option);
        Monitor m;
        IniFile ini = IniFile().Set("ProcDelay", 60).Set("ComDelay", 70).Set("ShutTime", 50);
        m.Start(ini, option);
        const std::string sentence = m.main.view.Title.text;
        WindowScreenHost host(m.p, m.main);
        ConfigScreen screen(m.p, host);
        screen.Load();
        const ConfigView& v = screen.view;
        EXPECT_EQ(v.processDelay.field.text + " " + v.lostLinkDelay.field.text + " " + v.countdown.field.text, "60 70 50");
        screen.view.processNames[1].field.text = "other";
        screen.OnSave();
        screen.OnExit();
        const Settings saved = ReadConfigFile(m.world.files)->settings;
        m.dir.Write("Data/Quenzel.ini", ini.Set("Proc2", "other").Text());
        EXPECT_EQ(saved, ReadConfigFile(m.world.files)->settings);
        // The reload brought the trial's delays back for the monitor and its status.
        EXPECT_EQ(std::tuple(m.p.rt.ProcDelayWork, m.p.rt.ComDelayWork, m.p.rt.ShutTimeWork,
                             m.main.view.Title.text),
                  std::tuple(6, 6, shutTime, sentence));
    }
}

TEST(Countdown, CancelAtAnySecondStartsOverAndPutsTheWindowBackAsTheUserLeftIt) {
    enum Action { None, Restore, Minimise };
    for (const auto& [second, startMin, action, minimisedAfterCancel] :
         {std::tuple{0, 2, None, true}, std::tuple{1, 2, Restore, false}, std::tuple{2, 1, None, false},
          std::tuple{3, 1, Minimise, true}}) {
        SCOPED_TRACE("second " + std::to_string(second));
        Monitor m;
        m.Start(IniFile().Set("StartMin", startMin).Set("ShutTime", 4).Set("IPAdd", "127.1.2.3"));
        if (action == Restore) m.main.OnTrayMouse(0, 0, 515, 0); // a double click on the tray icon
        if (action == Minimise) m.main.OnMenuMinimise();
        m.Seconds(7 + second);
        const MainView& v = m.main.view;
        EXPECT_EQ(v.Counter.text, "The Computer Will Shutdown In " + std::to_string(4 - second) + "s");
        EXPECT_EQ(std::tuple(v.state, v.hidden),
                  std::tuple(WindowState::Normal, false)); // not the user's choice
        second % 2 ? m.main.OnMenuCancel() : m.main.OnReset();
        EXPECT_EQ(m.EventsSince(2), (Events{"Enter/Shutdown", "Cancel/Shutdown", "Start/Initialise"}));
        EXPECT_EQ(m.world.socket.sent.back().data, "<QZC000>"); // the slaves cancel too
        EXPECT_EQ(std::tuple(v.Reset.caption, v.Reset.tooltip, v.menuReset.visible, v.menuCancel.visible),
                  std::tuple(std::string("&Reset"), std::string("Reset Quenzel"), true, false));
        EXPECT_EQ(std::tuple(v.Counter.text, v.Counter.fore, v.Counter.back, v.Counter.bold),
                  std::tuple(std::string("Program Activation In 2s"), kBlue, kButtonFace, false));
        EXPECT_EQ(std::tuple(v.state == WindowState::Minimised, v.hidden),
                  std::tuple(minimisedAfterCancel, minimisedAfterCancel));
        EXPECT_EQ(m.Seconds(5), -1);
    }
}

TEST(TestRun, ActivatesShowsTheTestMessageAndStartsOver) {
    Monitor m;
    m.Start(IniFile().Set("ProcDelay", 30).Set("IPAdd", "127.1.2.3"));
    m.Seconds(3);
    m.main.OnTest();
    EXPECT_EQ(m.world.socket.sent.back().data, "<QZT000>");
    EXPECT_EQ(std::tuple(m.main.view.caption, m.main.view.Counter.text),
              std::tuple(std::string("Quenzel - Test Mode"), std::string("Program Activation In 2s")));
    m.Seconds(6);
    EXPECT_TRUE(m.host.messages.empty());
    m.Seconds(1);
    ASSERT_EQ(m.host.messages.size(), 1u);
    const ShownMessage& box = m.host.messages[0];
    EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title, box.text),
              std::tuple(MsgIcon::None, MsgButtons::Ok, "Quenzel Test", "Test Shutdown"));
    EXPECT_EQ(m.EventsSince(2), (Events{"*Enter/Test", "*Start/Initialise", "*Enter/Run",
                                        "*Simulate/Shutdown", "Start/Initialise"}));
    EXPECT_EQ(std::tuple(m.p.rt.MonState, m.p.rt.ProcDelayWork, m.main.view.caption),
              std::tuple(0, 30, std::string("Quenzel"))); // the configured delays again
}

TEST(MessageBoxes, WhileTheSimulationMessageIsOpenTicksRunNoStepAndAResetKeepsTheProgram) {
    Monitor m;
    const size_t before = ToCountdown(m, IniFile().Set("StartMin", 2), "-InhibitShutdown");
    m.host.whileOpen = [&] {
        m.Tick(6); // three seconds pass while the box is open
        m.main.RemoteReset();
    };
    EXPECT_EQ(m.Seconds(6), -1);
    EXPECT_EQ(m.host.messages.size(), 1u);
    EXPECT_EQ(m.EventsSince(before), (Events{"Enter/Shutdown", "Start/Shutdown", "Simulate/Shutdown",
                                             "Cancel/Shutdown", "Start/Initialise"}));
    EXPECT_EQ(std::tuple(m.p.rt.MonState, m.host.trayRemovals, m.main.view.hidden), std::tuple(0, 0, false));
}

} // namespace
} // namespace qz::test
