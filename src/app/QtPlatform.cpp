#include "app/QtPlatform.h"

#include <QByteArrayList>
#include <QGuiApplication>

#include <cstdio>

namespace QtPlatform {
namespace {

QByteArray PluginName(const QByteArray& entry) {
    return entry.split(':').constFirst();  // without its arguments
}

}  // namespace

QByteArray PluginsToTry(const QByteArray& asked, bool x11, bool wayland) {
    QByteArrayList plugins = asked.split(';');
    plugins.removeAll(QByteArray());
    QByteArrayList names;
    for (const QByteArray& entry : std::as_const(plugins)) {
        names += PluginName(entry);
    }
    const std::pair<bool, QByteArray> servers[] = {{x11, "xcb"}, {wayland, "wayland"}};
    for (const auto& [present, plugin] : servers) {
        if (present && !names.contains(plugin)) {
            plugins += plugin;
        }
    }
    return plugins.join(';');
}

QByteArray Choose() {
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    const bool wayland = !qgetenv("WAYLAND_DISPLAY").isEmpty() ||
                         qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
    const QByteArray plugins = PluginsToTry(asked, !qgetenv("DISPLAY").isEmpty(), wayland);
    if (!plugins.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", plugins);
    }
    return asked;
}

void Restore(const QByteArray& asked) {
    if (asked.isEmpty()) {
        qunsetenv("QT_QPA_PLATFORM");
        return;
    }
    qputenv("QT_QPA_PLATFORM", asked);
    const QByteArray first = PluginName(asked.split(';').constFirst());
    const QString running = QGuiApplication::platformName();
    if (!first.isEmpty() && !running.startsWith(QString::fromLocal8Bit(first))) {
        std::fprintf(stderr,
                     "Parlane: Qt's platform \"%s\" could not start here (for Wayland: no "
                     "compositor, or no qt6-wayland); running on \"%s\" instead.\n",
                     first.constData(), qUtf8Printable(running));
    }
}

}  // namespace QtPlatform
