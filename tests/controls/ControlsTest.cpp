#include "controls/ContactTreeWidget.h"
#include "controls/HyperLink.h"
#include "controls/MultiRule.h"
#include "controls/PictureBox.h"
#include "controls/Readable.h"
#include "controls/modMiscFunctions.h"
#include "controls/modShellExecute.h"
#include "platform/RuntimeError.h"
#include "platform/ShellLaunch.h"
#include "support/Files.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"
#include "support/TreeTexts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QCursor>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace modMiscFunctions;

namespace {

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetShellOpener(opener);
        host.setWindowFlags(Qt::Window);
        host.resize(300, 100);
        link->move(20, 20);
        host.show();
    }
    void TearDown() override { platform::SetShellOpener(u"xdg-open"_s); }

    QColor TextColour() const { return link->labLink->palette().color(QPalette::WindowText); }
    void Click() { QTest::mouseClick(link->labLink, Qt::LeftButton, {}, QPoint(3, 3)); }

    QTemporaryDir dir;
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    QWidget host;
    HyperLink* link = new HyperLink(&host);
};

TEST_F(HyperLinkTest, GrowsWithItsCaptionAndANegativeDelayWatchesAtOnce) {
    const int before = link->width();
    link->SetCaption(u"A much longer caption"_s);
    EXPECT_GT(link->width(), before);

    link->ReadProperties({{u"MouseOutCheckDelay"_s, -5}});
    EXPECT_EQ(link->tmrMouseOut.interval(), 0);
}

TEST_F(HyperLinkTest, ALeftClickOpensTheURLAndMinimisesOrClosesTheWindow) {
    const struct {
        bool overrideClick, minimise, close;
        bool minimised, visible;
    } cases[] = {
        {false, false, false, false, true},
        {false, true, false, true, true},
        {false, true, true, false, false},
        // An empty URL would fail to open and show a box: none may come.
        {true, true, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.overrideClick << c.minimise << c.close);
        host.showNormal();
        link->SetURL(c.overrideClick ? QString() : u"https://example.invalid/?from={app}"_s);
        link->SetOverrideClick(c.overrideClick);
        link->SetMinimiseOnClick(c.minimise);
        link->SetCloseOnClick(c.close);
        QSignalSpy up(link, &HyperLink::MouseUp);
        Click();
        EXPECT_TRUE(host.isMinimized() == c.minimised && host.isVisible() == c.visible);
        EXPECT_EQ(up.value(0).mid(0, 2), (QVariantList{qint16(1), qint16(0)}));  // left, no keys
        if (!c.overrideClick) {
            EXPECT_EQ(RecordedBy(opener).value(1),
                      u"https://example.invalid/?from="_s + QCoreApplication::applicationDirPath());
        }
    }
}

TEST_F(HyperLinkTest, HoveringLightsTheLinkUntilTheCursorLeaves) {
    const QColor linkColour = TextColour();
    link->SetHilightColour(platform::RGB(200, 0, 0));
    for (int visit = 1; visit <= 2; ++visit) {  // the cursor comes back as often as it likes
        QCursor::setPos(link->mapToGlobal(QPoint(5, 5)));
        QTest::mouseMove(link->labLink, QPoint(5, 5));
        EXPECT_TRUE(TextColour() == QColor(200, 0, 0) && link->labLink->font().underline());
        link->tmrMouseOut_Timer();
        EXPECT_TRUE(link->tmrMouseOut.isActive());
        QCursor::setPos(link->mapToGlobal(QPoint(0, 5)));  // the edge counts as outside
        link->tmrMouseOut_Timer();
        EXPECT_FALSE(link->tmrMouseOut.isActive());
        EXPECT_TRUE(TextColour() == linkColour && !link->labLink->font().underline()) << visit;
    }

    // A click also gives the look back.
    link->SetOverrideClick(true);
    link->labLink_MouseMove();
    Click();
    EXPECT_EQ(TextColour(), linkColour);
    // A link underlined for good keeps its underline when the cursor leaves.
    link->SetUnderlined(true);
    link->labLink_MouseMove();
    link->tmrMouseOut_Timer();
    EXPECT_TRUE(link->labLink->font().underline());
}

TEST_F(HyperLinkTest, ALaunchUsesTheGivenDirectoryAndAFailedOneShowsOneBox) {
    modShellExecute::ShellExe(u"https://example.invalid/"_s, {}, 0, 1, u"/"_s, false);
    EXPECT_EQ(RecordedBy(opener).value(0), u"/"_s);  // even the shortest directory
    MessageBoxes boxes({platform::vbOK});
    link->SetURL(dir.filePath(u"missing.html"_s));
    Click();
    EXPECT_TRUE(boxes.shown().size() == 1 && boxes.shown()[0].icon == QMessageBox::Critical);
}

// A host saves only what differs from a new link, and reading it back gives the same link.
TEST_F(HyperLinkTest, ItsSavedPropertiesReadBackTheSameLink) {
    link->SetCaption(u"Visit"_s);
    link->SetURL(u"https://example.invalid/"_s);
    link->SetCloseOnClick(true);
    link->SetMouseOutCheckDelay(120);
    link->SetUnderlined(true);
    link->SetUnderlinedHilight(false);
    HyperLink again, empty;
    QVariantMap bag, back, emptyBag;
    link->WriteProperties(bag);
    again.ReadProperties(bag);
    again.WriteProperties(back);
    EXPECT_TRUE(back == bag && again.labLink->font().underline());
    // Read from nothing, a link has every option at its default, so it saves none of them.
    empty.ReadProperties({});
    empty.WriteProperties(emptyBag);
    EXPECT_EQ(emptyBag.keys(), (QStringList{u"Caption"_s, u"ToolTipText"_s, u"URL"_s}));
}

// Contrast as the guidelines for the web figure it; a text too faint on its background is made
// darker on a light one and lighter on a dark one, until it reads.
TEST(Readable, ContrastIsTheGuidelinesOneAndTooFaintATextIsMadeToRead) {
    const QColor grey(0x77, 0x77, 0x77), blue(Qt::blue), mid(0x75, 0x75, 0x75);
    EXPECT_NEAR(Readable::Contrast(grey, Qt::white), 4.48, 0.01);
    EXPECT_NEAR(Readable::Contrast(Qt::red, Qt::black), 5.25, 0.01);
    const QColor onBlack = Readable::On(blue, Qt::black), onWhite = Readable::On(grey, Qt::white);
    EXPECT_TRUE(Readable::Contrast(onBlack, Qt::black) >= 4.5 && onBlack.lightness() > 127);
    EXPECT_TRUE(Readable::Contrast(onWhite, Qt::white) >= 4.5 && onWhite.lightness() < 0x77);
    EXPECT_EQ(Readable::On(mid, mid), QColor(Qt::white));  // where only the end of the scale reads
}

// A rule lies along its longer side unless told otherwise, and saves what it was told.
TEST(MultiRule, LiesAlongItsLongerSideUnlessToldOtherwise) {
    const std::tuple<long, QSize, bool> cases[] = {{MultiRule::kAutomatic, {100, 10}, true},
                                                   {MultiRule::kAutomatic, {10, 100}, false},
                                                   {MultiRule::kVertical, {100, 10}, false},
                                                   {MultiRule::kHorizontal, {10, 100}, true}};
    for (const auto& [orientation, size, horizontal] : cases) {
        MultiRule rule;
        rule.resize(size);
        rule.ReadProperties({{u"Orientation"_s, qint32(orientation)}});
        const QImage image = rule.grab().toImage();
        // Drawn where a pixel differs from the untouched middle.
        const auto drawn = [&, size = size](int x, int y) {
            return image.pixel(x, y) != image.pixel(size.width() / 2, size.height() / 2);
        };
        EXPECT_TRUE(drawn(size.width() / 2, 0) == horizontal && !rule.PropertyChanged());  // read
        EXPECT_EQ(drawn(0, size.height() / 2), !horizontal);
        QVariantMap bag;
        rule.WriteProperties(bag);
        EXPECT_EQ(bag.value(u"Orientation"_s).toInt(), orientation);
    }
}

TEST(MiscFunctions, OptionsAndPictures) {
    QRadioButton first, second;
    EXPECT_EQ(SelectedOptionIndex({&first, nullptr, &second}, 7), 7);
    second.setChecked(true);
    EXPECT_EQ(SelectedOptionIndex({&first, nullptr, &second}, 7), 2);
    ShowFormAt(nullptr, 1, 2);  // no window, nothing to show: no crash

    QTemporaryDir dir;
    WriteBytes(dir.filePath(u"junk.png"_s), "\x89PNG not really");
    EXPECT_TRUE(LoadPictureSafe(dir.filePath(u"junk.png"_s)).isNull());
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath(u"ok.bmp"_s)));
    EXPECT_EQ(LoadPictureSafe(dir.filePath(u"ok.bmp"_s)).size(), QSize(16, 16));

    // A box larger than its picture repeats the picture's last column and row when asked.
    QPixmap picture(2, 2);
    picture.fill(Qt::red);
    for (const bool extend : {false, true}) {
        PictureBox box;
        box.resize(6, 6);
        box.ExtendEdges = extend;
        box.SetPicture(picture);
        const QImage shown = box.grab().toImage();
        EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
        for (const QPoint at : {QPoint(5, 0), QPoint(0, 5), QPoint(5, 5)}) {
            EXPECT_EQ(shown.pixelColor(at) == QColor(Qt::red), extend) << at.x() << "," << at.y();
        }
    }
    // A label put on a dark picture later reads on it (the guidelines' 4.5) once it is polished.
    picture.fill(Qt::black);
    PictureBox dark;
    dark.SetPicture(picture);
    const QLabel label(u"x"_s, &dark);
    label.ensurePolished();
    EXPECT_GE(Readable::Contrast(label.palette().color(QPalette::WindowText), Qt::black), 4.5);
}

TEST(ContactTreeWidget, NodesKeepTheirOrderAndKeysWhateverTheOrderOfCalls) {
    QTreeWidget widget;
    ContactTreeWidget tree(widget);
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    tree.SetImageList({QIcon(picture)});

    tree.AddNode({}, u"_users"_s, u"Users"_s, 0);
    tree.BeginAdding();
    tree.AddNode(u"_users"_s, u"_users_a"_s, u"Anna"_s, 0);
    tree.AddNode(u"_users"_s, u"_users_b"_s, u"Bob"_s, 1);  // no such picture: none
    EXPECT_TRUE(tree.NodeExists(u"_USERS_B"_s));
    EXPECT_THROW(tree.AddNode(u"_users"_s, u"_Users_A"_s, u"Twin"_s, 0), platform::RuntimeError);
    tree.AddNode(u"_users_b"_s, u"_users_b_x"_s, u"Below Bob"_s, 0);
    tree.AddNode(u"_users"_s, u"_users_c"_s, u"Carl"_s, 0);
    tree.AddNode({}, u"_domains"_s, u"Domains"_s, 0);
    tree.AddNode(u"_domains"_s, u"_domains_s"_s, u"Sales"_s, 0);
    tree.EndAdding();

    ASSERT_EQ(widget.topLevelItemCount(), 2);
    EXPECT_EQ(ChildTexts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Bob"_s, u"Carl"_s}));
    EXPECT_EQ(ChildTexts(widget.topLevelItem(1)), QStringList{u"Sales"_s});
    EXPECT_TRUE(!tree.Node(u"_users_a"_s)->icon(0).isNull() &&
                tree.Node(u"_users_b"_s)->icon(0).isNull());

    // A node goes with its children, and their keys are free again.
    tree.RemoveNode(u"_users_b"_s);
    EXPECT_EQ(ChildTexts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Carl"_s}));
    EXPECT_FALSE(tree.NodeExists(u"_users_b_x"_s));
    // Outside a run of adds, a node is in the widget at once.
    tree.AddNode(u"_users"_s, u"_users_b_x"_s, u"Back"_s, 0);
    EXPECT_EQ(ChildTexts(widget.topLevelItem(0)), (QStringList{u"Anna"_s, u"Carl"_s, u"Back"_s}));
    EXPECT_THROW(tree.NodeText(u"_nothing"_s), platform::RuntimeError);
}

}  // namespace
