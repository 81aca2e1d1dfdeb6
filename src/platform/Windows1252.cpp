#include "platform/Windows1252.h"

#include <array>

using namespace Qt::StringLiterals;

namespace platform::Windows1252 {
namespace {

// 0x80..0x9F; the undefined codes keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<char> EncodeOne(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// Whether a whole surrogate pair starts at index.
bool PairAt(QStringView text, qsizetype index) {
    return text[index].isHighSurrogate() && index + 1 < text.size() &&
           text[index + 1].isLowSurrogate();
}

}  // namespace

QString Decode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? kHigh[u - 0x80] : char16_t(u));
    }
    return text;
}

std::optional<QByteArray> Encode(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const auto b = EncodeOne(c.unicode());
        if (!b) {
            return std::nullopt;
        }
        *out++ = *b;
    }
    return bytes;
}

QByteArray EncodeReplacing(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto b = EncodeOne(text[i].unicode());
        bytes.append(b.value_or('?'));
        if (!b && PairAt(text, i)) {
            ++i;
        }
    }
    return bytes;
}

qsizetype FirstUnencodable(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!EncodeOne(text[i].unicode())) {
            return i;
        }
    }
    return -1;
}

QString DescribeCharacter(QStringView text, qsizetype index) {
    char32_t code = text[index].unicode();
    qsizetype length = 1;
    if (PairAt(text, index)) {
        code = QChar::surrogateToUcs4(text[index], text[index + 1]);
        length = 2;
    }
    return u"'"_s + text.mid(index, length) + u"' (U+"_s +
           QString::number(code, 16).toUpper().rightJustified(4, u'0') + u')';
}

}  // namespace platform::Windows1252
