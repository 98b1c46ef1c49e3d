#pragma once
#include "core/Program.h"

namespace qz {

// Whether the user counts as an administrator; always false under "-InhibitAdmin".
bool IsAdministrator(Program& p);

// Exit is permitted to administrators, and to everyone unless the settings reserve it to them.
bool ExitPermitted(Program& p);

} // namespace qz
