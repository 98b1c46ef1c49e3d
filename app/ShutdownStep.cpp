#include <array>
#include <cstdio>
#include <string>

#include "app/QuenzelMain.h"
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
    return std::string(kWhat[static_cast<size_t>(type)]) + " at " + TimeOfDayAfter(now, shutTime) +
           " (in " + std::to_string(shutTime) + " s). " +
           (trayAvailable ? "Click Cancel or use the tray menu to stop it." : "Click Cancel to stop it.");
}

} // namespace

bool QuenzelMain::StepMessage(MsgIcon icon, const std::string& title, const std::string& text) {
    const unsigned resetsBefore = resets;
    stepMessageOpen = true;
    struct Closed {
        bool& open;
        ~Closed() { open = false; }
    } closed{stepMessageOpen};
    p.svc.host.ShowMessage(icon, MsgButtons::Ok, title, text);
    return resets == resetsBefore;
}

void QuenzelMain::ShutdownStep() {
    RunState& rt = p.rt;
    const Settings& s = p.set;
    view.CPULoad.text = "";
    if (rt.CountSeconds == 0) {
        BringToFront();
        SetTrayIcon("Shutdown");
    }
    if (rt.TestMode) {
        if (!rt.NotConfigured) WriteLog(p, "Simulate", rt.ShutTypeName);
        if (!StepMessage(MsgIcon::None, rt.AppTitle + " Test", "Test " + rt.ShutTypeName)) return;
        rt.ApplyStartMin = false;
        ResetMonitor();
        ShowStatus();
        SetTrayIcon("Activate");
        return;
    }

    if (rt.CountSeconds == 0) {
        if (!rt.NotConfigured) WriteLog(p, "Enter", rt.ShutTypeName);
        view.notice = CountdownNotice(s.shutdownType, p.svc.clock.Now(), rt.ShutTimeWork, view.trayAvailable);
        if (!view.notice.empty()) ++view.noticeSerial;
    }
    const ShutdownTypeInfo& type = InfoOf(s.shutdownType);
    for (ButtonView* button : {&view.Config, &view.About, &view.TestS, &view.Exit, &view.Update})
        button->enabled = false;
    view.CPULoad.fore = kWhite;
    view.CPULoad.back = kOrange;
    view.Counter.fore = kWhite;
    view.Counter.back = kOrange;
    view.Counter.bold = true;
    view.Counter.text = std::string(type.countdownText) +
                        std::to_string(rt.ShutTimeWork - rt.CountSeconds) + "s";
    view.Reset.caption = "&Cancel";
    view.Reset.tooltip = "Cancel " + rt.AppTitle + " " + rt.ShutTypeName;
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuMinimise, &view.menuRestore,
                               &view.menuTest, &view.menuUpdate, &view.menuExit})
        item->enabled = false;
    view.menuReset.visible = false;
    view.menuCancel.visible = true;

    if (rt.CountSeconds < rt.ShutTimeWork) {
        if (rt.CountSeconds > 0 && s.logLevel == LogLevel::Full) WriteLog(p, rt.ShutTypeName, "");
    } else if (!CompleteCountdown()) {
        return;
    }
    rt.CountSeconds += 1;
}

// The end of the countdown: the power action, or only its simulation under a start option.
// False when the step ends here.
bool QuenzelMain::CompleteCountdown() {
    RunState& rt = p.rt;
    const Settings& s = p.set;
    const ShutdownType shutType = s.shutdownType;
    const bool normal = !s.force && rt.ShutTrigger == 0;
    const bool forced = s.force || rt.ShutTrigger == 1;
    const bool real = rt.CmdLineMode == 0;
    if (normal || forced) {
        if (shutType < ShutdownType::Monitor) WriteLog(p, forced ? "Start(F)" : "Start", rt.ShutTypeName);
        if (real && shutType < ShutdownType::Monitor && !RunPowerAction(shutType, forced)) return false;
    }
    if (shutType >= ShutdownType::Monitor) WriteLog(p, "Start", rt.ShutTypeName);
    if (!real) {
        WriteLog(p, "Simulate", rt.ShutTypeName);
        if (!StepMessage(MsgIcon::None, rt.AppTitle + " Simulate " + rt.ShutTypeName,
                         "Test Real " + rt.ShutTypeName))
            return false;
    }
    if (shutType > ShutdownType::Monitor) {
        RestartMonitor(); // monitoring starts again from the activation countdown on waking
        if (real && !RunPowerAction(shutType, false)) return false;
        WriteLog(p, "Restart", rt.ShutTypeName);
        WriteLog(p, "----------", "----------");
        WriteLog(p, "----------", "----------");
        return true;
    }
    WriteLog(p, "Close", rt.ShutTypeName);
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(0);
    return false;
}

// Runs the power action of the type. A refused action is logged and shown, and the monitor
// starts over instead of closing as if it had worked; then false.
bool QuenzelMain::RunPowerAction(ShutdownType shutType, bool forced) {
    RunState& rt = p.rt;
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
        WriteLog(p, "PowerFail", rt.ShutTypeName);
        StepMessage(MsgIcon::Exclamation, rt.AppTitle + " Shutdown Error",
                    "Unable to " + rt.ShutTypeName +
                        " the computer.\r\nError Number: " + ErrorNumberText(error.number) +
                        "\r\nError description: " + WithoutTrailingLineEnds(error.what()) +
                        "\r\nMonitoring starts again.");
        if (rt.MonState == 2) RestartMonitor();
        return false;
    }
}

} // namespace qz
