#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// NetBIOS names as the datagram service puts them on the wire: 15 bytes padded with blanks, a
// suffix byte, each half-byte written as a letter 'A'..'P'.
namespace platform::netbios {

inline constexpr qsizetype kNameBytes = 15;
inline constexpr char kMessengerSuffix = 0x03;
inline constexpr char kWorkstationSuffix = 0x00;

struct Name {
    QByteArray name;  // Windows-1252 bytes without the padding
    char suffix = 0;

    friend bool operator==(const Name&, const Name&) = default;
};

// Windows-1252 upper case, byte for byte, so that names compare as Windows compares them.
QByteArray UpperName(QByteArrayView name);

// The 34 bytes of an encoded name without scope. The name is padded or cut to 15 bytes.
QByteArray EncodeName(const Name& name);

struct DecodedName {
    Name name;
    qsizetype end = 0;  // offset of the first byte after the name and its scope labels
};

// Nothing when the bytes at offset are not a first-level encoded name.
std::optional<DecodedName> DecodeName(QByteArrayView packet, qsizetype offset);

}  // namespace platform::netbios
