#include "glimmertip/GlimmertipIds.h"
#include "glimmertip/PelGlimmertip.h"
#include "glimmertip/modGlimmertip.h"
#include "glimmertip/wAbout.h"
#include "glimmertip/wGlimmertip.h"
#include "platform/ComponentRegistry.h"
#include "platform/OsVersion.h"
#include "platform/RuntimeError.h"
#include "platform/gui/WindowPos.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <numeric>
#include <vector>

using namespace Qt::StringLiterals;
namespace reg = platform::ComponentRegistry;

// The entry points, as the library exports them; here they are linked into the test.
extern "C" {
reg::HRESULT DllRegisterServer();
reg::HRESULT DllUnregisterServer();
reg::HRESULT DllGetClassObject(const char* classId, QObject** factory);
reg::HRESULT DllCanUnloadNow();
}

namespace {

std::vector<int> Down(int from) {
    std::vector<int> values(from + 1);
    std::iota(values.rbegin(), values.rend(), 0);
    return values;
}

// The cursor where the test puts it, and an event pump that records the popup's opacity at every
// step of a fade, in 8 bits as the platform keeps it.
class TipTest : public ::testing::Test {
protected:
    void SetUp() override {
        modGlimmertip::SetDesktop({{},
                                   [] { return QSize(1024, 768); },
                                   [this] {
                                       QWidget* w = modGlimmertip::TipWindow();
                                       if (QWidget* shown = w ? w : closing.data()) {
                                           steps.push_back(Alpha(*shown));
                                       }
                                       if (onStep) {
                                           onStep();
                                       }
                                   }});
        QCursor::setPos(500, 400);
    }
    void TearDown() override {
        modGlimmertip::DestroyTipWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        modGlimmertip::SetDesktop({});
        platform::OverrideOsVersion(std::nullopt);
    }

    static int Alpha(const QWidget& w) { return qRound(w.windowOpacity() * 255); }
    static wGlimmertip& Tip() {
        wGlimmertip* w = modGlimmertip::TipWindow();
        if (!w) {
            throw std::runtime_error("no popup");
        }
        return *w;
    }
    // Closes the popup as the platform would and lets its deletion happen.
    void Close(wGlimmertip& w) {
        closing = &w;
        w.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    wGlimmertip& Show(long fadeDelay, std::uint8_t& opacity) {
        modGlimmertip::ShowTipWindow(
            {.Text = u"Fade_A popup that fades."_s, .FadeDelay = fadeDelay}, opacity);
        return Tip();
    }

    std::vector<int> steps;
    std::function<void()> onStep;
    QPointer<wGlimmertip> closing;
};
using Fade = TipTest;

// Below 30 ms a fade runs to its end before the show returns; from 30 ms a timer steps it. An
// older platform shows every popup opaque. Opacity 0 means none without a fade, full with one.
TEST_F(Fade, EachDelayFadesInItsOwnWayAndOutFromWhereItGot) {
    const struct {
        int major;
        long delay;
        int opacity;
        bool layered;
        int shown;    // the opacity once the show returned
        int pumped;   // steps of the fade-in within the show
        int ticks;    // timer steps after it
        int reached;  // the opacity the fade-in ends at, and the fade-out starts from (-1 none)
    } cases[] = {
        {6, 0, 1, true, 1, 0, 0, -1},       {6, 0, 0, false, 255, 0, 0, -1},
        {6, 1, 0, true, 255, 255, 0, -1},   {5, 29, 3, true, 3, 3, 0, -1},
        {6, 30, 200, true, 0, 0, 200, 200}, {6, 65535, 0, true, 0, 0, 255, 255},
        {4, 10, 100, false, 255, 0, 0, -1}, {4, 30, 100, false, 255, 0, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << ", " << c.delay << " ms, " << c.opacity);
        platform::OverrideOsVersion(platform::OsVersion{c.major, 0});
        steps.clear();
        std::uint8_t opacity = std::uint8_t(c.opacity);
        wGlimmertip& w = Show(c.delay, opacity);
        EXPECT_TRUE(w.isVisible() && platform::IsTopMost(&w));
        EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_EQ(std::tuple(w.IsLayered(), Alpha(w), int(steps.size())),
                  std::tuple(c.layered, c.shown, c.pumped));
        EXPECT_EQ(opacity, c.opacity == 0 && c.delay > 0 && c.major > 4 ? 255 : c.opacity);
        int ticks = 0;
        for (; w.tmrFade.isActive() && ticks < 300; ++ticks) {
            w.tmrFade_Timer();
        }
        EXPECT_EQ(std::pair(ticks, c.reached < 0 ? -1 : Alpha(w)), std::pair(c.ticks, c.reached));
        steps.clear();
        Close(w);
        EXPECT_EQ(steps, c.reached >= 0 ? Down(c.reached) : std::vector<int>{});
    }

    // A delay no timer takes fails once the popup shows, opaque.
    platform::OverrideOsVersion(std::nullopt);
    for (const long delay : {-1L, 65536L}) {
        std::uint8_t opacity = 100;
        EXPECT_THROW(Show(delay, opacity), platform::RuntimeError) << delay;
        EXPECT_TRUE(Tip().isVisible() && !Tip().IsLayered());
    }
}

TEST_F(Fade, TheCursorLeavingOrAClickClosesThePopup) {
    std::uint8_t opacity = 255;
    for (int edge = 0; edge < 4; ++edge) {  // each counts as outside
        QCursor::setPos(500, 400);
        wGlimmertip& w = Show(0, opacity);
        ASSERT_TRUE(w.tmrClose.isActive());
        w.tmrClose_Timer();
        EXPECT_EQ(modGlimmertip::TipWindow(), &w);
        const QRect r = w.frameGeometry();
        const int x[] = {r.left(), r.center().x(), r.left() + r.width(), r.center().x()};
        const int y[] = {r.center().y(), r.top(), r.center().y(), r.top() + r.height()};
        QCursor::setPos(x[edge], y[edge]);
        w.tmrClose_Timer();
        EXPECT_EQ(modGlimmertip::TipWindow(), nullptr) << edge;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A click on the icon closes it too.
    QTest::mouseClick(Show(0, opacity).imgInfo(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
}

TEST_F(Fade, ACloseRequestDuringTheFadeOutIsIgnored) {
    std::uint8_t opacity = 60;
    wGlimmertip& w = Show(30, opacity);
    while (w.tmrFade.isActive()) {
        w.tmrFade_Timer();
    }
    QPointer<wGlimmertip> gone = &w;
    int requests = 0;
    onStep = [&] {
        if (closing && ++requests <= 3) {
            // A watch tick, a click and a new close, all while it fades out.
            closing->tmrClose_Timer();
            closing->CloseIfClickCloses();
            closing->Unload();
            closing->tmrFade_Timer();
        }
    };
    QCursor::setPos(0, 0);
    steps.clear();
    Close(w);
    EXPECT_TRUE(steps == Down(60) && gone.isNull()) << steps.size();
}

TEST_F(Fade, AShowDuringTheFadeOutOpensAFreshPopup) {
    std::uint8_t opacity = 20;
    wGlimmertip& w = Show(30, opacity);
    QPointer<wGlimmertip> fresh;
    onStep = [&] {
        if (!fresh) {
            std::uint8_t full = 255;
            modGlimmertip::ShowTipWindow({.Text = u"New_popup"_s}, full);
            fresh = modGlimmertip::TipWindow();
        }
    };
    Close(w);
    ASSERT_TRUE(!fresh.isNull() && closing.isNull() && fresh->isVisible());
    EXPECT_EQ(fresh->labTitle->text(), u"New"_s);
}

TEST_F(Fade, AFastFadeStopsWhenThePopupClosesInTheMiddle) {
    for (const bool deleted : {false, true}) {  // a click, or the host deleting the control too
        QWidget host;
        auto* c = new PelGlimmertip(&host);
        c->SetFadeDelay(5);
        steps.clear();
        onStep = [&] {
            if (steps.size() == 50) {
                Tip().CloseIfClickCloses();
                deleted ? delete c : void();
            }
        };
        c->Show(u"Fast_closed early"_s);
        EXPECT_TRUE(steps.size() == 50 && !modGlimmertip::TipWindow()) << steps.size();
    }
}

class PopupControl : public TipTest {
protected:
    // The popup at a fixed place, as the control shows it.
    wGlimmertip& Show(const QString& text, qint32 icon = 0) {
        c.SetPositionAtCursor(false);
        c.Show(text, icon, 1500, 1500);
        return Tip();
    }
    QWidget host;
    PelGlimmertip c{&host};
};

TEST_F(PopupControl, ShowTakesTextIconAndPlaceFromArgumentsOrPropertiesAndFocusOrAClickCloses) {
    QCursor::setPos(300, 200);
    c.SetTitle(u"Title"_s);
    c.SetBody(u"Body"_s);
    c.SetIcon(PelGlimmertip::tipGlobe);
    // The text argument wins over Title and Body; icon 0 takes the Icon property.
    c.Show(u"Save Changes_Clicking here saves."_s);
    wGlimmertip& w = Tip();
    EXPECT_EQ(w.labTitle->text(), u"Save Changes"_s);
    EXPECT_TRUE(w.imgInfo(PelGlimmertip::tipGlobe)->isVisibleTo(&w));
    const QPoint atCursor(w.Left(), w.Top());
    EXPECT_FALSE(w.tmrAutoClose.isActive());  // the control's popups never close by themselves
    c.Show(QString(), PelGlimmertip::tipKey, 3000, 2000);
    EXPECT_EQ(w.labTitle->text() + w.labBody->text(), u"TitleBody"_s);
    EXPECT_TRUE(w.imgInfo(PelGlimmertip::tipKey)->isVisibleTo(&w));
    // Positions count only without PositionAtCursor; there 0 takes the property's, 1 is kept.
    EXPECT_EQ(QPoint(w.Left(), w.Top()), atCursor);
    c.SetPositionAtCursor(false), c.SetX(1500), c.SetY(1200);
    c.Show(QString(), 0, 1, 0);
    EXPECT_EQ(QPoint(w.Left(), w.Top()), QPoint(1, 1200));

    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(&c, &out);
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
    QTest::mouseClick(Show(u"Click_closes"_s).labBody, Qt::LeftButton);  // a click too, by default
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);

    // Errors reach the caller once, the popup made but not shown.
    c.Show(u"x_y"_s, 33);
    EXPECT_EQ(c.GetErrorInfo().value(u"Number"_s).toInt(), 340);
    EXPECT_TRUE(c.GetErrorInfo().isEmpty() && !Tip().isVisible());
}

TEST_F(PopupControl, SplitsTheTextAtTheFirstUnderscoreAndBreaksLinesAtBars) {
    const std::array<QString, 3> cases[] = {
        {u"Two|lines_First||Second_part"_s, u"Two\nlines"_s, u"First\n\nSecond_part"_s},
        // Without "_" the title stays as it was.
        {u"Only body"_s, u"Two\nlines"_s, u"Only body"_s},
        {u"_No title"_s, QString(), u"No title"_s},
        // Text is never taken for markup.
        {u"<b>x</b>_<img src=\"/etc/passwd\">"_s, u"<b>x</b>"_s, u"<img src=\"/etc/passwd\">"_s},
    };
    for (const auto& [text, title, body] : cases) {
        wGlimmertip& w = Show(text);
        EXPECT_EQ(w.labTitle->text(), title) << text.toStdString();
        EXPECT_EQ(w.labBody->text(), body) << text.toStdString();
        EXPECT_EQ(w.labTitle->textFormat() | w.labBody->textFormat(), Qt::PlainText);
    }

    // An empty text shows nothing at all.
    modGlimmertip::DestroyTipWindow();
    std::uint8_t opacity = 255;
    modGlimmertip::ShowTipWindow({}, opacity);
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
}

TEST_F(PopupControl, SizesItselfToItsTextsAndShowsOneIconOrNone) {
    wGlimmertip& w = Show(
        u"Sections_This area contains the sections available for "
        "customisation in a grouped order."_s);
    // A long body wraps inside the window, which grows down to hold it.
    EXPECT_GT(w.labBody->height(), w.labBody->fontMetrics().height());
    EXPECT_LT(w.labBody->geometry().bottom(), w.height());
    // A title is never cut at the right: a wide one widens the window.
    for (int length = 20; length <= 60; length += 4) {
        Show(QString(length, u'n') + u"_b"_s, PelGlimmertip::tipCritical);
        EXPECT_LT(w.labTitle->geometry().right(), w.width()) << length;
        EXPECT_LT(w.labBody->geometry().right(), w.width()) << length;
    }
    // One icon at a time: the first show's (the control's default) is gone under the next one.
    EXPECT_FALSE(w.imgInfo(PelGlimmertip::tipInformation)->isVisibleTo(&w));

    const int besideIcon = w.labTitle->x();
    EXPECT_GT(besideIcon, w.imgInfo(3)->geometry().right());
    Show(u"None_no icon"_s, PelGlimmertip::tipNone);
    EXPECT_LT(w.labTitle->x(), besideIcon);
    for (int i = 0; i < wGlimmertip::kIconCount; ++i) {
        EXPECT_FALSE(w.imgInfo(i)->isVisibleTo(&w)) << i;
    }
    // The next show with an icon puts the title back beside it.
    Show(u"Back_again"_s, PelGlimmertip::tipTick);
    EXPECT_EQ(w.labTitle->x(), besideIcon);
    EXPECT_TRUE(w.imgInfo(PelGlimmertip::tipTick)->isVisibleTo(&w));
}

// Kept inside the screen's right and bottom edges, the cursor inside it, so moving off closes it.
TEST_F(PopupControl, OpensAtTheCursorAndStaysOnTheScreen) {
    const QRect screen(QPoint(0, 0), QSize(1024, 768));
    for (const QPoint at : {QPoint(100, 100), QPoint(1000, 700), QPoint(1020, 20)}) {
        QCursor::setPos(at);
        c.Show(u"Edge_Near the corner"_s);
        EXPECT_TRUE(screen.contains(Tip().frameGeometry())) << at.x() << "," << at.y();
        EXPECT_TRUE(Tip().frameGeometry().contains(at)) << at.x() << "," << at.y();
    }
}

// A scheme number outside the list paints like the first scheme; each one inside has its own. A
// colour given replaces its scheme's; none (0, else black) keeps it.
TEST_F(PopupControl, ColoursComeFromTheSchemeUnlessGiven) {
    const auto colours = [](long scheme) { return modGlimmertip::ColoursOfScheme(scheme); };
    const modGlimmertip::SchemeColours lime = colours(PelGlimmertip::tipLime);
    for (const long scheme : {-1L, 1L, 7L, 8L}) {
        EXPECT_EQ(colours(scheme).Title == colours(0).Title, scheme < 1 || scheme > 7) << scheme;
    }
    for (const quint32 given : {0u, platform::RGB(1, 2, 3)}) {
        c.SetScheme(PelGlimmertip::tipLime), c.SetTitleColor(given), c.SetBodyColor(given);
        const wGlimmertip& w = Show(u"A_b"_s);
        const auto [title, body] = given ? modGlimmertip::SchemeColours{given, given} : lime;
        EXPECT_EQ(w.palette().window().color(), platform::ToQColor(body));
        EXPECT_EQ(w.labHeader->palette().window().color(), platform::ToQColor(title));
    }
}

// Hosts reach members by name: every property and method has an id of its own, nothing else one.
TEST_F(PopupControl, HostsFindEveryMemberByNameAndNothingElse) {
    const QMetaObject* meta = c.metaObject();
    QStringList names{u"Show"_s, u"About"_s};
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        names << QString::fromLatin1(meta->property(i).name());
    }
    QSet<int> ids;
    for (const QString& name : names) {
        ids << c.GetIDsOfNames(name);
    }
    EXPECT_TRUE(ids.size() == names.size() && !ids.contains(-1));
    EXPECT_EQ(c.GetIDsOfNames(u"Vanish"_s), -1);
}

// The component's About box is modal and closes with its button.
TEST_F(PopupControl, AboutShowsTheComponentsBoxModally) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<Tolv_Glimmertip::wAbout*>(QApplication::activeModalWidget());
        shown = about && about->isVisible();
        if (about) {
            about->cmdClose->click();
        }
    });
    c.About();
    EXPECT_TRUE(shown && !QApplication::activeModalWidget());
}

// Registering or unregistering twice changes nothing; unregistering leaves the other classes.
TEST(Registration, KeepsOtherClassesAndTheLibraryWhileAControlLives) {
    QTemporaryDir dir;  // never the user's own registry
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    ASSERT_TRUE(reg::RegistryFile().startsWith(dir.path()));
    ASSERT_TRUE(reg::RegisterClass({u"{1}"_s, u"Other.Thing"_s, u"/opt/other.so"_s, {}, u"2.0"_s}));
    const QString progId = QString::fromLatin1(GlimmertipIds::kProgID);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(DllRegisterServer() == reg::S_OK && reg::FindByProgId(progId).has_value());
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(DllUnregisterServer() == reg::S_OK && !reg::FindByProgId(progId).has_value());
        EXPECT_EQ(reg::FindByProgId(u"Other.Thing"_s)->Library, u"/opt/other.so"_s);
    }

    QObject* factory = nullptr;
    EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", &factory),
              reg::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(DllGetClassObject(GlimmertipIds::kCLSID_PelGlimmertip, nullptr), reg::E_POINTER);
    ASSERT_EQ(DllGetClassObject(GlimmertipIds::kCLSID_PelGlimmertip, &factory), reg::S_OK);
    QWidget host;
    QObject* made = nullptr;
    ASSERT_TRUE(QMetaObject::invokeMethod(factory, "CreateInstance", Q_RETURN_ARG(QObject*, made),
                                          Q_ARG(QObject*, &host)));
    EXPECT_EQ(DllCanUnloadNow(), reg::S_FALSE);
    qobject_cast<PelGlimmertip*>(made)->Show(u"Counted_too"_s);
    delete made;
    EXPECT_EQ(DllCanUnloadNow(), reg::S_OK);  // the last control took its popup along
}

}  // namespace
