#include "app/App.h"

#include "app/LinkKey.h"
#include "app/LoadSettings.h"
#include "app/ProgramEnd.h"
#include "app/ProgramLog.h"
#include "app/Startup.h"
#include "core/PathChecks.h"
#include "link/Link.h"

namespace qz {

App::App(Program& program, WindowHost& windowHost)
    : window(program, windowHost, monitor, link), monitor(program, window), link(program, monitor, window),
      p(program), host(windowHost) {}

void App::Load() {
    p.rt.AppTitle = "Quenzel";
    EndOnFault(p, CheckDataDir(p.svc.files));
    LoadSettings(p);
    LoadLinkKey(p);
    window.view.caption = "Quenzel";
    p.rt.CmdLineMode = ReadCmdLineMode(p.rt.CommandLine);
    p.svc.system.RaisePriority();
    monitor.Reset();
    EndOnFault(p, CheckLogDir(p.svc.files, p.set.logFolder));
    CreateLogFile(p);
    p.rt.WindowOverride = false;
    WriteLog(p, "", ""); // the empty line between the program's runs
    WriteLogHeader(p, 0);
    if (p.svc.processes.Watch().otherUsersHidden) WriteLog(p, "HidePid", "OtherUser");
    if (p.rt.NotConfigured) WriteLog(p, "UnConfig", "********");
    monitor.ShowStatus();
    window.SetTrayIcon("Start");
    p.rt.DialogOpen = false;
    MainView& view = window.view;
    if (view.state == WindowState::Minimised && view.trayAvailable) view.hidden = true;
    window.OnResized(); // the window is shown
}

void App::OnTimer() {
    RunState& rt = p.rt;
    if (!rt.TimerEnabled) return;
    if (rt.TickPhase == 1) {
        monitor.Tick();
        rt.LinkMark = p.set.peerAddress.size() > 3 ? "." : "";
        rt.TickPhase = 3;
        if (rt.AboutCloseCount < 1 && rt.DialogOpen) host.UnloadAbout();
        if (rt.ConfigCloseCount < 1 && rt.DialogOpen) host.UnloadConfig();
    }
    rt.TickPhase = static_cast<int16_t>(rt.TickPhase - 1);
    link.OnTick();
}

} // namespace qz
