#include "controls/Readable.h"

#include <QImage>

#include <cmath>

namespace Readable {

namespace {

double Luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor On(const QColor& colour, const QColor& background, double needed) {
    // Towards the end of the scale that lies farther from the background.
    const QColor end = Luminance(background) < 0.18 ? Qt::white : Qt::black;
    QColor c = colour;
    for (int step = 1; step <= 10 && Contrast(c, background) < needed; ++step) {
        const double t = step / 10.0;
        c = QColor::fromRgbF(float(colour.redF() + (end.redF() - colour.redF()) * t),
                             float(colour.greenF() + (end.greenF() - colour.greenF()) * t),
                             float(colour.blueF() + (end.blueF() - colour.blueF()) * t));
    }
    return c;
}

QColor AverageOf(const QImage& picture) {
    return picture.isNull() ? QColor()
                            : picture.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .pixelColor(0, 0);
}

}  // namespace Readable
