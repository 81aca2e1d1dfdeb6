#include "platform/Windows1252.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
namespace cp = platform::Windows1252;

namespace {

TEST(Windows1252, EveryByteDecodesToOneCharacterAndEncodesBack) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all += char(b);
    }
    const QString text = cp::Decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));  // euro sign
    EXPECT_EQ(text[0x92], QChar(0x2019));  // right single quotation mark
    EXPECT_EQ(text[0x81], QChar(0x0081));  // undefined codes keep their value
    EXPECT_EQ(text[0xE9], QChar(0x00E9));
    const auto back = cp::Encode(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
    EXPECT_EQ(cp::FirstUnencodable(text), -1);
}

TEST(Windows1252, CharactersOutsideThePageAreFoundAndNamed) {
    EXPECT_FALSE(cp::Encode(u"Zo\u0142y"_s).has_value());
    EXPECT_EQ(cp::FirstUnencodable(u"Zo\u0142y"_s), 2);
    EXPECT_EQ(cp::DescribeCharacter(u"Zo\u0142y"_s, 2), u"'\u0142' (U+0142)"_s);
    const QString emoji = u"a\U0001F600"_s;
    EXPECT_EQ(cp::FirstUnencodable(emoji), 1);
    EXPECT_EQ(cp::DescribeCharacter(emoji, 1), u"'\U0001F600' (U+1F600)"_s);
    // C1 controls that Windows-1252 gives printable meanings to have no code of their own.
    EXPECT_FALSE(cp::Encode(QString(QChar(0x0080))).has_value());
    EXPECT_EQ(cp::Encode(u""_s), QByteArray());
}

}  // namespace
