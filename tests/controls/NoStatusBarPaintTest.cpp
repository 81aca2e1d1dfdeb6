// The bar painted into real images (offscreen): frames and colours are checked, never glyphs.
#include "controls/StatusBarHost.h"
#include "controls/cNoStatusBar.h"
#include "platform/OsVersion.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;
using namespace StatusBarPainter;

namespace {

// Colours as "#aarrggbb", as an image holds them.
QString Hex(const QColor& colour) {
    return colour.name(QColor::HexArgb);
}
QString Role(QPalette::ColorRole role) {
    return Hex(QGuiApplication::palette().color(role));
}

// A picture host that can be given a style, or none.
class TestHost : public StatusBarPictureHost {
public:
    explicit TestHost(QSize size) : StatusBarPictureHost(size) { SetForeColor(Qt::red); }
    std::optional<QStyle*> style;

    QStyle* Style() const override { return style ? *style : StatusBarPictureHost::Style(); }
    QString Pixel(int x, int y) const { return Hex(Image().pixelColor(x, y)); }
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

// Fusion, telling what it was asked to draw.
class RecordingStyle : public QProxyStyle {
public:
    RecordingStyle() : QProxyStyle(QStyleFactory::create(u"Fusion"_s)) {}
    mutable QStringList calls;

    void drawPrimitive(PrimitiveElement e, const QStyleOption* o, QPainter* p,
                       const QWidget* w) const override {
        if (e == PE_PanelStatusBar || e == PE_FrameStatusBarItem) {
            Record(e == PE_PanelStatusBar ? u"bar"_s : u"pane"_s, o->rect);
        }
        QProxyStyle::drawPrimitive(e, o, p, w);
    }
    void drawControl(ControlElement e, const QStyleOption* o, QPainter* p,
                     const QWidget* w) const override {
        if (e == CE_SizeGrip) {
            Record(u"grip"_s, o->rect);
        }
        QProxyStyle::drawControl(e, o, p, w);
    }
    void drawItemText(QPainter* p, const QRect& r, int flags, const QPalette& pal, bool enabled,
                      const QString& text, QPalette::ColorRole role) const override {
        calls << u"text '"_s + text + u'\'';
        QProxyStyle::drawItemText(p, r, flags, pal, enabled, text, role);
    }
    void Record(const QString& what, const QRect& r) const {
        calls << u"%1 %2,%3 %4x%5"_s.arg(what).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
};

void ExpectClassicFrames(const TestHost& host) {
    // Panels 0..59 sunken, 60..119 raised, 120..300 without borders; x 59 and 119 are gaps.
    EXPECT_EQ(host.Pixel(59, 10), Role(QPalette::Button));
    EXPECT_EQ(host.Pixel(10, 0), Role(QPalette::Dark));
    EXPECT_EQ(host.Pixel(0, 10), Role(QPalette::Dark));
    EXPECT_EQ(host.Pixel(10, 21), Role(QPalette::Light));
    EXPECT_EQ(host.Pixel(58, 10), Role(QPalette::Light));
    EXPECT_EQ(host.Pixel(70, 0), Role(QPalette::Midlight));
    EXPECT_EQ(host.Pixel(70, 21), Role(QPalette::Shadow));
    EXPECT_EQ(host.Pixel(118, 10), Role(QPalette::Shadow));
    EXPECT_EQ(host.Pixel(130, 0), Role(QPalette::Button));
    EXPECT_EQ(host.Pixel(130, 21), Role(QPalette::Button));
}

void AddFramedPanels(cNoStatusBar& bar) {
    bar.AddPanel(0, {}, -1, 60);
    bar.AddPanel(SBT_POPOUT, {}, -1, 60);
    bar.AddPanel(SBT_NOBORDERS, {}, -1, 60);
}

TEST(NoStatusBarPaint, ClassicFramesFollowEachPanelsStyleWhereverThemesAreMissing) {
    enum Why { OldSystem, NotAllowed, NoStyle };
    for (const Why why : {OldSystem, NotAllowed, NoStyle}) {
        platform::OverrideOsVersion(why == OldSystem ? std::optional(platform::OsVersion{5, 0})
                                                     : std::nullopt);
        TestHost host(QSize(300, 22));
        cNoStatusBar bar;
        platform::OverrideOsVersion(std::nullopt);
        if (why == NotAllowed) {
            bar.SetAllowXPStyles(false);
        } else if (why == NoStyle) {
            host.style = nullptr;
        }
        bar.Create(&host);
        AddFramedPanels(bar);
        ExpectClassicFrames(host);
    }
}

TEST(NoStatusBarPaint, ClassicIconAndTextAndTheGripFontGivenBack) {
    TestHost host(QSize(300, 22));
    QFont font(u"DejaVu Sans"_s);
    font.setPointSize(8);
    font.setStrikeOut(true);
    font.setWeight(QFont::Medium);
    host.SetFont(font);
    QPixmap green(16, 16);
    green.fill(Qt::green);
    cNoStatusBar bar;
    bar.SetAllowXPStyles(false);
    bar.Create(&host);
    bar.SetImageList({green});
    bar.AddPanel(0, {}, 0, 60);
    bar.AddPanel(0, u"Ready"_s, -1, 60);
    bar.SetSizeGrip(true);

    EXPECT_EQ(host.Pixel(2, 1 + (22 - 2 - 16) / 2), Hex(Qt::green));
    EXPECT_EQ(host.Pixel(2, 10), Hex(Qt::green));
    EXPECT_EQ(host.RedPixels(QRect(1, 1, 74, 20)), 0);
    EXPECT_GT(host.RedPixels(QRect(77, 1, 60, 20)), 0);

    // The grip in the shadow colour; the host's font given back after it.
    EXPECT_TRUE(host.Pixel(296, 20) == Role(QPalette::Dark) ||
                host.Pixel(295, 20) == Role(QPalette::Dark));
    EXPECT_EQ(host.Font(), font);
    EXPECT_EQ(Hex(host.ForeColor()), Role(QPalette::WindowText));

    font.setPixelSize(12);
    bar.SetFont(font);
    bar.Draw();
    EXPECT_EQ(host.Font(), font);
}

TEST(NoStatusBarPaint, ThemedLookGoesThroughTheStyle) {
    RecordingStyle style;
    TestHost host(QSize(300, 22));
    host.style = &style;
    QPixmap green(16, 16);
    green.fill(Qt::green);
    cNoStatusBar bar;
    bar.Create(&host);
    bar.SetImageList({green});
    bar.AddPanel(0, u"a"_s, -1, 60);
    bar.AddPanel(0, {}, 0, 44);
    bar.AddPanel(0, u"c"_s, -1, 60);
    bar.SetSizeGrip(true);
    style.calls.clear();
    bar.Draw();

    EXPECT_EQ(style.calls, (QStringList{u"bar 0,0 300x22"_s, u"pane 0,0 59x22"_s, u"text ' a'"_s,
                                        u"pane 60,0 59x22"_s, u"text ' '"_s, u"pane 120,0 180x22"_s,
                                        u"text ' c'"_s, u"grip 278,0 22x22"_s}));
    EXPECT_EQ(host.Pixel(10, 0), Role(QPalette::Window));
    EXPECT_EQ(host.Pixel(62, 2 + (22 - 2 - 16) / 2), Hex(Qt::green));
    int grip = 0;
    for (int y = 0; y < 22; ++y) {
        for (int x = 278; x < 300; ++x) {
            grip += host.Pixel(x, y) != Role(QPalette::Window) ? 1 : 0;
        }
    }
    EXPECT_GT(grip, 0);
}

TEST(NoStatusBarPaint, APanelPastTheRightEdgeIsCutAndEndsThePass) {
    int ownerDrawn = 0;
    const auto build = [&](cNoStatusBar& bar, TestHost& host) {
        bar.Create(&host);
        QObject::connect(&bar, &cNoStatusBar::OwnerDraw, &bar,
                         [&](QPainter*, int&, int&, int&, int&, bool&) { ++ownerDrawn; });
        bar.AddPanel(0, {}, -1, 100);
        bar.AddPanel(0, {}, -1, 81);
        bar.AddPanel(SBT_OWNERDRAW, {}, -1, 40);
        bar.SetSizeGrip(true);
        EXPECT_EQ(bar.GetPanelRect(2).right, 180);
    };
    {
        TestHost host(QSize(150, 20));
        cNoStatusBar bar;
        bar.SetAllowXPStyles(false);
        build(bar, host);
        EXPECT_EQ(host.Pixel(148, 5), Role(QPalette::Light));
        EXPECT_EQ(host.Pixel(149, 5), Role(QPalette::Button));
        EXPECT_EQ(host.Pixel(146, 18), Role(QPalette::Dark));
        EXPECT_EQ(host.Pixel(144, 18), Role(QPalette::Light));
    }
    {
        RecordingStyle style;
        TestHost host(QSize(150, 20));
        host.style = &style;
        cNoStatusBar bar;
        build(bar, host);
        style.calls.clear();
        bar.Draw();
        EXPECT_EQ(style.calls,
                  (QStringList{u"bar 0,0 150x20"_s, u"pane 0,0 99x20"_s, u"text ' '"_s,
                               u"pane 100,0 49x20"_s, u"text ' '"_s, u"grip 130,0 20x20"_s}));
    }
    EXPECT_EQ(ownerDrawn, 0);
}

TEST(NoStatusBarPaint, SimpleModePaintsTheTextFromTheClientEdgeAndNoPanel) {
    int ownerDrawn = 0;
    const auto build = [&](cNoStatusBar& bar, TestHost& host) {
        bar.Create(&host);
        QObject::connect(&bar, &cNoStatusBar::OwnerDraw, &bar,
                         [&](QPainter*, int&, int&, int&, int&, bool&) { ++ownerDrawn; });
        bar.AddPanel(SBT_OWNERDRAW, {}, -1, 60);
        bar.AddPanel(SBT_OWNERDRAW, {}, -1, 60);
        bar.SetSimpleText(u"WWW WWW"_s);
        bar.SetSimpleMode(true);
        ownerDrawn = 0;
        bar.SetLeftTopOffsets(30, 5);
        bar.SetSizeGrip(true);
    };
    {
        TestHost host(QSize(300, 22));
        cNoStatusBar bar;
        bar.SetAllowXPStyles(false);
        build(bar, host);
        EXPECT_GT(host.RedPixels(QRect(0, 0, 30, 22)), 0);
        EXPECT_EQ(host.Pixel(100, 0), Role(QPalette::Button));
        EXPECT_EQ(host.Pixel(296, 20), Role(QPalette::Dark));
    }
    {
        RecordingStyle style;
        TestHost host(QSize(300, 22));
        host.style = &style;
        cNoStatusBar bar;
        build(bar, host);
        EXPECT_EQ(style.calls.mid(style.calls.size() - 4),
                  (QStringList{u"bar 0,0 300x22"_s, u"pane 0,0 300x22"_s, u"text ' WWW WWW'"_s,
                               u"grip 278,0 22x22"_s}));
    }
    EXPECT_EQ(ownerDrawn, 0);
}

TEST(NoStatusBarPaint, OwnerDrawingTakesOverOnlyItsPanel) {
    TestHost host(QSize(300, 22));
    cNoStatusBar bar;
    bar.SetAllowXPStyles(false);
    bar.Create(&host);
    bar.AddPanel(SBT_OWNERDRAW, u"one"_s, -1, 100);
    bar.AddPanel(0, u"two"_s, -1, 100);

    std::vector<PixelRect> asked;
    int shift = 0;
    bool doDefault = false;
    QObject::connect(&bar, &cNoStatusBar::OwnerDraw, &bar,
                     [&](QPainter* hDc, int& l, int& t, int& r, int& b, bool& bDoDefault) {
                         asked.push_back({l, t, r, b});
                         hDc->fillRect(QRect(l + 5, t + 5, 10, 10), Qt::blue);
                         l += shift;
                         bDoDefault = doDefault;
                         bar.Draw();  // ignored inside a pass
                     });
    bar.Draw();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0] == bar.GetPanelRect(1));
    EXPECT_EQ(host.Pixel(10, 10), Hex(Qt::blue));
    EXPECT_EQ(host.Pixel(50, 0), Role(QPalette::Dark));
    EXPECT_EQ(host.RedPixels(QRect(0, 0, 100, 22)), 0);
    EXPECT_GT(host.RedPixels(QRect(100, 0, 100, 22)), 0);

    // The bar goes on in the rectangle the owner left it.
    shift = 40;
    doDefault = true;
    bar.Draw();
    EXPECT_EQ(host.RedPixels(QRect(0, 0, 43, 22)), 0);
    EXPECT_GT(host.RedPixels(QRect(43, 0, 57, 22)), 0);
}

// The bar of the README, in both looks; PARLANE_WRITE_PICTURES=dir writes the pictures there.
TEST(NoStatusBarPaint, BothLooksOfTheReadmeBar) {
    QPixmap contact(16, 16);
    contact.fill(Qt::transparent);
    {
        QPainter p(&contact);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x1e, 0x5a, 0x1e));
        p.setBrush(QColor(0x3c, 0xb4, 0x3c));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    }
    const QString dir = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    for (const bool themed : {false, true}) {
        TestHost host(QSize(480, 24));
        host.SetForeColor(Role(QPalette::WindowText));
        cNoStatusBar bar;
        bar.SetAllowXPStyles(themed);
        bar.Create(&host);
        bar.SetImageList({contact});
        bar.AddPanel(0, u"Message received at 12:04:31."_s, -1, 100, true, true);
        bar.AddPanel(0, u"3 contacts"_s, 0, 60, false, true);
        bar.AddPanel(SBT_POPOUT, u"Listening"_s, -1, 60, false, true);
        bar.SetSizeGrip(true);

        const PixelRect icons = bar.GetPanelRect(2);
        EXPECT_EQ(host.Pixel(icons.left + 2 + 8, 12), Hex(QColor(0x3c, 0xb4, 0x3c)));
        EXPECT_EQ(host.Pixel(10, 0), themed ? Role(QPalette::Window) : Role(QPalette::Dark));
        if (!dir.isEmpty()) {
            const QString name = themed ? u"statusbar-themed.png"_s : u"statusbar-classic.png"_s;
            EXPECT_TRUE(host.Image().save(QDir(dir).filePath(name)));
        }
    }
}

}  // namespace
