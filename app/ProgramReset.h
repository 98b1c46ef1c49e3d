#pragma once
#include "app/Monitor.h"
#include "core/Program.h"

namespace qz {

// Makes the configuration file take effect by a full restart of the monitor: reloads the settings and
// the link, resets the monitor, makes sure the log exists, logs the update and shows the new status.
// Leaving the configuration screen after a save does this; so may a reload asked for from outside.
void ResetProgram(Program& p, Monitor& monitor);

} // namespace qz
