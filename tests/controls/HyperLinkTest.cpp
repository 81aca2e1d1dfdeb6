#include "controls/HyperLink.h"
#include "platform/ShellLaunch.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using platform::RGB;

namespace {

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        link = new HyperLink(&host);
        host.setWindowFlags(Qt::Window);
        host.resize(300, 100);
        link->move(20, 20);
        host.show();
    }
    void TearDown() override { platform::SetShellOpener(u"xdg-open"_s); }

    QColor TextColour() const { return link->labLink->palette().color(QPalette::WindowText); }
    bool Underlined() const { return link->labLink->font().underline(); }
    void Click(Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(link->labLink, button, {}, QPoint(3, 3));
    }
    QString Opener() { return MakeRecordingScript(dir.filePath(u"opener"_s)); }

    QTemporaryDir dir;
    QWidget host;
    HyperLink* link = nullptr;
};

TEST_F(HyperLinkTest, SizesItselfToItsCaptionAndTellsTheHostOfEachChange) {
    EXPECT_EQ(TextColour(), QColor(0, 0, 255));
    QSignalSpy changed(link, &HyperLink::PropertyChanged);
    const int before = link->width();
    link->SetCaption(u"A much longer caption"_s);
    EXPECT_GT(link->width(), before);
    EXPECT_GE(link->width(), link->labLink->width());
    link->SetLinkColour(RGB(10, 120, 30));
    EXPECT_EQ(TextColour(), QColor(10, 120, 30));
    link->SetToolTip(u"Go there"_s);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toString(), u"Caption"_s);
    EXPECT_EQ(changed.at(2).at(0).toString(), u"ToolTip"_s);
}

TEST_F(HyperLinkTest, TheSavedPropertySetKeepsOnlyWhatDiffersFromItsDefaults) {
    HyperLink loaded;
    loaded.ReadProperties({});
    EXPECT_EQ(loaded.labLink->text(), loaded.Caption());
    // Absent, the hover colour is not the new control's.
    EXPECT_NE(loaded.HilightColour(), link->HilightColour());

    QVariantMap bag;
    loaded.WriteProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{u"Caption"_s, u"ToolTipText"_s, u"URL"_s}));

    link->SetCaption(u"Visit"_s);
    link->SetURL(u"https://example.invalid/"_s);
    link->SetCloseOnClick(true);
    link->SetMouseOutCheckDelay(120);
    link->SetToolTip(u"Tip"_s);
    link->SetUnderlined(true);
    link->SetUnderlinedHilight(false);
    bag.clear();
    link->WriteProperties(bag);
    EXPECT_EQ(bag.value(u"ToolTipText"_s).toString(), u"Tip"_s);
    EXPECT_FALSE(bag.contains(u"OverrideClick"_s) || bag.contains(u"LinkColour"_s) ||
                 bag.contains(u"BackColor"_s));

    HyperLink again;
    again.ReadProperties(bag);
    QVariantMap second;
    again.WriteProperties(second);
    EXPECT_EQ(second, bag);
    EXPECT_TRUE(again.labLink->font().underline());
    EXPECT_EQ(again.tmrMouseOut.interval(), 120);
    EXPECT_EQ(again.labLink->toolTip(), u"Tip"_s);
}

TEST_F(HyperLinkTest, TheAppTokenNamesTheProgramsDirectory) {
    EXPECT_EQ(HyperLink::ExpandAppToken(u"{app}/readme.txt"_s, u"/"_s), u"/readme.txt"_s);
    EXPECT_EQ(HyperLink::ExpandAppToken(u"{app}/a {app}/b {APP}"_s, u"/opt/parlane"_s),
              u"/opt/parlane/a /opt/parlane/b {APP}"_s);

    const QString opener = Opener();
    platform::SetShellOpener(opener);
    link->SetURL(u"https://example.invalid/?from={app}"_s);
    QSignalSpy up(link, &HyperLink::MouseUp);
    Click();
    const QString expected =
        u"https://example.invalid/?from="_s + QCoreApplication::applicationDirPath();
    EXPECT_EQ(link->URL(), expected);
    EXPECT_EQ(RecordedBy(opener).value(1), expected);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0).at(0).value<qint16>(), 1);
    EXPECT_TRUE(host.isVisible());
}

TEST_F(HyperLinkTest, OverrideAndOtherButtonsOnlyRaiseMouseUp) {
    // An empty URL would fail to open and show a box: none may come.
    link->SetOverrideClick(true);
    link->SetCloseOnClick(true);
    QSignalSpy up(link, &HyperLink::MouseUp);
    Click();
    link->SetOverrideClick(false);
    QTest::mouseClick(link->labLink, Qt::RightButton, Qt::ShiftModifier, QPoint(4, 2));
    ASSERT_EQ(up.count(), 2);
    EXPECT_EQ(up.at(1).at(0).value<qint16>(), 2);
    EXPECT_EQ(up.at(1).at(1).value<qint16>(), 1);
    EXPECT_EQ(up.at(1).at(2).toFloat(), float((4 + 2) * 15));
    EXPECT_TRUE(host.isVisible());
    EXPECT_FALSE(host.isMinimized());
}

TEST_F(HyperLinkTest, ClickingClosesOrMinimisesTheHostWindow) {
    const QString opener = Opener();
    platform::SetShellOpener(opener);
    link->SetURL(u"https://example.invalid/"_s);
    link->SetMinimiseOnClick(true);
    Click();
    EXPECT_TRUE(host.isMinimized());
    EXPECT_EQ(RecordedBy(opener).value(1), u"https://example.invalid/"_s);

    host.showNormal();
    QFile::remove(opener + u".out"_s);
    link->SetCloseOnClick(true);
    Click();
    EXPECT_FALSE(host.isVisible());
    EXPECT_FALSE(host.isMinimized());
    EXPECT_FALSE(RecordedBy(opener).isEmpty());

    // A failed launch is reported by the launcher.
    host.show();
    MessageBoxes boxes({platform::vbOK});
    link->SetURL(dir.filePath(u"missing.html"_s));
    link->SetCloseOnClick(false);
    link->SetMinimiseOnClick(false);
    Click();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].request.title, u"ShellExe()"_s);
}

TEST_F(HyperLinkTest, HoveringLightsTheLinkUntilTheCursorLeaves) {
    link->SetHilightColour(RGB(200, 0, 0));
    QCursor::setPos(link->mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(link->labLink, QPoint(5, 5));
    EXPECT_EQ(TextColour(), QColor(200, 0, 0));
    EXPECT_TRUE(Underlined());
    EXPECT_TRUE(link->tmrMouseOut.isActive());
    link->tmrMouseOut_Timer();
    EXPECT_TRUE(link->tmrMouseOut.isActive());

    // The edge counts as outside.
    QCursor::setPos(link->mapToGlobal(QPoint(0, 5)));
    link->tmrMouseOut_Timer();
    EXPECT_FALSE(link->tmrMouseOut.isActive());
    EXPECT_EQ(TextColour(), QColor(0, 0, 255));
    EXPECT_FALSE(Underlined());

    // A click also returns the look, and an underlined link stays underlined throughout.
    link->SetUnderlined(true);
    link->SetOverrideClick(true);
    link->labLink_MouseMove();
    EXPECT_TRUE(Underlined());
    Click();
    EXPECT_TRUE(Underlined());
    EXPECT_EQ(TextColour(), QColor(0, 0, 255));
    link->tmrMouseOut_Timer();
    EXPECT_TRUE(Underlined());
}

}  // namespace
