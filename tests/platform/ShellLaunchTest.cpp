#include "platform/ShellLaunch.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

class ShellLaunch : public ::testing::Test {
protected:
    void SetUp() override { SetShellOpener(MakeRecordingScript(dir.filePath(u"opener"_s))); }
    void TearDown() override { SetShellOpener(u"xdg-open"_s); }

    QTemporaryDir dir;
};

TEST_F(ShellLaunch, OpensDocumentsAndAddressesWithTheOpener) {
    WriteBytes(dir.filePath(u"page.html"_s), "<p>help</p>");
    ShellExecuteInfo doc{0, u"open"_s, dir.filePath(u"page.html"_s), {}, std::nullopt, 1, 0};
    ASSERT_TRUE(ShellExecuteExA(doc));
    EXPECT_EQ(RecordedBy(dir.filePath(u"opener"_s)),
              (QStringList{QDir::currentPath(), dir.filePath(u"page.html"_s)}));
    EXPECT_EQ(doc.process, 0);  // not asked for

    QFile::remove(dir.filePath(u"opener.out"_s));
    ShellExecuteInfo web{
        SEE_MASK_NOCLOSEPROCESS, u"open"_s, u"https://example.invalid/x"_s, {}, dir.path(), 1, 0};
    ASSERT_TRUE(ShellExecuteExA(web));
    EXPECT_GT(web.process, 0);
    EXPECT_EQ(RecordedBy(dir.filePath(u"opener"_s)),
              (QStringList{dir.path(), u"https://example.invalid/x"_s}));
}

TEST_F(ShellLaunch, RunsAProgramWithItsParametersAndWaitsForIt) {
    const QString program = MakeRecordingScript(dir.filePath(u"program"_s), "0.4");
    ShellExecuteInfo run{
        SEE_MASK_NOCLOSEPROCESS, u"open"_s, u"program"_s, u"one \"two words\""_s, dir.path(), 1, 0};
    ASSERT_TRUE(ShellExecuteExA(run));
    EXPECT_EQ(WaitForSingleObject(run.process, 50), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(run.process, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(QFile::exists(program + u".out"_s));  // it had finished
    EXPECT_EQ(RecordedBy(program), (QStringList{dir.path(), u"one"_s, u"two words"_s}));
    EXPECT_EQ(WaitForSingleObject(0, INFINITE), WAIT_FAILED);
}

TEST_F(ShellLaunch, FailsWithoutStartingAnythingForWhatIsNotThere) {
    ShellExecuteInfo missing{0, u"open"_s, dir.filePath(u"nothing.html"_s), {}, std::nullopt, 1, 0};
    EXPECT_FALSE(ShellExecuteExA(missing));
    ShellExecuteInfo badDir{0, u"open"_s, u"https://x.invalid"_s, {}, dir.filePath(u"no"_s), 1, 0};
    EXPECT_FALSE(ShellExecuteExA(badDir));
    ShellExecuteInfo verb{0, u"print"_s, u"https://x.invalid"_s, {}, std::nullopt, 1, 0};
    EXPECT_FALSE(ShellExecuteExA(verb));
    ShellExecuteInfo empty{0, u"open"_s, {}, {}, std::nullopt, 1, 0};
    EXPECT_FALSE(ShellExecuteExA(empty));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"opener.out"_s)));

    SetShellOpener(dir.filePath(u"no-such-opener"_s));
    ShellExecuteInfo noOpener{0, u"open"_s, u"https://x.invalid"_s, {}, std::nullopt, 1, 0};
    EXPECT_FALSE(ShellExecuteExA(noOpener));
}

}  // namespace
