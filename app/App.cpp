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
    p.rt.appTitle = "Quenzel";
    EndOnFault(p, CheckDataDir(p.svc.files));
    LoadSettings(p);
    LoadLinkKey(p);
    window.view.caption = "Quenzel";
    p.rt.startOption = ReadStartOption(p.rt.commandLine);
    p.svc.system.RaisePriority();
    monitor.Reset();
    EndOnFault(p, CheckLogDir(p.svc.files, p.set.logFolder));
    CreateLogFile(p);
    p.rt.windowOverride = false;
    WriteLog(p, "", ""); // the empty line between the program's runs
    WriteLogHeader(p, 0);
    if (p.svc.processes.Watch().otherUsersHidden) WriteLog(p, "HidePid", "OtherUser");
    if (p.rt.notConfigured) WriteLog(p, "UnConfig", "********");
    monitor.ShowStatus();
    window.SetTrayIcon("Start");
    p.rt.screenOpen = false;
    MainView& view = window.view;
    if (view.state == WindowState::Minimised && view.trayAvailable) view.hidden = true;
    window.OnResized(); // the window is shown
}

void App::OnTimer() {
    RunState& rt = p.rt;
    if (!rt.timerOn) return;
    if (rt.tickPhase == 1) {
        monitor.Tick();
        rt.linkMark = p.set.peerAddress.size() > 3 ? "." : "";
        rt.tickPhase = 3;
        if (rt.aboutCloseCount < 1 && rt.screenOpen) host.UnloadAbout();
        if (rt.configCloseCount < 1 && rt.screenOpen) host.UnloadConfig();
    }
    rt.tickPhase = static_cast<int16_t>(rt.tickPhase - 1);
    link.OnTick();
}

} // namespace qz
