#include "controls/FormMetrics.h"

#include "platform/Twips.h"
#include "platform/gui/WindowPos.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

using platform::PixelsToTwips;
using platform::TwipsToPixels;

namespace {

int ClampPixels(long twips) {
    return int(qBound(-long(QWIDGETSIZE_MAX), TwipsToPixels(twips), long(QWIDGETSIZE_MAX)));
}

}  // namespace

QString FormMetrics::Name() const {
    return window_.objectName();
}
bool FormMetrics::PlaceKnown() const {
    return !platform::CompositorPlacesWindows();
}
long FormMetrics::Left() const {
    return PixelsToTwips(window_.x());
}
long FormMetrics::Top() const {
    return PixelsToTwips(window_.y());
}
long FormMetrics::Width() const {
    return PixelsToTwips(window_.width());
}
long FormMetrics::Height() const {
    return PixelsToTwips(window_.height());
}

void FormMetrics::SetLeft(long twips) {
    window_.move(ClampPixels(twips), window_.y());
}
void FormMetrics::SetTop(long twips) {
    window_.move(window_.x(), ClampPixels(twips));
}
void FormMetrics::SetWidth(long twips) {
    window_.resize(qMax(0, ClampPixels(twips)), window_.height());
}
void FormMetrics::SetHeight(long twips) {
    window_.resize(window_.width(), qMax(0, ClampPixels(twips)));
}

// Before its first showing a window's frame is unknown: that of a shown window stands in for
// it, as the window manager frames them alike, or else a title bar and thin borders.
void FormMetrics::KeepOnScreen() {
    QSize frame = window_.frameGeometry().size() - window_.size();
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (frame.isNull() && other->isVisible()) {
            frame = other->frameGeometry().size() - other->size();
        }
    }
    if (frame.isNull()) {
        const int border = 2 * window_.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        frame = QSize(border, border + window_.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    const QRect placed(window_.pos(), window_.size() + frame);
    const QRect onScreen = platform::OnScreen(placed, screens);
    if (onScreen != placed) {
        window_.move(onScreen.topLeft());
        window_.resize(onScreen.size() - frame);
    }
}
