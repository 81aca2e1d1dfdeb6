#include "platform/gui/WindowPos.h"

#include <QRegion>
#include <QWidget>

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

void SetTopMostFlag(QWidget* window, bool on, bool activate) {
    if (IsTopMost(window) == on) {
        return;
    }
    // Changing a window flag hides a shown window; show it again where it was, and no more
    // active than it was: only the Z order is meant to change.
    const bool visible = window->isVisible();
    const bool active = window->isActiveWindow();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        Show(window, activate && active);
    }
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
            SetTopMostFlag(window, insertAfter == HWND_TOPMOST, activate);
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
