#include "app/MultiInst.h"

namespace qz {

void MultiInst::Form_Load() {
    view.caption = "Quenzel Start Up Error";
    view.ErrorMess = "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.";
}

void MultiInst::Form_Activate() {
    view.topMost = true;
}

void MultiInst::Exit_Click() {
    p.svc.host.EndProgram(1);
}

void MultiInst::Logo_Click() {
    pages.OpenWebPage("index.htm");
}

} // namespace qz
