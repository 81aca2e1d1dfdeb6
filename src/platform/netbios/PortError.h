#pragma once

#include <QString>

#include <cstdint>

namespace platform::netbios {

// Why a NetBIOS port could not be opened, for standard error: the error of bind or socket, and
// for a port in use the program that holds it, or the Samba daemon that usually does.
QString PortError(const QString& protocol, std::uint16_t port, int error, const QString& daemon);

}  // namespace platform::netbios
