#include "tests/gui/TrayWatcher.h"

#include <QDBusConnectionInterface>

namespace qz::test {

bool TrayWatcher::Register(QDBusConnection bus) {
    return bus.registerObject("/StatusNotifierWatcher", this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties |
                                  QDBusConnection::ExportAllSignals) &&
           bus.registerService("org.kde.StatusNotifierWatcher");
}

void TrayWatcher::RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    // An item may name itself by its object path only; it then lives at the caller's bus name.
    const QString item = service.startsWith('/') ? message.service() + service : service;
    items_.append(item);
    emit StatusNotifierItemRegistered(item);
}

void TrayWatcher::RegisterStatusNotifierHost(const QString&) {}

} // namespace qz::test
