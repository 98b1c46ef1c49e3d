#pragma once
#include <QColor>
#include <QWidget>

namespace qz::test {

// How many of the widget's painted pixels are near the colour (anti-aliased edges are not).
inline int PixelsNear(QWidget& widget, const QColor& colour, int tolerance = 24) {
    const QImage image = widget.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

} // namespace qz::test
