#include "ui/main/SystemTray.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kMarker = u"SYSTRAYICON"_s;

// Qt shows the icon as a StatusNotifierItem when the session bus has a host for one, and asks
// once, when its first icon is made; this asks the same way at the same moment.
bool OnStatusNotifierHost() {
    const QString platform = QGuiApplication::platformName();
    if (platform != u"xcb"_s && !platform.startsWith(u"wayland"_s)) {
        return false;  // platforms without a desktop's tray
    }
    // Asked again once a second while the window hides: a watcher that hangs must not freeze it.
    const QString watcher = u"org.kde.StatusNotifierWatcher"_s;
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, u"/StatusNotifierWatcher"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << watcher << u"IsStatusNotifierHostRegistered"_s;
    const QDBusReply<QDBusVariant> host =
        QDBusConnection::sessionBus().call(get, QDBus::Block, 500);
    return host.isValid() && host.value().variant().toBool();
}

}  // namespace

void SystemTray::AddTrayIcon(QWidget& window, TrayImage& image, const QString& tip,
                             Activated onActivated) {
    delete icon_.data();
    if (!statusNotifierHost_) {
        statusNotifierHost_ = OnStatusNotifierHost();
    }
    const bool clickShowsAndHides = *statusNotifierHost_;
    auto* icon = new QSystemTrayIcon(image.Picture, &window);
    icon->setToolTip(tip.left(kTipChars));
    QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                     [onActivated = std::move(onActivated),
                      clickShowsAndHides](QSystemTrayIcon::ActivationReason reason) {
                         if (clickShowsAndHides && reason == QSystemTrayIcon::Trigger) {
                             reason = QSystemTrayIcon::DoubleClick;
                         }
                         if (onActivated) {
                             onActivated(reason);
                         }
                     });
    icon->show();
    icon_ = icon;
    image.Tag = kMarker;
}

void SystemTray::RemoveTrayIcon(TrayImage& image) {
    if (image.Tag != kMarker) {
        return;
    }
    delete icon_.data();
    image.Tag.clear();
}

bool SystemTray::TrayAvailable() const {
    if (availableOverride_) {
        return *availableOverride_;
    }
    // An icon on a StatusNotifierItem host lives while that host does, whatever other tray
    // there may be.
    if (statusNotifierHost_.value_or(false)) {
        return OnStatusNotifierHost();
    }
    return QSystemTrayIcon::isSystemTrayAvailable();
}
