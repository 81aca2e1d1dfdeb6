#include "ui/conversations/DesktopNotifications.h"

#include "platform/gui/WindowPos.h"
#include "transport/modMailSlots.h"
#include "ui/shared/ImageLists.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {

const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kProgram = u"org.parlane.Parlane"_s;  // the menu entry's name, and its icon's
constexpr int kIconSize = 48;

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

// The program's icon as the pixels a notification's "image-data" hint carries: RGBA rows.
QVariant IconData() {
    const QImage icon = ImageLists::ProgramIcon()
                            .pixmap(kIconSize, kIconSize)
                            .toImage()
                            .convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument data;
    data.beginStructure();
    data << icon.width() << icon.height() << int(icon.bytesPerLine()) << true << 8 << 4
         << QByteArray(reinterpret_cast<const char*>(icon.constBits()), icon.sizeInBytes());
    data.endStructure();
    return QVariant::fromValue(data);
}

}  // namespace

// The bus is reached once the program is running: the first window need not wait for the
// connection (or, without a session bus, for the attempt to start one). No message is read
// before the listener's first tick, a second later.
DesktopNotifications::DesktopNotifications(Activated onActivated)
    : onActivated_(std::move(onActivated)) {
    QMetaObject::invokeMethod(this, &DesktopNotifications::Connect, Qt::QueuedConnection);
}

void DesktopNotifications::Connect() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kService, u"ActionInvoked"_s, this,
                SLOT(ActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, u"ActivationToken"_s, this,
                SLOT(ActivationToken(uint, QString)));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(Call(u"GetCapabilities"_s)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isValid()) {
            markup_ = reply.value().contains(u"body-markup"_s);
        }
        w->deleteLater();
    });
}

void DesktopNotifications::Post(const QString& conversation, const QString& sender,
                                const QString& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    // What came from the network is text: no control character, and no markup where the
    // server would read some.
    QString body = modMailSlots::EscapeControls(text.section(u'|', 0, 0));
    if (markup_) {
        body = body.toHtmlEscaped();
    }
    if (!icon_.isValid()) {
        icon_ = IconData();  // drawn once, at the first message
    }
    QDBusMessage notify = Call(u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, kProgram},
                            {u"category"_s, u"im.received"_s},
                            {u"image-data"_s, icon_}};
    notify << u"Parlane"_s << ids_.value(conversation) << kProgram
           << modMailSlots::EscapeControls(sender) << body << QStringList{u"default"_s, u"Open"_s}
           << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, conversation](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isValid()) {
                    ids_.insert(conversation, reply.value());
                }
                w->deleteLater();
            });
}

void DesktopNotifications::ActionInvoked(uint id, const QString& action) {
    const QString conversation = ids_.key(id);
    if (action == u"default"_s && !conversation.isNull() && onActivated_) {
        onActivated_(conversation);
    }
}

// On Wayland only the token the server hands over lets the window that follows take the focus;
// Qt's Wayland plugin reads it from the environment at the next activation.
void DesktopNotifications::ActivationToken(uint id, const QString& token) {
    if (ids_.key(id).isNull() || !platform::CompositorPlacesWindows()) {
        return;
    }
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}
