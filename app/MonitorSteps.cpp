#include <algorithm>
#include <string>

#include "app/QuenzelMain.h"
#include "link/Link.h"
#include "app/ProgramLog.h"
#include "screens/AdminTest.h"
#include "sensing/ProcessScan.h"

namespace qz {
namespace {

int16_t AtMost(int value, int16_t limit) {
    return static_cast<int16_t>(std::min(value, static_cast<int>(limit)));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

void QuenzelMain::ActivationStep() {
    RunState& rt = p.rt;
    rt.CountSeconds -= 1;
    if (p.set.activation == ActivationMode::AfterDelay)
        view.Counter.text = "Program Activation In " + std::to_string(rt.CountSeconds) + "s";
    if (rt.CountSeconds <= 0) {
        rt.MonState = 1;
        rt.CountSeconds = 0;
        rt.IdleTicks = 0;
        rt.LinkSilence = 0;
        rt.RunSeconds = 0;
        if (!rt.NotConfigured) WriteLog(p, "Enter", "Run");
        if (p.set.role == Role::Main) rt.LinkSilence = rt.ComDelayWork; // a main station never waits for a link
    } else if (p.set.logLevel == LogLevel::Full && !rt.NotConfigured) {
        WriteLog(p, "Inactive", "");
    }
}

void QuenzelMain::CheckActivity() {
    RunState& rt = p.rt;
    const ScanResult scan = ScanProcesses(p.svc.processes, p.set.processNames[0], p.set.processNames[1], p.set.processNames[2]);
    if (scan.ok) {
        rt.ScanFailing = false;
        rt.NoActivity = scan.code == 0 ? 1 : 0;
    } else {
        // Never power off on a reading that failed; say so once per failure streak.
        rt.NoActivity = 0;
        if (!rt.ScanFailing) WriteLog(p, "ScanFail", "Processes");
        rt.ScanFailing = true;
    }
    const int code = scan.code;
    rt.ProcMarks = code % 10 == 1 ? "P1 " : ".. ";
    rt.ProcMarks += code / 10 % 10 == 1 ? "P2 " : ".. ";
    rt.ProcMarks += code / 100 % 10 == 1 ? "P3 " : ".. ";
    view.CPULoad.text = Trimmed(rt.ProcMarks + " " + rt.LinkMark);
}

void QuenzelMain::RunStep() {
    RunState& rt = p.rt;
    const Settings& s = p.set;
    CheckActivity();
    rt.CountSeconds += 1;
    rt.IdleTicks = static_cast<int16_t>(rt.IdleTicks + 1);
    rt.RunSeconds = static_cast<int16_t>(rt.RunSeconds + 1);
    if (s.role == Role::Slave) rt.LinkSilence = static_cast<int16_t>(rt.LinkSilence + 1);
    if (s.role == Role::Slave && rt.LinkIdle == 0) {
        rt.LinkSilence = 0;
        rt.CountSeconds = 0;
    }
    if (rt.NoActivity == 0) {
        rt.IdleTicks = 0;
        rt.CountSeconds = 0;
    }
    rt.IdleTicks = AtMost(rt.IdleTicks, rt.ProcDelayWork);
    rt.RunSeconds = AtMost(rt.RunSeconds, rt.DelTimeWork);
    rt.LinkSilence = AtMost(rt.LinkSilence, rt.ComDelayWork);

    LabelView& counter = view.Counter;
    counter.fore = kOrange;
    if (rt.CountSeconds > 0) {
        counter.text = "No activity for " + std::to_string(rt.CountSeconds) + "s";
    } else if (rt.CountSeconds == 0) {
        counter.text = "Activity";
        counter.fore = kDarkGreen;
    }
    if (s.fixedDelayOn) {
        counter.text += " - Delay Time Left: " + std::to_string(rt.DelTimeWork - rt.RunSeconds) + "s";
        if (rt.RunSeconds > rt.ProcDelayWork) counter.fore = kOrange;
    }
    if (rt.CountSeconds == 1) SetTrayIcon("NoActivity");
    if (rt.CountSeconds == 0) SetTrayIcon("Activity");

    // Fixed time and fixed delay belong to the main station; a slave follows its link.
    if (s.role == Role::Main && s.stopTimeOn) {
        const LocalTime now = p.svc.clock.Now();
        if ((now.hour * 60 + now.minute) * 60 == rt.StopSeconds) rt.ShutTrigger = 1;
    }
    if (s.role == Role::Main && s.fixedDelayOn && rt.RunSeconds >= rt.DelTimeWork) rt.ShutTrigger = 1;

    if ((rt.LinkSilence >= rt.ComDelayWork && rt.IdleTicks >= rt.ProcDelayWork) || rt.ShutTrigger == 1) {
        rt.MonState = 2;
        rt.CountSeconds = 0;
    } else if (s.logLevel == LogLevel::Full && !rt.NotConfigured) {
        WriteLog(p, "Run", "");
    }
    rt.LinkIdle = 1;
}

void QuenzelMain::OnReset() {
    switch (p.rt.MonState) {
    case 2:
        WriteLog(p, "Cancel", p.rt.ShutTypeName);
        break;
    case 1:
        WriteLog(p, "Reset", "Run");
        break;
    default:
        WriteLog(p, "Reset", "Initialise");
        break;
    }
    RestartMonitor();
    p.rt.LinkMessage = "<QZC000>";
    if (p.set.role == Role::Main) SendLinkMessage(p); // the slaves reset as well
}

void QuenzelMain::RestartMonitor() {
    RunState& rt = p.rt;
    view.Reset.caption = "&Reset";
    view.Reset.tooltip = "Reset " + rt.AppTitle;
    view.menuReset.visible = true;
    view.menuCancel.visible = false;
    for (MenuItemView* item : {&view.menuAbout, &view.menuConfigure, &view.menuMinimise, &view.menuRestore,
                               &view.menuTest, &view.menuUpdate})
        item->enabled = true;
    view.menuExit.enabled = ExitPermitted(p);
    OnResized();
    SetTrayIcon("Activate");
    // A cancelled real countdown puts the window back into its start state.
    rt.ApplyStartMin = rt.MonState == 2 && !rt.TestMode && rt.CmdLineMode != 1;
    ResetMonitor();
    ShowStatus();
}

void QuenzelMain::OnTest() {
    RunState& rt = p.rt;
    if (rt.NotConfigured || rt.SetupFault) return;
    ResetMonitor();
    rt.TestMode = true;
    rt.DelTimeWork = 7;
    rt.ProcDelayWork = 5;
    rt.ComDelayWork = 5;
    rt.CountSeconds = 2;
    rt.ApplyStartMin = false;
    WriteLog(p, "Enter", "Test");
    ShowStatus();
    view.Reset.caption = "&Reset";
    view.Reset.tooltip = "Reset " + rt.AppTitle;
    view.caption = rt.AppTitle + " - Test Mode";
    view.menuReset.visible = true;
    view.menuCancel.visible = false;
    SetTrayIcon("Activate");
    rt.LinkMessage = "<QZT000>";
    if (p.set.role == Role::Main) SendLinkMessage(p); // the slaves start their own test
}

} // namespace qz
