#include "controls/HyperLink.h"

#include "controls/modShellExecute.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;
using platform::OleColor;

namespace {

// Saved names and the defaults for reading a missing value and for leaving a value out.
const QString kCaption = u"Caption"_s;
const QString kURL = u"URL"_s;
const QString kOverrideClick = u"OverrideClick"_s;
const QString kMinimiseOnClick = u"MinimiseOnClick"_s;
const QString kCloseOnClick = u"CloseOnClick"_s;
const QString kMouseOutCheckDelay = u"MouseOutCheckDelay"_s;
const QString kToolTipText = u"ToolTipText"_s;
const QString kBackColor = u"BackColor"_s;
const QString kHilightColour = u"HilightColour"_s;
const QString kLinkColour = u"LinkColour"_s;
const QString kUnderlined = u"Underlined"_s;
const QString kUnderlinedHilight = u"UnderlinedHilight"_s;

constexpr qint32 kDefaultDelay = 50;
constexpr OleColor kDefaultHilight = platform::RGB(255, 255, 255);
constexpr OleColor kDefaultLink = platform::RGB(0, 0, 255);

template <typename T>
T Read(const QVariantMap& bag, const QString& name, T fallback) {
    const QVariant value = bag.value(name);
    return value.canConvert<T>() && value.isValid() ? value.value<T>() : fallback;
}

template <typename T>
void Write(QVariantMap& bag, const QString& name, const T& value, const T& skipped) {
    if (value != skipped) {
        bag.insert(name, QVariant::fromValue(value));
    }
}

qint16 ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

qint16 ShiftCode(Qt::KeyboardModifiers modifiers) {
    return qint16((modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
                  (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
                  (modifiers.testFlag(Qt::AltModifier) ? 4 : 0));
}

}  // namespace

HyperLink::HyperLink(QWidget* parent) : QWidget(parent) {
    labLink = new QLabel(caption_, this);
    labLink->setObjectName(u"labLink"_s);
    labLink->setTextFormat(Qt::PlainText);
    labLink->setAutoFillBackground(true);
    labLink->setCursor(Qt::PointingHandCursor);
    labLink->setMouseTracking(true);
    labLink->installEventFilter(this);
    QFont font = labLink->font();
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s});
    font.setPointSizeF(8.25);
    labLink->setFont(font);
    SetLabelColour(linkColour_);
    QPalette back = labLink->palette();
    back.setColor(QPalette::Window, platform::ToQColor(backColor_));
    labLink->setPalette(back);

    tmrMouseOut.setObjectName(u"tmrMouseOut"_s);
    tmrMouseOut.setInterval(mouseOutCheckDelay_);
    connect(&tmrMouseOut, &QTimer::timeout, this, &HyperLink::tmrMouseOut_Timer);
    Layout();
}

void HyperLink::SetCaption(const QString& value) {
    caption_ = value;
    labLink->setText(value);
    Layout();
    emit PropertyChanged(kCaption);
}

void HyperLink::SetURL(const QString& value) {
    url_ = value;
    Layout();
    emit PropertyChanged(kURL);
}

void HyperLink::SetOverrideClick(bool value) {
    overrideClick_ = value;
    Layout();
    emit PropertyChanged(kOverrideClick);
}

void HyperLink::SetMinimiseOnClick(bool value) {
    minimiseOnClick_ = value;
    Layout();
    emit PropertyChanged(kMinimiseOnClick);
}

void HyperLink::SetCloseOnClick(bool value) {
    closeOnClick_ = value;
    Layout();
    emit PropertyChanged(kCloseOnClick);
}

void HyperLink::SetMouseOutCheckDelay(qint32 value) {
    mouseOutCheckDelay_ = value;
    // A timer takes no negative interval; such a value watches as often as it can.
    tmrMouseOut.setInterval(qMax(0, value));
    Layout();
    emit PropertyChanged(kMouseOutCheckDelay);
}

void HyperLink::SetBackColor(OleColor value) {
    backColor_ = value;
    QPalette p = labLink->palette();
    p.setColor(QPalette::Window, platform::ToQColor(value));
    labLink->setPalette(p);
    emit PropertyChanged(kBackColor);
}

void HyperLink::SetHilightColour(OleColor value) {
    hilightColour_ = value;
    emit PropertyChanged(kHilightColour);
}

void HyperLink::SetLinkColour(OleColor value) {
    linkColour_ = value;
    SetLabelColour(value);
    emit PropertyChanged(kLinkColour);
}

void HyperLink::SetUnderlined(bool value) {
    underlined_ = value;
    SetLabelUnderline(value);
    emit PropertyChanged(kUnderlined);
}

void HyperLink::SetUnderlinedHilight(bool value) {
    underlinedHilight_ = value;
    emit PropertyChanged(kUnderlinedHilight);
}

void HyperLink::SetToolTip(const QString& value) {
    toolTip_ = value;
    labLink->setToolTip(value);
    Layout();
    emit PropertyChanged(u"ToolTip"_s);
}

void HyperLink::Refresh() {
    update();
    labLink->update();
}

void HyperLink::ReadProperties(const QVariantMap& bag) {
    caption_ = Read(bag, kCaption, u"Trask HyperLink"_s);
    url_ = Read(bag, kURL, QString());
    overrideClick_ = Read(bag, kOverrideClick, false);
    minimiseOnClick_ = Read(bag, kMinimiseOnClick, false);
    closeOnClick_ = Read(bag, kCloseOnClick, false);
    mouseOutCheckDelay_ = Read(bag, kMouseOutCheckDelay, kDefaultDelay);
    backColor_ = Read(bag, kBackColor, platform::vbButtonFace);
    hilightColour_ = Read(bag, kHilightColour, kDefaultHilight);
    linkColour_ = Read(bag, kLinkColour, kDefaultLink);
    underlined_ = Read(bag, kUnderlined, false);
    underlinedHilight_ = Read(bag, kUnderlinedHilight, true);
    toolTip_ = Read(bag, kToolTipText, QString());

    SetUnderlinedHilight(underlinedHilight_);
    SetURL(url_);
    SetBackColor(backColor_);
    labLink->setText(caption_);
    labLink->setToolTip(toolTip_);
    SetLabelColour(linkColour_);
    tmrMouseOut.setInterval(qMax(0, mouseOutCheckDelay_));
    QFont font = labLink->font();
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s});
    font.setPointSize(8);
    labLink->setFont(font);
    if (underlined_) {
        SetLabelUnderline(true);
    }
    Layout();
}

void HyperLink::WriteProperties(QVariantMap& bag) const {
    bag.insert(kCaption, caption_);
    bag.insert(kURL, url_);
    Write(bag, kOverrideClick, overrideClick_, false);
    Write(bag, kMinimiseOnClick, minimiseOnClick_, false);
    Write(bag, kCloseOnClick, closeOnClick_, false);
    Write(bag, kMouseOutCheckDelay, mouseOutCheckDelay_, kDefaultDelay);
    bag.insert(kToolTipText, toolTip_);
    Write(bag, kBackColor, backColor_, platform::vbButtonFace);
    Write(bag, kHilightColour, hilightColour_, kDefaultHilight);
    Write(bag, kLinkColour, linkColour_, kDefaultLink);
    Write(bag, kUnderlined, underlined_, false);
    Write(bag, kUnderlinedHilight, underlinedHilight_, true);
}

QString HyperLink::ExpandAppToken(const QString& url, const QString& programDirectory) {
    QString directory = programDirectory;
    if (directory.endsWith(u'/')) {
        directory.chop(1);
    }
    return QString(url).replace(u"{app}"_s, directory);
}

void HyperLink::labLink_MouseMove() {
    if (underlinedHilight_ && !LabelUnderlined()) {
        SetLabelUnderline(true);
    }
    if (!tmrMouseOut.isActive()) {
        SetLabelColour(hilightColour_);
        if (!hovering_) {
            tmrMouseOut.start();
            hovering_ = true;
        }
    }
}

void HyperLink::tmrMouseOut_Timer() {
    const QPoint cursor = QCursor::pos();
    const QRect r(mapToGlobal(QPoint(0, 0)), size());
    // The platform's rectangles end after their last pixel; the edge counts as outside.
    const bool inside = r.left() < cursor.x() && cursor.x() < r.left() + r.width() &&
                        r.top() < cursor.y() && cursor.y() < r.top() + r.height();
    if (inside) {
        return;
    }
    tmrMouseOut.stop();
    hovering_ = false;
    SetLabelColour(linkColour_);
    if (underlinedHilight_ && !underlined_) {
        SetLabelUnderline(false);
    }
}

void HyperLink::labLink_MouseUp(qint16 button, qint16 shift, float x, float y) {
    if (button == 1) {
        SetLabelColour(linkColour_);
        if (underlinedHilight_) {
            SetLabelUnderline(underlined_);
        }
        if (!overrideClick_) {
            SetURL(ExpandAppToken(url_, QCoreApplication::applicationDirPath()));
            QWidget* host = window();
            if (!closeOnClick_ && minimiseOnClick_ &&
                host->windowFlags().testFlag(Qt::WindowMinimizeButtonHint)) {
                host->showMinimized();
            }
            modShellExecute::ShellExe(url_, QString(), 0, 1, QString(), false);
            if (closeOnClick_) {
                host->close();
            }
        }
    }
    emit MouseUp(button, shift, x, y);
}

// Installed on the label alone.
bool HyperLink::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        labLink_MouseMove();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = labLink->mapTo(this, mouse->position().toPoint());
        labLink_MouseUp(ButtonCode(mouse->button()), ShiftCode(mouse->modifiers()),
                        float(platform::PixelsToTwips(long(at.x()))),
                        float(platform::PixelsToTwips(long(at.y()))));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HyperLink::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void HyperLink::Layout() {
    labLink->adjustSize();
    const QSize label = labLink->size();
    // Width label + 45 twips, height label - 15 twips; the label 30 in and 15 above the top.
    const QSize wanted(label.width() + 3, qMax(0, label.height() - 1));
    labLink->move(2, -1);
    if (size() != wanted) {
        resize(wanted);
    }
}

void HyperLink::SetLabelColour(OleColor colour) {
    QPalette p = labLink->palette();
    p.setColor(QPalette::WindowText, platform::ToQColor(colour));
    labLink->setPalette(p);
}

void HyperLink::SetLabelUnderline(bool on) {
    QFont font = labLink->font();
    font.setUnderline(on);
    labLink->setFont(font);
}

bool HyperLink::LabelUnderlined() const {
    return labLink->font().underline();
}
