#pragma once

#include <QString>

// What window metrics need of a window: its name and its outer geometry in twips.
class MetricsWindow {
public:
    virtual ~MetricsWindow() = default;
    virtual QString Name() const = 0;
    virtual long Left() const = 0;
    virtual long Top() const = 0;
    virtual long Width() const = 0;
    virtual long Height() const = 0;
    virtual void SetLeft(long twips) = 0;
    virtual void SetTop(long twips) = 0;
    virtual void SetWidth(long twips) = 0;
    virtual void SetHeight(long twips) = 0;
    // Once restored: a place that lies off the screens there are now (a monitor unplugged, a
    // hand-edited value, a size beyond the screen) is moved and shrunk onto the nearest one.
    virtual void KeepOnScreen() {}
    // False where the window system keeps windows' places to itself: what the window reports
    // then is no place, and saving it would overwrite the one remembered.
    virtual bool PlaceKnown() const { return true; }
};
