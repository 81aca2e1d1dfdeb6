#include "TipFixture.h"
#include "glimmertip/PelGlimmertip.h"
#include "glimmertip/TipShapes.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QLabel>

using namespace Qt::StringLiterals;
using platform::RGB;

namespace {

class TipWindow : public TipTest {
protected:
    // The popup as the control shows it.
    wGlimmertip& Show(const QString& text, long icon = 0) {
        modGlimmertip::TipRequest r;
        r.Text = text;
        r.Icon = icon;
        std::uint8_t opacity = 255;
        modGlimmertip::ShowTipWindow(r, opacity);
        return Tip();
    }
};

TEST_F(TipWindow, SizesItselfToItsTexts) {
    wGlimmertip& w = Show(
        u"Sections_This area contains the available sections available for customisation in a "
        "grouped order."_s);
    const int designed = w.width();
    // A long body wraps inside the window, which grows down to hold it.
    EXPECT_GT(w.labBody->height(), w.labBody->fontMetrics().height());
    EXPECT_LT(w.labBody->geometry().right(), w.width());
    EXPECT_LT(w.labBody->geometry().bottom(), w.height());
    EXPECT_EQ(w.labHeader->width(), w.width());
    EXPECT_EQ(w.shpBorder->geometry(), w.rect());

    // A title is never cut at the right: a wide one widens the window, whatever its length.
    for (int length = 20; length <= 60; ++length) {
        Show(QString(length, u'n') + u"_b"_s);
        EXPECT_LT(w.labTitle->geometry().right(), w.width()) << length;
        EXPECT_LT(w.labBody->geometry().right(), w.width()) << length;
        EXPECT_GE(w.width(), designed) << length;
    }
    EXPECT_GT(w.width(), designed);
}

TEST_F(TipWindow, SplitsTheTextAtTheFirstUnderscoreAndBreaksLinesAtBars) {
    wGlimmertip& w = Show(u"No title here"_s);
    EXPECT_EQ(w.labTitle->text(), QString(10, u' '));
    EXPECT_EQ(w.labBody->text(), u"No title here"_s);

    Show(u"Two|lines_First||Second_with underscore"_s);
    EXPECT_EQ(w.labTitle->text(), u"Two\nlines"_s);
    EXPECT_EQ(w.labBody->text(), u"First\n\nSecond_with underscore"_s);

    // Without "_" the title stays as it was.
    Show(u"Only body"_s);
    EXPECT_EQ(w.labTitle->text(), u"Two\nlines"_s);

    // Text is never taken for markup.
    Show(u"<b>x</b>_<img src=\"/etc/passwd\">"_s);
    EXPECT_EQ(w.labTitle->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.labBody->textFormat(), Qt::PlainText);

    // An empty text shows nothing at all.
    modGlimmertip::DestroyTipWindow();
    modGlimmertip::TipRequest r;
    std::uint8_t opacity = 255;
    modGlimmertip::ShowTipWindow(r, opacity);
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
}

// Just below and right of the cursor, kept inside the screen's right and bottom edges with the
// cursor still inside it, so that moving off closes it. Nothing is done at the left or top.
TEST_F(TipWindow, OpensAtTheCursorAndStaysOnTheScreen) {
    const QRect screen(QPoint(0, 0), QSize(1024, 768));
    for (const QPoint at : {QPoint(100, 100), QPoint(1000, 700), QPoint(1020, 20)}) {
        QCursor::setPos(at);
        wGlimmertip& w = Show(u"Edge_Near the corner"_s);
        EXPECT_TRUE(screen.contains(w.frameGeometry())) << at.x() << "," << at.y();
        EXPECT_TRUE(w.frameGeometry().contains(at)) << at.x() << "," << at.y();
    }
    QCursor::setPos(100, 100);
    EXPECT_LE((Show(u"Edge_Top left"_s).pos() - QPoint(100, 100)).manhattanLength(), 4);

    modGlimmertip::SetDesktop({{}, [] { return QSize(150, 80); }, {}});
    QCursor::setPos(10, 10);
    wGlimmertip& w = Show(u"Edge_Tiny screen"_s);
    EXPECT_LT(w.Left(), 0);
    EXPECT_LT(w.Top(), 0);
}

TEST_F(TipWindow, ShowsOneIconAndTipNoneMovesTheTitleIntoItsPlace) {
    wGlimmertip& w = Show(u"Icon_first"_s, PelGlimmertip::tipCritical);
    EXPECT_TRUE(w.imgInfo(3)->isVisibleTo(&w));
    const int besideIcon = w.labTitle->x();
    EXPECT_GT(besideIcon, w.imgInfo(3)->geometry().right());
    for (int i = 0; i < wGlimmertip::kIconCount; ++i) {
        EXPECT_FALSE(w.imgInfo(i)->pixmap().isNull()) << i;
    }

    Show(u"None_no icon"_s, PelGlimmertip::tipNone);
    EXPECT_LT(w.labTitle->x(), besideIcon);
    for (int i = 0; i < wGlimmertip::kIconCount; ++i) {
        EXPECT_FALSE(w.imgInfo(i)->isVisibleTo(&w)) << i;
    }

    // The next show with an icon puts the title back beside it.
    Show(u"Back_again"_s, PelGlimmertip::tipTick);
    EXPECT_EQ(w.labTitle->x(), besideIcon);
    EXPECT_TRUE(w.imgInfo(32)->isVisibleTo(&w));
    EXPECT_FALSE(w.imgInfo(3)->isVisibleTo(&w));
}

TEST_F(TipWindow, EverySchemeColoursTheBandAndTheWindow) {
    QWidget host;
    PelGlimmertip c(&host);
    c.SetPositionAtCursor(false);
    c.SetX(1500);
    c.SetY(1500);
    for (int scheme = 0; scheme <= 7; ++scheme) {
        c.SetScheme(PelGlimmertip::Scheme_t(scheme));
        c.Show(u"Scheme_Each scheme has its own colours."_s, PelGlimmertip::tipLightbulb);
        wGlimmertip& w = Tip();
        const QImage shown = w.grab().toImage();
        const modGlimmertip::SchemeColours colours = modGlimmertip::ColoursOfScheme(scheme);
        EXPECT_EQ(shown.pixelColor(w.width() - 6, 10), platform::ToQColor(colours.Title)) << scheme;
        EXPECT_EQ(shown.pixelColor(w.width() - 6, w.height() - 4), platform::ToQColor(colours.Body))
            << scheme;
        // The outline and the separator in the border colour.
        EXPECT_EQ(shown.pixelColor(0, w.height() / 2), QColor(Qt::black)) << scheme;
        EXPECT_EQ(shown.pixelColor(w.width() / 2, 24), QColor(Qt::black)) << scheme;
    }
    EXPECT_EQ(Tip().labHeader->palette().color(QPalette::Window), QColor(192, 192, 192));

    // Colours of the control win over the scheme's; 0 leaves the scheme's in place.
    c.SetScheme(PelGlimmertip::tipPlum);
    c.SetBodyColor(0);
    c.Show(u"Plum_b"_s);
    EXPECT_EQ(Tip().labHeader->palette().color(QPalette::Window), QColor(255, 128, 255));
    EXPECT_EQ(Tip().palette().color(QPalette::Window), QColor(255, 192, 255));
    c.SetTitleColor(RGB(10, 20, 30));
    c.Show(u"Plum_b"_s);
    EXPECT_EQ(Tip().labHeader->palette().color(QPalette::Window), QColor(10, 20, 30));
}

TEST_F(TipWindow, DrawsTheLineAndFillStyles) {
    EXPECT_EQ(TipShapes::PenStyleOf(0), Qt::NoPen);
    EXPECT_EQ(TipShapes::PenStyleOf(3), Qt::DotLine);
    EXPECT_EQ(TipShapes::PenStyleOf(6), Qt::SolidLine);
    EXPECT_EQ(TipShapes::BrushStyleOf(1), Qt::NoBrush);
    EXPECT_EQ(TipShapes::BrushStyleOf(4), Qt::BDiagPattern);
    EXPECT_EQ(TipShapes::BrushStyleOf(7), Qt::DiagCrossPattern);

    modGlimmertip::TipRequest r;
    r.Text = u"Styles_A body"_s;
    r.BorderStyle = 0;
    r.FillStyle = 0;
    r.FillColor = RGB(200, 0, 0);
    r.BorderColor = RGB(0, 0, 255);
    std::uint8_t opacity = 255;
    modGlimmertip::ShowTipWindow(r, opacity);
    wGlimmertip& w = Tip();
    QImage shown = w.grab().toImage();
    // No outline, and a solid fill over the whole popup.
    EXPECT_EQ(shown.pixelColor(0, w.height() / 2), QColor(200, 0, 0));
    EXPECT_EQ(shown.pixelColor(w.width() / 2, w.height() - 3), QColor(200, 0, 0));

    r.BorderStyle = 1;
    r.FillStyle = 1;
    modGlimmertip::ShowTipWindow(r, opacity);
    shown = w.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, w.height() / 2), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(w.width() - 1, w.height() / 2), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(w.width() / 2, 24), QColor(0, 0, 255));
}

// The popup of the README; PARLANE_WRITE_PICTURES=dir writes the picture there.
TEST_F(TipWindow, TheReadmePictureShowsAPopup) {
    QWidget host;
    PelGlimmertip c(&host);
    c.SetScheme(PelGlimmertip::tipIceberry);
    c.SetPositionAtCursor(false);
    c.SetX(1500);
    c.SetY(1500);
    c.Show(
        u"Enable Skinning_Shows the pictures of the skin in Parlane's windows.||Turn it "
        "off for a plainer look."_s,
        PelGlimmertip::tipSettings);
    wGlimmertip& w = Tip();
    const QImage shown = w.grab().toImage();
    EXPECT_EQ(shown.size(), w.size());
    EXPECT_EQ(shown.pixelColor(w.width() - 6, 10), QColor(128, 255, 255));

    const QString dir = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(shown.save(dir + u"/glimmertip-popup.png"_s));
    }
}

}  // namespace
