#include "TipFixture.h"
#include "glimmertip/PelGlimmertip.h"
#include "glimmertip/TipShapes.h"
#include "platform/Twips.h"
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
    static long Right(const wGlimmertip::LabelTwips& l) { return l.Left + l.Width; }
    static long Height(wGlimmertip& w) {
        return w.TitleTwips().Top + w.TitleTwips().Height + w.BodyTwips().Height + 195;
    }
};

TEST_F(TipWindow, SizesItselfToTheTextAtTheDesignedWidth) {
    wGlimmertip& w = Show(
        u"Sections_This area contains the available sections available for customisation in a "
        "grouped order."_s);
    EXPECT_EQ(w.labTitle->text(), u"Sections"_s);
    EXPECT_EQ(w.labBody->text(),
              u"This area contains the available sections available for customisation in a "
              "grouped order."_s);
    EXPECT_EQ(w.BodyTwips().Width, 3100);
    EXPECT_EQ(w.Width(), 3275);
    EXPECT_EQ(w.width(), qRound(3275 / 15.0));
    // Wrapped to more than one line, and the window as high as its texts.
    EXPECT_GT(w.BodyTwips().Height, 15 * w.labBody->fontMetrics().height());
    EXPECT_EQ(w.Height(), Height(w));
    EXPECT_EQ(w.labHeader->width(), w.width());
    EXPECT_EQ(w.linLine->Twips().x2(), 3275);
    EXPECT_EQ(w.shpBorder->geometry(), w.rect());

    // A title as wide as the window widens it; the body keeps its margin at the right.
    const QString longTitle(60, u'W');
    Show(longTitle + u"_Short body"_s);
    EXPECT_GT(w.TitleTwips().Width, 3275);
    EXPECT_EQ(w.Width(), Right(w.TitleTwips()) + 215);
    EXPECT_EQ(w.BodyTwips().Width, w.Width() - 175);
    EXPECT_EQ(w.Height(), Height(w));

    // So does a title that would be cut at the right edge while still narrower than the window.
    QString title;
    while (375 + platform::PixelsToTwips(w.labTitle->fontMetrics().horizontalAdvance(title)) <=
           3275) {
        title += u'n';
    }
    // A little more, whatever the label adds to the font's own width.
    Show(title + u"nn_b"_s);
    EXPECT_LE(w.TitleTwips().Width, 3275);
    EXPECT_EQ(w.Width(), Right(w.TitleTwips()) + 215);
    EXPECT_LE(w.labTitle->geometry().right(), w.width() - 1);
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

TEST_F(TipWindow, StaysOnTheScreenNearTheRightAndBottomEdges) {
    QCursor::setPos(1000, 700);
    wGlimmertip& w = Show(u"Edge_Near the corner"_s);
    EXPECT_EQ(w.Width(), 3275);
    EXPECT_EQ(w.Left(), 11795);
    EXPECT_EQ(w.Top(), 700 * 15 - 30 - w.Height() + 100);
    EXPECT_EQ(w.pos(), QPoint(qRound(11795 / 15.0), qRound(w.Top() / 15.0)));
    // The cursor is still inside it, so moving off closes it.
    EXPECT_TRUE(w.frameGeometry().contains(QPoint(1000, 700)));

    // Room enough: the cursor sits 30 twips inside the top-left corner.
    QCursor::setPos(100, 100);
    Show(u"Edge_Top left"_s);
    EXPECT_EQ(w.Left(), 1470);
    EXPECT_EQ(w.Top(), 1470);

    // Nothing is done at the left or top edges.
    modGlimmertip::SetDesktop({{}, [] { return QSize(150, 80); }, {}});
    QCursor::setPos(10, 10);
    Show(u"Edge_Tiny screen"_s);
    EXPECT_EQ(w.Left(), 120 - 3275 + 100);
    EXPECT_LT(w.Top(), 0);
}

TEST_F(TipWindow, ShowsOneIconAndTipNoneMovesTheTitleIntoItsPlace) {
    wGlimmertip& w = Show(u"Icon_first"_s, PelGlimmertip::tipCritical);
    EXPECT_TRUE(w.imgInfo(3)->isVisibleTo(&w));
    EXPECT_EQ(w.imgInfo(3)->geometry(), QRect(5, 5, 16, 16));
    EXPECT_EQ(w.imgInfo(29)->size(), QSize(15, 15));
    EXPECT_EQ(w.imgInfo(2)->pos(), QPoint(5, 4));
    EXPECT_EQ(w.TitleTwips().Left, 375);
    for (int i = 0; i < wGlimmertip::kIconCount; ++i) {
        EXPECT_FALSE(w.imgInfo(i)->pixmap().isNull()) << i;
    }

    Show(u"None_no icon"_s, PelGlimmertip::tipNone);
    EXPECT_EQ(w.TitleTwips().Left, 75);
    EXPECT_EQ(w.labTitle->x(), 5);
    for (int i = 0; i < wGlimmertip::kIconCount; ++i) {
        EXPECT_FALSE(w.imgInfo(i)->isVisibleTo(&w)) << i;
    }

    // The next show with an icon puts the title back beside it.
    Show(u"Back_again"_s, PelGlimmertip::tipTick);
    EXPECT_EQ(w.TitleTwips().Left, 375);
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
