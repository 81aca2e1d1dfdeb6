#include "controls/StatusBarHost.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QWidget>

QStyle* StatusBarHost::Style() const {
    if (const QWidget* widget = Widget()) {
        return widget->style();
    }
    // Styles come with widgets; a program without QApplication has none.
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style()
                                                                     : nullptr;
}

QPalette StatusBarHost::Palette() const {
    if (const QWidget* widget = Widget()) {
        return widget->palette();
    }
    return QGuiApplication::palette();
}

StatusBarPictureHost::StatusBarPictureHost(QSize size, qreal devicePixelRatio)
    : font_(QGuiApplication::font()),
      foreColor_(QGuiApplication::palette().color(QPalette::WindowText)) {
    Resize(size, devicePixelRatio);
}

void StatusBarPictureHost::Resize(QSize size, qreal devicePixelRatio) {
    image_ = QImage(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(Qt::transparent);
}

QRect StatusBarPictureHost::ClientRect() const {
    return QRect(QPoint(0, 0), image_.deviceIndependentSize().toSize());
}

StatusBarWidgetHost::StatusBarWidgetHost(QWidget& widget)
    : StatusBarPictureHost(widget.size(), widget.devicePixelRatioF()), widget_(widget) {
    SetFont(widget.font());
    SetForeColor(widget.palette().color(QPalette::WindowText));
    widget.installEventFilter(this);
}

QPaintDevice* StatusBarWidgetHost::PaintDevice() {
    const qreal ratio = widget_.devicePixelRatioF();
    if (Image().deviceIndependentSize().toSize() != widget_.size() ||
        Image().devicePixelRatio() != ratio) {
        Resize(widget_.size(), ratio);
    }
    return StatusBarPictureHost::PaintDevice();
}

QRect StatusBarWidgetHost::ClientRect() const {
    return widget_.rect();
}

void StatusBarWidgetHost::Painted() {
    widget_.update();
}

// Installed on the widget alone.
bool StatusBarWidgetHost::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        QPainter p(&widget_);
        p.drawImage(0, 0, Image());
        return true;
    }
    return false;
}
