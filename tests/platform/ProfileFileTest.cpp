#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "platform/Windows1252.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using platform::GetPrivateProfileString;
using platform::ProfileBatch;
using platform::RuntimeError;
using platform::WritePrivateProfileString;

namespace {

class ProfileWrite : public ::testing::Test {
protected:
    QString Read(const QString& section, const QString& key) {
        return GetPrivateProfileString(section, key, u"<default>"_s, path);
    }
    void Write(const QString& section, const QString& key, const QString& value) {
        WritePrivateProfileString(section, key, value, path);
    }
    ino_t Inode() const {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
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

TEST_F(ProfileWrite, MakesTheFileWithTheFirstWriteAndReadsBackExactly) {
    Write(u"Skinning"_s, u"Enable"_s, u"1"_s);
    EXPECT_EQ(ReadBytes(path), "[Skinning]\r\nEnable=1\r\n");
    EXPECT_EQ(Read(u"Skinning"_s, u"Enable"_s), u"1"_s);
    Write(u"Contact List - Interface"_s, u"Display Splash"_s, u"0"_s);
    EXPECT_EQ(ReadBytes(path),
              "[Skinning]\r\nEnable=1\r\n\r\n[Contact List - Interface]\r\nDisplay Splash=0\r\n");
}

TEST_F(ProfileWrite, ChangesOnlyTheLinesItMust) {
    const QByteArray before =
        "; kept comment\r\n[Contact List]\r\nDomains Expanded = 0 \r\n; inner\r\nUsers "
        "Expanded=1\r\n\r\n[Skinning]\nEnable=1";
    WriteBytes(path, before);

    Write(u"contact list"_s, u"DOMAINS EXPANDED"_s, u"1"_s);
    EXPECT_EQ(ReadBytes(path),
              QByteArray(before).replace("Domains Expanded = 0 \r\n", "Domains Expanded=1\r\n"));

    // A new key goes after the section's last line, before the blank line between sections.
    Write(u"Contact List"_s, u"Unknown Expanded"_s, u"0"_s);
    EXPECT_EQ(ReadBytes(path),
              "; kept comment\r\n[Contact List]\r\nDomains Expanded=1\r\n; inner\r\nUsers "
              "Expanded=1\r\nUnknown Expanded=0\r\n\r\n[Skinning]\nEnable=1");

    // The last line had no line break; a key appended after it gets one.
    Write(u"Skinning"_s, u"Extra"_s, u"x"_s);
    EXPECT_TRUE(ReadBytes(path).endsWith("[Skinning]\nEnable=1\r\nExtra=x\r\n"));
}

TEST_F(ProfileWrite, KeepsUnixLineBreaksOfAUnixFile) {
    WriteBytes(path, "[A]\nK=1\n");
    Write(u"A"_s, u"L"_s, u"2"_s);
    Write(u"B"_s, u"M"_s, u"3"_s);
    EXPECT_EQ(ReadBytes(path), "[A]\nK=1\nL=2\n\n[B]\nM=3\n");
}

TEST_F(ProfileWrite, DeletesEverySectionOfTheNameAndKeepsTheRestByteForByte) {
    const QByteArray head = "[Contact List]\r\nUsers Expanded=1\r\n\r\n";
    const QByteArray users =
        "[Users]\r\nTotal=2\r\nUser[1]=NAME=a|ADDRESS=a|TYPE=0\r\nUser[7]=x\r\n\r\n";
    const QByteArray tail = "[Domains]\r\nTotal=0\r\n  ; odd  \r\n\r\n";
    const QByteArray stray = "[users]\r\nUser[2]=stray\r\n";
    WriteBytes(path, head + users + tail + stray);

    WritePrivateProfileString(u"Users"_s, std::nullopt, u""_s, path);
    EXPECT_EQ(ReadBytes(path), head + tail);
    EXPECT_EQ(Read(u"Users"_s, u"Total"_s), u"<default>"_s);

    // Nothing to delete: the file is not even rewritten.
    const ino_t inode = Inode();
    WritePrivateProfileString(u"Users"_s, std::nullopt, u""_s, path);
    EXPECT_EQ(Inode(), inode);
    EXPECT_EQ(ReadBytes(path), head + tail);

    WritePrivateProfileString(u"Domains"_s, u"Total"_s, std::nullopt, path);
    EXPECT_EQ(ReadBytes(path), head + "[Domains]\r\n  ; odd  \r\n\r\n");
}

TEST_F(ProfileWrite, AUtf8FileStaysUtf8WhenItsFirstLineGoes) {
    WriteBytes(path, "\xEF\xBB\xBF[Users]\r\nTotal=1\r\n[Other]\r\nK=Caf\xC3\xA9\r\n");
    WritePrivateProfileString(u"Users"_s, std::nullopt, u""_s, path);
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF[Other]\r\nK=Caf\xC3\xA9\r\n");
    EXPECT_EQ(Read(u"Other"_s, u"K"_s), u"Caf\u00E9"_s);
}

TEST_F(ProfileWrite, RefusesTextTheFileCannotHoldAndChangesNothing) {
    WriteBytes(path, "[S]\r\nK=1\r\n");
    const auto refused = [&](const QString& section, const QString& key, const QString& value) {
        try {
            Write(section, key, value);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), platform::err::InvalidArgument);
            EXPECT_FALSE(e.Description().isEmpty());
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused(u"S"_s, u"K"_s, u"two\r\nInjected=1"_s));
    EXPECT_TRUE(refused(u"S"_s, u"A=B"_s, u"1"_s));
    EXPECT_TRUE(refused(u"S]"_s, u"K"_s, u"1"_s));
    EXPECT_TRUE(refused(u""_s, u"K"_s, u"1"_s));
    EXPECT_TRUE(refused(u"S"_s, u";K"_s, u"1"_s));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=1\r\n");
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"1"_s);
}

// Names in any script: the file becomes UTF-8 as a whole and reads back as it did.
TEST_F(ProfileWrite, TextWithoutAWindows1252CodeTurnsTheWholeFileIntoUtf8) {
    WriteBytes(path,
               "; caf\xe9\r\n[Users]\r\nUser[1]=NAME=Ren\xe9"
               "e \x80\r\n\r\n[S]\r\nK=1\r\n");
    Write(u"Users"_s, u"User[2]"_s, u"NAME=\u0141ukasz \U0001F600"_s);
    Write(u"\u0141\u00f3d\u017a"_s, u"\u017bona"_s, u"1"_s);
    EXPECT_EQ(ReadBytes(path),
              "\xEF\xBB\xBF; caf\xC3\xA9\r\n[Users]\r\nUser[1]=NAME=Ren\xC3\xA9"
              "e \xE2\x82\xAC\r\n"
              "User[2]=NAME=\xC5\x81ukasz \xF0\x9F\x98\x80\r\n\r\n[S]\r\nK=1\r\n\r\n"
              "[\xC5\x81\xC3\xB3"
              "d\xC5\xBA]\r\n\xC5\xBBona=1\r\n");
    platform::ForgetCachedProfiles();
    EXPECT_EQ(Read(u"users"_s, u"user[1]"_s), u"NAME=Ren\u00e9e \u20ac"_s);
    EXPECT_EQ(Read(u"Users"_s, u"User[2]"_s), u"NAME=\u0141ukasz \U0001F600"_s);
    EXPECT_EQ(Read(u"\u0142\u00d3D\u017a"_s, u"\u017cona"_s), u"1"_s);
}

TEST_F(ProfileWrite, EveryWindows1252CharacterSurvivesTheFile) {
    QByteArray bytes;
    for (int b = 0x20; b <= 0xFF; ++b) {
        bytes += char(b);
    }
    const QString text = u"<"_s + platform::Windows1252::Decode(bytes) + u">"_s;
    Write(u"S"_s, u"All"_s, text);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nAll=<" + bytes + ">\r\n");
    platform::ForgetCachedProfiles();
    EXPECT_EQ(Read(u"S"_s, u"All"_s), text);
}

TEST_F(ProfileWrite, AFailedWriteRaisesAnErrorAndLosesNothing) {
    // Not even root can make a file below a regular file.
    WriteBytes(dir.filePath(u"plain"_s), "x");
    const QString impossible = dir.filePath(u"plain/Settings.ini"_s);
    try {
        WritePrivateProfileString(u"S"_s, u"K"_s, u"1"_s, impossible);
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), platform::err::FileAccess);
        EXPECT_TRUE(e.Description().contains(impossible)) << e.Description();
    }
    EXPECT_EQ(GetPrivateProfileString(u"S"_s, u"K"_s, u"none"_s, impossible), u"none"_s);

    // A path that is there but cannot be read is not replaced by a file of one key.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"Settings.ini"_s));
    EXPECT_THROW(Write(u"S"_s, u"K"_s, u"1"_s), RuntimeError);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(ProfileWrite, ASnapshotReadsTheFileAsItWasAndItsKeyNames) {
    WriteBytes(path, "[S]\r\nK=1\r\nUser[2]=x\r\n");
    {
        platform::ProfileSnapshot snapshot(path);
        OtherCopyWrites("[S]\r\nK=2\r\n");
        EXPECT_EQ(Read(u"S"_s, u"K"_s), u"1"_s);
        QStringList names = platform::GetPrivateProfileKeyNames(u"s"_s, path);
        names.sort();
        EXPECT_EQ(names, (QStringList{u"k"_s, u"user[2]"_s}));
    }
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"2"_s);
    EXPECT_TRUE(platform::GetPrivateProfileKeyNames(u"Absent"_s, path).isEmpty());
}

TEST_F(ProfileWrite, SeesAFileReplacedUnderTheReader) {
    WriteBytes(path, "[S]\r\nK=1\r\n");
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"1"_s);
    OtherCopyWrites("[S]\r\nK=2\r\n");  // same size, new file
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"2"_s);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(Read(u"S"_s, u"K"_s), u"<default>"_s);
}

TEST_F(ProfileWrite, KeepsTheKeysAnotherCopyWrote) {
    Write(u"S"_s, u"Mine"_s, u"1"_s);
    OtherCopyWrites("[S]\r\nMine=1\r\nTheirs=2\r\n");
    Write(u"S"_s, u"Mine"_s, u"3"_s);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nMine=3\r\nTheirs=2\r\n");

    // Also when the other copy writes while a batch is open.
    {
        ProfileBatch batch(path);
        Write(u"Users"_s, u"Total"_s, u"1"_s);
        OtherCopyWrites("[S]\r\nMine=3\r\nTheirs=4\r\n");
        batch.Commit();
    }
    EXPECT_EQ(ReadBytes(path), "[S]\r\nMine=3\r\nTheirs=4\r\n\r\n[Users]\r\nTotal=1\r\n");
}

TEST_F(ProfileWrite, ABatchWritesOnceAndOnlyWhenCommitted) {
    WriteBytes(path, "[Users]\r\nTotal=1\r\nUser[1]=old\r\n");
    const ino_t before = Inode();
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
        EXPECT_EQ(Read(u"Users"_s, u"User[2]"_s), u"2"_s);
        EXPECT_EQ(Inode(), before);
        batch.Commit();
    }
    EXPECT_EQ(ReadBytes(path),
              "[Users]\r\nUser[1]=1\r\nUser[2]=2\r\nUser[3]=3\r\nTotal=3\r\n\r\n[Skinning]\r\n"
              "Enable=0\r\n");

    // An error escaping a batch discards its writes.
    const QByteArray committed = ReadBytes(path);
    try {
        ProfileBatch batch(path);
        WritePrivateProfileString(u"Users"_s, std::nullopt, {}, path);
        Write(u"Users"_s, u"Bad\nKey"_s, u"x"_s);
        batch.Commit();
    } catch (const RuntimeError&) {
    }
    EXPECT_EQ(ReadBytes(path), committed);
    EXPECT_EQ(Read(u"Users"_s, u"Total"_s), u"3"_s);

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

TEST_F(ProfileWrite, WritesNothingWhenNothingChanges) {
    Write(u"Contact List"_s, u"Users Expanded"_s, u"1"_s);
    const ino_t inode = Inode();
    Write(u"Contact List"_s, u"Users Expanded"_s, u"1"_s);
    {
        ProfileBatch batch(path);
        Write(u"Contact List"_s, u"Users Expanded"_s, u"1"_s);
        WritePrivateProfileString(u"Domains"_s, std::nullopt, {}, path);
        batch.Commit();
    }
    EXPECT_EQ(Inode(), inode);
}

}  // namespace
