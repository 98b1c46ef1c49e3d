#include <string>

#include "app/MainWindowModel.h"
#include "app/Monitor.h"
#include "app/ProgramLog.h"
#include "config/Numbers.h"
#include "config/Validation.h"
#include "power/ShutdownTypes.h"

namespace qz {
namespace {

// A time of day hh * 100 + mm, read from its text "hh:mm".
int SecondsOfDay(int time) {
    const std::string t = TimeText(time);
    const auto hours = static_cast<int>(LeadingNumber(t.substr(0, 2)));
    const auto minutes = static_cast<int>(LeadingNumber(t.substr(3)));
    return (hours * 60 + minutes) * 60;
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

void Monitor::Reset() {
    RunState& rt = p.rt;
    const Settings& set = p.set;
    ++resets;
    rt.timerOn = false;
    s.testMode = false;
    s.countSeconds = set.activationDelay;
    s.phase = MonitorPhase::Initialise;
    s.processMarks = "-- -- -- ";
    if (set.activation == ActivationMode::AtTimeOfDay) {
        const LocalTime now = p.svc.clock.Now();
        // The seconds of the present minute are ignored; a time passed today activates at once.
        s.countSeconds = SecondsOfDay(set.activationDelay) - (now.hour * 60 + now.minute) * 60;
        if (s.countSeconds < 0) s.countSeconds = 1;
    }
    s.triggered = false;
    if (set.stopTimeOn) s.stopSecond = SecondsOfDay(set.stopTime);
    s.delays = {set.processDelay, set.fixedDelay, set.linkDelay, set.shutdownDelay};
    // A trial runs with short delays in the working copies only: the settings stay as the file has
    // them, so the configuration screen shows and saves the user's values.
    if (rt.startOption == StartOption::InhibitShutdown || rt.startOption == StartOption::StartShutdown)
        s.delays.idle = s.delays.link = 6;
    if (rt.startOption == StartOption::InhibitShutdown) s.delays.countdown = 6;
    rt.linkMark = "-";
    p.link.peerHeard = false;
    s.actionName = InfoOf(set.shutdownType).name;
    window.ShowMonitorControls();
}

void Monitor::ShowStatus() {
    RunState& rt = p.rt;
    const Settings& set = p.set;
    const bool slave = set.role == Role::Slave;
    const bool monitorOnly = set.shutdownType == ShutdownType::Monitor;
    MainView& view = window.view;

    int delay = s.delays.idle > 0 ? s.delays.idle : 0;
    if (slave && s.delays.link > delay) delay = s.delays.link;
    if (rt.startOption == StartOption::StartShutdown) delay = set.role == Role::Main ? 600 : 60;
    const std::string condition = slave && !monitorOnly ? "are no communications" : "is no activity";

    view.reset.tooltip = "Reset " + rt.appTitle;
    view.exit.tooltip = "Close " + rt.appTitle;
    view.about.tooltip = "About " + rt.appTitle;
    view.configure.tooltip = "Configure " + rt.appTitle;
    view.test.tooltip = "Enables/Restarts " + rt.appTitle + " Test Mode";
    view.caption = rt.appTitle;

    std::string sentence =
        monitorOnly ? s.actionName + " until no activity" : s.actionName + " if there " + condition;
    sentence += " for " + std::to_string(delay) + "s";
    if (set.stopTimeOn) sentence += (monitorOnly ? " or until " : " or at ") + TimeText(set.stopTime);
    if (set.fixedDelayOn)
        sentence +=
            std::string(" or") + (monitorOnly ? " for " : " after ") + std::to_string(s.delays.fixed) + "s";
    sentence += WatchNote(p.svc.processes.Watch());
    view.title.text = sentence;

    if (set.activation == ActivationMode::AfterDelay)
        view.counter.text = "Program Activation In " + std::to_string(s.countSeconds) + "s";
    if (set.activation == ActivationMode::AtTimeOfDay)
        view.counter.text = "Program Activation At " + TimeText(set.activationDelay);

    const bool usable = !rt.notConfigured && !rt.setupFault;
    if (!usable) {
        view.counter.text = "";
        view.title.fore = kOrange;
        view.title.bold = true;
        view.title.text = "Click Configure To Set Up Quenzel";
        view.reset.enabled = false;
        view.test.enabled = false;
    }

    if (rt.applyStartMinimised && usable && set.startMinimised != rt.windowOverride) window.Minimise();
    rt.applyStartMinimised = true;
    if (!set.runOnTop) view.topMost = false;
    if (usable) WriteLog(p, "Start", "Initialise");
    rt.linkMessage = kAliveMessage; // the first message after a start is an ordinary alive message
    rt.timerOn = true;
}

} // namespace qz
