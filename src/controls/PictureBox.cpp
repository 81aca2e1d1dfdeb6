#include "controls/PictureBox.h"

#include <QPainter>

#include <algorithm>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void PictureBox::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
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
