#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "platform/Windows1252.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <numeric>
#include <thread>

using namespace Qt::StringLiterals;
using platform::GetPrivateProfileString;
using platform::ProfileBatch;
using platform::RuntimeError;
using platform::WritePrivateProfileString;
namespace cp = platform::Windows1252;
using Entries = std::vector<std::pair<QString, QString>>;

namespace {

// An edit of the file: no key deletes the section, no value the key.
struct Edit {
    QString section;
    std::optional<QString> key = {}, value = {};
};

class ProfileWrite : public ::testing::Test {
protected:
    QString Read(const QString& section, const QString& key) {
        return GetPrivateProfileString(section, key, u"<default>"_s, path);
    }
    void Write(const QString& section, const QString& key, const QString& value) {
        WritePrivateProfileString(section, key, value, path);
    }
    // What the file holds after the edits, from the given bytes (none: no file).
    QByteArray Edited(const QByteArray& before, const std::vector<Edit>& edits) {
        QFile::remove(path);
        if (!before.isEmpty()) {
            WriteBytes(path, before);
        }
        for (const Edit& e : edits) {
            WritePrivateProfileString(e.section, e.key, e.value, path);
        }
        platform::ForgetCachedProfiles();
        return ReadBytes(path);
    }
    // Another running copy replaces the file, as this one would.
    void OtherCopyWrites(const QByteArray& bytes) {
        const QString temp = path + u".other"_s;
        WriteBytes(temp, bytes);
        ASSERT_TRUE(::rename(QFile::encodeName(temp).constData(),
                             QFile::encodeName(path).constData()) == 0);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(u"Settings.ini"_s);
};

// Every other byte of the file stays as it was.
TEST_F(ProfileWrite, ChangesOnlyTheLinesItMust) {
    EXPECT_EQ(Edited({}, {{u"Skinning"_s, u"Enable"_s, u"1"_s},
                          {u"Contact List"_s, u"Splash"_s, u"0"_s}}),
              "[Skinning]\r\nEnable=1\r\n\r\n[Contact List]\r\nSplash=0\r\n");

    // A new key goes after the section's last line, before the blank line between sections;
    // after a last line without a line break, with one.
    EXPECT_EQ(Edited("; kept comment\r\n[Contact List]\r\nDomains Expanded = 0 \r\n; inner\r\n"
                     "Users Expanded=1\r\n\r\n[Skinning]\nEnable=1",
                     {{u"contact list"_s, u"DOMAINS EXPANDED"_s, u"1"_s},
                      {u"Contact List"_s, u"Unknown Expanded"_s, u"0"_s},
                      {u"Skinning"_s, u"Enable"_s, u"0"_s},
                      {u"Skinning"_s, u"Extra"_s, u"x"_s}}),
              "; kept comment\r\n[Contact List]\r\nDomains Expanded=1\r\n; inner\r\n"
              "Users Expanded=1\r\nUnknown Expanded=0\r\n\r\n[Skinning]\nEnable=0\r\nExtra=x\r\n");
    EXPECT_EQ(Edited(";\n[A]\nK=1\n", {{u"A"_s, u"K"_s, u"9"_s}, {u"A"_s, u"L"_s, u"2"_s}}),
              ";\n[A]\nK=9\nL=2\n");
    EXPECT_EQ(Edited("[A]\nK=1", {{u"B"_s, u"M"_s, u"3"_s}}), "[A]\nK=1\n\n[B]\nM=3\n");
    EXPECT_EQ(Edited("[A]", {{u"B"_s, u"M"_s, u"3"_s}, {u"A"_s, u"K"_s, u"1"_s}}),
              "[A]\r\nK=1\r\n\r\n[B]\r\nM=3\r\n");  // a first key goes above the blank line

    const QByteArray head = "[Contact List]\r\nUsers Expanded=1\r\n\r\n";
    const QByteArray users =
        "[Users]\r\nTotal=2\r\nUser[1]=NAME=a|ADDRESS=a|TYPE=0\r\nUser[7]=x\r\n\r\n";
    const QByteArray tail = "[Domains]\r\nTotal=0\r\n  ; odd  \r\n\r\n";
    EXPECT_EQ(Edited(head + users + tail + "[users]\r\nUser[2]=stray\r\n", {{u"Users"_s}}),
              head + tail);
    EXPECT_EQ(Edited(tail, {{u"Domains"_s, u"Total"_s, std::nullopt}}),
              "[Domains]\r\n  ; odd  \r\n\r\n");

    EXPECT_EQ(
        Edited("\xEF\xBB\xBF[Users]\r\nTotal=1\r\n[Other]\r\nK=Caf\xC3\xA9\r\n", {{u"Users"_s}}),
        "\xEF\xBB\xBF[Other]\r\nK=Caf\xC3\xA9\r\n");
    EXPECT_EQ(Read(u"Other"_s, u"K"_s), u"Caf\u00E9"_s);

    QByteArray page(0xE0, '\0');  // every byte from 0x20 on
    std::iota(page.begin(), page.end(), char(0x20));
    const QString text = u"<"_s + cp::Decode(page) + u">"_s;
    EXPECT_EQ(Edited({}, {{u"S"_s, u"All"_s, text}}), "[S]\r\nAll=<" + page + ">\r\n");
    EXPECT_EQ(Read(u"S"_s, u"All"_s), text);

    // Names in any script, even at their first letter: the file turns UTF-8 whole and reads back.
    EXPECT_EQ(Edited("; caf\xe9\r\n[Users]\r\nUser[1]=NAME=Ren\xe9"
                     "e \x80\r\n\r\n[S]\r\nK=1\r\n",
                     {{u"\u0141\u00f3d\u017a"_s, u"\u017bona"_s, u"1"_s},
                      {u"Users"_s, u"User[2]"_s, u"NAME=\u0141ukasz \U0001F600"_s}}),
              "\xEF\xBB\xBF; caf\xC3\xA9\r\n[Users]\r\nUser[1]=NAME=Ren\xC3\xA9"
              "e \xE2\x82\xAC\r\n"
              "User[2]=NAME=\xC5\x81ukasz \xF0\x9F\x98\x80\r\n\r\n[S]\r\nK=1\r\n\r\n"
              "[\xC5\x81\xC3\xB3"
              "d\xC5\xBA]\r\n\xC5\xBBona=1\r\n");
    EXPECT_EQ(Read(u"users"_s, u"user[1]"_s), u"NAME=Ren\u00e9e \u20ac"_s);
    EXPECT_EQ(Read(u"Users"_s, u"User[2]"_s), u"NAME=\u0141ukasz \U0001F600"_s);
    EXPECT_EQ(Read(u"\u0142\u00d3D\u017a"_s, u"\u017cona"_s), u"1"_s);
}

TEST_F(ProfileWrite, RefusesTextTheFileCannotHoldAndChangesNothing) {
    WriteBytes(path, "[S]\r\nK=1\r\n");
    const std::array<QString, 3> cases[] = {
        {u"S"_s, u"K"_s, u"two\r\nInjected=1"_s},
        {u"S"_s, u"K"_s, u"cut\0short"_s},  // a reader would stop at the zero
        {u"S"_s, u"A=B"_s, u"1"_s},
        {u"S]"_s, u"K"_s, u"1"_s},
        {u""_s, u"K"_s, u"1"_s},
        {u"S"_s, u";K"_s, u"1"_s},
    };
    for (const auto& [section, key, value] : cases) {
        EXPECT_THROW(Write(section, key, value), RuntimeError) << key.toStdString();
    }
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=1\r\n");
    // Quotes around a value go on reading, as on Windows: a value in quotes still comes back.
    for (const QString& value : {u"'quoted'"_s, u"\"both\""_s, u"'"_s, u"'a\""_s}) {
        Write(u"S"_s, u"Q"_s, value);
        EXPECT_EQ(Read(u"S"_s, u"Q"_s), value);
    }
}

// A path that cannot be read is kept as it is: tests/ui (a settings file that is no file).
TEST_F(ProfileWrite, ASnapshotReadsTheFileAsItWas) {
    WriteBytes(path, "[S]\r\nK=1\r\n");
    {
        platform::ProfileSnapshot snapshot(path);
        OtherCopyWrites("[S]\r\nK=2\r\n");  // same size, new file
        const platform::ProfileSnapshot nested(path);
        EXPECT_EQ(Read(u"S"_s, u"K"_s), u"1"_s);
        EXPECT_EQ(platform::GetPrivateProfileSection(u"S"_s, path), (Entries{{u"k"_s, u"1"_s}}));
    }
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"2"_s);
    OtherCopyWrites("[S]\r\nL=3\r\n");
    EXPECT_EQ(platform::GetPrivateProfileSection(u"S"_s, path), (Entries{{u"l"_s, u"3"_s}}));
    EXPECT_TRUE(QFile::remove(path) && Read(u"S"_s, u"K"_s) == u"<default>"_s);
}

// The file is parsed again only when it changed on disk or the cache was dropped, which a batch
// outlives; what a thread read ahead spares the first read. The kernel counts the opens.
TEST_F(ProfileWrite, TheDiskIsReadAgainOnlyWhenTheFileChanged) {
    WriteBytes(path, "[S]\r\nK=1\r\n");
    const int editor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    const int notify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(notify, QFile::encodeName(dir.path()).constData(), IN_OPEN), 0);
    // The value, and how often the file was opened since the last read.
    const auto read = [&]() -> QString {
        const QString value = Read(u"S"_s, u"K"_s);
        int opens = 0;
        alignas(inotify_event) char events[4096];
        for (ssize_t n; (n = ::read(notify, events, sizeof events)) > 0;) {
            for (const char* e = events; e < events + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(e);
                opens += event->len > 0 && std::strcmp(event->name, "Settings.ini") == 0;
                e += sizeof(inotify_event) + event->len;
            }
        }
        return value + u' ' + QString::number(opens);
    };
    platform::ForgetCachedProfiles();
    EXPECT_TRUE(read() == u"1 1"_s && read() == u"1 0"_s);
    // Edited in place to the same size, as an editor may, and given a time of its own.
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    EXPECT_TRUE(::pwrite(editor, "3", 1, 7) == 1 && ::futimens(editor, times) == 0);
    ::close(editor);
    EXPECT_EQ(read(), u"3 1"_s);
    Write(u"S"_s, u"K"_s, u"4"_s);
    EXPECT_EQ(read(), u"4 0"_s);
    platform::ForgetCachedProfiles();
    EXPECT_EQ(read(), u"4 1"_s);
    {
        ProfileBatch batch(path);
        Write(u"S"_s, u"K"_s, u"5"_s);
        platform::ForgetCachedProfiles();
        EXPECT_EQ(read(), u"5 0"_s);
        batch.Commit();
    }
    EXPECT_EQ(read(), u"5 0"_s);
    for (const bool changedSince : {false, true}) {
        platform::ForgetCachedProfiles();
        std::thread(platform::ReadProfileAhead(path)).join();
        if (changedSince) {
            OtherCopyWrites("[S]\r\nK=6\r\n");
        }
        // The thread's open, and once the file changed, one more.
        EXPECT_EQ(read(), changedSince ? u"6 2"_s : u"5 1"_s);
    }
    ::close(notify);
}

TEST_F(ProfileWrite, KeepsTheKeysAnotherCopyWrote) {
    Write(u"S"_s, u"Mine"_s, u"1"_s);
    OtherCopyWrites("[S]\r\nMine=1\r\nTheirs=2\r\n");
    Write(u"S"_s, u"Mine"_s, u"3"_s);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nMine=3\r\nTheirs=2\r\n");
    WritePrivateProfileString(u"S"_s, u"Mine"_s, std::nullopt, path);
    EXPECT_EQ(Read(u"S"_s, u"Theirs"_s), u"2"_s);  // found where it moved up to

    // Also when the other copy writes while a batch is open.
    {
        ProfileBatch batch(path);
        Write(u"Users"_s, u"Total"_s, u"1"_s);
        OtherCopyWrites("[S]\r\nMine=3\r\nTheirs=4\r\n");
        const platform::ProfileSnapshot snapshot(path);  // still the batch's
        EXPECT_EQ(Read(u"Users"_s, u"Total"_s), u"1"_s);
        batch.Commit();
    }
    EXPECT_EQ(ReadBytes(path), "[S]\r\nMine=3\r\nTheirs=4\r\n\r\n[Users]\r\nTotal=1\r\n");
}

TEST_F(ProfileWrite, ABatchWritesOnceAndOnlyWhenCommitted) {
    WriteBytes(path, "[Users]\r\nTotal=1\r\nUser[1]=old\r\n");
    const QByteArray before = ReadBytes(path);
    {
        ProfileBatch batch(path);
        WritePrivateProfileString(u"Users"_s, std::nullopt, {}, path);
        for (int i = 1; i <= 3; ++i) {
            Write(u"Users"_s, u"User["_s + QString::number(i) + u']', QString::number(i));
        }
        Write(u"Users"_s, u"Total"_s, u"3"_s);
        {
            ProfileBatch inner(path);  // nested: the outer one writes
            Write(u"Skinning"_s, u"Enable"_s, u"0"_s);
            inner.Commit();
        }
        // Reads inside the batch see its writes; the disk does not yet.
        EXPECT_TRUE(Read(u"Users"_s, u"User[2]"_s) == u"2"_s && ReadBytes(path) == before);
        batch.Commit();
    }
    EXPECT_EQ(ReadBytes(path),
              "[Users]\r\nUser[1]=1\r\nUser[2]=2\r\nUser[3]=3\r\nTotal=3\r\n\r\n[Skinning]\r\n"
              "Enable=0\r\n");

    const QByteArray committed = ReadBytes(path);  // an error escaping a batch discards its writes
    try {
        ProfileBatch batch(path);
        WritePrivateProfileString(u"Users"_s, std::nullopt, {}, path);
        Write(u"Users"_s, u"Bad\nKey"_s, u"x"_s);
        batch.Commit();
    } catch (const RuntimeError&) {
    }
    EXPECT_TRUE(ReadBytes(path) == committed && Read(u"Users"_s, u"Total"_s) == u"3"_s);

    // A nested batch that was abandoned makes the outer commit fail, not succeed silently.
    {
        ProfileBatch outer(path);
        Write(u"Users"_s, u"Total"_s, u"0"_s);
        try {
            ProfileBatch inner(path);
            Write(u"Users"_s, u"Bad\nKey"_s, u"x"_s);
            inner.Commit();
        } catch (const RuntimeError&) {
        }
        EXPECT_THROW(outer.Commit(), RuntimeError);
    }
    EXPECT_EQ(ReadBytes(path), committed);
}

TEST_F(ProfileWrite, ReadsWhatWindowsFinds) {
    // What, the file (empty: none at all), section, key, and what is read (default "<default>").
    const std::tuple<const char*, QByteArray, QString, QString, QString> cases[] = {
        {"no file", {}, u"Skinning"_s, u"Enable"_s, u"<default>"_s},
        {"names in any case", "[sKiNNing]\r\nENABLE=0\r\n", u"SKINNING"_s, u"enable"_s, u"0"_s},
        {"blanks around names and values", "  [ Contact List ]  \r\n\t Users Expanded \t=  1 \r\n",
         u"Contact List"_s, u"Users Expanded"_s, u"1"_s},
        {"double quotes", "[S]\r\nK=\"  a b  \"\r\n", u"S"_s, u"K"_s, u"  a b  "_s},
        {"single quotes", "[S]\r\nK='x'\r\n", u"S"_s, u"K"_s, u"x"_s},
        {"unbalanced quote kept", "[S]\r\nK=\"x\r\n", u"S"_s, u"K"_s, u"\"x"_s},
        {"one pair only", "[S]\r\nK=\"\"x\"\"\r\n", u"S"_s, u"K"_s, u"\"x\""_s},
        {"a pair alone", "[S]\r\nK=\"\"\r\n", u"S"_s, u"K"_s, u""_s},
        {"empty value", "[S]\r\nK=\r\n", u"S"_s, u"K"_s, u""_s},
        {"a comment is no key", "[S]\r\n;K=0\r\n", u"S"_s, u";K"_s, u"<default>"_s},
        {"duplicate keys: the first", "[S]\r\nK=1\r\nK=2\r\n", u"S"_s, u"K"_s, u"1"_s},
        {"duplicate sections: the first", "[S]\r\nA=1\r\n[S]\r\nK=2\r\n", u"S"_s, u"K"_s,
         u"<default>"_s},
        {"key of another section", "[A]\r\nK=1\r\n[B]\r\n", u"B"_s, u"K"_s, u"<default>"_s},
        {"key before any section", "K=1\r\n[S]\r\n", u"S"_s, u"K"_s, u"<default>"_s},
        {"line breaks of Unix", "[S]\nK=1\n", u"S"_s, u"K"_s, u"1"_s},
        {"no final line break", "[S]\r\nK=1", u"S"_s, u"K"_s, u"1"_s},
        {"equals sign inside the value", "[Users]\r\nUser[1]=NAME=Anna|ADDRESS=pc01\r\n",
         u"Users"_s, u"User[1]"_s, u"NAME=Anna|ADDRESS=pc01"_s},
        {"key without equals sign", "[S]\r\nK\r\n", u"S"_s, u"K"_s, u""_s},
        {"blanks around the caller's names", "[S]\r\nK=1\r\n", u" S\t"_s, u"\tK "_s, u"1"_s},
        {"header without bracket is no section", "[S\r\nK=1\r\n", u"S"_s, u"K"_s, u"<default>"_s},
        {"the first bracket closes", "[S]x] ;\r\nK=1\r\n", u"S"_s, u"K"_s, u"1"_s},
        {"brackets the other way round", "[S]\r\n]K[=1\r\n", u"S"_s, u"]K["_s, u"1"_s},
        {"Windows-1252 names", "[Caf\xc9]\r\nK\x80=1\r\n", u"caf\u00e9"_s, u"k\u20ac"_s, u"1"_s},
        // The caller's buffer holds a value one shorter than itself.
        {"longer than the buffer", "[S]\r\nK=" + QByteArray(70000, 'b') + "\r\n", u"S"_s, u"K"_s,
         QString(59999, u'b')},
    };
    for (const auto& [what, file, section, key, expected] : cases) {
        Edited(file, {});
        EXPECT_EQ(Read(section, key), expected) << what;
    }
}

// The first character the page has no code for, named as the user is told of it; each is "?" in
// a text that must go out anyway. A surrogate pair is one, but not when cut between its halves.
TEST(Windows1252, CharactersOutsideThePageAreFoundNamedAndReplaced) {
    const QString emoji = u"a\U0001F600"_s;
    const QChar high(0xD83D);
    const QString lone = QString(high) + u'x';
    const std::tuple<QStringView, qsizetype, QString, QByteArray> cases[] = {
        {u"\u007F\u00A0\u00FF", -1, {}, "\x7F\xA0\xFF"},
        {u"Zo\u0142y", 2, u"'\u0142' (U+0142)"_s, "Zo?y"},
        // C1 controls: Windows-1252 gives their codes printable meanings.
        {u"\u0080", 0, u"'\u0080' (U+0080)"_s, "?"},
        {u"\u009F\u0142", 0, u"'\u009F' (U+009F)"_s, "??"},
        {emoji, 1, u"'\U0001F600' (U+1F600)"_s, "a?"},
        {QStringView(emoji).first(2), 1, u"'"_s + high + u"' (U+D83D)"_s, "a?"},
        {lone, 0, u"'"_s + high + u"' (U+D83D)"_s, "?x"},
    };
    for (const auto& [text, first, named, replaced] : cases) {
        SCOPED_TRACE(named.toStdString());
        EXPECT_TRUE(cp::FirstUnencodable(text) == first && cp::EncodeReplacing(text) == replaced);
        EXPECT_EQ(cp::Encode(text).has_value(), first < 0);
        if (first >= 0) {
            EXPECT_EQ(cp::DescribeCharacter(text, first), named);
        }
    }
}

}  // namespace
