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
        p.svc.host.ShowMessage(MsgIcon::Exclamation, MsgButtons::YesNo, p.rt.appTitle + " Port Error", text);
    if (answer == Answer::Yes) {
        p.svc.host.RemoveTrayIcon();
        p.svc.host.EndProgram(1);
    }
    p.rt.setupFault = true;
}

// Binds the link socket to the port this role listens on, unless it is bound there already.
void OpenLink(Program& p) {
    const bool slave = p.set.role == Role::Slave;
    p.rt.peerPort = slave ? p.set.mainPort : p.set.slavePort;
    int wanted = slave ? p.set.slavePort : p.set.mainPort;
    if (p.rt.boundPort == wanted) return;

    p.svc.socket.Close();
    // Recorded only once bound, so that a reload asking for the same port tries again.
    p.rt.boundPort = 0;
    if (p.svc.socket.Bind(wanted)) {
        p.rt.boundPort = wanted;
        return;
    }
    ReportPortInUse(p, wanted);
}

} // namespace

void LoadSettings(Program& p) {
    RunState& rt = p.rt;
    rt.screenOpen = false;
    rt.timerOn = false;
    rt.notConfigured = false;
    rt.setupFault = false;

    // Before the first read no key has a value to keep.
    ConfigRead read = ValueOrEnd(p, ReadConfigFile(p.svc.files, rt.configText.empty() ? nullptr : &p.set));
    p.set = std::move(read.settings);
    rt.configText = std::move(read.text);
    rt.notConfigured = !read.complete;
    // A reload back into main mode must not keep the slave's title.
    rt.appTitle = p.set.role == Role::Slave ? "Quenzel Slave" : "Quenzel";

    rt.tickPhase = 2;
    rt.aboutCloseCount = 60;
    rt.configCloseCount = 60;
    rt.configSaved = false;
    rt.applyStartMinimised = true;
    rt.linkMessage = kResetMessage;
    // A reload comes from the user, never from a flood: the peer's next command counts at once.
    p.link.resetActed.reset();
    p.link.testActed.reset();

    if (!p.set.peerAddress.empty()) OpenLink(p);
}

} // namespace qz
