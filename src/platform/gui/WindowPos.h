#pragma once

#include <QList>
#include <QRect>

#include <cstdint>

class QWidget;

// Placing windows: position, size, the always-on-top band and showing without taking the focus.
// Positions and sizes are of the whole window, frame included, in pixels.
namespace platform {

inline constexpr std::intptr_t HWND_TOP = 0;
inline constexpr std::intptr_t HWND_BOTTOM = 1;
inline constexpr std::intptr_t HWND_TOPMOST = -1;
inline constexpr std::intptr_t HWND_NOTOPMOST = -2;

inline constexpr unsigned SWP_NOSIZE = 0x1;
inline constexpr unsigned SWP_NOMOVE = 0x2;
inline constexpr unsigned SWP_NOZORDER = 0x4;
inline constexpr unsigned SWP_NOACTIVATE = 0x10;
inline constexpr unsigned SWP_SHOWWINDOW = 0x40;
inline constexpr unsigned SWP_HIDEWINDOW = 0x80;

// False when there is no window.
bool SetWindowPos(QWidget* window, std::intptr_t insertAfter, int x, int y, int width, int height,
                  unsigned flags);

bool IsTopMost(const QWidget* window);

// True on Wayland, which leaves every window's place, stacking and focus to the compositor: a
// program there cannot know where its windows are, show one without the focus, or keep one on
// top.
bool CompositorPlacesWindows();

// A window's place (frame included) that lies whole on the screens, unchanged; otherwise moved,
// and shrunk where it is larger, to lie whole on the screen it overlaps most, or on the nearest
// when it overlaps none. Unchanged without screens.
QRect OnScreen(const QRect& window, const QList<QRect>& screens);

}  // namespace platform
