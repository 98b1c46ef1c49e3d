#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

inline constexpr int kLogNormal = 2; // LogLevel: 1 None, 2 Normal, 3 Full
inline constexpr int kLogFull = 3;

// The log's location: LogPath and LogName joined directly, built afresh for every use so a
// reloaded configuration takes effect at once.
inline std::string LogFilePath(const Settings& s) {
    return s.LogPath + s.LogName;
}

// "Version 1.6"
inline std::string VersionText() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

// Ends the program when the log folder or the log file is missing.
void CheckLogExists(Program& p);

} // namespace qz
