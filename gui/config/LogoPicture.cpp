#include "gui/config/LogoPicture.h"

#include <QMouseEvent>
#include <QPainter>
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
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal side = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 102, 0));
    painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6, side / 6);

    QPen pen(Qt::white, side / 10, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF ring(side * 0.25, side * 0.27, side * 0.5, side * 0.5);
    // Qt counts angles in sixteenths of a degree from three o'clock; the gap is at the top.
    painter.drawArc(ring, 125 * 16, 290 * 16);
    painter.drawLine(QPointF(side / 2, side * 0.18), QPointF(side / 2, side * 0.5));

    pen.setColor(QColor(255, 128, 0));
    painter.setPen(pen);
    painter.drawPoint(QPointF(side * 0.8, side * 0.8));
    return picture;
}

} // namespace qz
