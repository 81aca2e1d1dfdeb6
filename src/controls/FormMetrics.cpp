#include "controls/FormMetrics.h"

#include "platform/Twips.h"

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
