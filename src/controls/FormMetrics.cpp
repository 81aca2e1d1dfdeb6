#include "controls/FormMetrics.h"

#include "platform/Twips.h"

#include <QWidget>

using platform::PixelsToTwips;
using platform::TwipsToPixels;

namespace {

// What the frame adds to the inner size; nothing until the window has a frame.
QSize FrameExtra(const QWidget& w) { return w.frameGeometry().size() - w.size(); }

int ClampPixels(long twips) {
    return int(qBound(long(QWIDGETSIZE_MAX) * -1, TwipsToPixels(twips), long(QWIDGETSIZE_MAX)));
}

}  // namespace

QString FormMetrics::Name() const { return window_.objectName(); }
long FormMetrics::Left() const { return PixelsToTwips(window_.frameGeometry().x()); }
long FormMetrics::Top() const { return PixelsToTwips(window_.frameGeometry().y()); }
long FormMetrics::Width() const { return PixelsToTwips(window_.frameGeometry().width()); }
long FormMetrics::Height() const { return PixelsToTwips(window_.frameGeometry().height()); }

void FormMetrics::SetLeft(long twips) { window_.move(ClampPixels(twips), window_.y()); }
void FormMetrics::SetTop(long twips) { window_.move(window_.x(), ClampPixels(twips)); }

void FormMetrics::SetWidth(long twips) {
    window_.resize(qMax(0, ClampPixels(twips) - FrameExtra(window_).width()), window_.height());
}

void FormMetrics::SetHeight(long twips) {
    window_.resize(window_.width(), qMax(0, ClampPixels(twips) - FrameExtra(window_).height()));
}
