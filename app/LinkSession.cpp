#include "app/LinkSession.h"

#include "app/MainWindowModel.h"
#include "app/Monitor.h"
#include "app/ProgramLog.h"

namespace qz {

LinkSession::LinkSession(Program& program, Monitor& theMonitor, MainWindowModel& mainWindow)
    : p(program), monitor(theMonitor), window(mainWindow) {}

void LinkSession::OnDatagram() {
    qz::OnDatagram(p, *this);
}

void LinkSession::OnTick() {
    LinkTick(p, *this);
    const MonitorState& s = monitor.State();
    if (p.set.role == Role::Main && !p.rt.notConfigured && !p.rt.setupFault && !p.set.peerAddress.empty() &&
        (s.phase == MonitorPhase::Run || (s.phase == MonitorPhase::Initialise && s.countSeconds == 1)))
        SendLinkMessage(p);
}

void LinkSession::OnClose() {
    LogLinkDrops(p, *this, true);
}

void LinkSession::RemoteReset() {
    monitor.UserReset();
}

void LinkSession::RemoteTest() {
    monitor.StartTest();
}

void LinkSession::ShowLinkError(const std::string& text) {
    window.ShowLinkError(text);
}

void LinkSession::LogEvent(std::string_view word, std::string_view detail) {
    WriteLog(p, word, detail);
}

} // namespace qz
