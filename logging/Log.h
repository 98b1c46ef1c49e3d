#pragma once
#include <string>
#include <string_view>

#include "core/Program.h"

namespace qz {

void CreateLogFile(Program& p);
void WriteLogHeader(Program& p, int mode); // 0 start-up header, 1 configuration block after an update
void WriteLog(Program& p, std::string_view event, std::string_view detail);

} // namespace qz
