#include "controls/cNoStatusBar.h"

#include "controls/StatusBarHost.h"
#include "platform/OsVersion.h"
#include "platform/RuntimeError.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;
using namespace StatusBarPainter;

namespace {

inline constexpr unsigned kSimpleTextFlags = DT_SINGLELINE | DT_VCENTER;
inline constexpr unsigned kIconTextFlags = DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;
inline constexpr unsigned kGripFlags = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;

// A number, or a text that reads as one, names a position.
std::optional<double> AsPosition(const QVariant& vKey) {
    switch (vKey.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Float:
        case QMetaType::Double:
            return vKey.toDouble();
        case QMetaType::QString: {
            bool ok = false;
            const double value = vKey.toString().toDouble(&ok);
            return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

int ClampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

}  // namespace

cNoStatusBar::cNoStatusBar(QObject* parent) : QObject(parent) {
    const platform::OsVersion version = platform::GetVersionEx();
    themesAvailable_ = version.major > 5 || (version.major == 5 && version.minor > 0);
    themesWanted_ = themesAvailable_;
}

cNoStatusBar::~cNoStatusBar() = default;

void cNoStatusBar::SetSimpleMode(bool bSimple) {
    simpleMode_ = bSimple;
    Draw();
}

void cNoStatusBar::SetSimpleText(const QString& sText) {
    simpleText_ = sText;
    if (simpleMode_) {
        Draw();
    }
}

void cNoStatusBar::SetAllowXPStyles(bool bState) {
    if (bState && !themesAvailable_) {
        Raise(XPStylesNotSupportedError,
              u"XP Styles not supported on this Windows installation."_s);
    }
    themesWanted_ = bState;
}

void cNoStatusBar::SetSizeGrip(bool bSizeGrip) {
    sizeGrip_ = bSizeGrip;
    Draw();
}

int cNoStatusBar::AddPanel(int eStyle, const QString& sText, int iImgIndex, int lMinWidth,
                           bool bSpring, bool bFitContents, int lItemData, const QString& sKey,
                           const QVariant& vKeyBefore) {
    if (PanelCount() >= MaxPanels) {
        Raise(TooManyPanelsError, u"Too many panels."_s);
    }
    const int position = vKeyBefore.isValid() ? PanelIndex(vKeyBefore) : PanelCount() + 1;
    if (bSpring) {
        for (Panel& other : panels_) {
            other.spring = false;
        }
    }
    Panel panel;
    panel.fitToContents = bFitContents;
    panel.spring = bSpring;
    panel.style = eStyle;
    panel.imageIndex = iImgIndex;
    panel.minWidth = lMinWidth;
    panel.itemData = lItemData;
    panel.key = sKey;
    panel.text = sText;
    Measure(panel);
    panels_.insert(panels_.begin() + (position - 1), std::move(panel));
    Layout();
    SetPanelText(position, sText);
    SetPanelIcon(position, iImgIndex);
    Draw();
    return position;
}

void cNoStatusBar::RemovePanel(const QVariant& vKey) {
    const int position = PanelIndex(vKey);
    panels_.erase(panels_.begin() + (position - 1));
    Draw();
}

void cNoStatusBar::SetLeftTopOffsets(int lLeft, int lTop) {
    leftOffset_ = lLeft;
    topOffset_ = lTop;
}

void cNoStatusBar::SetImageList(const QList<QPixmap>& images) {
    images_ = images;
    if (!images_.isEmpty()) {
        iconSize_ = qRound(images_.first().deviceIndependentSize().height());
    }
}

void cNoStatusBar::Create(StatusBarHost* objThis) {
    host_ = objThis;
    if (!host_ || !host_->PaintDevice()) {
        host_ = nullptr;
        Raise(InvalidObjectError, u"Invalid object passed to Create."_s);
    }
    MeasureBarHeight();
}

QFont cNoStatusBar::Font() const {
    return host_ ? host_->Font() : QFont();
}

void cNoStatusBar::SetFont(const QFont& fntThis) {
    if (host_) {
        host_->SetFont(fntThis);
        MeasureBarHeight();
    }
}

long cNoStatusBar::Height() const {
    return platform::PixelsToTwips(barHeight_);
}

PixelRect cNoStatusBar::GetPanelRect(const QVariant& vKey) const {
    return At(vKey).rect;
}

QString cNoStatusBar::PanelKey(int lIndex) const {
    if (lIndex < 1 || lIndex > PanelCount()) {
        Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + QString::number(lIndex));
    }
    return panels_[std::size_t(lIndex - 1)].key;
}

void cNoStatusBar::SetPanelKey(int lIndex, const QVariant& vKey) {
    if (lIndex < 1 || lIndex > PanelCount()) {
        Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + QString::number(lIndex));
    }
    panels_[std::size_t(lIndex - 1)].key = vKey.toString();
}

bool cNoStatusBar::PanelExists(const QVariant& vKey) const {
    try {
        return PanelIndex(vKey) >= 1;
    } catch (const platform::RuntimeError&) {
        return false;
    }
}

int cNoStatusBar::PanelIndex(const QVariant& vKey) const {
    if (const std::optional<double> position = AsPosition(vKey)) {
        // Checked before and after rounding: a fraction above 0 must not round down to 0.
        const double rounded = std::nearbyint(*position);
        if (*position > 0 && *position <= PanelCount() && rounded >= 1) {
            return int(rounded);
        }
    } else {
        const QString key = vKey.toString();
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (panels_[i].key == key) {
                return int(i) + 1;
            }
        }
    }
    Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + vKey.toString());
}

QString cNoStatusBar::PanelText(const QVariant& vKey) const {
    return At(vKey).text;
}

void cNoStatusBar::SetPanelText(const QVariant& vKey, const QString& sText) {
    At(vKey).text = sText;
    Draw();
}

bool cNoStatusBar::PanelSpring(const QVariant& vKey) const {
    return At(vKey).spring;
}

void cNoStatusBar::SetPanelSpring(const QVariant& vKey, bool bState) {
    Panel& panel = At(vKey);
    if (panel.spring == bState) {
        return;
    }
    for (Panel& other : panels_) {
        other.spring = false;
    }
    panel.spring = bState;
    Measure(panel);
    Layout();
}

bool cNoStatusBar::PanelFitToContents(const QVariant& vKey) const {
    return At(vKey).fitToContents;
}

void cNoStatusBar::SetPanelFitToContents(const QVariant& vKey, bool bState) {
    Panel& panel = At(vKey);
    if (panel.fitToContents != bState) {
        panel.fitToContents = bState;
        Measure(panel);
        Layout();
    }
}

int cNoStatusBar::PanelIcon(const QVariant& vKey) const {
    return At(vKey).imageIndex;
}

void cNoStatusBar::SetPanelIcon(const QVariant& vKey, int iImgIndex) {
    Panel& panel = At(vKey);
    panel.icon = QIcon();
    panel.imageIndex = iImgIndex;
    if (iImgIndex > -1 && iImgIndex < images_.size()) {
        panel.icon = QIcon(images_[iImgIndex]);
    }
    Draw();
}

QIcon cNoStatusBar::PanelhIcon(const QVariant& vKey) const {
    return At(vKey).icon;
}

void cNoStatusBar::SetPanelhIcon(const QVariant& vKey, const QIcon& hIcon) {
    At(vKey).icon = hIcon;
    Draw();
}

int cNoStatusBar::PanelStyle(const QVariant& vKey) const {
    return At(vKey).style;
}

void cNoStatusBar::SetPanelStyle(const QVariant& vKey, int eStyle) {
    At(vKey).style = eStyle;
    Draw();
}

int cNoStatusBar::PanelMinWidth(const QVariant& vKey) const {
    return At(vKey).minWidth;
}

int cNoStatusBar::PanelIdealWidth(const QVariant& vKey) const {
    return At(vKey).idealWidth;
}

void cNoStatusBar::SetPanelIdealWidth(const QVariant& vKey, int lWidth) {
    At(vKey).idealWidth = lWidth;
    Layout();
}

cNoStatusBar::Panel& cNoStatusBar::At(const QVariant& vKey) {
    return panels_[std::size_t(PanelIndex(vKey) - 1)];
}

const cNoStatusBar::Panel& cNoStatusBar::At(const QVariant& vKey) const {
    return panels_[std::size_t(PanelIndex(vKey) - 1)];
}

void cNoStatusBar::Raise(long number, const QString& description) const {
    const QString exe = QCoreApplication::instance()
                            ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                            : QString();
    throw platform::RuntimeError(number, exe + u".cNoStatusBar"_s, description);
}

// Widths are measured here only, never while painting.
void cNoStatusBar::Measure(Panel& panel) const {
    const int measured =
        host_ ? MeasureText(panel.text, host_->Font(), host_->PaintDevice()).width() + 12 : 0;
    panel.idealWidth = std::max(measured, panel.minWidth);
}

void cNoStatusBar::MeasureBarHeight() {
    barHeight_ = MeasureText(u"Xy"_s, host_->Font(), host_->PaintDevice()).height() + 10;
}

PixelRect cNoStatusBar::ClientRect() const {
    return PixelRect::FromQRect(host_->ClientRect());
}

void cNoStatusBar::Layout() {
    if (panels_.empty() || !host_) {
        return;
    }
    PixelRect client = ClientRect();
    client.left += leftOffset_;
    client.top += topOffset_;

    // Right edges count from 0, whatever the left offset.
    const std::size_t count = panels_.size();
    std::vector<qint64> right(count);
    qint64 edge = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Panel& panel = panels_[i];
        edge += panel.fitToContents ? panel.idealWidth : panel.minWidth;
        if (!panel.icon.isNull()) {
            edge += iconSize_;
        }
        right[i] = edge;
    }
    if (count >= 2) {
        right[count - 1] += (client.bottom - client.top) / 2;  // room for the size grip
    }

    // Too wide a bar keeps its widths and is cut where it is painted.
    if (right[count - 1] <= client.right) {
        std::size_t spring = count - 1;
        for (std::size_t i = count; i-- > 0;) {
            if (panels_[i].spring) {
                spring = i;
                break;
            }
        }
        const qint64 spare = client.right - right[count - 1];
        for (std::size_t i = spring; i < count; ++i) {
            right[i] += spare;
        }
    }

    for (std::size_t i = 0; i < count; ++i) {
        PixelRect& rect = panels_[i].rect;
        rect.left = i == 0 ? client.left : ClampToInt(right[i - 1]);
        rect.right = ClampToInt(i + 1 == count ? right[i] : right[i] - 1);
        rect.top = client.top;
        rect.bottom = client.bottom;
    }
}

void cNoStatusBar::Draw() {
    // The owner must not draw from OwnerDraw; a pass inside a pass would paint over itself.
    if (!host_ || drawing_) {
        return;
    }
    drawing_ = true;
    const auto done = qScopeGuard([this] { drawing_ = false; });

    const PixelRect client = ClientRect();
    QPaintDevice* device = host_->PaintDevice();
    QPainter p;
    if (!device || device->width() <= 0 || device->height() <= 0 || device->paintingActive() ||
        !p.begin(device)) {
        Layout();  // nothing to paint on, but the panels still take their places
        return;
    }

    // One style for the whole pass; a theme that cannot paint leaves the pass classic.
    const std::optional<Theme> opened =
        themesWanted_ ? Theme::Open(host_->Style(), host_->Widget(), host_->Palette())
                      : std::nullopt;
    const Theme* theme =
        opened && opened->DrawBackground(p, SP_BACKGROUND, 0, client) ? &*opened : nullptr;
    if (!theme) {
        p.fillRect(client.ToQRect(), GetSysColor(COLOR_BTNFACE, host_->Palette()));
    }
    const PixelRect grip = client;
    Layout();

    if (!simpleMode_) {
        // The size is read again each time: the owner may change the panels while it draws.
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (PaintPanel(p, theme, i, client)) {
                break;
            }
        }
    } else if (theme) {
        theme->DrawBackground(p, SP_GRIPPERPANE, 0, client);
        const PixelRect content = theme->BackgroundContentRect(SP_GRIPPERPANE, 0, client);
        theme->DrawText(p, SP_GRIPPERPANE, 0, u" "_s + simpleText_, kSimpleTextFlags, content,
                        host_->Font());
    } else {
        DrawText(p, client, simpleText_, kSimpleTextFlags, host_->Font(), host_->ForeColor());
    }

    if (sizeGrip_) {
        PaintSizeGrip(p, theme, grip);
    }
    p.end();
    host_->Painted();
}

bool cNoStatusBar::PaintPanel(QPainter& p, const Theme* theme, std::size_t index,
                              const PixelRect& client) {
    const Panel panel = panels_[index];  // a copy: OwnerDraw may change the panels
    const int part = index + 1 == panels_.size() ? SP_GRIPPERPANE : SP_PANE;
    PixelRect r = panel.rect;
    bool lastOne = false;
    if (r.right > client.right) {
        r.right = client.right - 1;
        lastOne = true;
    }
    bool doDefault = true;
    const auto ownerDraw = [&] {
        if (panel.style & SBT_OWNERDRAW) {
            emit OwnerDraw(&p, r.left, r.top, r.right, r.bottom, doDefault);
        }
    };
    const QFont font = host_->Font();
    const QColor colour = host_->ForeColor();
    const QPalette palette = host_->Palette();
    // Icons sit centred in the rectangle as the owner left it.
    const auto iconTop = [&](int margin) {
        return r.top + margin + ((r.bottom - r.top) - 2 - iconSize_) / 2;
    };

    if (!panel.icon.isNull() && theme) {
        theme->DrawBackground(p, part, 0, r);
        ownerDraw();
        if (doDefault) {
            PixelRect content = theme->BackgroundContentRect(part, 0, r);
            DrawIcon(p, r.left + 2, iconTop(2), panel.icon, iconSize_);
            content.left += iconSize_ + 4;
            theme->DrawText(p, SP_PANE, 0, u" "_s + panel.text, kIconTextFlags, content, font);
        }
    } else if (!panel.icon.isNull()) {
        DrawStatusText(p, r, {}, panel.style, palette, font, colour);
        ownerDraw();
        if (doDefault) {
            DrawIcon(p, r.left + 2, iconTop(1), panel.icon, iconSize_);
            if (!panel.text.isEmpty()) {
                r.left += iconSize_ + 4;
                DrawText(p, r, panel.text, kIconTextFlags, font, colour);
            }
        }
    } else if (theme) {
        theme->DrawBackground(p, part, 0, r);
        ownerDraw();
        if (doDefault) {
            const PixelRect content = theme->BackgroundContentRect(part, 0, r);
            theme->DrawText(p, SP_PANE, 0, u" "_s + panel.text, kSimpleTextFlags, content, font);
        }
    } else {
        if (panel.style & SBT_OWNERDRAW) {
            DrawStatusText(p, r, {}, panel.style, palette, font, colour);
            ownerDraw();
        }
        if (doDefault) {
            DrawStatusText(p, r, panel.text, panel.style, palette, font, colour);
        }
    }
    return lastOne;
}

void cNoStatusBar::PaintSizeGrip(QPainter& p, const Theme* theme, PixelRect grip) {
    if (theme) {
        grip.left = grip.right - (grip.bottom - grip.top);
        theme->DrawBackground(p, SP_GRIPPER, 0, grip);
        return;
    }
    // The classic grip is two glyphs of the symbol font Marlett, a third larger than the text.
    const QFont remembered = host_->Font();
    const QPalette palette = host_->Palette();
    QFont marlett(u"Marlett"_s);
    if (remembered.pointSizeF() > 0) {
        marlett.setPointSizeF(remembered.pointSizeF() * 4 / 3);
    } else {
        marlett.setPixelSize(std::max(1, remembered.pixelSize() * 4 / 3));
    }
    marlett.setBold(remembered.bold());
    marlett.setItalic(remembered.italic());
    marlett.setUnderline(remembered.underline());
    host_->SetFont(marlett);
    host_->SetForeColor(GetSysColor(COLOR_BTNHIGHLIGHT, palette));
    grip = {grip.left - 2, grip.top - 1, grip.right - 2, grip.bottom - 1};
    DrawText(p, grip, u"o"_s, kGripFlags, host_->Font(), host_->ForeColor());
    host_->SetForeColor(GetSysColor(COLOR_BTNSHADOW, palette));
    DrawText(p, grip, u"p"_s, kGripFlags, host_->Font(), host_->ForeColor());
    // The host gets back its own font, every attribute of it; the text colour stays at the window
    // text colour, which owners of a classic bar rely on.
    host_->SetFont(remembered);
    host_->SetForeColor(GetSysColor(COLOR_WINDOWTEXT, palette));
}
