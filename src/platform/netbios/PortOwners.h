#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Who else holds a port of this network namespace, read from the kernel's socket tables, so that
// Parlane can share NetBIOS ports with Samba's daemons and say who holds one it cannot have.
namespace platform::netbios {

enum class Transport { Udp, Tcp };

// The inodes of the sockets bound to the port (for TCP, those listening), IPv4 and IPv6.
std::vector<unsigned long> SocketsOnPort(Transport transport, std::uint16_t port);

// The inode of an open socket; 0 for anything else.
unsigned long SocketInode(int fd);

// Whether a socket other than these holds the port.
bool OthersHoldPort(Transport transport, std::uint16_t port, const std::vector<int>& own);

// The name of the program that holds one of the sockets, where this process may look at it;
// else `usual` when a program of that name runs (another user's daemon); else empty.
QString PortHolder(const std::vector<unsigned long>& sockets, const QString& usual);

// A sentence for standard error: "UDP port 138 is held by nmbd" and the like.
QString HeldBy(Transport transport, std::uint16_t port, const QString& usual);

}  // namespace platform::netbios
