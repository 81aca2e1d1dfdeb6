#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <optional>

class QWidget;

// The program's icon in the notification area. Activations reach the window as Qt reports them,
// except that on a StatusNotifierItem host, which reports a click and never a double-click, the
// click counts as the double-click that shows and hides the window.
class SystemTray {
public:
    static constexpr qsizetype kTipChars = 63;  // the tip field holds 64 with its zero

    // The picture the icon shows; its Tag is "SYSTRAYICON" while the icon exists.
    struct TrayImage {
        QIcon Picture;
        QString Tag;
    };
    using Activated = std::function<void(QSystemTrayIcon::ActivationReason)>;

    void AddTrayIcon(QWidget& window, TrayImage& image, const QString& tip, Activated onActivated);
    // Only when the image carries the marker; clears it.
    void RemoveTrayIcon(TrayImage& image);

    // The icon while it exists, else null.
    QSystemTrayIcon* TrayIcon() const { return icon_; }

    // Whether the desktop shows tray icons now; without one, hiding a window would lose it.
    bool TrayAvailable() const;
    // Tests stand in for a tray host; nullopt asks the desktop again.
    void OverrideTrayAvailable(std::optional<bool> available) { availableOverride_ = available; }

private:
    QPointer<QSystemTrayIcon> icon_;
    std::optional<bool> availableOverride_;
    std::optional<bool> statusNotifierHost_;
};
