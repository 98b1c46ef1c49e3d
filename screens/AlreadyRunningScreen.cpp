#include "screens/AlreadyRunningScreen.h"

namespace qz {

void AlreadyRunningScreen::Load() {
    view.caption = "Quenzel Start Up Error";
    view.message = "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.";
}

void AlreadyRunningScreen::OnActivated() {
    view.topMost = true;
}

void AlreadyRunningScreen::OnExit() {
    p_.svc.host.EndProgram(1);
}

void AlreadyRunningScreen::OnLogo() {
    pages_.OpenWebPage("index.htm");
}

} // namespace qz
