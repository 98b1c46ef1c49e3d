#include "gui/config/LogoPicture.h"

#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

namespace qz {

LogoPicture::LogoPicture(std::function<void()> onClick, QWidget* parent)
    : QLabel(parent), onClick_(std::move(onClick)) {
    setPixmap(DrawLogo(48));
    setCursor(Qt::PointingHandCursor);
}

void LogoPicture::mouseReleaseEvent(QMouseEvent* event) {
    // A press that is dragged off the picture and released elsewhere is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        onClick_();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

QPixmap DrawLogo(int size) {
    return ToPixmap(pictures::DrawLogo(size));
}

// The pictures are drawn once for both desktop front ends; Qt only shows them.
QPixmap ToPixmap(const pictures::Picture& picture) {
    const QImage image(picture.rgba.data(), picture.size, picture.size, picture.size * 4,
                       QImage::Format_RGBA8888);
    return QPixmap::fromImage(image.copy());
}

} // namespace qz
