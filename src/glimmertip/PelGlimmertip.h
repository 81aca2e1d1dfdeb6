#pragma once

#include "platform/OleColor.h"

#include <QVariantMap>
#include <QWidget>

#include <cstdint>

// The popup control: a holder of popup settings that a host places on a window. Show opens the
// process's one popup window with them. Hosts that do not link the library reach every member
// through the meta-object system by the names below.
class PelGlimmertip : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("ProgID", "Tolv_Glimmertip.PelGlimmertip")
    Q_CLASSINFO("ClassID", "{B96C8455-5175-4FE6-9570-FB4CA6671E1E}")
    Q_CLASSINFO("InterfaceID", "{8FF2F1A6-20B0-4D83-8C9F-180E630ABE28}")
    Q_CLASSINFO("EventsID", "{FA72966D-DDE5-4FEB-A348-EAE429D3E865}")

public:
    enum KorGlimmertipSchemeOCXENum : int {
        tipBanana = 0,
        tipStrawberry = 1,
        tipOrange = 2,
        tipLime = 3,
        tipPlum = 4,
        tipBlueberry = 5,
        tipIceberry = 6,
        tipStormyWeather = 7,
    };
    Q_ENUM(KorGlimmertipSchemeOCXENum)

    enum KorGlimmertipIconUserCtrlENum : int {
        tipNone = 99,
        tipInformation = 0,
        tipQuestion = 1,
        tipExclamation = 2,
        tipCritical = 3,
        tipPapers = 4,
        tipFolder = 5,
        tipGlobe = 6,
        tipKey = 7,
        tipMagnifyGlass = 8,
        tipPadlock = 9,
        tipEmail = 10,
        tipPieChart = 11,
        tipRecycleBin = 12,
        tipSpeaker = 13,
        tipStar = 14,
        tipUsers = 15,
        tipRedo = 16,
        tipAddressBook = 17,
        tipComputers = 18,
        tipMouse = 19,
        tipSettings = 20,
        tipMSN1 = 21,
        tipMSN2 = 22,
        tipBackup = 23,
        tipIE = 24,
        tipEject = 25,
        tipLightbulb = 26,
        tipPicture = 27,
        tipRAM = 28,
        tipSmiley = 29,
        tipUndo = 30,
        tipWindow = 31,
        tipTick = 32,
    };
    Q_ENUM(KorGlimmertipIconUserCtrlENum)

    using Scheme_t = KorGlimmertipSchemeOCXENum;
    using Icon_t = KorGlimmertipIconUserCtrlENum;

    // clang-format off
    Q_PROPERTY(qint32 X READ X WRITE SetX)
    Q_PROPERTY(qint32 Y READ Y WRITE SetY)
    Q_PROPERTY(bool PositionAtCursor READ PositionAtCursor WRITE SetPositionAtCursor)
    Q_PROPERTY(KorGlimmertipSchemeOCXENum Scheme READ Scheme WRITE SetScheme)
    Q_PROPERTY(KorGlimmertipIconUserCtrlENum Icon READ Icon WRITE SetIcon)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(QString Body READ Body WRITE SetBody)
    Q_PROPERTY(bool CanFade READ CanFade WRITE SetCanFade)
    Q_PROPERTY(qint32 BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(qint32 FillStyle READ FillStyle WRITE SetFillStyle)
    Q_PROPERTY(quint32 FillColor READ FillColor WRITE SetFillColor)
    Q_PROPERTY(quint32 TitleColor READ TitleColor WRITE SetTitleColor)
    Q_PROPERTY(quint32 BodyColor READ BodyColor WRITE SetBodyColor)
    Q_PROPERTY(quint32 BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(quint8 Opacity READ Opacity WRITE SetOpacity)
    Q_PROPERTY(bool Fade READ Fade WRITE SetFade)
    Q_PROPERTY(qint32 FadeDelay READ FadeDelay WRITE SetFadeDelay)
    Q_PROPERTY(bool CloseOnMouseMove READ CloseOnMouseMove WRITE SetCloseOnMouseMove)
    Q_PROPERTY(bool CloseOnMouseClick READ CloseOnMouseClick WRITE SetCloseOnMouseClick)
    // clang-format on

public:
    explicit PelGlimmertip(QWidget* parent = nullptr);
    ~PelGlimmertip() override;

    qint32 X() const { return x_; }
    void SetX(qint32 value) { x_ = value; }
    qint32 Y() const { return y_; }
    void SetY(qint32 value) { y_ = value; }
    bool PositionAtCursor() const { return positionAtCursor_; }
    void SetPositionAtCursor(bool value) { positionAtCursor_ = value; }
    Scheme_t Scheme() const { return scheme_; }
    // Also sets TitleColor and BodyColor to the scheme's colours.
    void SetScheme(Scheme_t value);
    Icon_t Icon() const { return icon_; }
    void SetIcon(Icon_t value) { icon_ = value; }
    QString Title() const { return title_; }
    void SetTitle(const QString& value) { title_ = value; }
    QString Body() const { return body_; }
    void SetBody(const QString& value) { body_ = value; }
    bool CanFade() const { return canFade_; }
    void SetCanFade(bool value) { canFade_ = value; }
    qint32 BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(qint32 value) { borderStyle_ = value; }
    qint32 FillStyle() const { return fillStyle_; }
    void SetFillStyle(qint32 value) { fillStyle_ = value; }
    quint32 FillColor() const { return fillColor_; }
    void SetFillColor(quint32 value) { fillColor_ = value; }
    quint32 TitleColor() const { return titleColor_; }
    void SetTitleColor(quint32 value) { titleColor_ = value; }
    quint32 BodyColor() const { return bodyColor_; }
    void SetBodyColor(quint32 value) { bodyColor_ = value; }
    quint32 BorderColor() const { return borderColor_; }
    void SetBorderColor(quint32 value) { borderColor_ = value; }
    quint8 Opacity() const { return opacity_; }
    void SetOpacity(quint8 value) { opacity_ = value; }
    bool Fade() const { return fade_; }
    void SetFade(bool value) { fade_ = value; }
    qint32 FadeDelay() const { return fadeDelay_; }
    void SetFadeDelay(qint32 value) { fadeDelay_ = value; }
    bool CloseOnMouseMove() const { return closeOnMouseMove_; }
    void SetCloseOnMouseMove(bool value) { closeOnMouseMove_ = value; }
    bool CloseOnMouseClick() const { return closeOnMouseClick_; }
    void SetCloseOnMouseClick(bool value) { closeOnMouseClick_ = value; }

    // Opens the popup. Every argument is optional; a value of 0 (or an empty text) takes the
    // matching property instead. An error of the popup window is kept for GetErrorInfo and
    // raised to callers in the library.
    Q_INVOKABLE void Show(const QString& sText = QString(), qint32 IconType = 0, qint32 lX = 0,
                          qint32 lY = 0);
    // The component's About window, modal.
    Q_INVOKABLE void About();

    // The error the last call of Show raised, as Number, Source and Description; empty when it
    // raised none. Reading it clears it.
    Q_INVOKABLE QVariantMap GetErrorInfo();
    // The fixed dispatch id of a member; -1 for no member.
    Q_INVOKABLE int GetIDsOfNames(const QString& name) const;

    // The library's own callers get the popup window's errors as platform::RuntimeError.
    void ShowOrThrow(const QString& sText, qint32 IconType, qint32 lX, qint32 lY);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    qint32 x_ = 0;
    qint32 y_ = 0;
    bool positionAtCursor_ = true;
    Scheme_t scheme_ = tipBanana;
    Icon_t icon_ = tipInformation;
    QString title_;
    QString body_;
    bool canFade_ = false;
    qint32 borderStyle_ = 1;
    qint32 fillStyle_ = 1;
    quint32 fillColor_ = 0;
    quint32 titleColor_ = 0;
    quint32 bodyColor_ = 0;
    quint32 borderColor_ = 0;
    quint8 opacity_ = 255;
    bool fade_ = false;
    qint32 fadeDelay_ = 0;
    bool closeOnMouseMove_ = true;
    bool closeOnMouseClick_ = true;
    QVariantMap errorInfo_;
};
