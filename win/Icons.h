#pragma once
#include <windows.h>

#include <string>

namespace qz::win {

// The product's pictures as icons, drawn for the size asked; each is made once and lives as long
// as the program.
HICON LogoIcon(int size);
// The tray's icon for a monitor key; null for a key that has none.
HICON TrayIcon(const std::string& key, int size);

} // namespace qz::win
