#include "app/QuenzelMain.h"

#include "app/LinkKey.h"
#include "app/Startup.h"
#include "link/Link.h"
#include "app/ProgramLog.h"
#include "screens/AdminTest.h"
#include "app/LoadSettings.h"
#include "core/PathChecks.h"
#include "core/ProgramEnd.h"

namespace qz {

QuenzelMain::QuenzelMain(Program& program, WindowHost& host) : p(program), window(host) {}

void QuenzelMain::Load() {
    p.rt.AppTitle = "Quenzel";
    EndOnFault(p, CheckDataDir(p.svc.files));
    LoadSettings(p);
    LoadLinkKey(p);
    view.caption = "Quenzel";
    p.rt.CmdLineMode = ReadCmdLineMode(p.rt.CommandLine);
    p.svc.system.RaisePriority();
    ResetMonitor();
    EndOnFault(p, CheckLogDir(p.svc.files, p.set.logFolder));
    CreateLogFile(p);
    p.rt.WindowOverride = false;
    WriteLog(p, "", ""); // the empty line between the program's runs
    WriteLogHeader(p, 0);
    if (p.svc.processes.Watch().otherUsersHidden) WriteLog(p, "HidePid", "OtherUser");
    if (p.rt.NotConfigured) WriteLog(p, "UnConfig", "********");
    ShowStatus();
    SetTrayIcon("Start");
    p.rt.DialogOpen = false;
    if (view.state == WindowState::Minimised && view.trayAvailable) view.hidden = true;
    OnResized(); // the window is shown
}

void QuenzelMain::OnActivated() {
    view.topMost = p.set.runOnTop;
    if (view.state == WindowState::Minimised && view.trayAvailable) view.hidden = true;
    if (p.rt.NotConfigured || p.rt.SetupFault) {
        view.menuReset.enabled = false;
        view.menuTest.enabled = false;
    }
    view.menuExit.enabled = ExitPermitted(p);
}

void QuenzelMain::OnExit() {
    Close();
}

void QuenzelMain::Close() {
    p.rt.TimerEnabled = false;
    LogLinkDrops(p, *this, true);
    if (!p.rt.NotConfigured) WriteLog(p, "Exit", StateWord());
    window.UnloadAbout();
    window.UnloadConfig();
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(0);
}

std::string QuenzelMain::StateWord() const {
    switch (p.rt.MonState) {
    case 2:
        return p.rt.ShutTypeName;
    case 1:
        return "Run";
    default:
        return "Initialise";
    }
}

bool QuenzelMain::MonitorMayStep(int16_t state) const {
    return !stepMessageOpen && p.rt.MonState == state && !p.rt.DialogOpen && !p.rt.NotConfigured &&
           !p.rt.SetupFault;
}

void QuenzelMain::OnTimer() {
    RunState& rt = p.rt;
    if (!rt.TimerEnabled) return;
    if (rt.TickPhase == 1) {
        // Each test reads the state afresh: a Run step that decides the shutdown is followed by
        // the first countdown step in the same tick.
        if (MonitorMayStep(1)) RunStep();
        if (MonitorMayStep(0)) ActivationStep();
        if (MonitorMayStep(2)) ShutdownStep();
        rt.LinkMark = p.set.peerAddress.size() > 3 ? "." : "";
        rt.TickPhase = 3;
        if (rt.AboutCloseCount < 1 && rt.DialogOpen) window.UnloadAbout();
        if (rt.ConfigCloseCount < 1 && rt.DialogOpen) window.UnloadConfig();
    }
    rt.TickPhase = static_cast<int16_t>(rt.TickPhase - 1);
    LinkTick(p, *this);
    // A main station tells its slaves it is alive while it monitors and in the last second of
    // the activation delay.
    if (p.set.role == Role::Main && !rt.NotConfigured && !rt.SetupFault && !p.set.peerAddress.empty() &&
        (rt.MonState == 1 || (rt.MonState == 0 && rt.CountSeconds == 1)))
        SendLinkMessage(p);
}

void QuenzelMain::OnDatagram() {
    qz::OnDatagram(p, *this);
}

void QuenzelMain::RemoteReset() {
    OnReset();
}

void QuenzelMain::RemoteTest() {
    OnTest();
}

void QuenzelMain::LogEvent(std::string_view word, std::string_view detail) {
    WriteLog(p, word, detail);
}

void QuenzelMain::ShowLinkError(const std::string& text) {
    view.Counter.bold = true;
    view.Counter.fore = kOrange;
    view.Counter.text = text;
}

} // namespace qz
