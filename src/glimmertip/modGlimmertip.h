#pragma once

#include "platform/OleColor.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class wGlimmertip;

// Filling, placing, fading and closing the one popup window of the process.
namespace modGlimmertip {

using platform::OleColor;

struct SchemeColours {
    OleColor Title;  // the header band
    OleColor Body;   // the window
};
// Values outside 1..7 give the first scheme's colours.
SchemeColours ColoursOfScheme(long scheme);

// Everything a show takes, in the order the control hands it over.
struct TipRequest {
    QString Text;  // title "_" body; "|" breaks a line
    long Icon = 0;
    long X = 0;  // twips
    long Y = 0;
    bool PositionAtCursor = true;
    long Scheme = 0;
    long BorderStyle = 1;
    long FillStyle = 1;
    OleColor FillColor = 0;
    OleColor TitleColor = 0;
    OleColor BodyColor = 0;
    OleColor BorderColor = 0;
    long BodyWidth = 200;  // pixels
    bool WidenToTitle = true;
    long FadeDelay = 0;  // ms
    bool CloseOnMouseMove = true;
    bool CloseOnMouseClick = true;
    long AutoCloseTime = 0;  // ms; 0 never
};

// Fills the popup, sizes and places it, shows it without taking the focus and fades it in.
// opacity may be rewritten from 0 to 255. Raises platform::RuntimeError for an icon number
// without an image and for a fade delay no timer takes; an empty text shows nothing.
void ShowTipWindow(const TipRequest& request, std::uint8_t& opacity);

// The open popup, or null; one that is closing no longer counts.
wGlimmertip* TipWindow();
// Starts closing the popup (with its fade-out); nothing when none is open.
void CloseTipWindow();
// Destroys the popup at once, without a fade-out: for when its owners are going away.
void DestroyTipWindow();

// Sets the scheme's colours on the popup.
void ApplyScheme(wGlimmertip& window, long scheme);

// The platform's window calls, as the fades use them.
void MakeLayered(wGlimmertip& window);
void SetWindowOpacity(wGlimmertip& window, int alpha);
void ShowTopMostNoActivate(QWidget& window, bool topMost);
void PutTopMost(QWidget& window, bool topMost);

// Lets pending window events run, between the steps of the fast fade-in and the fade-out.
void DoEvents();

// The platform, as the popup sees it; tests put in their own. Empty functions restore the
// real ones.
struct Desktop {
    std::function<QPoint()> CursorPos;    // pixels
    std::function<QSize()> ScreenPixels;  // the primary screen's size
    std::function<void()> PumpEvents;     // what DoEvents runs
};
QPoint GetCursorPos();
QSize ScreenPixels();
void SetDesktop(Desktop desktop);

}  // namespace modGlimmertip
