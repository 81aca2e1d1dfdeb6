#include "controls/StatusBarHost.h"
#include "controls/cNoStatusBar.h"
#include "platform/OsVersion.h"
#include "platform/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QPixmapCache>

#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

inline void PrintTo(const PixelRect& r, std::ostream* os) {
    *os << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}

namespace {

using Rects = std::vector<PixelRect>;

Rects PanelRects(const cNoStatusBar& bar) {
    Rects rects;
    for (int i = 1; i <= bar.PanelCount(); ++i) {
        rects.push_back(bar.GetPanelRect(i));
    }
    return rects;
}

void ExpectError(const std::function<void()>& call, long number, const QString& description) {
    try {
        call();
        ADD_FAILURE() << "no error, expected " << description;
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Description(), description);
        EXPECT_EQ(e.Source(), u"controls_tests.cNoStatusBar"_s);
    }
}

int TextWidth(const StatusBarPictureHost& host, const QString& text) {
    return QFontMetrics(host.Font(), &host.Image()).boundingRect(QRect(), 0, text).width();
}

// Painting an icon leaves copies in Qt's pixmap cache; the panel's own copy is what counts.
bool Released(const QPixmap& pixmap) {
    QPixmapCache::clear();
    return pixmap.isDetached();
}

// The version answer is global; every test that changes it puts it back.
struct OsVersionScope {
    explicit OsVersionScope(platform::OsVersion v) { platform::OverrideOsVersion(v); }
    ~OsVersionScope() { platform::OverrideOsVersion(std::nullopt); }
};

TEST(NoStatusBarLayout, LastOrSpringPanelTakesTheSpareWidthAndOverflowKeepsWidths) {
    StatusBarPictureHost host(QSize(400, 20));
    cNoStatusBar bar;
    bar.Create(&host);
    for (int width : {50, 60, 70}) {
        bar.AddPanel(0, {}, -1, width);
    }
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 109, 20}, {110, 0, 400, 20}}));

    bar.SetPanelSpring(1, true);
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 259, 20}, {260, 0, 319, 20}, {320, 0, 400, 20}}));

    // The left offset moves panel 1's left edge only; the top offset shrinks the grip's room.
    bar.SetLeftTopOffsets(10, 4);
    bar.Draw();
    EXPECT_EQ(PanelRects(bar), (Rects{{10, 4, 261, 20}, {262, 4, 321, 20}, {322, 4, 400, 20}}));

    bar.SetLeftTopOffsets(0, 0);
    host.Resize(QSize(150, 20));
    bar.Draw();
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 109, 20}, {110, 0, 190, 20}}));

    // A single panel leaves no room for the grip.
    bar.RemovePanel(3);
    bar.RemovePanel(2);
    host.Resize(QSize(40, 20));
    bar.Draw();
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 50, 20}}));
}

TEST(NoStatusBarLayout, PanelSpringMovesTheSpringAndFalseLeavesNone) {
    StatusBarPictureHost host(QSize(400, 20));
    cNoStatusBar bar;
    bar.Create(&host);
    bar.AddPanel(0, {}, -1, 50, true);
    bar.AddPanel(0, {}, -1, 60, true);
    bar.AddPanel(0, {}, -1, 70);
    EXPECT_FALSE(bar.PanelSpring(1));

    bar.SetPanelSpring(2, false);
    bar.SetPanelSpring(2, true);
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 319, 20}, {320, 0, 400, 20}}));
    bar.SetPanelSpring(2, false);
    EXPECT_FALSE(bar.PanelSpring(1) || bar.PanelSpring(2) || bar.PanelSpring(3));
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 109, 20}, {110, 0, 400, 20}}));
}

TEST(NoStatusBarPanels, FindsPanelsByPositionThenByKey) {
    cNoStatusBar bar;
    for (const QString& key : {u"a"_s, u"b"_s, u"2"_s, u"a"_s}) {
        bar.AddPanel(0, u"text "_s + key, -1, 10, false, false, 0, key);
    }
    EXPECT_EQ(bar.PanelIndex(u"2"_s), 2);
    EXPECT_EQ(bar.PanelText(u"2"_s), u"text b"_s);
    EXPECT_EQ(bar.PanelIndex(u"a"_s), 1);
    EXPECT_EQ(bar.PanelIndex(u" 4 "_s), 4);
    EXPECT_EQ(bar.PanelIndex(2.4), 2);
    EXPECT_EQ(bar.PanelIndex(0.6), 1);
    EXPECT_EQ(bar.PanelKey(3), u"2"_s);

    ExpectError([&] { bar.PanelIndex(u"abc"_s); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: abc"_s);
    ExpectError([&] { bar.PanelText(u"A"_s); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: A"_s);
    ExpectError([&] { bar.PanelIndex(4.4); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: 4.4"_s);
    // Above 0 but rounding to 0: no panel there.
    ExpectError([&] { bar.SetPanelText(0.4, u"x"_s); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: 0.4"_s);
    ExpectError([&] { bar.PanelKey(0); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: 0"_s);

    EXPECT_TRUE(bar.PanelExists(u"b"_s));
    EXPECT_TRUE(bar.PanelExists(4));
    EXPECT_FALSE(bar.PanelExists(u"abc"_s));
    EXPECT_FALSE(bar.PanelExists(0.4));

    // A key that reads as a number is only ever a position.
    bar.SetPanelKey(1, 7);
    EXPECT_EQ(bar.PanelKey(1), u"7"_s);
    EXPECT_FALSE(bar.PanelExists(u"7"_s));
}

TEST(NoStatusBarPanels, InsertsRemovesAndHoldsAtMost255) {
    cNoStatusBar bar;
    bar.AddPanel(0, {}, -1, 10, false, false, 0, u"a"_s);
    bar.AddPanel(0, {}, -1, 10, false, false, 0, u"c"_s);
    EXPECT_EQ(bar.AddPanel(0, {}, -1, 10, false, false, 0, u"b"_s, u"c"_s), 2);
    EXPECT_EQ(bar.PanelKey(2), u"b"_s);
    EXPECT_EQ(bar.PanelKey(3), u"c"_s);
    ExpectError([&] { bar.AddPanel(0, {}, -1, 10, false, false, 0, {}, u"zz"_s); },
                cNoStatusBar::InvalidPanelIndexError, u"Invalid Panel Index: zz"_s);
    EXPECT_EQ(bar.PanelCount(), 3);

    bar.RemovePanel(u"b"_s);
    EXPECT_EQ(bar.PanelKey(2), u"c"_s);
    ExpectError([&] { bar.RemovePanel(3); }, cNoStatusBar::InvalidPanelIndexError,
                u"Invalid Panel Index: 3"_s);

    while (bar.PanelCount() < 255) {
        bar.AddPanel();
    }
    ExpectError([&] { bar.AddPanel(); }, cNoStatusBar::TooManyPanelsError, u"Too many panels."_s);
    EXPECT_EQ(bar.PanelCount(), 255);
}

TEST(NoStatusBarPanels, AllowXPStylesAnswersWhatTheSystemOffers) {
    {
        OsVersionScope windows2000({5, 0});
        cNoStatusBar bar;
        EXPECT_FALSE(bar.AllowXPStyles());
        ExpectError([&] { bar.SetAllowXPStyles(true); }, cNoStatusBar::XPStylesNotSupportedError,
                    u"XP Styles not supported on this Windows installation."_s);
        bar.SetAllowXPStyles(false);
    }
    {
        OsVersionScope vista({6, 0});
        EXPECT_TRUE(cNoStatusBar().AllowXPStyles());
    }
    cNoStatusBar bar;
    bar.SetAllowXPStyles(false);
    EXPECT_TRUE(bar.AllowXPStyles());
}

TEST(NoStatusBarPanels, OwnsItsIconsAndReleasesThem) {
    StatusBarPictureHost host(QSize(400, 20));
    QPixmap listed(16, 16);
    listed.fill(Qt::red);
    QPixmap own(16, 16);
    own.fill(Qt::green);
    cNoStatusBar bar;
    bar.Create(&host);
    bar.SetImageList({listed, listed});
    bar.AddPanel(0, {}, 0, 50, false, false, 0, u"a"_s);
    bar.AddPanel(0, {}, 9, 50);
    EXPECT_FALSE(bar.PanelhIcon(u"a"_s).isNull());
    EXPECT_TRUE(bar.PanelhIcon(2).isNull());
    EXPECT_EQ(bar.PanelIcon(2), 9);
    EXPECT_EQ(bar.GetPanelRect(2).left, 66);  // the icon widens its panel

    bar.SetPanelhIcon(u"a"_s, QIcon(own));
    EXPECT_EQ(bar.PanelIcon(u"a"_s), 0);
    bar.AddPanel(0, {}, -1, 50, false, false, 0, u"before"_s, u"a"_s);
    EXPECT_TRUE(bar.PanelhIcon(1).isNull());
    EXPECT_FALSE(Released(own));
    bar.SetPanelIcon(u"a"_s, 1);
    EXPECT_TRUE(Released(own));

    bar.SetPanelhIcon(u"a"_s, QIcon(own));
    bar.RemovePanel(u"a"_s);
    EXPECT_TRUE(Released(own));
    {
        cNoStatusBar other;
        other.AddPanel();
        other.SetPanelhIcon(1, QIcon(own));
    }
    EXPECT_TRUE(Released(own));
}

TEST(NoStatusBarPanels, MeasuresOnlyWhenAddedOrResized) {
    StatusBarPictureHost host(QSize(400, 20));
    cNoStatusBar bar;
    bar.Create(&host);
    bar.AddPanel(0, u"Hi"_s, -1, 10, false, true);
    bar.AddPanel(0, {}, -1, 40, false, true);
    EXPECT_EQ(bar.PanelIdealWidth(1), TextWidth(host, u"Hi"_s) + 12);
    EXPECT_EQ(bar.PanelIdealWidth(2), 40);

    const QString longer = u"Message received at 12:00:00."_s;
    bar.SetPanelText(1, longer);
    EXPECT_EQ(bar.PanelIdealWidth(1), TextWidth(host, u"Hi"_s) + 12);
    EXPECT_EQ(bar.GetPanelRect(2).left, TextWidth(host, u"Hi"_s) + 12);

    bar.SetPanelFitToContents(1, false);
    EXPECT_EQ(bar.GetPanelRect(2).left, 10);
    bar.SetPanelFitToContents(1, true);
    EXPECT_EQ(bar.PanelIdealWidth(1), TextWidth(host, longer) + 12);

    bar.SetPanelIdealWidth(1, 5);
    EXPECT_EQ(bar.PanelIdealWidth(1), 5);
    EXPECT_EQ(bar.GetPanelRect(2).left, 5);
}

TEST(NoStatusBarPanels, CreateMeasuresTheBarAndRefusesNoHost) {
    StatusBarPictureHost host(QSize(400, 20));
    QFont font(u"DejaVu Sans"_s);
    font.setPointSize(8);
    host.SetFont(font);
    cNoStatusBar bar;
    bar.Create(&host);
    EXPECT_EQ(bar.Height(), (QFontMetrics(font, &host.Image()).height() + 10) * 15);

    font.setPointSize(16);
    bar.SetFont(font);
    EXPECT_EQ(host.Font(), font);
    EXPECT_EQ(bar.Height(), (QFontMetrics(font, &host.Image()).height() + 10) * 15);

    ExpectError([&] { bar.Create(nullptr); }, cNoStatusBar::InvalidObjectError,
                u"Invalid object passed to Create."_s);
    bar.AddPanel(0, u"x"_s, -1, 10);
    bar.Draw();
    EXPECT_EQ(bar.GetPanelRect(1), PixelRect{});
    EXPECT_EQ(bar.Font(), QFont());
}

}  // namespace
