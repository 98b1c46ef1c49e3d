#pragma once
#include "core/Program.h"

namespace qz {

// Whether the user counts as an administrator; always false under "-InhibitAdmin".
bool IsAdministrator(Program& p);

// Exit is permitted to administrators, or to everyone when UserExit is 1.
bool ExitPermitted(Program& p);

} // namespace qz
