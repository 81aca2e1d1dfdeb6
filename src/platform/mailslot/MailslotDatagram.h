#pragma once

#include "platform/mailslot/NetbiosName.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

// One mailslot write as a NetBIOS datagram carrying an SMB transaction, the form in which
// Windows machines exchange them on UDP port 138.
namespace platform::netbios {

inline constexpr std::uint8_t kDirectUnique = 0x10;
inline constexpr std::uint8_t kDirectGroup = 0x11;
inline constexpr std::uint8_t kBroadcast = 0x12;

// The most a write between machines carries for the mailslot name MESSNGR (an SMB of 512 bytes).
inline constexpr qsizetype kMaxRemoteBody = 424;

struct MailslotWrite {
    std::uint8_t type = kDirectUnique;
    std::uint16_t id = 0;
    std::uint32_t sourceIp = 0;  // host byte order
    std::uint16_t sourcePort = 138;
    Name source;
    Name destination;
    QByteArray mailslot;  // e.g. "\MAILSLOT\MESSNGR"
    QByteArray body;
};

QByteArray EncodeMailslotWrite(const MailslotWrite& write);

// Structure only: type, fragments, both names, the SMB transaction and the body within bounds.
// Nothing when the packet is not a whole, unfragmented mailslot write.
std::optional<MailslotWrite> ParseMailslotWrite(QByteArrayView packet);

// Who this machine answers to.
struct OwnNames {
    QByteArray machine;    // upper-cased
    QByteArray workgroup;  // upper-cased
    QByteArray mailslot;   // upper-cased, e.g. "\MAILSLOT\MESSNGR"
    // The text of the IPv4 address the packet came in on, which senders may use as a name.
    QByteArray localAddress;
};

// The longest From or To of a message body: a full host name (253 characters), the longest
// address a contact can have, by which a machine may sign and be addressed. A NetBIOS name (15),
// a Windows user name (20), an IPv4 address and "*" are shorter.
inline constexpr qsizetype kMaxHostNameBytes = 253;
// Whether the From and To of a message body (From, To and text, each ended by a zero byte) are
// names at all: anything longer is refused before it can be shown.
bool NamesFit(QByteArrayView body);

// The body of a packet addressed to this machine's mailslot, or nothing.
std::optional<QByteArray> TakeBody(QByteArrayView packet, const OwnNames& own);

}  // namespace platform::netbios
