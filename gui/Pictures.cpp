#include "gui/Pictures.h"

#include <QPainter>
#include <QPixmap>
#include <optional>

#include "gui/config/LogoPicture.h"

namespace qz {
namespace {

// The sizes trays and title bars ask for; each is drawn for itself so small ones stay sharp.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

QIcon IconOf(QPixmap (*draw)(int size, QColor badge), QColor badge) {
    QIcon icon;
    for (int size : kSizes)
        icon.addPixmap(draw(size, badge));
    return icon;
}

QPixmap PlainLogo(int size, QColor) {
    return DrawLogo(size);
}

// The logo with a round badge in the state's colour over its corner.
QPixmap BadgedLogo(int size, QColor badge) {
    QPixmap picture = DrawLogo(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = size;
    painter.setPen(QPen(Qt::white, side / 16));
    painter.setBrush(badge);
    painter.drawEllipse(QPointF(side * 0.76, side * 0.76), side * 0.22, side * 0.22);
    return picture;
}

std::optional<QColor> BadgeColour(const std::string& key) {
    if (key == "Start" || key == "Activate") return QColor(0, 90, 210);
    if (key == "Activity") return QColor(40, 200, 40);
    if (key == "Shutdown") return QColor(210, 20, 20);
    return std::nullopt;
}

} // namespace

QIcon WindowIcon() {
    return IconOf(PlainLogo, QColor());
}

QIcon TrayPicture(const std::string& key) {
    if (key == "NoActivity") return WindowIcon();
    if (const auto badge = BadgeColour(key)) return IconOf(BadgedLogo, *badge);
    return QIcon();
}

} // namespace qz
