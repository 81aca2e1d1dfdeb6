#include "platform/gui/MessageBox.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

TEST(MessageBox, ShowsTheStyleAndAnswersWithItsButton) {
    MessageBoxes boxes({vbNo, vbYes, vbOK, vbOK});
    EXPECT_EQ(MsgBox(u"Remove?\r\n\r\n\t> Anna"_s, vbYesNo | vbQuestion, u"Parlane"_s), vbNo);
    EXPECT_EQ(MsgBox(u"Again?"_s, 36), vbYes);
    EXPECT_EQ(MsgBox(u"Failed"_s, 16, u"ShellExe()"_s), vbOK);
    EXPECT_EQ(MsgBox(u"Careful"_s, 48), vbOK);

    const auto& shown = boxes.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].request.prompt, u"Remove?\r\n\r\n\t> Anna"_s);
    EXPECT_EQ(shown[0].text, u"Remove?\n\n\t> Anna"_s);
    EXPECT_EQ(shown[0].icon, QMessageBox::Question);
    EXPECT_EQ(shown[0].buttons, (QStringList{u"Yes"_s, u"No"_s}));
    EXPECT_EQ(shown[1].request.title, u"Parlane"_s);  // the application's name by default
    EXPECT_EQ(shown[2].icon, QMessageBox::Critical);
    EXPECT_EQ(shown[2].request.title, u"ShellExe()"_s);
    EXPECT_EQ(shown[2].buttons, QStringList{u"OK"_s});
    EXPECT_EQ(shown[3].icon, QMessageBox::Warning);
}

TEST(MessageBox, AGatheringTellsItsFailuresInOneBoxAndStillAsksQuestions) {
    MessageBoxes boxes({vbNo, vbOK});
    {
        MessageBoxGathering failures;
        EXPECT_EQ(MsgBox(u"First failed"_s, vbExclamation), vbOK);
        EXPECT_EQ(MsgBox(u"Sure?"_s, vbYesNo | vbQuestion), vbNo);  // asked at once
        EXPECT_EQ(MsgBox(u"Second failed"_s, vbCritical), vbOK);
        EXPECT_EQ(MsgBox(u"First failed"_s, vbExclamation), vbOK);  // told once
        failures.Show(vbExclamation, u"Parlane"_s);
        failures.Show(vbExclamation, u"Parlane"_s);  // nothing left to tell
    }
    {
        MessageBoxGathering nothing;
        nothing.Show(vbExclamation, u"Parlane"_s);
    }

    const auto& shown = boxes.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].request.prompt, u"Sure?"_s);
    EXPECT_EQ(shown[1].request.prompt, u"First failed\r\n\r\nSecond failed"_s);
    EXPECT_EQ(shown[1].icon, QMessageBox::Warning);
}

}  // namespace
