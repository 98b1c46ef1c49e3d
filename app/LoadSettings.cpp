#include "app/LoadSettings.h"

#include "app/ProgramEnd.h"
#include "config/ConfigFile.h"
#include "link/LinkMessage.h"

namespace qz {
namespace {

void ReportPortInUse(Program& p, int port) {
    std::string text = "The RX Port " + std::to_string(port) +
                       " Is Already In Use\r\n"
                       "This Error Must Be Resolved Before\r\n"
                       "You Can Use Quenzel.\r\n"
                       "Use The Configuration Screen\r\n"
                       "To Change The RX Port.\r\n"
                       "Do You Want To End The Program?";
    Answer answer =
        p.svc.host.ShowMessage(MsgIcon::Exclamation, MsgButtons::YesNo, p.rt.AppTitle + " Port Error", text);
    if (answer == Answer::Yes) {
        p.svc.host.RemoveTrayIcon();
        p.svc.host.EndProgram(1);
    }
    p.rt.SetupFault = true;
}

// Binds the link socket to the port this role listens on, unless it is bound there already.
void OpenLink(Program& p) {
    const bool slave = p.set.role == Role::Slave;
    p.rt.PeerPort = slave ? p.set.mainPort : p.set.slavePort;
    int wanted = slave ? p.set.slavePort : p.set.mainPort;
    if (p.rt.BoundPort == wanted) return;

    p.svc.socket.Close();
    // Recorded only once bound, so that a reload asking for the same port tries again.
    p.rt.BoundPort = 0;
    if (p.svc.socket.Bind(wanted)) {
        p.rt.BoundPort = wanted;
        return;
    }
    ReportPortInUse(p, wanted);
}

} // namespace

void LoadSettings(Program& p) {
    RunState& rt = p.rt;
    rt.DialogOpen = false;
    rt.TimerEnabled = false;
    rt.NotConfigured = false;
    rt.SetupFault = false;

    // Before the first read no key has a value to keep.
    ConfigRead read = ValueOrEnd(p, ReadConfigFile(p.svc.files, rt.ConfigText.empty() ? nullptr : &p.set));
    p.set = std::move(read.settings);
    rt.ConfigText = std::move(read.text);
    rt.NotConfigured = !read.complete;
    // A reload back into main mode must not keep the slave's title.
    rt.AppTitle = p.set.role == Role::Slave ? "Quenzel Slave" : "Quenzel";

    rt.TickPhase = 2;
    rt.AboutCloseCount = 60;
    rt.ConfigCloseCount = 60;
    rt.ConfigSaved = false;
    rt.ApplyStartMin = true;
    rt.LinkMessage = kResetMessage;
    // A reload comes from the user, never from a flood: the peer's next command counts at once.
    p.link.resetActed.reset();
    p.link.testActed.reset();

    if (!p.set.peerAddress.empty()) OpenLink(p);
}

} // namespace qz
