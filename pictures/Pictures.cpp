#include "pictures/Pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qz::pictures {
namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb kTile{0, 102, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kDot{255, 128, 0};

// Distances are in pixels; a shape covers a pixel by how far its edge lies from the pixel's centre,
// which smooths the edges as an antialiasing painter does.
double Cover(double distance) {
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

double Length(double x, double y) {
    return std::sqrt(x * x + y * y);
}

double RoundedSquare(double x, double y, double side, double radius) {
    const double half = side / 2;
    const double qx = std::abs(x - half) - (half - radius);
    const double qy = std::abs(y - half) - (half - radius);
    return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// A stroke with round caps from (ax, ay) to (bx, by).
double Segment(double x, double y, double ax, double ay, double bx, double by, double width) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return Length(x - ax - t * dx, y - ay - t * dy) - width / 2;
}

// A stroke with round caps along a circle, leaving out the gap between two angles (degrees,
// counted anticlockwise from three o'clock).
double OpenRing(double x, double y, double cx, double cy, double radius, double gapFrom, double gapTo,
                double width) {
    double angle = std::atan2(cy - y, x - cx) * 180 / std::numbers::pi;
    if (angle < 0) angle += 360;
    if (angle <= gapFrom || angle >= gapTo) return std::abs(Length(x - cx, y - cy) - radius) - width / 2;
    auto end = [&](double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return Length(x - cx - radius * std::cos(a), y - cy + radius * std::sin(a)) - width / 2;
    };
    return std::min(end(gapFrom), end(gapTo));
}

class Canvas {
  public:
    explicit Canvas(int size) : picture_{size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 4)} {}

    // Paints colour over every pixel by the coverage that shape gives its centre.
    template <class Shape> void Paint(Rgb colour, Shape shape) {
        const int size = picture_.size;
        for (int row = 0; row < size; ++row) {
            for (int column = 0; column < size; ++column) {
                const double alpha = Cover(shape(column + 0.5, row + 0.5));
                if (alpha > 0) Over(column, row, colour, alpha);
            }
        }
    }
    Picture Take() { return std::move(picture_); }

  private:
    void Over(int column, int row, Rgb colour, double alpha) {
        uint8_t* pixel = &picture_.rgba[(static_cast<size_t>(row) * picture_.size + column) * 4];
        const double below = pixel[3] / 255.0;
        const double out = alpha + below * (1 - alpha);
        auto mix = [&](uint8_t old, double value) {
            return static_cast<uint8_t>(std::lround((value * alpha + old * below * (1 - alpha)) / out));
        };
        pixel[0] = mix(pixel[0], colour.r);
        pixel[1] = mix(pixel[1], colour.g);
        pixel[2] = mix(pixel[2], colour.b);
        pixel[3] = static_cast<uint8_t>(std::lround(out * 255));
    }

    Picture picture_;
};

void PaintLogo(Canvas& canvas, double side) {
    canvas.Paint(kTile, [&](double x, double y) { return RoundedSquare(x, y, side, side / 6); });
    const double pen = side / 10;
    // The ring's gap is at the top, where the bar comes down into it.
    canvas.Paint(kWhite, [&](double x, double y) {
        return OpenRing(x, y, side / 2, side * 0.52, side / 4, 55, 125, pen);
    });
    canvas.Paint(kWhite, [&](double x, double y) {
        return Segment(x, y, side / 2, side * 0.18, side / 2, side / 2, pen);
    });
    canvas.Paint(kDot, [&](double x, double y) { return Length(x - side * 0.8, y - side * 0.8) - pen / 2; });
}

std::optional<Rgb> BadgeColour(const std::string& key) {
    if (key == "Start" || key == "Activate") return Rgb{0, 90, 210};
    if (key == "Activity") return Rgb{40, 200, 40};
    if (key == "Shutdown") return Rgb{210, 20, 20};
    return std::nullopt;
}

} // namespace

Picture DrawLogo(int size) {
    Canvas canvas(size);
    PaintLogo(canvas, size);
    return canvas.Take();
}

std::optional<Picture> DrawTrayPicture(const std::string& key, int size) {
    if (key == "NoActivity") return DrawLogo(size);
    const auto badge = BadgeColour(key);
    if (!badge) return std::nullopt;
    Canvas canvas(size);
    const double side = size;
    PaintLogo(canvas, side);
    const double cx = side * 0.76, cy = side * 0.76, radius = side * 0.22, pen = side / 16;
    canvas.Paint(*badge, [&](double x, double y) { return Length(x - cx, y - cy) - radius; });
    canvas.Paint(kWhite,
                 [&](double x, double y) { return std::abs(Length(x - cx, y - cy) - radius) - pen / 2; });
    return canvas.Take();
}

} // namespace qz::pictures
