#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// How programs of this machine hand a message to the listening mailslot without the network: a
// datagram socket in the abstract namespace, one per network namespace and port. Any local user
// may write to it, which lets them do what any machine of the LAN can: send a message. Binding
// it is also what keeps a second listener away, since the UDP port itself is shared with Samba.
namespace platform::netbios {

// Bound for the listener, non-blocking; -1 with errno set (EADDRINUSE: a listener exists).
int BindLocalDelivery(std::uint16_t port);

// One message from the sender (an IPv4 address in host order): a body as a datagram carries it.
bool SendLocalDelivery(std::uint16_t port, std::uint32_t sender, const QByteArray& body,
                       QString* why);

struct LocalMessage {
    std::uint32_t sender = 0;
    QByteArray body;
};
// What one datagram of the socket holds, if it is a message at all.
std::optional<LocalMessage> ParseLocalDelivery(QByteArrayView datagram);

// The largest datagram that is taken: a session message's text and both names, with room.
inline constexpr qsizetype kMaxLocalDelivery = 4096;

}  // namespace platform::netbios
