#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Windows-1252, the code page of the wire and of Settings.ini. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows maps them, so every byte string
// survives a round trip.
namespace platform::Windows1252 {

QString Decode(QByteArrayView bytes);

// Nothing when a character has no code in the page.
std::optional<QByteArray> Encode(QStringView text);

// Each character without a code becomes "?", a surrogate pair one "?", as Windows converts.
QByteArray EncodeReplacing(QStringView text);

// Index of the first character without a code, or -1.
qsizetype FirstUnencodable(QStringView text);

// "'X' (U+XXXX)" for messages about a character that cannot be encoded.
QString DescribeCharacter(QStringView text, qsizetype index);

}  // namespace platform::Windows1252
