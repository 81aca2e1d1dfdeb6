#include "ui/main/modSystemTray.h"

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

long MouseMessage(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::Context:
            return WM_RBUTTONUP;
        case QSystemTrayIcon::MiddleClick:
            return WM_MBUTTONUP;
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::Unknown:
            break;
    }
    return WM_LBUTTONUP;
}

}  // namespace

void AddTrayIcon(QWidget& window, TrayImage& image, const QString& tip,
                 std::function<void(long)> onMouse) {
    delete Icon().data();
    auto* icon = new QSystemTrayIcon(image.Picture, &window);
    icon->setToolTip(tip.left(kTipChars));
    QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                     [onMouse = std::move(onMouse)](QSystemTrayIcon::ActivationReason reason) {
                         if (onMouse) {
                             onMouse(MouseMessage(reason));
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
