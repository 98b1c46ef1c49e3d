#pragma once
#include <cstdint>

#include "core/Settings.h"
#include "platform/FileSys.h"
#include "screens/config/ConfigView.h"

namespace qz {

// What the field checks read besides the fields.
struct CheckContext {
    bool mainStation = false;
    bool slave = false;
    ShutdownType shutType = ShutdownType::PowerOff; // the chosen one
    bool setupFault = false;                        // a link setup fault that is still to be reported
    const FileSys& files;
};

// Every hint back to its unmarked look, the Shutdown After hint to its own text, the status line empty.
void ClearHighlights(ConfigView& v);

// Marks the hint of every field that fails a check, switches on a failing field that the mode had
// switched off, and returns the number of failed checks (a field may fail several).
int16_t MarkFailedFields(ConfigView& v, const CheckContext& c);

} // namespace qz
