#pragma once

#include <QIcon>
#include <QString>

#include <functional>
#include <optional>

class QSystemTrayIcon;
class QWidget;

// The program's icon in the notification area. Mouse events on it reach the window as the
// Windows mouse messages the window acts on.
namespace modSystemTray {

inline constexpr long WM_LBUTTONUP = 0x202;
inline constexpr long WM_LBUTTONDBLCLK = 0x203;
inline constexpr long WM_RBUTTONUP = 0x205;
inline constexpr long WM_MBUTTONUP = 0x208;
inline constexpr qsizetype kTipChars = 63;  // the tip field holds 64 with its zero

// The picture the icon shows; its Tag is "SYSTRAYICON" while the icon exists.
struct TrayImage {
    QIcon Picture;
    QString Tag;
};

void AddTrayIcon(QWidget& window, TrayImage& image, const QString& tip,
                 std::function<void(long mouseMessage)> onMouse);
// Only when the image carries the marker; clears it.
void RemoveTrayIcon(TrayImage& image, QWidget& window);

// The icon while it exists, else null.
QSystemTrayIcon* TrayIcon();

// Whether the desktop shows tray icons now; without one, hiding a window would lose it.
bool TrayAvailable();
// Tests stand in for a tray host; nullopt asks the desktop again.
void OverrideTrayAvailable(std::optional<bool> available);

}  // namespace modSystemTray
