#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

struct ScanResult {
    int16_t code = 0; // 1 name 1 found + 10 name 2 + 100 name 3
    bool ok = true;   // false when the process table could not be read
};

// Which of the three names run, compared whole and without regard to case.
ScanResult ScanProcesses(ProcessTable& table, const std::string& name1, const std::string& name2,
                         const std::string& name3);

} // namespace qz
