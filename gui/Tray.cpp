#include "gui/Tray.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "gui/Pictures.h"
#include "gui/config/ViewWidgets.h"

namespace qz {

Tray::Tray(Probe available)
    : available_(std::move(available)), balloon_([this](const QString& title, const QString& text) {
          icon_.showMessage(title, text, QSystemTrayIcon::Warning);
      }) {}

void Tray::Show(const std::string& key, const std::string& tip) {
    if (removed_) return;
    if (key != key_) {
        key_ = key;
        icon_.setIcon(TrayPicture(key));
    }
    const QString tooltip = FromViewText(tip);
    if (icon_.toolTip() != tooltip) icon_.setToolTip(tooltip);
    const bool visible = !key.empty();
    if (icon_.isVisible() != visible) icon_.setVisible(visible);
}

void Tray::Remove() {
    removed_ = true;
    icon_.hide();
}

void Tray::Notify(const std::string& title, const std::string& text) {
    if (removed_) return;
    if (!key_.empty() && Available())
        balloon_(FromViewText(title), FromViewText(text));
    else
        NotifyDesktop(FromViewText(title), FromViewText(text));
}

// Sent without waiting for the answer: the window never stalls on the bus, and where no service
// answers the error reply is simply dropped.
void Tray::NotifyDesktop(const QString& title, const QString& text) const {
    const QDBusConnection bus =
        notificationBus_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(notificationBus_);
    if (!bus.isConnected()) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                       "org.freedesktop.Notifications", "Notify");
    const QVariantMap hints{{"desktop-entry", QString("quenzel")}};
    call << QString("Quenzel") << 0u << QString("quenzel") << title << text << QStringList() << hints << -1;
    bus.send(call);
}

} // namespace qz
