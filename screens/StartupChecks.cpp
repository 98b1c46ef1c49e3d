#include "screens/StartupChecks.h"

namespace qz {

void EndWithMessage(Program& p, MsgIcon icon, const std::string& title, const std::string& text) {
    p.rt.TimerEnabled = false;
    p.svc.host.ShowMessage(icon, MsgButtons::Ok, title, text);
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(1);
}

} // namespace qz
