#pragma once
#include <string>

#include "core/Program.h"

namespace qz {

// The product's web site. Every page the program opens is an address below it.
inline constexpr const char* kWebSiteBase = "https://www.quenzel.example/";
// The site as the About screen shows it.
inline constexpr const char* kWebSiteText = "www.quenzel.example";

// Opens a page of the web site ("index.htm") in the user's browser without waiting for it. A
// browser that cannot be started is reported in a box; it never stops the program.
void OpenWebPage(Program& p, const std::string& page);

} // namespace qz
