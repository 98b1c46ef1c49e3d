#include "app/Monitor.h"

#include <algorithm>
#include <string>

#include "app/MainWindowModel.h"
#include "app/ProgramLog.h"
#include "config/Numbers.h"
#include "link/Link.h"
#include "sensing/ProcessScan.h"

namespace qz {

Monitor::Monitor(Program& program, MainWindowModel& mainWindow)
    : p(program), s(program.monitor), window(mainWindow) {}

std::string Monitor::PhaseWord() const {
    switch (s.phase) {
    case MonitorPhase::Shutdown:
        return s.actionName;
    case MonitorPhase::Run:
        return "Run";
    case MonitorPhase::Initialise:
        break;
    }
    return "Initialise";
}

bool Monitor::MayStep(MonitorPhase phase) const {
    return !stepMessageOpen && s.phase == phase && !p.rt.screenOpen && !p.rt.notConfigured &&
           !p.rt.setupFault;
}

void Monitor::Tick() {
    // Each test reads the state afresh: a Run step that decides the shutdown is followed by the
    // first countdown step in the same tick.
    if (MayStep(MonitorPhase::Run)) RunStep();
    if (MayStep(MonitorPhase::Initialise)) ActivationStep();
    if (MayStep(MonitorPhase::Shutdown)) CountdownStep();
}

void Monitor::ActivationStep() {
    s.countSeconds -= 1;
    if (p.set.activation == ActivationMode::AfterDelay)
        window.view.counter.text = "Program Activation In " + std::to_string(s.countSeconds) + "s";
    if (s.countSeconds <= 0) {
        s.phase = MonitorPhase::Run;
        s.countSeconds = 0;
        s.idleSeconds = 0;
        s.linkSilence = 0;
        s.runSeconds = 0;
        if (!p.rt.notConfigured) WriteLog(p, "Enter", "Run");
        if (p.set.role == Role::Main) s.linkSilence = s.delays.link; // a main station never waits for a link
    } else if (p.set.logLevel == LogLevel::Full && !p.rt.notConfigured) {
        WriteLog(p, "Inactive", "");
    }
}

void Monitor::CheckActivity() {
    const ScanResult scan =
        ScanProcesses(p.svc.processes, p.set.processNames[0], p.set.processNames[1], p.set.processNames[2]);
    if (scan.ok) {
        s.scanFailing = false;
        s.idle = scan.code == 0;
    } else {
        // Never power off on a reading that failed; say so once per failure streak.
        s.idle = false;
        if (!s.scanFailing) WriteLog(p, "ScanFail", "Processes");
        s.scanFailing = true;
    }
    const int code = scan.code;
    s.processMarks = code % 10 == 1 ? "P1 " : ".. ";
    s.processMarks += code / 10 % 10 == 1 ? "P2 " : ".. ";
    s.processMarks += code / 100 % 10 == 1 ? "P3 " : ".. ";
    window.view.statusLine.text = std::string(TrimBlanks(s.processMarks + " " + p.rt.linkMark));
}

void Monitor::RunStep() {
    const Settings& set = p.set;
    const bool slave = set.role == Role::Slave;
    CheckActivity();
    s.countSeconds += 1;
    s.idleSeconds += 1;
    s.runSeconds += 1;
    if (slave) s.linkSilence += 1;
    if (slave && p.link.peerHeard) {
        s.linkSilence = 0;
        s.countSeconds = 0;
    }
    if (!s.idle) {
        s.idleSeconds = 0;
        s.countSeconds = 0;
    }
    s.idleSeconds = std::min(s.idleSeconds, s.delays.idle);
    s.runSeconds = std::min(s.runSeconds, s.delays.fixed);
    s.linkSilence = std::min(s.linkSilence, s.delays.link);

    LabelView& counter = window.view.counter;
    counter.fore = kOrange;
    if (s.countSeconds > 0) {
        counter.text = "No activity for " + std::to_string(s.countSeconds) + "s";
    } else if (s.countSeconds == 0) {
        counter.text = "Activity";
        counter.fore = kDarkGreen;
    }
    if (set.fixedDelayOn) {
        counter.text += " - Delay Time Left: " + std::to_string(s.delays.fixed - s.runSeconds) + "s";
        if (s.runSeconds > s.delays.idle) counter.fore = kOrange;
    }
    if (s.countSeconds == 1) window.SetTrayIcon("NoActivity");
    if (s.countSeconds == 0) window.SetTrayIcon("Activity");

    // Fixed time and fixed delay belong to the main station; a slave follows its link.
    if (set.role == Role::Main && set.stopTimeOn) {
        const LocalTime now = p.svc.clock.Now();
        if ((now.hour * 60 + now.minute) * 60 == s.stopSecond) s.triggered = true;
    }
    if (set.role == Role::Main && set.fixedDelayOn && s.runSeconds >= s.delays.fixed) s.triggered = true;

    if ((s.linkSilence >= s.delays.link && s.idleSeconds >= s.delays.idle) || s.triggered) {
        s.phase = MonitorPhase::Shutdown;
        s.countSeconds = 0;
    } else if (set.logLevel == LogLevel::Full && !p.rt.notConfigured) {
        WriteLog(p, "Run", "");
    }
    p.link.peerHeard = false;
}

void Monitor::UserReset() {
    switch (s.phase) {
    case MonitorPhase::Shutdown:
        WriteLog(p, "Cancel", s.actionName);
        break;
    case MonitorPhase::Run:
        WriteLog(p, "Reset", "Run");
        break;
    case MonitorPhase::Initialise:
        WriteLog(p, "Reset", "Initialise");
        break;
    }
    StartOver();
    p.rt.linkMessage = kResetMessage;
    if (p.set.role == Role::Main) SendLinkMessage(p); // the slaves reset as well
}

void Monitor::StartOver() {
    window.ShowStartControls();
    // A cancelled real countdown puts the window back into its start state.
    p.rt.applyStartMinimised =
        s.phase == MonitorPhase::Shutdown && !s.testMode && p.rt.startOption != StartOption::InhibitShutdown;
    Reset();
    ShowStatus();
}

void Monitor::StartTest() {
    if (p.rt.notConfigured || p.rt.setupFault) return;
    Reset();
    s.testMode = true;
    s.delays.fixed = 7;
    s.delays.idle = 5;
    s.delays.link = 5;
    s.countSeconds = 2;
    p.rt.applyStartMinimised = false;
    WriteLog(p, "Enter", "Test");
    ShowStatus();
    window.ShowTestControls();
    p.rt.linkMessage = "<QZT000>";
    if (p.set.role == Role::Main) SendLinkMessage(p); // the slaves start their own test
}

} // namespace qz
