#include "controls/PictureBox.h"

#include "controls/Readable.h"

#include <QChildEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void PictureBox::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    average_ = Readable::AverageOf(picture.toImage());
    Recolour();
    update();
}

QColor PictureBox::Behind() const {
    return average_.isValid() ? average_ : palette().color(backgroundRole());
}

void PictureBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        Recolour();
    }
}

void PictureBox::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished) {
        Recolour();
    }
}

// A link among the labels sets its own colour again when its palette changes.
void PictureBox::Recolour() {
    const QColor text = Readable::On(palette().color(QPalette::WindowText), Behind());
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, text);
        label->setPalette(p);
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) {
        painter.drawPixmap(0, 0, picture_);
        const int w = picture_.width();
        const int h = picture_.height();
        if (ExtendEdges && width() > w) {
            painter.drawPixmap(QRect(w, 0, width() - w, h), picture_, QRect(w - 1, 0, 1, h));
        }
        if (ExtendEdges && height() > h) {
            painter.drawPixmap(QRect(0, h, w, height() - h), picture_, QRect(0, h - 1, w, 1));
            painter.drawPixmap(QRect(w, h, std::max(0, width() - w), height() - h), picture_,
                               QRect(w - 1, h - 1, 1, 1));
        }
    }
    if (Paint) {
        Paint(painter);
    }
}
