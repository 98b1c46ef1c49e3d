#pragma once
#include <QSystemTrayIcon>
#include <string>

namespace qz {

// The program's icon in the notification area. It shows the picture of the monitor's key and
// stays away for good once it has been removed (the program is ending).
class Tray {
  public:
    explicit Tray(bool available = QSystemTrayIcon::isSystemTrayAvailable());

    // Whether the desktop has a notification area to hide the window into.
    bool Available() const { return available_; }
    // Shows the picture of key with the tip; an empty key shows no icon.
    void Show(const std::string& key, const std::string& tip);
    void Remove();
    bool Removed() const { return removed_; }
    const std::string& Key() const { return key_; }

    QSystemTrayIcon& Icon() { return icon_; }

  private:
    QSystemTrayIcon icon_;
    bool available_;
    bool removed_ = false;
    std::string key_;
};

} // namespace qz
