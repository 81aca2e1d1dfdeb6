#include "platform/netbios/PortError.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::netbios {

QString PortError(const QString& protocol, std::uint16_t port, int error, const QString& daemon) {
    if (error == EADDRINUSE) {
        return u"%1 port %2 is in use: another copy of Parlane or Samba's %3 is listening."_s.arg(
            protocol, QString::number(port), daemon);
    }
    if (error == EACCES) {
        return u"No permission to bind %1 port %2: it needs root or the capability "
               "cap_net_bind_service on the program."_s.arg(protocol, QString::number(port));
    }
    return u"%1 port %2 cannot be opened: %3."_s.arg(protocol, QString::number(port),
                                                     QString::fromLocal8Bit(strerror(error)));
}

}  // namespace platform::netbios
