#include "platform/netbios/NameQuery.h"

namespace platform::netbios {
namespace {

constexpr qsizetype kHeaderBytes = 12;
constexpr std::uint16_t kResponse = 0x8000;
constexpr std::uint16_t kOpcodeMask = 0x7800;  // 0 is a query
constexpr std::uint16_t kAuthoritative = 0x0400;
constexpr std::uint16_t kRecursionDesired = 0x0100;
constexpr std::uint16_t kBroadcast = 0x0010;
constexpr std::uint16_t kTypeNb = 0x0020;
constexpr std::uint16_t kClassIn = 0x0001;
// What Windows and Samba give their own names, in seconds.
constexpr std::uint32_t kTimeToLive = 300000;

std::uint16_t Big16(QByteArrayView bytes, qsizetype at) {
    return std::uint16_t(std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]));
}

void AppendBig16(QByteArray& bytes, std::uint16_t value) {
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

void AppendBig32(QByteArray& bytes, std::uint32_t value) {
    AppendBig16(bytes, std::uint16_t(value >> 16));
    AppendBig16(bytes, std::uint16_t(value & 0xFFFF));
}

// The header's counts: questions, answers, authorities, additional records.
QByteArray Header(std::uint16_t id, std::uint16_t flags, std::uint16_t questions,
                  std::uint16_t answers) {
    QByteArray header;
    for (const std::uint16_t field :
         {id, flags, questions, answers, std::uint16_t(0), std::uint16_t(0)}) {
        AppendBig16(header, field);
    }
    return header;
}

}  // namespace

std::optional<NameQuery> ParseNameQuery(QByteArrayView packet) {
    if (packet.size() < kHeaderBytes) {
        return std::nullopt;
    }
    const std::uint16_t flags = Big16(packet, 2);
    if ((flags & (kResponse | kOpcodeMask)) || Big16(packet, 4) != 1 || Big16(packet, 6) != 0) {
        return std::nullopt;
    }
    const auto name = DecodeName(packet, kHeaderBytes);
    if (!name || name->end + 4 > packet.size() || Big16(packet, name->end) != kTypeNb ||
        Big16(packet, name->end + 2) != kClassIn) {
        return std::nullopt;
    }
    NameQuery query;
    query.id = Big16(packet, 0);
    query.broadcast = flags & kBroadcast;
    query.recursionDesired = flags & kRecursionDesired;
    query.name = name->name;
    query.wireName = packet.sliced(kHeaderBytes, name->end - kHeaderBytes).toByteArray();
    return query;
}

QByteArray EncodeNameQuery(const NameQuery& query) {
    const std::uint16_t flags =
        (query.broadcast ? kBroadcast : 0) | (query.recursionDesired ? kRecursionDesired : 0);
    QByteArray packet = Header(query.id, flags, 1, 0);
    packet += query.wireName.isEmpty() ? EncodeName(query.name) : query.wireName;
    AppendBig16(packet, kTypeNb);
    AppendBig16(packet, kClassIn);
    return packet;
}

QByteArray EncodeNameAnswer(const NameQuery& query, std::uint32_t address) {
    const std::uint16_t flags =
        kResponse | kAuthoritative | (query.recursionDesired ? kRecursionDesired : 0);
    QByteArray packet = Header(query.id, flags, 0, 1);
    packet += query.wireName.isEmpty() ? EncodeName(query.name) : query.wireName;
    AppendBig16(packet, kTypeNb);
    AppendBig16(packet, kClassIn);
    AppendBig32(packet, kTimeToLive);
    AppendBig16(packet, 6);
    AppendBig16(packet, 0);  // a unique name of a B-node
    AppendBig32(packet, address);
    return packet;
}

std::optional<QByteArray> AnswerNameQuery(QByteArrayView packet, QByteArrayView ownName,
                                          std::uint32_t address) {
    const auto query = ParseNameQuery(packet);
    if (!query || UpperName(query->name.name) != UpperName(ownName) ||
        (query->name.suffix != kMessengerSuffix && query->name.suffix != kWorkstationSuffix)) {
        return std::nullopt;
    }
    return EncodeNameAnswer(*query, address);
}

}  // namespace platform::netbios
