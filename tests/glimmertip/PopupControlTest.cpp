#include "TipFixture.h"
#include "controls/HyperLink.h"
#include "glimmertip/PelGlimmertip.h"
#include "glimmertip/wAbout.h"
#include "platform/RuntimeError.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMetaProperty>
#include <QPushButton>
#include <QSet>
#include <QTimer>

using namespace Qt::StringLiterals;
using platform::RGB;

namespace {

class PopupControl : public TipTest {
protected:
    QWidget host;
};

// Each scheme has colours of its own, a number outside them gives the first scheme's, and only
// setting a scheme writes them over the user's.
TEST_F(PopupControl, SchemeWritesItsColoursAndOnlySchemeDoes) {
    PelGlimmertip c(&host);
    QSet<QPair<platform::OleColor, platform::OleColor>> seen;
    for (int scheme = PelGlimmertip::tipBanana; scheme <= 7; ++scheme) {
        c.SetScheme(PelGlimmertip::Scheme_t(scheme));
        EXPECT_EQ(c.Scheme(), scheme);
        EXPECT_NE(c.TitleColor(), c.BodyColor()) << scheme;
        seen.insert({c.TitleColor(), c.BodyColor()});
    }
    EXPECT_EQ(seen.size(), 8);
    c.SetScheme(PelGlimmertip::tipBanana);
    const auto first = std::pair(c.TitleColor(), c.BodyColor());
    for (const int outside : {12, -1}) {
        c.SetScheme(PelGlimmertip::Scheme_t(outside));
        EXPECT_EQ(std::pair(c.TitleColor(), c.BodyColor()), first) << outside;
    }

    c.SetScheme(PelGlimmertip::tipLime);
    const platform::OleColor limeTitle = c.TitleColor(), limeBody = c.BodyColor();
    c.SetTitleColor(RGB(1, 2, 3));
    EXPECT_EQ(c.TitleColor(), RGB(1, 2, 3));
    EXPECT_EQ(c.BodyColor(), limeBody);
    EXPECT_EQ(c.Scheme(), PelGlimmertip::tipLime);
    c.SetScheme(PelGlimmertip::tipLime);
    EXPECT_EQ(c.TitleColor(), limeTitle);
}

TEST_F(PopupControl, ShowTakesTextIconAndPlaceFromArgumentsOrProperties) {
    PelGlimmertip c(&host);
    QCursor::setPos(300, 200);

    // A fresh control with no arguments: a lone "_", the information icon, banana, at the cursor.
    c.Show();
    wGlimmertip& w = Tip();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.labTitle->text(), QString());
    EXPECT_EQ(w.labBody->text(), QString());
    EXPECT_TRUE(w.imgInfo(0)->isVisibleTo(&w));
    EXPECT_EQ(w.labHeader->palette().color(QPalette::Window), QColor(255, 255, 128));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(255, 255, 225));
    EXPECT_EQ(w.Left(), 300 * 15 - 30);
    EXPECT_EQ(w.Top(), 200 * 15 - 30);

    // The text argument wins over Title and Body; icon 0 takes the Icon property.
    c.SetTitle(u"Ignored"_s);
    c.SetBody(u"Also ignored"_s);
    c.SetIcon(PelGlimmertip::tipGlobe);
    c.Show(u"Save Changes_Clicking on this button will save any changes made."_s,
           PelGlimmertip::tipInformation);
    EXPECT_EQ(w.labTitle->text(), u"Save Changes"_s);
    EXPECT_EQ(w.labBody->text(), u"Clicking on this button will save any changes made."_s);
    EXPECT_TRUE(w.imgInfo(PelGlimmertip::tipGlobe)->isVisibleTo(&w));
    EXPECT_FALSE(w.imgInfo(0)->isVisibleTo(&w));
    // An empty text takes Title and Body; another icon number is used as given.
    c.Show(QString(), PelGlimmertip::tipKey);
    EXPECT_EQ(w.labTitle->text(), u"Ignored"_s);
    EXPECT_EQ(w.labBody->text(), u"Also ignored"_s);
    EXPECT_TRUE(w.imgInfo(PelGlimmertip::tipKey)->isVisibleTo(&w));

    // Positions count only without PositionAtCursor; 0 takes the X and Y properties.
    c.Show(u"a_b"_s, 0, 3000, 2000);
    EXPECT_EQ(w.Left(), 300 * 15 - 30);
    c.SetPositionAtCursor(false);
    c.Show(u"a_b"_s, 0, 3000, 2000);
    EXPECT_EQ(w.Left(), 3000);
    EXPECT_EQ(w.Top(), 2000);
    c.SetX(1500);
    c.SetY(900);
    c.Show(u"a_b"_s, 0, 0, 2000);
    EXPECT_EQ(w.Left(), 1500);
    EXPECT_EQ(w.Top(), 2000);
    EXPECT_EQ(c.X(), 1500);
}

TEST_F(PopupControl, ErrorsOfThePopupReachTheCallerAndTheControlKeepsItsProperties) {
    PelGlimmertip c(&host);
    c.SetScheme(PelGlimmertip::tipPlum);
    c.Show(u"x_y"_s, 33);
    const QVariantMap error = c.GetErrorInfo();
    EXPECT_EQ(error.value(u"Number"_s).toInt(), 340);
    EXPECT_EQ(error.value(u"Description"_s).toString(),
              u"Control array element '33' doesn't exist"_s);
    EXPECT_TRUE(c.GetErrorInfo().isEmpty());
    // Made and filled, never shown.
    EXPECT_FALSE(Tip().isVisible());
    EXPECT_EQ(c.Scheme(), PelGlimmertip::tipPlum);

    // A fade delay no timer takes fails after the popup became visible and opaque.
    c.SetFadeDelay(-1);
    try {
        c.ShowOrThrow(u"x_y"_s, 0, 0, 0);
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 380);
    }
    EXPECT_TRUE(Tip().isVisible());
    EXPECT_FALSE(Tip().IsLayered());
    c.Show(u"x_y"_s);
    EXPECT_EQ(c.GetErrorInfo().value(u"Number"_s).toInt(), 380);
    c.SetFadeDelay(0);
    c.Show(u"x_y"_s);
    EXPECT_TRUE(c.GetErrorInfo().isEmpty());
}

TEST_F(PopupControl, HostsReachEveryMemberByNameWithFixedDispatchIds) {
    PelGlimmertip c(&host);
    const QMetaObject* meta = c.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        names << QString::fromLatin1(meta->property(i).name());
    }
    EXPECT_EQ(names,
              QString(u"X Y PositionAtCursor Scheme Icon Title Body CanFade BorderStyle FillStyle "
                      "FillColor TitleColor BodyColor BorderColor Opacity Fade FadeDelay "
                      "CloseOnMouseMove CloseOnMouseClick"_s)
                  .split(u' '));
    // Every member has an id of its own, the same in every control; names are exact.
    PelGlimmertip other(&host);
    QSet<int> ids;
    for (const QString& name : names + QStringList{u"Show"_s, u"About"_s}) {
        ids.insert(c.GetIDsOfNames(name));
        EXPECT_EQ(other.GetIDsOfNames(name), c.GetIDsOfNames(name)) << name;
    }
    EXPECT_EQ(ids.size(), names.size() + 2);
    EXPECT_FALSE(ids.contains(-1));
    EXPECT_EQ(c.GetIDsOfNames(u"show"_s), -1);

    // Late bound, as Parlane calls it: Opacity, then Show with the text alone.
    EXPECT_TRUE(c.setProperty("Opacity", 220));
    EXPECT_EQ(c.Opacity(), 220);
    EXPECT_TRUE(QMetaObject::invokeMethod(&c, "Show", Q_ARG(QString, u"Title_Body"_s)));
    EXPECT_EQ(Tip().labTitle->text(), u"Title"_s);
    EXPECT_NEAR(Tip().windowOpacity(), 220 / 255.0, 1 / 255.0);
}

TEST_F(PopupControl, LosingTheFocusClosesThePopup) {
    PelGlimmertip c(&host);
    host.show();
    c.Show(u"a_b"_s);
    QPointer<wGlimmertip> w = &Tip();
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(&c, &out);
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

TEST_F(PopupControl, AboutShowsTheComponentsBoxModally) {
    PelGlimmertip c(&host);
    QString caption;
    QSize banner;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<Tolv_Glimmertip::wAbout*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        caption = about->lnkTolv->Caption();
        banner = about->picSplash->pixmap().size();
        EXPECT_EQ(about->size(), QSize(301, 283));
        EXPECT_EQ(about->cmdClose->text(), u"Close"_s);
        about->cmdClose->click();
    });
    c.About();
    EXPECT_EQ(caption, u"Tolv Software"_s);
    EXPECT_EQ(banner, QSize(300, 102));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
