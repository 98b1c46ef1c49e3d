#include <string>

#include "app/QuenzelMain.h"
#include "config/Numbers.h"
#include "app/ProgramLog.h"
#include "power/ShutdownTypes.h"
#include "screens/AdminTest.h"

namespace qz {
namespace {

// A time of day hh * 100 + mm as the program writes it: "0000" + the number, its last four
// characters, the first two the hours and the last two the minutes.
std::string FourDigits(int time) {
    const std::string text = "0000" + std::to_string(time);
    return text.substr(text.size() - 4);
}

int SecondsOfDay(int time) {
    const std::string t = FourDigits(time);
    const auto hours = static_cast<int>(LeadingNumber(t.substr(0, 2)));
    const auto minutes = static_cast<int>(LeadingNumber(t.substr(2)));
    return (hours * 60 + minutes) * 60;
}

// "22:30"
std::string ClockText(int time) {
    const std::string minutes = "0" + std::to_string(time);
    return FourDigits(time).substr(0, 2) + ":" + minutes.substr(minutes.size() - 2);
}

// Said after the sentence: that the kernel's process events replace the walk, and that a process
// of another user could run unseen, so the sentence promises no more than is watched.
std::string WatchNote(const ProcessWatch& watch) {
    std::string note = watch.kernelEvents ? "kernel process events" : "";
    if (watch.otherUsersHidden)
        note += (note.empty() ? "" : ", ") + std::string("other users' processes hidden");
    return note.empty() ? note : " (" + note + ")";
}

} // namespace

void QuenzelMain::ResetMonitor() {
    RunState& rt = p.rt;
    const Settings& s = p.set;
    ++resets;
    rt.TimerEnabled = false;
    rt.TestMode = false;
    rt.CountSeconds = s.activationDelay;
    rt.MonState = 0;
    rt.ProcMarks = "-- -- -- ";
    if (s.activation == ActivationMode::AtTimeOfDay) {
        const LocalTime now = p.svc.clock.Now();
        // The seconds of the present minute are ignored; a time passed today activates at once.
        rt.CountSeconds = SecondsOfDay(s.activationDelay) - (now.hour * 60 + now.minute) * 60;
        if (rt.CountSeconds < 0) rt.CountSeconds = 1;
    }
    rt.ShutTrigger = 0;
    if (s.stopTimeOn) rt.StopSeconds = SecondsOfDay(s.stopTime);
    rt.ProcDelayWork = static_cast<int16_t>(s.processDelay);
    rt.DelTimeWork = static_cast<int16_t>(s.fixedDelay);
    rt.ComDelayWork = static_cast<int16_t>(s.linkDelay);
    rt.ShutTimeWork = static_cast<int16_t>(s.shutdownDelay);
    // A trial runs with short delays in the working copies only: the settings stay as the file has
    // them, so the configuration screen shows and saves the user's values.
    if (rt.CmdLineMode == 1 || rt.CmdLineMode == 3) rt.ProcDelayWork = rt.ComDelayWork = 6;
    if (rt.CmdLineMode == 1) rt.ShutTimeWork = 6;
    view.CPULoad.text = "";
    rt.LinkMark = "-";
    rt.LinkIdle = 1;
    rt.ShutTypeName = InfoOf(s.shutdownType).name;

    view.CPULoad.back = kButtonFace;
    view.Counter.back = kButtonFace;
    view.CPULoad.fore = kButtonText;
    view.Counter.fore = kBlue;
    view.Title.fore = kButtonText;
    view.Title.bold = false;
    view.Counter.bold = false;
    for (ButtonView* button : {&view.Config, &view.About, &view.TestS, &view.Reset, &view.Update})
        button->enabled = true;

    const bool allowed = ExitPermitted(p);
    view.Exit.enabled = allowed;
    SetCloseAllowed(allowed);
    view.menuExit.enabled = allowed;
}

void QuenzelMain::ShowStatus() {
    RunState& rt = p.rt;
    const Settings& s = p.set;
    const bool slave = s.role == Role::Slave;
    const bool monitorOnly = s.shutdownType == ShutdownType::Monitor;

    int delay = rt.ProcDelayWork > 0 ? rt.ProcDelayWork : 0;
    if (slave && rt.ComDelayWork > delay) delay = rt.ComDelayWork;
    if (rt.CmdLineMode == 3) delay = s.role == Role::Main ? 600 : 60;
    const std::string condition = slave && !monitorOnly ? "are no communications" : "is no activity";

    view.Reset.tooltip = "Reset " + rt.AppTitle;
    view.Exit.tooltip = "Close " + rt.AppTitle;
    view.About.tooltip = "About " + rt.AppTitle;
    view.Config.tooltip = "Configure " + rt.AppTitle;
    view.TestS.tooltip = "Enables/Restarts " + rt.AppTitle + " Test Mode";
    view.caption = rt.AppTitle;

    std::string sentence =
        monitorOnly ? rt.ShutTypeName + " until no activity" : rt.ShutTypeName + " if there " + condition;
    sentence += " for " + std::to_string(delay) + "s";
    if (s.stopTimeOn) sentence += (monitorOnly ? " or until " : " or at ") + ClockText(s.stopTime);
    if (s.fixedDelayOn)
        sentence +=
            std::string(" or") + (monitorOnly ? " for " : " after ") + std::to_string(rt.DelTimeWork) + "s";
    sentence += WatchNote(p.svc.processes.Watch());
    view.Title.text = sentence;

    if (s.activation == ActivationMode::AfterDelay)
        view.Counter.text = "Program Activation In " + std::to_string(rt.CountSeconds) + "s";
    if (s.activation == ActivationMode::AtTimeOfDay)
        view.Counter.text = "Program Activation At " + ClockText(s.activationDelay);

    const bool usable = !rt.NotConfigured && !rt.SetupFault;
    if (!usable) {
        view.Counter.text = "";
        view.Title.fore = kOrange;
        view.Title.bold = true;
        view.Title.text = "Click Configure To Set Up Quenzel";
        view.Reset.enabled = false;
        view.TestS.enabled = false;
    }

    if (rt.ApplyStartMin && usable &&
        s.startMinimised != rt.WindowOverride)
        MinimiseWindow();
    rt.ApplyStartMin = true;
    if (!s.runOnTop) view.topMost = false;
    if (usable) WriteLog(p, "Start", "Initialise");
    rt.LinkMessage = "<QZA100>"; // the first message after a start is an ordinary alive message
    rt.TimerEnabled = true;
}

} // namespace qz
