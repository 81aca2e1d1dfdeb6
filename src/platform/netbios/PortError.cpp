#include "platform/netbios/PortError.h"

#include "platform/netbios/PortOwners.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::netbios {

QString PortError(const QString& protocol, std::uint16_t port, int error, const QString& daemon) {
    if (error == EADDRINUSE) {
        return HeldBy(protocol == u"TCP"_s ? Transport::Tcp : Transport::Udp, port, daemon) + u'.';
    }
    if (error == EACCES) {
        return u"No permission to bind %1 port %2: it needs root or the capability "
               "cap_net_bind_service on the program."_s.arg(protocol, QString::number(port));
    }
    return u"%1 port %2 cannot be opened: %3."_s.arg(protocol, QString::number(port),
                                                     QString::fromLocal8Bit(strerror(error)));
}

}  // namespace platform::netbios
