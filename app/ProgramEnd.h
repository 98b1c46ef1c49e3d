#pragma once
#include <cstdlib>

#include "core/FaultBox.h"

namespace qz {

// Ends the program after a fatal fault: stops the main timer, shows the box, removes the tray icon
// and ends with status 1.
[[noreturn]] inline void EndWithFault(Program& p, const Fault& fault) {
    p.rt.timerOn = false;
    ShowFault(p, fault);
    p.svc.host.RemoveTrayIcon();
    p.svc.host.EndProgram(1);
    // The call is virtual, so the compiler cannot see that it never returns.
    std::abort();
}

// The value of a result, or the end of the program with its fault.
template <typename T> T ValueOrEnd(Program& p, Result<T> result) {
    if (!result) EndWithFault(p, result.fault());
    return std::move(result.value());
}

inline void EndOnFault(Program& p, const Result<void>& result) {
    if (!result) EndWithFault(p, result.fault());
}

} // namespace qz
