#include "gui/Pictures.h"

#include <QPixmap>

#include "gui/config/LogoPicture.h"
#include "pictures/Pictures.h"

namespace qz {
namespace {

// The sizes trays and title bars ask for; each is drawn for itself so small ones stay sharp.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

QIcon IconOf(const std::string& key) {
    QIcon icon;
    for (int size : kSizes) {
        if (const auto picture = pictures::DrawTrayPicture(key, size)) icon.addPixmap(ToPixmap(*picture));
    }
    return icon;
}

} // namespace

// The window's icon is the tray's "NoActivity" picture: the plain logo.
QIcon WindowIcon() {
    return IconOf("NoActivity");
}

QIcon TrayPicture(const std::string& key) {
    return IconOf(key);
}

} // namespace qz
