#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

// The X display as a person sees and drives it, through the desktop's own tools (wmctrl,
// xwininfo, xdotool with XTest): every input is a real X event.
namespace x {

// A window the window manager manages (the EWMH client list).
struct Window {
    qulonglong id = 0;
    qint64 pid = 0;
    QString title;
    bool viewable = false;  // mapped, and shown on the screen
    QRect client;           // the inside of the frame, in screen coordinates
    explicit operator bool() const { return id != 0; }
};

// The managed windows, or those of one process.
QList<Window> Windows(qint64 pid = 0);
// The window with exactly this title (of that process when pid is set), or none.
Window Find(const QString& title, qint64 pid = 0);
// Waits until such a window is listed and viewable; none after ms.
Window WaitForWindow(const QString& title, qint64 pid = 0, int ms = 10000);
// Waits until no such window is viewable (closed, withdrawn or minimised).
bool WaitUntilHidden(const QString& title, qint64 pid = 0, int ms = 10000);

// The window the window manager calls active (_NET_ACTIVE_WINDOW), and the one with the X input
// focus (for a Qt window, its top-level window); 0 for none.
qulonglong ActiveWindow();
qulonglong FocusWindow();
// Asks the window manager to activate the window, and waits until it is.
bool Activate(qulonglong id);

// Keys (xdotool names: "Return", "alt+f", "ctrl+v") and text typed into whatever has the focus.
void Key(const QString& keys);
void Type(const QString& text);
// Moves the pointer to a point of the window's inside and clicks count times; apart from the
// clicks of the call before by more than a double-click interval.
void Click(const Window& window, QPoint at, int count = 1, int button = 1);
// The same at a point of the screen.
void ClickAt(QPoint at, int count = 1, int button = 1);
// Closes the window as its close box does (WM_DELETE_WINDOW).
void Close(qulonglong id);

// The window's pixels as they are on the screen now; null when it cannot be read.
QImage Screenshot(qulonglong id);

// The place on the screen of the process's icon in the XEmbed tray; null when it has none.
QRect TrayIcon(qint64 pid);

}  // namespace x
