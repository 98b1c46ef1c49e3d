#pragma once
#include <string>

#include "core/Settings.h"
#include "core/Version.h"

namespace qz {

// The log's location: folder and name joined directly, built afresh for every use so a
// reloaded configuration takes effect at once.
inline std::string LogFilePath(const Settings& s) {
    return s.logFolder + s.logName;
}

// "Version 1.6"
inline std::string VersionText() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

} // namespace qz
