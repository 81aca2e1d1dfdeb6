#include "controls/modShellExecute.h"
#include "platform/ShellLaunch.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using modShellExecute::ShellExe;

namespace {

class ShellExeTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetShellOpener(u"xdg-open"_s); }

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
    EXPECT_EQ(RecordedBy(opener).value(0), QDir::currentPath());

    QFile::remove(opener + u".out"_s);
    QDir::setCurrent(dir.path());
    ShellExe(u"https://example.invalid/"_s, {}, 0, 1, u"."_s, false);
    EXPECT_EQ(RecordedBy(opener).value(0), dir.path());
}

}  // namespace
