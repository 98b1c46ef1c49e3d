#pragma once
#include "core/Program.h"

namespace qz {

// (Re)loads the settings and binds the link socket to the port this station listens on. A
// configuration that cannot be read ends the program; a port in use asks whether to end it.
void LoadSettings(Program& p);

} // namespace qz
