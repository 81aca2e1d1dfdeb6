#include "controls/StatusBarHost.h"
#include "controls/cNoStatusBar.h"
#include "platform/OsVersion.h"
#include "platform/RuntimeError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <vector>

using namespace Qt::StringLiterals;
using namespace StatusBarPainter;

namespace {

using Rects = std::vector<PixelRect>;

Rects PanelRects(const cNoStatusBar& bar) {
    Rects rects;
    for (int i = 1; i <= bar.PanelCount(); ++i) {
        rects.push_back(bar.GetPanelRect(i));
    }
    return rects;
}

// The number of the error the call raised, or 0.
long ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

constexpr long kInvalidIndex = cNoStatusBar::InvalidPanelIndexError;
constexpr long kNoXPStyles = cNoStatusBar::XPStylesNotSupportedError;

class TestHost : public StatusBarPictureHost {
public:
    explicit TestHost(QSize size) : StatusBarPictureHost(size) { SetForeColor(Qt::red); }
    // Pixels of the red text colour, blended or not.
    int RedPixels(const QRect& area) const {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = Image().pixelColor(x, y);
                n += c.red() - c.green() > 60 ? 1 : 0;
            }
        }
        return n;
    }
};

TEST(NoStatusBarLayout, TheSpringOrLastPanelTakesTheSpareWidthAndOverflowKeepsWidths) {
    StatusBarPictureHost host(QSize(400, 20));
    cNoStatusBar bar;
    bar.Create(&host);
    bar.AddPanel(0, {}, -1, 60, true);
    bar.AddPanel(0, {}, -1, 70);
    // One spring at a time: the later one took it, though put before the earlier one.
    bar.AddPanel(0, {}, -1, 50, true, false, 0, {}, 1);
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 259, 20}, {260, 0, 319, 20}, {320, 0, 400, 20}}));
    bar.SetPanelSpring(2, true);
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 319, 20}, {320, 0, 400, 20}}));
    bar.SetPanelSpring(2, false);
    EXPECT_EQ(PanelRects(bar), (Rects{{0, 0, 49, 20}, {50, 0, 109, 20}, {110, 0, 400, 20}}));
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

TEST(NoStatusBarPanels, FindsPanelsByPositionThenByKey) {
    cNoStatusBar bar;
    for (const QString& key : {u"a"_s, u"c"_s, u"2"_s, u"a"_s}) {
        bar.AddPanel(0, {}, -1, 10, false, false, 0, key);
    }
    EXPECT_EQ(bar.AddPanel(0, {}, -1, 10, false, false, 0, u"b"_s, u"c"_s), 2);
    // Index 0: no such panel.
    const std::pair<QVariant, int> cases[] = {
        {u"2"_s, 2}, {u"a"_s, 1}, {u"c"_s, 3}, {u" 5 "_s, 5}, {2.4, 2}, {0.6, 1},
        {5, 5},      {u"A"_s, 0}, {6, 0},      {u"0.4"_s, 0}, {0.4, 0}, {5.4, 0},
    };
    for (const auto& [key, index] : cases) {
        SCOPED_TRACE(key.toString().toStdString());
        EXPECT_EQ(bar.PanelExists(key) ? bar.PanelIndex(key) : 0, index);
        EXPECT_EQ(ErrorOf([&, key = key] { bar.SetPanelText(key, u"x"_s); }),
                  index ? 0 : kInvalidIndex);
    }
    // Every property of a panel refuses a position past either end.
    const std::function<void(int)> properties[] = {
        [&](int i) { bar.PanelKey(i); },           [&](int i) { bar.SetPanelKey(i, u"x"_s); },
        [&](int i) { bar.PanelText(i); },          [&](int i) { bar.PanelSpring(i); },
        [&](int i) { bar.PanelFitToContents(i); }, [&](int i) { bar.PanelIcon(i); },
        [&](int i) { bar.PanelhIcon(i); },         [&](int i) { bar.SetPanelhIcon(i, {}); },
        [&](int i) { bar.PanelStyle(i); },         [&](int i) { bar.SetPanelStyle(i, 0); },
        [&](int i) { bar.PanelMinWidth(i); },      [&](int i) { bar.PanelIdealWidth(i); },
    };
    for (const int outside : {0, 6}) {
        for (const auto& property : properties) {
            EXPECT_EQ(ErrorOf([&] { property(outside); }), kInvalidIndex) << outside;
        }
    }
    bar.SetPanelKey(5, 7);  // a key that reads as a number is only ever a position
    EXPECT_TRUE(bar.PanelKey(5) == u"7"_s && !bar.PanelExists(u"7"_s));

    bar.SetPanelKey(1, u"z"_s);
    bar.RemovePanel(u"b"_s);
    EXPECT_EQ(bar.PanelKey(1) + bar.PanelKey(2), u"zc"_s);
    while (bar.PanelCount() < cNoStatusBar::MaxPanels) {
        bar.AddPanel();
    }
    EXPECT_EQ(ErrorOf([&] { bar.AddPanel(); }), cNoStatusBar::TooManyPanelsError);
    EXPECT_EQ(bar.PanelCount(), cNoStatusBar::MaxPanels);
    // XP styles came with Windows XP (5.1); an older Windows refuses them.
    for (const int minor : {0, 1}) {
        platform::OverrideOsVersion(platform::OsVersion{5, minor});
        EXPECT_EQ(ErrorOf([] { cNoStatusBar().SetAllowXPStyles(true); }), minor ? 0 : kNoXPStyles);
    }
    platform::OverrideOsVersion(std::nullopt);
}

TEST(NoStatusBarPanels, FitsAPanelToItsTextAndMeasuresNothingWithoutAHost) {
    StatusBarPictureHost host(QSize(400, 20));
    cNoStatusBar bar;
    bar.Create(&host);
    bar.AddPanel(0, u"Message received at 12:00:00."_s, -1, 10, false, true);
    bar.AddPanel(0, {}, -1, 40);
    EXPECT_GT(bar.GetPanelRect(2).left, 100);
    bar.SetPanelFitToContents(1, false);
    EXPECT_EQ(bar.GetPanelRect(2).left, 10);
    bar.SetPanelFitToContents(1, true);
    bar.SetPanelIdealWidth(1, 5);
    EXPECT_EQ(bar.GetPanelRect(2).left, 5);

    EXPECT_EQ(ErrorOf([&] { bar.Create(nullptr); }), cNoStatusBar::InvalidObjectError);
    bar.AddPanel(0, u"x"_s, -1, 10);
    EXPECT_EQ(bar.GetPanelRect(3), PixelRect{});
}

// A picture shows only for an index inside the image list. Its panel ends too long a text with an
// ellipsis, dots that leave the line's top clear; one without cuts it where the letters run on.
TEST(NoStatusBarPaint, APictureShowsOnlyForAnIndexInsideTheImageList) {
    QPixmap green(16, 16);
    green.fill(Qt::green);
    for (const bool themed : {false, true}) {
        for (const int index : {-1, 0, 1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << "themed " << themed << ", index " << index);
            const bool shown = index == 0 || index == 1;
            // A list that had a third picture, as a list does after a removal.
            QList<QPixmap> images(3, green);
            images.removeLast();
            TestHost host(QSize(300, 22));
            cNoStatusBar bar;
            bar.SetAllowXPStyles(themed);
            bar.Create(&host);
            bar.SetImageList(std::exchange(images, {}));
            bar.AddPanel(0, QString(40, u'M'), index, 60);
            bar.AddPanel(0, {}, -1, 60);
            // The picture widens its panel.
            EXPECT_EQ(bar.GetPanelRect(2).left, shown ? 60 + 16 : 60);
            EXPECT_EQ(host.Image().pixelColor(10, 11) == QColor(Qt::green), shown);
            const QRect end(bar.GetPanelRect(1).right - 8, 0, 6, 10);
            EXPECT_TRUE(themed || (host.RedPixels(end) == 0) == shown) << host.RedPixels(end);
        }
    }
}

// A panel past the right edge is cut and ends the pass: the owner of a later one is not asked.
// The classic grip borrows the host's font and colour; the host gets its font back, every
// attribute of it, and the window text colour, which owners of a classic bar rely on.
TEST(NoStatusBarPaint, OwnersDrawOnlyTheirPanelsUpToTheEdgeAndGetTheirFontBack) {
    TestHost host(QSize(300, 22));
    QFont font(u"Sans"_s, -1, QFont::Bold, true);
    font.setPixelSize(12);
    host.SetFont(font);
    cNoStatusBar bar;
    bar.SetAllowXPStyles(false);
    bar.Create(&host);
    bar.AddPanel(SBT_OWNERDRAW, u"one"_s, -1, 100);
    bar.AddPanel(0, u"two"_s, -1, 250);
    bar.AddPanel(SBT_OWNERDRAW, {}, -1, 40);
    int asked = 0;
    QObject::connect(&bar, &cNoStatusBar::OwnerDraw, &bar,
                     [&](QPainter*, int& l, int& t, int& r, int& b, bool& doDefault) {
                         ++asked;
                         EXPECT_TRUE((PixelRect{l, t, r, b}) == bar.GetPanelRect(1));
                         doDefault = false;
                         bar.Draw();  // ignored inside a pass
                     });
    bar.Draw();
    EXPECT_TRUE(asked == 1 && host.RedPixels(QRect(0, 0, 100, 22)) == 0);
    EXPECT_GT(host.RedPixels(QRect(100, 0, 100, 22)), 0);
    bar.SetSizeGrip(true);  // painted at once
    EXPECT_TRUE(host.Font() == font &&
                host.ForeColor() == GetSysColor(COLOR_WINDOWTEXT, host.Palette()));
}

// On a widget the bar takes the widget's size and text colour, and the widget shows what the
// bar painted instead of painting itself.
TEST(NoStatusBarPaint, OnAWidgetTheBarFollowsItAndIsWhatItShows) {
    QWidget widget;
    QPalette red;
    red.setColor(QPalette::WindowText, Qt::red);
    widget.setPalette(red);
    StatusBarWidgetHost host(widget);
    cNoStatusBar bar;
    bar.Create(&host);
    bar.AddPanel(0, u"Ready"_s);
    widget.resize(300, 24);
    bar.Draw();
    EXPECT_TRUE(host.ClientRect() == QRect(0, 0, 300, 24) && host.ForeColor() == QColor(Qt::red));
    EXPECT_EQ(widget.grab().toImage().convertToFormat(host.Image().format()), host.Image());
}

}  // namespace
