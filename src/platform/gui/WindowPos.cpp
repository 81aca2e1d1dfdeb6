#include "platform/gui/WindowPos.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform {
namespace {

// Shows the window, without taking the focus when asked not to.
void Show(QWidget* window, bool activate) {
    const bool was = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window->show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, was);
}

// A shown window is told of its new band as it stands: hidden and shown again for the new flag,
// it would lose the focus it had or that a click was just giving it.
void SetTopMostFlag(QWidget* window, bool on) {
    if (IsTopMost(window) == on) {
        return;
    }
    QWindow* handle = window->windowHandle();
    if (!window->isVisible() || !handle) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        return;
    }
    const Qt::WindowFlags flags = window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
    handle->setFlags(flags);
}

}  // namespace

bool SetWindowPos(QWidget* window, std::intptr_t insertAfter, int x, int y, int width, int height,
                  unsigned flags) {
    if (!window) {
        return false;
    }
    const bool activate = !(flags & SWP_NOACTIVATE);
    if (!(flags & SWP_NOMOVE)) {
        window->move(x, y);
    }
    if (!(flags & SWP_NOSIZE)) {
        const QSize frameExtra = window->frameGeometry().size() - window->size();
        window->resize(qMax(0, width - frameExtra.width()), qMax(0, height - frameExtra.height()));
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
            SetTopMostFlag(window, insertAfter == HWND_TOPMOST);
        } else if (insertAfter == HWND_TOP && window->isVisible()) {
            window->raise();
        } else if (insertAfter == HWND_BOTTOM && window->isVisible()) {
            window->lower();
        }
    }
    if (flags & SWP_SHOWWINDOW) {
        Show(window, activate);
        window->raise();
    } else if (flags & SWP_HIDEWINDOW) {
        window->hide();
    }
    return true;
}

bool IsTopMost(const QWidget* window) {
    return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool CompositorPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1StringView("wayland"));
}

QRect OnScreen(const QRect& window, const QList<QRect>& screens) {
    QRegion all;
    for (const QRect& screen : screens) {
        all += screen;
    }
    if (screens.isEmpty() || QRegion(window).subtracted(all).isEmpty()) {
        return window;
    }
    const auto overlap = [&](const QRect& s) {
        const QRect common = s.intersected(window);
        return qint64(common.width()) * common.height();
    };
    const auto distance = [&](const QRect& s) {
        const qint64 dx = qMax(0, qMax(s.left() - window.right(), window.left() - s.right()));
        const qint64 dy = qMax(0, qMax(s.top() - window.bottom(), window.top() - s.bottom()));
        return dx * dx + dy * dy;
    };
    const QRect best = *std::min_element(screens.begin(), screens.end(), [&](auto& a, auto& b) {
        return overlap(a) != overlap(b) ? overlap(a) > overlap(b) : distance(a) < distance(b);
    });
    const QSize size = window.size().boundedTo(best.size());
    return QRect(QPoint(qBound(best.left(), window.left(), best.right() + 1 - size.width()),
                        qBound(best.top(), window.top(), best.bottom() + 1 - size.height())),
                 size);
}

}  // namespace platform
