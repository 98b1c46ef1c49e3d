#include <array>
#include <cstdio>
#include <string>

#include "app/MainWindowModel.h"
#include "app/Monitor.h"
#include "app/ProgramLog.h"
#include "power/PowerControl.h"
#include "power/ShutdownTypes.h"

namespace qz {
namespace {

// "0x8004062B (-2147219925)"
std::string ErrorNumberText(int32_t number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(number));
    return std::string(hex) + " (" + std::to_string(number) + ")";
}

std::string WithoutTrailingLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// "22:31:00", the time of day that follows now by the given seconds.
std::string TimeOfDayAfter(const LocalTime& now, int seconds) {
    constexpr int kDay = 24 * 60 * 60;
    const int at = ((now.hour * 60 + now.minute) * 60 + now.second + seconds % kDay + kDay) % kDay;
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", at / 3600, at / 60 % 60, at % 60);
    return text;
}

// What the countdown will end in, when, and how to stop it.
std::string CountdownNotice(ShutdownType type, const LocalTime& now, int shutTime, bool trayAvailable) {
    static constexpr std::array<const char*, 6> kWhat{
        "The computer will power off", "The computer will reboot",    "The computer will shut down",
        "Quenzel will close",          "The computer will hibernate", "The computer will stand by"};
    return std::string(kWhat[static_cast<size_t>(type)]) + " at " + TimeOfDayAfter(now, shutTime) + " (in " +
           std::to_string(shutTime) + " s). " +
           (trayAvailable ? "Click Cancel or use the tray menu to stop it." : "Click Cancel to stop it.");
}

} // namespace

bool Monitor::StepMessage(MsgIcon icon, const std::string& title, const std::string& text) {
    const unsigned resetsBefore = resets;
    stepMessageOpen = true;
    struct Closed {
        bool& open;
        ~Closed() { open = false; }
    } closed{stepMessageOpen};
    p.svc.host.ShowMessage(icon, MsgButtons::Ok, title, text);
    return resets == resetsBefore;
}

void Monitor::CountdownStep() {
    const std::string& title = p.rt.appTitle;
    window.view.statusLine.text = "";
    if (s.countSeconds == 0) {
        window.BringToFront();
        window.SetTrayIcon("Shutdown");
    }
    if (s.testMode) {
        if (!p.rt.notConfigured) WriteLog(p, "Simulate", s.actionName);
        if (!StepMessage(MsgIcon::None, title + " Test", "Test " + s.actionName)) return;
        p.rt.applyStartMinimised = false;
        Reset();
        ShowStatus();
        window.SetTrayIcon("Activate");
        return;
    }

    MainView& view = window.view;
    if (s.countSeconds == 0) {
        if (!p.rt.notConfigured) WriteLog(p, "Enter", s.actionName);
        view.notice =
            CountdownNotice(p.set.shutdownType, p.svc.clock.Now(), s.delays.countdown, view.trayAvailable);
        if (!view.notice.empty()) ++view.noticeSerial;
    }
    const ShutdownTypeInfo& type = InfoOf(p.set.shutdownType);
    window.ShowCountdownControls(s.actionName);
    view.counter.text =
        std::string(type.countdownText) + std::to_string(s.delays.countdown - s.countSeconds) + "s";

    if (s.countSeconds < s.delays.countdown) {
        if (s.countSeconds > 0 && p.set.logLevel == LogLevel::Full) WriteLog(p, s.actionName, "");
    } else if (!CompleteCountdown()) {
        return;
    }
    s.countSeconds += 1;
}

// The end of the countdown: the power action, or only its simulation under a start option.
// False when the step ends here.
bool Monitor::CompleteCountdown() {
    const std::string& title = p.rt.appTitle;
    const ShutdownType shutType = p.set.shutdownType;
    const bool forced = p.set.force || s.triggered;
    const bool real = p.rt.startOption == StartOption::None;
    if (shutType < ShutdownType::Monitor) {
        WriteLog(p, forced ? "Start(F)" : "Start", s.actionName);
        if (real && !RunPowerAction(shutType, forced)) return false;
    } else {
        WriteLog(p, "Start", s.actionName);
    }
    if (!real) {
        WriteLog(p, "Simulate", s.actionName);
        if (!StepMessage(MsgIcon::None, title + " Simulate " + s.actionName, "Test Real " + s.actionName))
            return false;
    }
    if (shutType > ShutdownType::Monitor) {
        StartOver(); // monitoring starts again from the activation countdown on waking
        if (real && !RunPowerAction(shutType, false)) return false;
        WriteLog(p, "Restart", s.actionName);
        WriteLog(p, "----------", "----------");
        WriteLog(p, "----------", "----------");
        return true;
    }
    WriteLog(p, "Close", s.actionName);
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(0);
    return false;
}

// Runs the power action of the type. A refused action is logged and shown, and the monitor
// starts over instead of closing as if it had worked; then false.
bool Monitor::RunPowerAction(ShutdownType shutType, bool forced) {
    try {
        if (shutType == ShutdownType::Hibernate) {
            HibernateSystem(p);
        } else if (shutType == ShutdownType::Standby) {
            StandbySystem(p);
        } else {
            const ShutdownTypeInfo& type = InfoOf(shutType);
            ShutdownSystem(p, forced ? type.forcedFlags : type.normalFlags);
        }
        return true;
    } catch (const PowerError& error) {
        WriteLog(p, "PowerFail", s.actionName);
        StepMessage(MsgIcon::Exclamation, p.rt.appTitle + " Shutdown Error",
                    "Unable to " + s.actionName +
                        " the computer.\r\nError Number: " + ErrorNumberText(error.number) +
                        "\r\nError description: " + WithoutTrailingLineEnds(error.what()) +
                        "\r\nMonitoring starts again.");
        if (s.phase == MonitorPhase::Shutdown) StartOver();
        return false;
    }
}

} // namespace qz
