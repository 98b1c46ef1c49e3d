#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

inline constexpr const char* kConfigDir = "Data\\";
inline constexpr const char* kConfigName = "Quenzel.ini";
inline constexpr const char* kConfigPath = "Data\\Quenzel.ini";

// Reads and checks "Data\Quenzel.ini" into p.set and p.rt.ConfigText; valid settings that are not
// enough to run set NotConfigured. A corrupt or unreadable file shows the corrupted-configuration box
// and ends the program.
void ReadConfigFile(Program& p);

// The corrupted-configuration box, then the end of the program.
[[noreturn]] void ConfigCorrupted(Program& p);

} // namespace qz
