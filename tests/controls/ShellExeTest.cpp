#include "controls/modShellExecute.h"
#include "platform/ShellLaunch.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using modShellExecute::ShellExe;

namespace {

class ShellExeTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetShellOpener(u"xdg-open"_s); }

    QStringList Recorded(const QString& script) {
        const QString out = script + u".out"_s;
        if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 5000)) {
            return {};
        }
        return QString::fromUtf8(ReadBytes(out)).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
};

TEST_F(ShellExeTest, AMissingTargetShowsTheErrorBoxOnce) {
    MessageBoxes boxes({platform::vbOK});
    ShellExe(dir.filePath(u"CouldNotOpenMailSlot.html"_s), {}, 0, 1, {}, false);
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.request.prompt,
              u"An unexpected error occured:\r\n    Maybe file doesn't exist?"_s);
    EXPECT_EQ(box.request.title, u"ShellExe()"_s);
    EXPECT_EQ(box.request.style, 16);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
}

TEST_F(ShellExeTest, PassesAWorkingDirectoryOnlyWhenOneIsGiven) {
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    platform::SetShellOpener(opener);
    ShellExe(u"https://example.invalid/"_s, {}, 0, 1, {}, false);
    EXPECT_EQ(Recorded(opener).value(0), QDir::currentPath());

    QFile::remove(opener + u".out"_s);
    QDir::setCurrent(dir.path());
    ShellExe(u"https://example.invalid/"_s, {}, 0, 1, u"."_s, false);
    EXPECT_EQ(Recorded(opener).value(0), dir.path());
}

TEST_F(ShellExeTest, WaitsForTheStartedProcessWhenAsked) {
    const QString program = MakeRecordingScript(dir.filePath(u"slow"_s), "0.3");
    ShellExe(program, u"--flag"_s, 0, 1, dir.path(), true);
    EXPECT_TRUE(QFile::exists(program + u".out"_s));
    EXPECT_EQ(Recorded(program), (QStringList{dir.path(), u"--flag"_s}));
}

}  // namespace
