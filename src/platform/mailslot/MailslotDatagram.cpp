#include "platform/mailslot/MailslotDatagram.h"

#include <QtEndian>

namespace platform::netbios {
namespace {

constexpr qsizetype kHeaderBytes = 14;  // not counted in the datagram length field
constexpr qsizetype kSmbNameOffset = 69;
constexpr qsizetype kSmbDataOffset = 88;  // name, zero and pad keep the data 4-byte aligned
constexpr char kFirstFragment = 0x02;
constexpr char kMoreFragments = 0x01;

void Put16be(QByteArray& out, std::uint16_t v) {
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

void Put16le(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

std::uint16_t Get16le(QByteArrayView bytes, qsizetype offset) {
    return qFromLittleEndian<std::uint16_t>(bytes.data() + offset);
}

QByteArray EncodeSmb(const QByteArray& mailslot, const QByteArray& body) {
    const auto n = static_cast<std::uint16_t>(body.size());
    QByteArray smb;
    smb.reserve(kSmbDataOffset + body.size());
    smb.append("\xFFSMB", 4);
    smb.append(char(0x25));        // transaction
    smb.append(4, '\0');           // status
    smb.append(char(0x18));        // flags
    Put16le(smb, 0x0004);          // flags2
    smb.append(12, '\0');          // PID high, security features, reserved
    Put16le(smb, 0);               // TID
    Put16le(smb, 0xFEFF);          // PID low
    smb.append(4, '\0');           // UID, MID
    smb.append(char(17));          // word count
    Put16le(smb, 0);               // total parameter count
    Put16le(smb, n);               // total data count
    Put16le(smb, 2);               // max parameter count
    Put16le(smb, 0);               // max data count
    smb.append(2, '\0');           // max setup count, reserved
    Put16le(smb, 0x0002);          // no response
    smb.append(4, '\0');           // timeout
    Put16le(smb, 0);               // reserved
    Put16le(smb, 0);               // parameter count
    Put16le(smb, kSmbDataOffset);  // parameter offset
    Put16le(smb, n);               // data count
    Put16le(smb, kSmbDataOffset);  // data offset
    smb.append(char(3));           // setup count
    smb.append('\0');
    Put16le(smb, 1);  // write mailslot
    Put16le(smb, 0);  // priority
    Put16le(smb, 2);  // class 2: unreliable
    const qsizetype nameEnd = kSmbNameOffset + mailslot.size() + 1;
    const qsizetype pad =
        nameEnd <= kSmbDataOffset ? kSmbDataOffset - nameEnd : (4 - nameEnd % 4) % 4;
    Put16le(smb, static_cast<std::uint16_t>(mailslot.size() + 1 + pad + n));
    smb.append(mailslot);
    smb.append('\0');
    smb.append(pad, '\0');
    if (smb.size() != kSmbDataOffset) {
        // A mailslot name longer than MESSNGR moves the data; keep the offsets true.
        const auto offset = static_cast<std::uint16_t>(smb.size());
        qToLittleEndian<std::uint16_t>(offset, smb.data() + 53);
        qToLittleEndian<std::uint16_t>(offset, smb.data() + 57);
    }
    smb.append(body);
    return smb;
}

}  // namespace

QByteArray EncodeMailslotWrite(const MailslotWrite& write) {
    const QByteArray smb = EncodeSmb(write.mailslot, write.body);
    const QByteArray source = EncodeName(write.source);
    const QByteArray destination = EncodeName(write.destination);

    QByteArray packet;
    packet.reserve(kHeaderBytes + source.size() + destination.size() + smb.size());
    packet.append(char(write.type));
    packet.append(kFirstFragment);
    Put16be(packet, write.id);
    packet.append(char(write.sourceIp >> 24));
    packet.append(char(write.sourceIp >> 16));
    packet.append(char(write.sourceIp >> 8));
    packet.append(char(write.sourceIp));
    Put16be(packet, write.sourcePort);
    Put16be(packet, static_cast<std::uint16_t>(source.size() + destination.size() + smb.size()));
    Put16be(packet, 0);  // packet offset
    packet.append(source);
    packet.append(destination);
    packet.append(smb);
    return packet;
}

std::optional<MailslotWrite> ParseMailslotWrite(QByteArrayView packet) {
    constexpr qsizetype kMinimum = 82 + kSmbNameOffset;
    if (packet.size() < kMinimum) {
        return std::nullopt;
    }
    const auto type = static_cast<std::uint8_t>(packet[0]);
    if (type != kDirectUnique && type != kDirectGroup && type != kBroadcast) {
        return std::nullopt;
    }
    const char flags = packet[1];
    if (!(flags & kFirstFragment) || (flags & kMoreFragments) ||
        qFromBigEndian<std::uint16_t>(packet.data() + 12) != 0) {
        return std::nullopt;
    }
    const auto source = DecodeName(packet, kHeaderBytes);
    if (!source) {
        return std::nullopt;
    }
    const auto destination = DecodeName(packet, source->end);
    if (!destination) {
        return std::nullopt;
    }

    const QByteArrayView smb = packet.sliced(destination->end);
    if (smb.size() < kSmbNameOffset || !smb.startsWith(QByteArrayView("\xFFSMB", 4)) ||
        smb[4] != 0x25 || smb[32] != 17 || smb[59] != 3 || Get16le(smb, 61) != 1) {
        return std::nullopt;
    }
    const qsizetype nameEnd = smb.indexOf('\0', kSmbNameOffset);
    if (nameEnd < 0) {
        return std::nullopt;
    }
    const qsizetype dataCount = Get16le(smb, 55);
    const qsizetype dataOffset = Get16le(smb, 57);
    if (dataOffset < nameEnd + 1 || dataOffset + dataCount > smb.size()) {
        return std::nullopt;
    }

    MailslotWrite write;
    write.type = type;
    write.id = qFromBigEndian<std::uint16_t>(packet.data() + 2);
    write.sourceIp = qFromBigEndian<std::uint32_t>(packet.data() + 4);
    write.sourcePort = qFromBigEndian<std::uint16_t>(packet.data() + 8);
    write.source = source->name;
    write.destination = destination->name;
    write.mailslot = smb.sliced(kSmbNameOffset, nameEnd - kSmbNameOffset).toByteArray();
    write.body = smb.sliced(dataOffset, dataCount).toByteArray();
    return write;
}

std::optional<QByteArray> TakeBody(QByteArrayView packet, const OwnNames& own) {
    auto write = ParseMailslotWrite(packet);
    if (!write || UpperName(write->mailslot) != own.mailslot) {
        return std::nullopt;
    }
    const Name& to = write->destination;
    const QByteArray toName = UpperName(to.name);
    bool forUs = false;
    if (write->type == kDirectUnique) {
        const bool ours =
            toName == own.machine || (!own.localAddress.isEmpty() && toName == own.localAddress);
        forUs = ours && (to.suffix == kMessengerSuffix || to.suffix == kWorkstationSuffix);
    } else {
        forUs = toName == own.workgroup && to.suffix == kWorkstationSuffix;
    }
    if (!forUs) {
        return std::nullopt;
    }
    return std::move(write->body);
}

bool NamesFit(QByteArrayView body) {
    const qsizetype from = body.indexOf('\0');
    const qsizetype to = from < 0 ? -1 : body.indexOf('\0', from + 1);
    const qsizetype fromBytes = from < 0 ? body.size() : from;
    const qsizetype toBytes = from < 0 ? 0 : (to < 0 ? body.size() : to) - from - 1;
    return fromBytes <= kMaxHostNameBytes && toBytes <= kMaxHostNameBytes;
}

}  // namespace platform::netbios
