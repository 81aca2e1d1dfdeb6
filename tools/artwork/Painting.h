#pragma once

// The drawing helpers both artwork generators share.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <functional>
#include <initializer_list>

namespace artwork {

using Draw = std::function<void(QPainter&)>;

// A picture of that size, antialiased, on white or on nothing.
inline QImage paint(int width, int height, const Draw& draw, bool opaque = false) {
    QImage image(width, height,
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? QColor(Qt::white) : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return image;
}

inline QPen pen(const QColor& color, qreal width = 1.0) {
    QPen result(color, width);
    result.setCapStyle(Qt::RoundCap);
    result.setJoinStyle(Qt::RoundJoin);
    return result;
}

inline QLinearGradient vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// An outline through the points in order, closed back to the first unless told otherwise.
inline QPainterPath polygon(std::initializer_list<QPointF> points, bool closed = true) {
    QPainterPath path;
    for (const QPointF& point : points) {
        path.elementCount() == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    if (closed) {
        path.closeSubpath();
    }
    return path;
}

// A round 16-pixel badge, lit from the top by the given amount.
inline void disc(QPainter& p, const QColor& fill, const QColor& outline, int lighter) {
    p.setPen(pen(outline));
    p.setBrush(vertical(1, 15, fill.lighter(lighter), fill));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

}  // namespace artwork
