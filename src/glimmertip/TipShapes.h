#pragma once

#include "platform/OleColor.h"

#include <QLine>
#include <QWidget>

// The popup's graphical elements, drawn with QPainter: the outline rectangle and the line under
// the header band. Both take the platform's line and fill style numbers and let clicks through.
namespace TipShapes {

// 0 transparent, 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot, 6 inside solid.
Qt::PenStyle PenStyleOf(long borderStyle);
// 0 solid, 1 transparent, 2 horizontal, 3 vertical, 4 upward diagonal, 5 downward diagonal,
// 6 cross, 7 diagonal cross.
Qt::BrushStyle BrushStyleOf(long fillStyle);

}  // namespace TipShapes

// A rectangle shape over its whole area.
class ShapeControl : public QWidget {
    Q_OBJECT
public:
    explicit ShapeControl(QWidget* parent);

    long BorderStyle = 1;
    long FillStyle = 1;
    platform::OleColor FillColor = 0;
    platform::OleColor BorderColor = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A straight line from (X1, Y1) to (X2, Y2), in twips of its parent.
class LineControl : public QWidget {
    Q_OBJECT
public:
    LineControl(QWidget* parent, QLine twips);

    QLine Twips() const { return twips_; }
    void SetTwips(QLine twips);

    long BorderStyle = 1;
    platform::OleColor BorderColor = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine twips_;
};
