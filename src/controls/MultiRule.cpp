#include "controls/MultiRule.h"

#include "platform/Twips.h"

#include <QPainter>
#include <QVariantMap>

using namespace Qt::StringLiterals;

MultiRule::MultiRule(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void MultiRule::SetOrientation(long value) {
    orientation_ = value;
    Layout();
    changed_ = true;
}

void MultiRule::Refresh() {
    repaint();
}

void MultiRule::ReadProperties(const QVariantMap& bag) {
    SetOrientation(bag.value(u"Orientation"_s, 0).toInt());
    changed_ = false;
}

void MultiRule::WriteProperties(QVariantMap& bag) {
    bag.insert(u"Orientation"_s, qint32(orientation_));
    changed_ = false;
}

void MultiRule::resizeEvent(QResizeEvent*) {
    Layout();
}

void MultiRule::Layout() {
    const int w = int(platform::PixelsToTwips(width()));
    const int h = int(platform::PixelsToTwips(height()));
    long kind = orientation_;
    if (kind == kAutomatic) {
        kind = w > h ? kHorizontal : kVertical;
    }
    if (kind == kHorizontal) {
        hiLite_ = QLine(0, 20, w, 20);
        loLite_ = QLine(loLite_.x1(), 0, w, 0);
    } else if (kind == kVertical) {
        hiLite_ = QLine(20, 30, 20, h);
        loLite_ = QLine(2, loLite_.y1(), 2, h);
    }
    update();
}

void MultiRule::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto pixels = [](const QLine& l) {
        const int t = int(platform::kTwipsPerPixel);
        return QLine(l.x1() / t, l.y1() / t, l.x2() / t, l.y2() / t);
    };
    // Classic 3D colours: button shadow, then button highlight.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(pixels(loLite_));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(pixels(hiLite_));
}
