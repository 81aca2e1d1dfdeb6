#include "ui/main/modSystemTray.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QGuiApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace modSystemTray {
namespace {

const QString kMarker = u"SYSTRAYICON"_s;

QPointer<QSystemTrayIcon>& Icon() {
    static QPointer<QSystemTrayIcon> icon;
    return icon;
}

std::optional<bool>& AvailableOverride() {
    static std::optional<bool> available;
    return available;
}

// Qt shows the icon as a StatusNotifierItem when the session bus has a host for one, and asks
// once, when its first icon is made; this asks the same way at the same moment. Such a host
// reports a click as one activation and never a double-click.
bool OnStatusNotifierHost() {
    static const bool onHost = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform != u"xcb"_s && !platform.startsWith(u"wayland"_s)) {
            return false;  // platforms without a desktop's tray
        }
        const QString watcher = u"org.kde.StatusNotifierWatcher"_s;
        QDBusInterface host(watcher, u"/StatusNotifierWatcher"_s, watcher,
                            QDBusConnection::sessionBus());
        return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
    }();
    return onHost;
}

long MouseMessage(QSystemTrayIcon::ActivationReason reason, bool singleActivation) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::Context:
            return WM_RBUTTONUP;
        case QSystemTrayIcon::MiddleClick:
            return WM_MBUTTONUP;
        case QSystemTrayIcon::Trigger:
            return singleActivation ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return WM_LBUTTONUP;
}

}  // namespace

void AddTrayIcon(QWidget& window, TrayImage& image, const QString& tip,
                 std::function<void(long)> onMouse) {
    delete Icon().data();
    const bool singleActivation = OnStatusNotifierHost();
    auto* icon = new QSystemTrayIcon(image.Picture, &window);
    icon->setToolTip(tip.left(kTipChars));
    QObject::connect(
        icon, &QSystemTrayIcon::activated, icon,
        [onMouse = std::move(onMouse), singleActivation](QSystemTrayIcon::ActivationReason reason) {
            if (onMouse) {
                onMouse(MouseMessage(reason, singleActivation));
            }
        });
    icon->show();
    Icon() = icon;
    image.Tag = kMarker;
}

void RemoveTrayIcon(TrayImage& image, QWidget&) {
    if (image.Tag != kMarker) {
        return;
    }
    delete Icon().data();
    image.Tag.clear();
}

QSystemTrayIcon* TrayIcon() {
    return Icon();
}

bool TrayAvailable() {
    return AvailableOverride().value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void OverrideTrayAvailable(std::optional<bool> available) {
    AvailableOverride() = available;
}

}  // namespace modSystemTray
