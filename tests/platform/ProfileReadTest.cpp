#include "platform/ProfileFile.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include <cctype>
#include <string>

using namespace Qt::StringLiterals;

namespace {

struct ReadCase {
    const char* what;
    QByteArray file;  // empty: no file at all
    QString section;
    QString key;
    QString expected;  // the default is "<default>"
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsWhatWindowsFinds) {
    const ReadCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Settings.ini"_s);
    if (!c.file.isEmpty()) {
        WriteBytes(path, c.file);
    }
    EXPECT_EQ(platform::GetPrivateProfileString(c.section, c.key, u"<default>"_s, path), c.expected)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileRead,
    ::testing::Values(
        ReadCase{"no file", {}, u"Skinning"_s, u"Enable"_s, u"<default>"_s},
        ReadCase{"exact", "[Skinning]\r\nEnable=1\r\n", u"Skinning"_s, u"Enable"_s, u"1"_s},
        ReadCase{"names in any case", "[sKiNNing]\r\nENABLE=0\r\n", u"SKINNING"_s, u"enable"_s,
                 u"0"_s},
        ReadCase{"blanks around names and values",
                 "  [ Contact List ]  \r\n\t Users Expanded \t=  1 \r\n", u"Contact List"_s,
                 u"Users Expanded"_s, u"1"_s},
        ReadCase{"double quotes", "[S]\r\nK=\"  a b  \"\r\n", u"S"_s, u"K"_s, u"  a b  "_s},
        ReadCase{"single quotes", "[S]\r\nK='x'\r\n", u"S"_s, u"K"_s, u"x"_s},
        ReadCase{"unbalanced quote kept", "[S]\r\nK=\"x\r\n", u"S"_s, u"K"_s, u"\"x"_s},
        ReadCase{"one pair only", "[S]\r\nK=\"\"x\"\"\r\n", u"S"_s, u"K"_s, u"\"x\""_s},
        ReadCase{"empty value", "[S]\r\nK=\r\n", u"S"_s, u"K"_s, u""_s},
        ReadCase{"comment never matches", "[S]\r\n;K=0\r\n", u"S"_s, u"K"_s, u"<default>"_s},
        ReadCase{"comment before the key", "[S]\r\n; K=0\r\nK=1\r\n", u"S"_s, u"K"_s, u"1"_s},
        ReadCase{"duplicate keys: the first", "[S]\r\nK=1\r\nK=2\r\n", u"S"_s, u"K"_s, u"1"_s},
        ReadCase{"duplicate sections: the first", "[S]\r\nA=1\r\n[S]\r\nK=2\r\n", u"S"_s, u"K"_s,
                 u"<default>"_s},
        ReadCase{"key of another section", "[A]\r\nK=1\r\n[B]\r\n", u"B"_s, u"K"_s, u"<default>"_s},
        ReadCase{"key before any section", "K=1\r\n[S]\r\n", u"S"_s, u"K"_s, u"<default>"_s},
        ReadCase{"line breaks of Unix", "[S]\nK=1\n", u"S"_s, u"K"_s, u"1"_s},
        ReadCase{"no final line break", "[S]\r\nK=1", u"S"_s, u"K"_s, u"1"_s},
        ReadCase{"equals sign inside the value", "[Users]\r\nUser[1]=NAME=Anna|ADDRESS=pc01\r\n",
                 u"Users"_s, u"User[1]"_s, u"NAME=Anna|ADDRESS=pc01"_s},
        ReadCase{"key without equals sign", "[S]\r\nK\r\n", u"S"_s, u"K"_s, u""_s},
        ReadCase{"header without bracket is no section", "[S\r\nK=1\r\n", u"S"_s, u"K"_s,
                 u"<default>"_s},
        ReadCase{"Windows-1252 text", "[S]\r\nK=Caf\xe9 \x80\x92\r\n", u"S"_s, u"K"_s,
                 u"Caf\u00e9 \u20ac\u2019"_s},
        ReadCase{"UTF-8 with byte order mark", "\xEF\xBB\xBF[S]\r\nK=Caf\xC3\xA9\r\n", u"S"_s,
                 u"K"_s, u"Caf\u00e9"_s}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) {
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        }
        return name;
    });

TEST(ProfileReadLimits, CutsAtTheBufferAndReadsAValueOfExactlyTheBuffer) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Settings.ini"_s);
    const QByteArray fits(59999, 'a');
    const QByteArray tooLong(70000, 'b');
    WriteBytes(path, "[S]\r\nFits=" + fits + "\r\nLong=" + tooLong + "\r\n");
    EXPECT_EQ(platform::GetPrivateProfileString(u"S"_s, u"Fits"_s, {}, path).size(), 59999);
    const QString cut = platform::GetPrivateProfileString(u"S"_s, u"Long"_s, {}, path);
    EXPECT_EQ(cut, QString(59999, u'b'));
    EXPECT_EQ(
        platform::GetPrivateProfileString(u"S"_s, u"None"_s, QString(60005, u'd'), path).size(),
        59999);
}

TEST(ProfileReadLimits, AFileThatCannotBeReadGivesTheDefault) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Settings.ini"_s);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"Settings.ini"_s));
    EXPECT_EQ(platform::GetPrivateProfileString(u"S"_s, u"K"_s, u"d"_s, path), u"d"_s);
}

}  // namespace
