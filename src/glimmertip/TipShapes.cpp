#include "glimmertip/TipShapes.h"

#include "platform/Twips.h"

#include <QPainter>

namespace TipShapes {

Qt::PenStyle PenStyleOf(long borderStyle) {
    switch (borderStyle) {
        case 0:
            return Qt::NoPen;
        case 2:
            return Qt::DashLine;
        case 3:
            return Qt::DotLine;
        case 4:
            return Qt::DashDotLine;
        case 5:
            return Qt::DashDotDotLine;
        default:
            return Qt::SolidLine;
    }
}

Qt::BrushStyle BrushStyleOf(long fillStyle) {
    switch (fillStyle) {
        case 0:
            return Qt::SolidPattern;
        case 2:
            return Qt::HorPattern;
        case 3:
            return Qt::VerPattern;
        case 4:
            return Qt::BDiagPattern;
        case 5:
            return Qt::FDiagPattern;
        case 6:
            return Qt::CrossPattern;
        case 7:
            return Qt::DiagCrossPattern;
        default:
            return Qt::NoBrush;
    }
}

}  // namespace TipShapes

ShapeControl::ShapeControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setBrush(QBrush(platform::ToQColor(FillColor), TipShapes::BrushStyleOf(FillStyle)));
    QPen pen(platform::ToQColor(BorderColor), 1, TipShapes::PenStyleOf(BorderStyle));
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    // A one-pixel outline lies inside the area either way; "inside solid" differs only for
    // thicker lines.
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

LineControl::LineControl(QWidget* parent, QLine twips) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    SetTwips(twips);
}

void LineControl::SetTwips(QLine twips) {
    twips_ = twips;
    const auto px = [](int t) { return int(platform::TwipsToPixels(t)); };
    const QRect box =
        QRect(QPoint(px(twips.x1()), px(twips.y1())), QPoint(px(twips.x2()), px(twips.y2())))
            .normalized();
    setGeometry(box);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(platform::ToQColor(BorderColor), 1, TipShapes::PenStyleOf(BorderStyle)));
    const QPoint origin = geometry().topLeft();
    const auto px = [](int t) { return int(platform::TwipsToPixels(t)); };
    p.drawLine(QPoint(px(twips_.x1()), px(twips_.y1())) - origin,
               QPoint(px(twips_.x2()), px(twips_.y2())) - origin);
}
