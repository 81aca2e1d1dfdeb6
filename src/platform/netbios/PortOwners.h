#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Who else holds a port of this network namespace, read from the kernel's socket tables, so that
// Parlane can share NetBIOS ports with Samba's daemons and say who holds one it cannot have.
namespace platform::netbios {

enum class Transport { Udp, Tcp };

// The inodes of the sockets bound to the port (for TCP, those listening), IPv4 and IPv6, in this
// process's network namespace, or in that of the process given.
std::vector<unsigned long> SocketsOnPort(Transport transport, std::uint16_t port,
                                         const QString& pid = {});

// The inode of an open socket; 0 for anything else.
unsigned long SocketInode(int fd);

// Whether a socket other than these holds the port.
bool OthersHoldPort(Transport transport, std::uint16_t port, const std::vector<int>& own);

// The processes of that name in this network namespace while something holds the port there:
// another user's daemon, whose descriptors this process may not look at.
QStringList ProcessesHolding(const QString& program, Transport transport, std::uint16_t port);

// The name of the program that holds the port, where this process may look at it; else `usual`
// when a program of that name runs beside it; else empty.
QString PortHolder(Transport transport, std::uint16_t port, const QString& usual);

// A sentence for standard error: "UDP port 138 is held by nmbd" and the like.
QString HeldBy(Transport transport, std::uint16_t port, const QString& usual);

}  // namespace platform::netbios
