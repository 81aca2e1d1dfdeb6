#pragma once

#include "core/MetricsWindow.h"

class QWidget;

// A window's place and size in twips, at the fixed 15 twips a pixel: the place of its frame, as
// move() takes it, and the size inside the frame, as resize() takes it. The frame is not known
// before a window is first shown, so a size with the frame in it would grow at every restore.
// Its name is its object name.
class FormMetrics : public MetricsWindow {
public:
    explicit FormMetrics(QWidget& window) : window_(window) {}

    QString Name() const override;
    long Left() const override;
    long Top() const override;
    long Width() const override;
    long Height() const override;
    void SetLeft(long twips) override;
    void SetTop(long twips) override;
    void SetWidth(long twips) override;
    void SetHeight(long twips) override;
    void KeepOnScreen() override;
    bool PlaceKnown() const override;

private:
    QWidget& window_;
};
