#include "platform/mailslot/NetbiosName.h"

#include "platform/Windows1252.h"

#include <QString>

#include <array>

namespace platform::netbios {
namespace {

std::array<char, 256> MakeUpperTable() {
    std::array<char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        table[b] = byte;
        const QString upper = Windows1252::Decode(QByteArrayView(&byte, 1)).toUpper();
        if (upper.size() == 1) {
            if (const auto encoded = Windows1252::Encode(upper)) {
                table[b] = encoded->at(0);
            }
        }
    }
    return table;
}

}  // namespace

QByteArray UpperName(QByteArrayView name) {
    static const std::array<char, 256> table = MakeUpperTable();
    QByteArray upper(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i) {
        upper[i] = table[static_cast<unsigned char>(name[i])];
    }
    return upper;
}

QByteArray EncodeName(const Name& name) {
    QByteArray plain = name.name.left(kNameBytes);
    plain.append(kNameBytes - plain.size(), ' ');
    plain.append(name.suffix);

    QByteArray wire;
    wire.reserve(34);
    wire.append(char(0x20));
    for (const char c : plain) {
        const auto b = static_cast<unsigned char>(c);
        wire.append(char('A' + (b >> 4)));
        wire.append(char('A' + (b & 0x0F)));
    }
    wire.append('\0');
    return wire;
}

std::optional<DecodedName> DecodeName(QByteArrayView packet, qsizetype offset) {
    if (offset < 0 || offset + 33 > packet.size() || packet[offset] != 0x20) {
        return std::nullopt;
    }
    QByteArray plain(16, Qt::Uninitialized);
    for (int i = 0; i < 16; ++i) {
        const int hi = packet[offset + 1 + 2 * i] - 'A';
        const int lo = packet[offset + 2 + 2 * i] - 'A';
        if (hi < 0 || hi > 15 || lo < 0 || lo > 15) {
            return std::nullopt;
        }
        plain[i] = static_cast<char>((hi << 4) | lo);
    }
    // Scope labels, if any, end with a zero length byte.
    qsizetype pos = offset + 33;
    while (true) {
        if (pos >= packet.size()) {
            return std::nullopt;
        }
        const auto length = static_cast<unsigned char>(packet[pos]);
        if (length == 0) {
            break;
        }
        if (length > 63) {
            return std::nullopt;
        }
        pos += 1 + length;
    }

    DecodedName decoded;
    decoded.name.suffix = plain[15];
    QByteArray name = plain.left(kNameBytes);
    while (name.endsWith(' ')) {
        name.chop(1);
    }
    decoded.name.name = name;
    decoded.end = pos + 1;
    return decoded;
}

}  // namespace platform::netbios
