#include "glimmertip/modAPI.h"

#include "platform/OsVersion.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace modAPI {

long GetWindowsMajorVersion() {
    return platform::GetVersionEx().major;
}

bool DrawsTranslucent() {
    if (GetWindowsMajorVersion() < 5) {
        return false;
    }
    // Other window systems composite always.
    if (QGuiApplication::platformName() != u"xcb") {
        return true;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return true;
    }
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) != 0) {
        std::free(host);
    }
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, quint16(selection.size()), selection.constData()),
            nullptr),
        &std::free);
    if (!atom) {
        return true;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

}  // namespace modAPI
