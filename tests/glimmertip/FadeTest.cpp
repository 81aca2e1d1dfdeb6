#include "TipFixture.h"
#include "glimmertip/PelGlimmertip.h"
#include "platform/gui/WindowPos.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

std::vector<int> Count(int from, int to) {
    std::vector<int> values;
    for (int v = from; from <= to ? v <= to : v >= to; from <= to ? ++v : --v) {
        values.push_back(v);
    }
    return values;
}

class Fade : public TipTest {
protected:
    wGlimmertip& Show(long fadeDelay, std::uint8_t& opacity, bool closeOnMove = true,
                      bool closeOnClick = true, long autoClose = 0) {
        modGlimmertip::TipRequest r;
        r.Text = u"Fade_A popup that fades."_s;
        r.FadeDelay = fadeDelay;
        r.CloseOnMouseMove = closeOnMove;
        r.CloseOnMouseClick = closeOnClick;
        r.AutoCloseTime = autoClose;
        modGlimmertip::ShowTipWindow(r, opacity);
        return Tip();
    }
};

TEST_F(Fade, WithoutDelayTheOpacityIsSetAtOnceAndClosingDoesNotFade) {
    std::uint8_t opacity = 255;
    wGlimmertip& w = Show(0, opacity);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(platform::IsTopMost(&w));
    EXPECT_TRUE(w.IsLayered());
    EXPECT_EQ(Alpha(w), 255);
    EXPECT_TRUE(steps.empty());

    opacity = 128;
    Show(0, opacity);
    EXPECT_NEAR(w.windowOpacity(), 128 / 255.0, 1 / 255.0);

    QPointer<wGlimmertip> gone = &w;
    Close(w);
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(gone.isNull());

    // Opacity 0 leaves a fresh popup unlayered and opaque.
    opacity = 0;
    wGlimmertip& fresh = Show(0, opacity);
    EXPECT_FALSE(fresh.IsLayered());
    EXPECT_EQ(Alpha(fresh), 255);
    EXPECT_EQ(opacity, 0);
}

TEST_F(Fade, AFastFadeRunsFromOneToTheOpacityBeforeShowReturns) {
    QWidget host;
    PelGlimmertip c(&host);
    c.SetOpacity(0);
    c.SetFadeDelay(10);
    c.Show(u"Fast_fade"_s);
    EXPECT_EQ(c.Opacity(), 255);
    EXPECT_EQ(steps, Count(1, 255));
    EXPECT_EQ(Alpha(Tip()), 255);
    EXPECT_TRUE(Tip().Tag.isEmpty());

    // A fast fade leaves nothing to fade out.
    steps.clear();
    Close(Tip());
    EXPECT_TRUE(steps.empty());
}

TEST_F(Fade, ATimedFadeStepsOnEveryTickAndFadesOutFromItsTarget) {
    std::uint8_t opacity = 200;
    wGlimmertip& w = Show(30, opacity);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Alpha(w), 0);
    EXPECT_TRUE(w.tmrFade.isActive());
    EXPECT_EQ(w.tmrFade.interval(), 30);
    EXPECT_EQ(w.Tag, u"200"_s);

    for (int tick = 1; tick <= 200; ++tick) {
        ASSERT_TRUE(w.tmrFade.isActive()) << tick;
        w.tmrFade_Timer();
        ASSERT_EQ(Alpha(w), tick);
    }
    EXPECT_FALSE(w.tmrFade.isActive());
    EXPECT_EQ(w.FadeCounter, u"200"_s);

    Close(w);
    EXPECT_EQ(steps, Count(200, 0));

    // Opacity 0 fades to 255, written back to the caller.
    opacity = 0;
    EXPECT_EQ(Show(45, opacity).Tag, u"255"_s);
    EXPECT_EQ(opacity, 255);
}

TEST_F(Fade, AnOlderPlatformShowsThePopupOpaqueWhateverTheFade) {
    platform::OverrideOsVersion(platform::OsVersion{4, 0});
    for (const long delay : {0L, 10L, 30L}) {
        std::uint8_t opacity = 100;
        wGlimmertip& w = Show(delay, opacity);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(platform::IsTopMost(&w));
        EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_FALSE(w.IsLayered());
        EXPECT_EQ(Alpha(w), 255);
        EXPECT_FALSE(w.tmrFade.isActive());
        EXPECT_TRUE(steps.empty()) << delay;
        // A tag is kept, but there is no fade-out.
        EXPECT_EQ(w.Tag, u"100"_s);
        Close(w);
        EXPECT_TRUE(steps.empty()) << delay;
    }
}

TEST_F(Fade, TheCursorLeavingAClickOrTheTimeCloseThePopup) {
    std::uint8_t opacity = 255;
    QCursor::setPos(400, 300);
    wGlimmertip& w = Show(0, opacity);
    ASSERT_TRUE(w.tmrClose.isActive());
    w.tmrClose_Timer();
    EXPECT_EQ(modGlimmertip::TipWindow(), &w);
    // The edge counts as outside.
    QCursor::setPos(w.frameGeometry().left(), 300);
    w.tmrClose_Timer();
    EXPECT_FALSE(w.tmrClose.isActive());
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Without close-on-move no watch runs; without close-on-click a click does nothing.
    QCursor::setPos(400, 300);
    wGlimmertip& still = Show(0, opacity, false, false);
    EXPECT_FALSE(still.tmrClose.isActive());
    EXPECT_FALSE(still.chkCloseOnMouseClick->isChecked());
    QTest::mouseClick(still.labTitle, Qt::LeftButton);
    EXPECT_EQ(modGlimmertip::TipWindow(), &still);
    // With it, a click on the icon closes it.
    Show(0, opacity, false, true);
    QTest::mouseClick(still.imgInfo(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    wGlimmertip& timed = Show(0, opacity, false, false, 1500);
    EXPECT_TRUE(timed.tmrAutoClose.isActive());
    EXPECT_EQ(timed.tmrAutoClose.interval(), 1500);
    timed.tmrAutoClose_Timer();
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
}

TEST_F(Fade, ACloseRequestDuringTheFadeOutIsIgnored) {
    std::uint8_t opacity = 60;
    wGlimmertip& w = Show(30, opacity);
    for (int tick = 0; tick < 60; ++tick) {
        w.tmrFade_Timer();
    }
    QSignalSpy destroyed(&w, &QObject::destroyed);
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
    Close(w);
    EXPECT_EQ(steps, Count(60, 0));
    EXPECT_EQ(destroyed.count(), 1);
}

TEST_F(Fade, AShowDuringTheFadeOutOpensAFreshPopup) {
    std::uint8_t opacity = 20;
    wGlimmertip& w = Show(30, opacity);
    QPointer<wGlimmertip> fresh;
    onStep = [&] {
        if (!fresh) {
            std::uint8_t full = 255;
            modGlimmertip::TipRequest r;
            r.Text = u"New_popup"_s;
            modGlimmertip::ShowTipWindow(r, full);
            fresh = modGlimmertip::TipWindow();
        }
    };
    Close(w);
    ASSERT_FALSE(fresh.isNull());
    EXPECT_NE(fresh.data(), closing.data());
    EXPECT_TRUE(closing.isNull());
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(fresh->labTitle->text(), u"New"_s);
}

TEST_F(Fade, AFastFadeStopsWhenThePopupClosesInTheMiddle) {
    QWidget host;
    auto* c = new PelGlimmertip(&host);
    c->SetFadeDelay(5);
    onStep = [&] {
        if (steps.size() == 50) {
            // A click, and the host deleting the control, while the fade pumps events.
            Tip().CloseIfClickCloses();
            delete c;
        }
    };
    c->Show(u"Fast_closed early"_s);
    EXPECT_EQ(steps.size(), 50u);
    EXPECT_EQ(modGlimmertip::TipWindow(), nullptr);
}

}  // namespace
