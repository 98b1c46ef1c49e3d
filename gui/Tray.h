#pragma once
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <string>
#include <utility>

namespace qz {

// The program's icon in the notification area. It shows the picture of the monitor's key and
// stays away for good once it has been removed (the program is ending).
class Tray {
  public:
    using BalloonSink = std::function<void(const QString& title, const QString& text)>;
    using Probe = std::function<bool()>;

    // available tells whether the desktop has a notification area now; it is asked again each time.
    explicit Tray(Probe available = &QSystemTrayIcon::isSystemTrayAvailable);

    // Whether the desktop has a notification area to hide the window into. Its host may end or
    // start at any time; Qt docks the icon again by itself when one starts.
    bool Available() const { return available_(); }
    // Shows the picture of key with the tip; an empty key shows no icon.
    void Show(const std::string& key, const std::string& tip);
    void Remove();
    bool Removed() const { return removed_; }
    const std::string& Key() const { return key_; }

    // Says a notice beside the window: in the icon's message balloon while the icon shows,
    // otherwise through the desktop's notification service, if there is one. Nothing once removed.
    void Notify(const std::string& title, const std::string& text);
    // Where the balloons go in place of the icon's own.
    void SetBalloonSink(BalloonSink sink) { balloon_ = std::move(sink); }
    // The named connection the notification service is reached on in place of the session bus.
    void SetNotificationBus(const QString& connectionName) { notificationBus_ = connectionName; }

    QSystemTrayIcon& Icon() { return icon_; }

  private:
    void NotifyDesktop(const QString& title, const QString& text) const;

    QSystemTrayIcon icon_;
    Probe available_;
    bool removed_ = false;
    std::string key_;
    BalloonSink balloon_;
    QString notificationBus_;
};

} // namespace qz
