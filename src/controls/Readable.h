#pragma once

#include <QColor>

class QImage;

// Text colours that stay legible on whatever background a theme or a picture puts behind them.
namespace Readable {

// The contrast of two colours, 1 to 21, as the web's accessibility guidelines measure it.
double Contrast(const QColor& a, const QColor& b);

// The colour itself where it reaches the contrast on that background; otherwise the same hue
// made lighter (on a dark background) or darker (on a light one) until it does.
QColor On(const QColor& colour, const QColor& background, double needed = 4.5);

// The average colour of a picture, which is what text drawn across it stands on.
QColor AverageOf(const QImage& picture);

}  // namespace Readable
