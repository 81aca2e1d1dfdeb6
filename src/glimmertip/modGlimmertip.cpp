#include "glimmertip/modGlimmertip.h"

#include "glimmertip/TipShapes.h"
#include "glimmertip/modAPI.h"
#include "glimmertip/wGlimmertip.h"
#include "platform/RuntimeError.h"
#include "platform/Twips.h"
#include "platform/gui/WindowPos.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

using namespace Qt::StringLiterals;
using platform::PixelsToTwips;
using platform::RGB;

namespace modGlimmertip {
namespace {

QPointer<wGlimmertip>& SharedWindow() {
    static QPointer<wGlimmertip> window;
    return window;
}

Desktop& Installed() {
    static Desktop desktop;
    return desktop;
}

constexpr long kTitleLeft = 375;
constexpr long kTitleLeftWithoutIcon = 75;
// Right of the body text, as the designed layout leaves it: 3275 wide, body 60 in, 3100 wide.
constexpr long kBodyRightMargin = 115;
// Below the popup for a task bar at the bottom of the screen.
constexpr long kTaskBarClearance = 600;
constexpr long kLargestTimerInterval = 65535;

constexpr SchemeColours kSchemes[] = {
    {RGB(255, 255, 128), RGB(255, 255, 225)},  // tipBanana
    {RGB(255, 128, 128), RGB(255, 225, 225)},  // tipStrawberry
    {RGB(255, 192, 128), RGB(255, 225, 192)},  // tipOrange
    {RGB(128, 255, 128), RGB(192, 255, 192)},  // tipLime
    {RGB(255, 128, 255), RGB(255, 192, 255)},  // tipPlum
    {RGB(128, 128, 255), RGB(192, 192, 255)},  // tipBlueberry
    {RGB(128, 255, 255), RGB(192, 255, 255)},  // tipIceberry
    {RGB(192, 192, 192), RGB(225, 225, 225)},  // tipStormyWeather
};

void SetBackground(QWidget& widget, platform::OleColor colour) {
    QPalette p = widget.palette();
    p.setColor(QPalette::Window, platform::ToQColor(colour));
    widget.setPalette(p);
}

// A timer takes 0 to 65535 ms, as the platform's timers do.
void CheckInterval(long milliseconds) {
    if (milliseconds < 0 || milliseconds > kLargestTimerInterval) {
        throw platform::RuntimeError(380, u"wGlimmertip"_s, u"Invalid property value"_s);
    }
}

void FadeIn(wGlimmertip& window, long fadeDelay, std::uint8_t& opacity, long x, long y) {
    if (!modAPI::DrawsTranslucent()) {
        window.Move(x, y);
        window.Tag = QString::number(opacity);
        PutTopMost(window, true);
        return;
    }
    CheckInterval(fadeDelay);
    window.tmrFade.setInterval(int(fadeDelay));
    if (fadeDelay >= 1 && fadeDelay <= 29) {
        if (opacity == 0) {
            opacity = 255;
        }
        // The pumped events may delete the control that holds opacity, or close the window.
        const int target = opacity;
        QPointer<wGlimmertip> alive(&window);
        MakeLayered(window);
        SetWindowOpacity(window, 0);
        ShowTopMostNoActivate(window, true);
        for (int alpha = 1; alpha <= target; ++alpha) {
            SetWindowOpacity(window, alpha);
            DoEvents();
            if (!alive || window.Unloading()) {
                return;
            }
        }
    } else if (fadeDelay >= 30) {
        if (opacity == 0) {
            opacity = 255;
        }
        MakeLayered(window);
        SetWindowOpacity(window, 0);
        window.Tag = QString::number(opacity);
        window.FadeCounter = u"0"_s;
        window.tmrFade.start();
    } else if (opacity > 0) {
        MakeLayered(window);
        SetWindowOpacity(window, opacity);
    }
}

}  // namespace

SchemeColours ColoursOfScheme(long scheme) {
    return kSchemes[scheme >= 1 && scheme <= 7 ? scheme : 0];
}

wGlimmertip* TipWindow() {
    wGlimmertip* window = SharedWindow();
    return window && !window->Unloading() ? window : nullptr;
}

void CloseTipWindow() {
    if (wGlimmertip* window = TipWindow()) {
        window->Unload();
    }
}

void DestroyTipWindow() {
    delete SharedWindow().data();
}

void ApplyScheme(wGlimmertip& window, long scheme) {
    const SchemeColours colours = ColoursOfScheme(scheme);
    SetBackground(*window.labHeader, colours.Title);
    SetBackground(window, colours.Body);
}

void ShowTipWindow(const TipRequest& r, std::uint8_t& opacity) {
    if (r.Text.isEmpty()) {
        return;
    }

    long x = r.X;
    long y = r.Y;
    if (r.PositionAtCursor) {
        const QPoint cursor = GetCursorPos();
        x = PixelsToTwips(cursor.x()) - 30;
        y = PixelsToTwips(cursor.y()) - 30;
    }

    wGlimmertip* w = TipWindow();
    if (!w) {
        w = new wGlimmertip;
        SharedWindow() = w;
    }

    const auto lines = [](QString text) { return text.replace(u'|', u'\n'); };
    const qsizetype split = r.Text.indexOf(u'_');
    if (split >= 0) {
        const QString title = lines(r.Text.left(split));
        w->SetTexts(&title, lines(r.Text.mid(split + 1)));
    } else {
        w->SetTexts(nullptr, lines(r.Text));
    }

    // Back in its place after a show without an icon, or the title would cover the icon.
    w->SetTitleLeft(r.Icon == wGlimmertip::kNoIcon ? kTitleLeftWithoutIcon : kTitleLeft);
    w->SetBodyWidth(r.BodyWidth * 15 + 100);

    const auto fitHeight = [w] {
        const wGlimmertip::LabelTwips title = w->TitleTwips();
        return title.Top + title.Height + w->BodyTwips().Height + 195;
    };
    long width = w->BodyTwips().Left + r.BodyWidth * 15 + 215;
    w->SetSize(width, fitHeight());

    // A title that would be cut at the right edge widens the window; the body keeps its margin.
    const wGlimmertip::LabelTwips title = w->TitleTwips();
    if (r.WidenToTitle && title.Left + title.Width > w->Width()) {
        width = title.Left + title.Width + 215;
        w->SetBodyWidth(width - w->BodyTwips().Left - kBodyRightMargin);
        w->SetSize(width, fitHeight());
    }

    ApplyScheme(*w, r.Scheme);
    if (r.TitleColor != 0) {
        SetBackground(*w->labHeader, r.TitleColor);
    }
    if (r.BodyColor != 0) {
        SetBackground(*w, r.BodyColor);
    }

    QLabel* icon = w->imgInfo(r.Icon);
    if (!icon) {
        throw platform::RuntimeError(
            340, u"wGlimmertip"_s,
            u"Control array element '"_s + QString::number(r.Icon) + u"' doesn't exist"_s);
    }
    // One icon at a time: an icon of an earlier show would show through this one.
    for (long i = 0; i < wGlimmertip::kIconCount; ++i) {
        w->imgInfo(i)->setVisible(i == r.Icon);
    }
    icon->setVisible(true);

    w->shpBorder->BorderStyle = r.BorderStyle;
    w->shpBorder->FillStyle = r.FillStyle;
    w->shpBorder->FillColor = r.FillColor;
    w->shpBorder->BorderColor = r.BorderColor;
    w->shpBorder->update();
    w->linLine->BorderColor = r.BorderColor;
    w->linLine->BorderStyle = r.BorderStyle;

    const QRect band = w->labHeader->geometry();
    w->labHeader->setGeometry(band.x(), band.y(), w->width(), band.height());
    const QLine line = w->linLine->Twips();
    w->linLine->SetTwips(QLine(line.p1(), QPoint(int(w->Width()), line.y2())));

    if (r.AutoCloseTime > 0) {
        CheckInterval(r.AutoCloseTime);
        w->tmrAutoClose.setInterval(int(r.AutoCloseTime));
        w->tmrAutoClose.start();
    }

    const QSize screen = ScreenPixels();
    if (x + w->Width() > PixelsToTwips(screen.width())) {
        x = x - w->Width() + 100;
    }
    if (y + w->Height() + kTaskBarClearance > PixelsToTwips(screen.height())) {
        y = y - w->Height() + 100;
    }

    // Placed before it shows as well, so that it never appears where it was before.
    w->Move(x, y);
    ShowTopMostNoActivate(*w, true);
    w->Move(x, y);

    QPointer<wGlimmertip> alive(w);
    FadeIn(*w, r.FadeDelay, opacity, x, y);
    if (!alive || w->Unloading()) {
        return;
    }
    w->chkCloseOnMouseClick->setChecked(r.CloseOnMouseClick);
    if (r.CloseOnMouseMove) {
        w->tmrClose.start();
    } else {
        w->tmrClose.stop();
    }
}

void MakeLayered(wGlimmertip& window) {
    window.SetLayered();
}

void SetWindowOpacity(wGlimmertip& window, int alpha) {
    // Only a layered window has an opacity of its own.
    if (window.IsLayered()) {
        window.setWindowOpacity(qBound(0, alpha, 255) / 255.0);
    }
}

void ShowTopMostNoActivate(QWidget& window, bool topMost) {
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    PutTopMost(window, topMost);
}

void PutTopMost(QWidget& window, bool topMost) {
    platform::SetWindowPos(&window, topMost ? platform::HWND_TOPMOST : platform::HWND_NOTOPMOST, 0,
                           0, 0, 0,
                           platform::SWP_NOACTIVATE | platform::SWP_NOMOVE | platform::SWP_NOSIZE);
    window.raise();
}

void DoEvents() {
    if (Installed().PumpEvents) {
        Installed().PumpEvents();
    } else {
        QCoreApplication::processEvents();
    }
}

QPoint GetCursorPos() {
    return Installed().CursorPos ? Installed().CursorPos() : QCursor::pos();
}

QSize ScreenPixels() {
    if (Installed().ScreenPixels) {
        return Installed().ScreenPixels();
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

void SetDesktop(Desktop desktop) {
    Installed() = std::move(desktop);
}

}  // namespace modGlimmertip
