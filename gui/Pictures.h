#pragma once
#include <QIcon>
#include <string>

namespace qz {

// The window's own icon: the product's logo.
QIcon WindowIcon();

// The tray's picture for a key: "Start" and "Activate" share one, "Activity", "NoActivity" (the
// window's own icon) and "Shutdown". A null icon for any other key.
QIcon TrayPicture(const std::string& key);

} // namespace qz
