#pragma once
#include <string_view>

#include "core/Program.h"

namespace qz {

// The program's log, written with the monitor's marks. A log that cannot be made or written ends
// the program with its box.
void CreateLogFile(Program& p);
void WriteLogHeader(Program& p, int mode); // 0 start-up header, 1 configuration block after an update
void WriteLog(Program& p, std::string_view event, std::string_view detail);

} // namespace qz
