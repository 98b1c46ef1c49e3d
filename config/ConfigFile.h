#pragma once
#include <string>

#include "core/Fault.h"
#include "core/Settings.h"
#include "platform/FileSys.h"

namespace qz {

inline constexpr const char* kConfigDir = "Data\\";
inline constexpr const char* kConfigName = "Quenzel.ini";
inline constexpr const char* kConfigPath = "Data\\Quenzel.ini";

struct ConfigRead {
    Settings settings;
    std::string text; // the file's significant lines for the log, without the station's mode
    bool complete;    // enough to run in the station's role
};

// Reads and checks "Data\Quenzel.ini". A key the file lacks keeps its value from previous. A missing
// folder or file, or a file that cannot be read or holds a wrong value, is a fault.
Result<ConfigRead> ReadConfigFile(const FileSys& files, const Settings* previous = nullptr);

// The fault of a corrupt configuration file.
Fault CorruptConfig();

} // namespace qz
