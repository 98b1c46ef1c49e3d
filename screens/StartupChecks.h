#pragma once
#include <string>
#include <string_view>

#include "core/Program.h"

namespace qz {

// Ends the program after a fatal condition: stops the main timer, shows the box (OK button), removes
// the tray icon and ends with status 1.
[[noreturn]] void EndWithMessage(Program& p, MsgIcon icon, const std::string& title, const std::string& text);

// Ends the program because the system could not tell whether a folder or file is there: the box
// names it and gives the system's reason.
[[noreturn]] void EndUnchecked(Program& p, MsgIcon icon, const std::string& title, std::string_view subject,
                               const PathCheck& check);

// Each returns only when its folder or file exists; otherwise it reports and ends the program, with
// the system's reason when it could not be checked.
void CheckDataDir(Program& p, std::string_view name); // always "data"
void CheckConfigFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file);
void CheckLogDir(Program& p, std::string_view path); // LogPath
void CheckLogFile(Program& p, std::string_view kind, std::string_view dir, std::string_view file);

} // namespace qz
