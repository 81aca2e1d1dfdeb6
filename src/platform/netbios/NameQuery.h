#pragma once

#include "platform/mailslot/NetbiosName.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

// NetBIOS name queries and their positive answers (RFC 1002, 4.2.12 and 4.2.13).
namespace platform::netbios {

struct NameQuery {
    std::uint16_t id = 0;
    bool broadcast = false;
    bool recursionDesired = false;
    Name name;
    QByteArray wireName;  // the question's name as it came, scope included
};

// Nothing unless the packet is a request with one question of type NB, class IN.
std::optional<NameQuery> ParseNameQuery(QByteArrayView packet);
// The query as a client sends it; the wire name is made from the name when empty.
QByteArray EncodeNameQuery(const NameQuery& query);

// The answer for a unique name at the IPv4 address (host order), as a B-node gives it.
QByteArray EncodeNameAnswer(const NameQuery& query, std::uint32_t address);

// The answer this machine gives to a packet that came in on the address: only queries for its
// own name as a messenger or a workstation get one.
std::optional<QByteArray> AnswerNameQuery(QByteArrayView packet, QByteArrayView ownName,
                                          std::uint32_t address);

}  // namespace platform::netbios
