#include "screens/AlreadyRunningScreen.h"

namespace qz {

void AlreadyRunningScreen::Load() {
    view.caption = "Quenzel Start Up Error";
    view.ErrorMess = "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.";
}

void AlreadyRunningScreen::OnActivated() {
    view.topMost = true;
}

void AlreadyRunningScreen::OnExit() {
    p.svc.host.EndProgram(1);
}

void AlreadyRunningScreen::OnLogo() {
    pages.OpenWebPage("index.htm");
}

} // namespace qz
