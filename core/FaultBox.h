#pragma once
#include "core/Fault.h"
#include "core/Program.h"

namespace qz {

// Shows a fault's box (OK button) under the program's title.
inline void ShowFault(Program& p, const Fault& fault) {
    p.svc.host.ShowMessage(fault.icon, MsgButtons::Ok, p.rt.appTitle + " " + fault.title, fault.text);
}

} // namespace qz
