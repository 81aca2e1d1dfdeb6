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
std::optional<double> AsPosition(const QVariant& key) {
    switch (key.typeId()) {
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
            return key.toDouble();
        case QMetaType::QString: {
            bool ok = false;
            const double value = key.toString().toDouble(&ok);
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

void cNoStatusBar::SetSimpleMode(bool simple) {
    simpleMode_ = simple;
    Draw();
}

void cNoStatusBar::SetSimpleText(const QString& text) {
    simpleText_ = text;
    if (simpleMode_) {
        Draw();
    }
}

void cNoStatusBar::SetAllowXPStyles(bool on) {
    if (on && !themesAvailable_) {
        Raise(XPStylesNotSupportedError,
              u"XP Styles not supported on this Windows installation."_s);
    }
    themesWanted_ = on;
}

void cNoStatusBar::SetSizeGrip(bool on) {
    sizeGrip_ = on;
    Draw();
}

int cNoStatusBar::AddPanel(int style, const QString& text, int imageIndex, int minWidth,
                           bool spring, bool fitToContents, int itemData, const QString& key,
                           const QVariant& keyBefore) {
    if (PanelCount() >= MaxPanels) {
        Raise(TooManyPanelsError, u"Too many panels."_s);
    }
    const int position = keyBefore.isValid() ? PanelIndex(keyBefore) : PanelCount() + 1;
    if (spring) {
        for (Panel& other : panels_) {
            other.spring = false;
        }
    }
    Panel panel;
    panel.fitToContents = fitToContents;
    panel.spring = spring;
    panel.style = style;
    panel.imageIndex = imageIndex;
    panel.minWidth = minWidth;
    panel.itemData = itemData;
    panel.key = key;
    panel.text = text;
    Measure(panel);
    panels_.insert(panels_.begin() + (position - 1), std::move(panel));
    Layout();
    SetPanelText(position, text);
    SetPanelIcon(position, imageIndex);
    Draw();
    return position;
}

void cNoStatusBar::RemovePanel(const QVariant& key) {
    const int position = PanelIndex(key);
    panels_.erase(panels_.begin() + (position - 1));
    Draw();
}

void cNoStatusBar::SetLeftTopOffsets(int left, int top) {
    leftOffset_ = left;
    topOffset_ = top;
}

void cNoStatusBar::SetImageList(const QList<QPixmap>& images) {
    images_ = images;
    if (!images_.isEmpty()) {
        iconSize_ = qRound(images_.first().deviceIndependentSize().height());
    }
}

void cNoStatusBar::Create(StatusBarHost* host) {
    host_ = host;
    if (!host_ || !host_->PaintDevice()) {
        host_ = nullptr;
        Raise(InvalidObjectError, u"Invalid object passed to Create."_s);
    }
    MeasureBarHeight();
}

QFont cNoStatusBar::Font() const {
    return host_ ? host_->Font() : QFont();
}

void cNoStatusBar::SetFont(const QFont& font) {
    if (host_) {
        host_->SetFont(font);
        MeasureBarHeight();
    }
}

long cNoStatusBar::Height() const {
    return platform::PixelsToTwips(barHeight_);
}

PixelRect cNoStatusBar::GetPanelRect(const QVariant& key) const {
    return At(key).rect;
}

QString cNoStatusBar::PanelKey(int index) const {
    if (index < 1 || index > PanelCount()) {
        Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + QString::number(index));
    }
    return panels_[std::size_t(index - 1)].key;
}

void cNoStatusBar::SetPanelKey(int index, const QVariant& key) {
    if (index < 1 || index > PanelCount()) {
        Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + QString::number(index));
    }
    panels_[std::size_t(index - 1)].key = key.toString();
}

bool cNoStatusBar::PanelExists(const QVariant& key) const {
    try {
        return PanelIndex(key) >= 1;
    } catch (const platform::RuntimeError&) {
        return false;
    }
}

int cNoStatusBar::PanelIndex(const QVariant& key) const {
    if (const std::optional<double> position = AsPosition(key)) {
        // Checked before and after rounding: a fraction above 0 must not round down to 0.
        const double rounded = std::nearbyint(*position);
        if (*position > 0 && *position <= PanelCount() && rounded >= 1) {
            return int(rounded);
        }
    } else {
        const QString name = key.toString();
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (panels_[i].key == name) {
                return int(i) + 1;
            }
        }
    }
    Raise(InvalidPanelIndexError, u"Invalid Panel Index: "_s + key.toString());
}

QString cNoStatusBar::PanelText(const QVariant& key) const {
    return At(key).text;
}

void cNoStatusBar::SetPanelText(const QVariant& key, const QString& text) {
    At(key).text = text;
    Draw();
}

bool cNoStatusBar::PanelSpring(const QVariant& key) const {
    return At(key).spring;
}

void cNoStatusBar::SetPanelSpring(const QVariant& key, bool on) {
    Panel& panel = At(key);
    if (panel.spring == on) {
        return;
    }
    for (Panel& other : panels_) {
        other.spring = false;
    }
    panel.spring = on;
    Measure(panel);
    Layout();
}

bool cNoStatusBar::PanelFitToContents(const QVariant& key) const {
    return At(key).fitToContents;
}

void cNoStatusBar::SetPanelFitToContents(const QVariant& key, bool on) {
    Panel& panel = At(key);
    if (panel.fitToContents != on) {
        panel.fitToContents = on;
        Measure(panel);
        Layout();
    }
}

int cNoStatusBar::PanelIcon(const QVariant& key) const {
    return At(key).imageIndex;
}

void cNoStatusBar::SetPanelIcon(const QVariant& key, int imageIndex) {
    Panel& panel = At(key);
    panel.icon = QIcon();
    panel.imageIndex = imageIndex;
    if (imageIndex > -1 && imageIndex < images_.size()) {
        panel.icon = QIcon(images_[imageIndex]);
    }
    Draw();
}

QIcon cNoStatusBar::PanelhIcon(const QVariant& key) const {
    return At(key).icon;
}

void cNoStatusBar::SetPanelhIcon(const QVariant& key, const QIcon& icon) {
    At(key).icon = icon;
    Draw();
}

int cNoStatusBar::PanelStyle(const QVariant& key) const {
    return At(key).style;
}

void cNoStatusBar::SetPanelStyle(const QVariant& key, int style) {
    At(key).style = style;
    Draw();
}

int cNoStatusBar::PanelMinWidth(const QVariant& key) const {
    return At(key).minWidth;
}

int cNoStatusBar::PanelIdealWidth(const QVariant& key) const {
    return At(key).idealWidth;
}

void cNoStatusBar::SetPanelIdealWidth(const QVariant& key, int width) {
    At(key).idealWidth = width;
    Layout();
}

cNoStatusBar::Panel& cNoStatusBar::At(const QVariant& key) {
    return panels_[std::size_t(PanelIndex(key) - 1)];
}

const cNoStatusBar::Panel& cNoStatusBar::At(const QVariant& key) const {
    return panels_[std::size_t(PanelIndex(key) - 1)];
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
    const qint64 spare = std::max<qint64>(0, client.right - right[count - 1]);
    std::size_t spring = count - 1;
    for (std::size_t i = count; i-- > 0;) {
        if (panels_[i].spring) {
            spring = i;
            break;
        }
    }
    for (std::size_t i = spring; i < count; ++i) {
        right[i] += spare;
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
        opened && opened->DrawBackground(p, SP_BACKGROUND, client) ? &*opened : nullptr;
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
        theme->DrawBackground(p, SP_PANE, client);
        const PixelRect content = theme->PaneContentRect(client);
        theme->DrawText(p, u" "_s + simpleText_, kSimpleTextFlags, content, host_->Font());
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
        theme->DrawBackground(p, SP_PANE, r);
        ownerDraw();
        if (doDefault) {
            PixelRect content = theme->PaneContentRect(r);
            DrawIcon(p, r.left + 2, iconTop(2), panel.icon, iconSize_);
            content.left += iconSize_ + 4;
            theme->DrawText(p, u" "_s + panel.text, kIconTextFlags, content, font);
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
        theme->DrawBackground(p, SP_PANE, r);
        ownerDraw();
        if (doDefault) {
            const PixelRect content = theme->PaneContentRect(r);
            theme->DrawText(p, u" "_s + panel.text, kSimpleTextFlags, content, font);
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
        theme->DrawBackground(p, SP_GRIPPER, grip);
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
