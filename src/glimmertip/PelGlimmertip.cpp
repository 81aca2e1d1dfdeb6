#include "glimmertip/PelGlimmertip.h"

#include "glimmertip/GlimmertipIds.h"
#include "glimmertip/LiveObjects.h"
#include "glimmertip/modAPI.h"
#include "glimmertip/modGlimmertip.h"
#include "glimmertip/wAbout.h"
#include "platform/RuntimeError.h"

#include <QPainter>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

int& ControlCount() {
    static int count = 0;
    return count;
}

}  // namespace

PelGlimmertip::PelGlimmertip(QWidget* parent) : QWidget(parent) {
    LiveObjects::Created();
    ++ControlCount();
    // The face is a small picture of fixed size, whatever size the host gives it.
    setFixedSize(16, 16);
    setFocusPolicy(Qt::ClickFocus);
    setToolTip(u"Glimmertip"_s);

    SetScheme(tipBanana);
    SetFillStyle(1);
    SetBorderColor(platform::RGB(0, 0, 0));
    SetBorderStyle(1);
    SetOpacity(255);
    SetFadeDelay(0);
    SetPositionAtCursor(true);
    SetCloseOnMouseMove(true);
    SetCloseOnMouseClick(true);
    SetCanFade(modAPI::DrawsTranslucent());
}

PelGlimmertip::~PelGlimmertip() {
    // The popup belongs to the controls; without one left its code may soon be unloaded.
    if (--ControlCount() == 0) {
        modGlimmertip::DestroyTipWindow();
    }
    LiveObjects::Destroyed();
}

void PelGlimmertip::SetScheme(Scheme_t value) {
    scheme_ = value;
    const modGlimmertip::SchemeColours colours = modGlimmertip::ColoursOfScheme(value);
    titleColor_ = colours.Title;
    bodyColor_ = colours.Body;
}

void PelGlimmertip::ShowOrThrow(const QString& sText, qint32 IconType, qint32 lX, qint32 lY) {
    modGlimmertip::TipRequest r;
    r.Text = sText.isEmpty() ? Title() + u'_' + Body() : sText;
    r.Icon = IconType != 0 ? IconType : Icon();
    r.X = lX != 0 ? lX : X();
    r.Y = lY != 0 ? lY : Y();
    r.PositionAtCursor = PositionAtCursor();
    r.Scheme = Scheme();
    r.BorderStyle = BorderStyle();
    r.FillStyle = FillStyle();
    r.FillColor = FillColor();
    r.TitleColor = TitleColor();
    r.BodyColor = BodyColor();
    r.BorderColor = BorderColor();
    r.BodyWidth = 200;
    r.WidenToTitle = true;
    r.FadeDelay = FadeDelay();
    r.CloseOnMouseMove = CloseOnMouseMove();
    r.CloseOnMouseClick = CloseOnMouseClick();
    r.AutoCloseTime = 0;
    // The show may let events run that delete this control: nothing of it is used afterwards.
    modGlimmertip::ShowTipWindow(r, opacity_);
}

void PelGlimmertip::Show(const QString& sText, qint32 IconType, qint32 lX, qint32 lY) {
    errorInfo_.clear();
    try {
        ShowOrThrow(sText, IconType, lX, lY);
    } catch (const platform::RuntimeError& e) {
        // Exceptions do not cross the meta-object call into a host.
        errorInfo_ = {{u"Number"_s, qlonglong(e.Number())},
                      {u"Source"_s, e.Source()},
                      {u"Description"_s, e.Description()}};
    }
}

void PelGlimmertip::About() {
    Tolv_Glimmertip::wAbout about(window());
    about.exec();
}

QVariantMap PelGlimmertip::GetErrorInfo() {
    return std::exchange(errorInfo_, {});
}

int PelGlimmertip::GetIDsOfNames(const QString& name) const {
    using namespace GlimmertipIds;
    static const QHash<QString, int> ids = {
        {u"X"_s, DISPID_X},
        {u"Y"_s, DISPID_Y},
        {u"PositionAtCursor"_s, DISPID_PositionAtCursor},
        {u"Scheme"_s, DISPID_Scheme},
        {u"Icon"_s, DISPID_Icon},
        {u"Title"_s, DISPID_Title},
        {u"Body"_s, DISPID_Body},
        {u"CanFade"_s, DISPID_CanFade},
        {u"BorderStyle"_s, DISPID_BorderStyle},
        {u"FillStyle"_s, DISPID_FillStyle},
        {u"FillColor"_s, DISPID_FillColor},
        {u"TitleColor"_s, DISPID_TitleColor},
        {u"BodyColor"_s, DISPID_BodyColor},
        {u"BorderColor"_s, DISPID_BorderColor},
        {u"Opacity"_s, DISPID_Opacity},
        {u"Fade"_s, DISPID_Fade},
        {u"FadeDelay"_s, DISPID_FadeDelay},
        {u"CloseOnMouseMove"_s, DISPID_CloseOnMouseMove},
        {u"CloseOnMouseClick"_s, DISPID_CloseOnMouseClick},
        {u"Show"_s, DISPID_Show},
        {u"About"_s, DISPID_ABOUTBOX},
    };
    return ids.value(name, -1);
}

void PelGlimmertip::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    modGlimmertip::CloseTipWindow();
}

void PelGlimmertip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, QPixmap(u":/glimmertip/face.png"_s));
}
