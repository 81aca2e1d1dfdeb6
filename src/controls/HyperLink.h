#pragma once

#include "platform/OleColor.h"

#include <QTimer>
#include <QVariantMap>
#include <QWidget>

class QLabel;

// A one-line text that looks and acts like a web link: it lights up under the cursor and, on a
// left click, opens its URL through the shell, optionally minimising or closing its window.
// Parlane and Glimmertip both build this source.
class HyperLink : public QWidget {
    Q_OBJECT
    // clang-format off
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString URL READ URL WRITE SetURL)
    Q_PROPERTY(bool OverrideClick READ OverrideClick WRITE SetOverrideClick)
    Q_PROPERTY(bool MinimiseOnClick READ MinimiseOnClick WRITE SetMinimiseOnClick)
    Q_PROPERTY(bool CloseOnClick READ CloseOnClick WRITE SetCloseOnClick)
    Q_PROPERTY(qint32 MouseOutCheckDelay READ MouseOutCheckDelay WRITE SetMouseOutCheckDelay)
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(quint32 HilightColour READ HilightColour WRITE SetHilightColour)
    Q_PROPERTY(quint32 LinkColour READ LinkColour WRITE SetLinkColour)
    Q_PROPERTY(bool Underlined READ Underlined WRITE SetUnderlined)
    Q_PROPERTY(bool UnderlinedHilight READ UnderlinedHilight WRITE SetUnderlinedHilight)
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE SetToolTip)
    // clang-format on

public:
    using OleColor = platform::OleColor;

    explicit HyperLink(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    QString URL() const { return url_; }
    void SetURL(const QString& value);
    bool OverrideClick() const { return overrideClick_; }
    void SetOverrideClick(bool value);
    bool MinimiseOnClick() const { return minimiseOnClick_; }
    void SetMinimiseOnClick(bool value);
    bool CloseOnClick() const { return closeOnClick_; }
    void SetCloseOnClick(bool value);
    qint32 MouseOutCheckDelay() const { return mouseOutCheckDelay_; }
    void SetMouseOutCheckDelay(qint32 value);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor value);
    OleColor HilightColour() const { return hilightColour_; }
    void SetHilightColour(OleColor value);
    OleColor LinkColour() const { return linkColour_; }
    void SetLinkColour(OleColor value);
    bool Underlined() const { return underlined_; }
    void SetUnderlined(bool value);
    bool UnderlinedHilight() const { return underlinedHilight_; }
    void SetUnderlinedHilight(bool value);
    QString ToolTip() const { return toolTip_; }
    void SetToolTip(const QString& value);

    Q_INVOKABLE void Refresh();

    // The host window's saved property set, one value per saved name. Reading takes the
    // defaults for missing names; writing leaves out values equal to their defaults.
    void ReadProperties(const QVariantMap& bag);
    void WriteProperties(QVariantMap& bag) const;

    // The URL with every "{app}" replaced by the program's directory (without a trailing "/").
    static QString ExpandAppToken(const QString& url, const QString& programDirectory);

    // Handlers, public so that tests reach them as the platform would.
    void labLink_MouseMove();
    // Button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void labLink_MouseUp(qint16 button, qint16 shift, float x, float y);
    void tmrMouseOut_Timer();

    QLabel* labLink = nullptr;
    QTimer tmrMouseOut;

signals:
    void Click();  // never raised; kept for hosts that connect to it
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);
    // A property changed, so a form designer would mark its form as modified.
    void PropertyChanged(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    void SetLabelColour(OleColor colour);
    void SetLabelUnderline(bool on);
    bool LabelUnderlined() const;

    QString caption_ = QStringLiteral("-- Link --");
    QString url_;
    bool overrideClick_ = false;
    bool minimiseOnClick_ = false;
    bool closeOnClick_ = false;
    qint32 mouseOutCheckDelay_ = 50;
    OleColor backColor_ = platform::vbButtonFace;
    OleColor hilightColour_ = platform::RGB(0, 0, 175);
    OleColor linkColour_ = platform::RGB(0, 0, 255);
    bool underlined_ = false;
    bool underlinedHilight_ = true;
    QString toolTip_;
    bool hovering_ = false;
};
