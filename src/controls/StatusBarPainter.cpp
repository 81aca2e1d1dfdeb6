#include "controls/StatusBarPainter.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace StatusBarPainter {
namespace {

Qt::Alignment Alignment(unsigned flags) {
    const Qt::Alignment across = (flags & DT_RIGHT)    ? Qt::AlignRight
                                 : (flags & DT_CENTER) ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
    // Only a single line can be placed vertically.
    const Qt::Alignment down = !(flags & DT_SINGLELINE) ? Qt::AlignTop
                               : (flags & DT_BOTTOM)    ? Qt::AlignBottom
                               : (flags & DT_VCENTER)   ? Qt::AlignVCenter
                                                        : Qt::AlignTop;
    return across | down | Qt::AlignAbsolute;
}

int QtFlags(unsigned flags) {
    return int(Alignment(flags)) | ((flags & DT_SINGLELINE) ? Qt::TextSingleLine : 0);
}

QString Shown(const QString& text, unsigned flags, const QFont& font, const QPainter& p,
              int width) {
    if (!(flags & DT_WORD_ELLIPSIS)) {
        return text;
    }
    return QFontMetrics(font, p.device()).elidedText(text, Qt::ElideRight, width);
}

void FillPixel(QPainter& p, int x, int y, const QColor& colour) {
    p.fillRect(QRect(x, y, 1, 1), colour);
}

// Marlett, the symbol font whose "o" and "p" are the light and the dark half of the classic size
// grip, is not found on Linux; those two glyphs are drawn here, one em square large. Ridges of a
// light line and two dark ones run parallel to the diagonal, starting one pixel from the corner.
void DrawMarlett(QPainter& p, const QRect& rect, const QString& text, unsigned flags,
                 const QFont& font, const QColor& colour) {
    const bool light = text == u"o"_s;
    if (!light && text != u"p"_s) {
        return;  // the font's other glyphs are not the grip's
    }
    const int em = font.pixelSize() > 0
                       ? font.pixelSize()
                       : qRound(font.pointSizeF() * p.device()->logicalDpiY() / 72.0);
    const QRect square = QStyle::alignedRect(Qt::LeftToRight, Alignment(flags), {em, em}, rect);
    const int x0 = square.left();
    const int y0 = square.top();
    const int firstLine = light ? 3 : 1;
    const int lines = light ? 1 : 2;
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    for (int ridge = 0; 4 * ridge + 3 < em - 1; ++ridge) {
        for (int line = 0; line < lines; ++line) {
            const int d = 4 * ridge + firstLine + line;  // distance from the corner
            for (int t = 0; t <= d; ++t) {
                FillPixel(p, x0 + em - 1 - d + t, y0 + em - 1 - t, colour);
            }
        }
    }
    p.restore();
}

void DrawEdge(QPainter& p, PixelRect& r, const QColor& topLeft, const QColor& bottomRight) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        return;
    }
    p.fillRect(QRect(r.left, r.top, w - 1, 1), topLeft);
    p.fillRect(QRect(r.left, r.top, 1, h - 1), topLeft);
    p.fillRect(QRect(r.left, r.bottom - 1, w, 1), bottomRight);
    p.fillRect(QRect(r.right - 1, r.top, 1, h), bottomRight);
    r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

}  // namespace

QColor GetSysColor(int index, const QPalette& palette) {
    switch (index) {
        case COLOR_WINDOWTEXT:
            return palette.color(QPalette::WindowText);
        case COLOR_BTNFACE:
            return palette.color(QPalette::Button);
        case COLOR_BTNSHADOW:
            return palette.color(QPalette::Dark);
        case COLOR_BTNHIGHLIGHT:
            return palette.color(QPalette::Light);
        case COLOR_3DDKSHADOW:
            return palette.color(QPalette::Shadow);
        case COLOR_3DLIGHT:
            return palette.color(QPalette::Midlight);
        default:
            return palette.color(QPalette::Window);
    }
}

QSize MeasureText(const QString& text, const QFont& font, const QPaintDevice* device) {
    return QFontMetrics(font, device)
        .boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, text)
        .size();
}

void DrawText(QPainter& p, const PixelRect& r, const QString& text, unsigned flags,
              const QFont& font, const QColor& colour) {
    const QRect rect = r.ToQRect();
    if (rect.isEmpty()) {
        return;
    }
    if (font.family() == u"Marlett"_s) {
        DrawMarlett(p, rect, text, flags, font, colour);
        return;
    }
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.setFont(font);
    p.setPen(colour);
    if (flags & DT_RTLREADING) {
        p.setLayoutDirection(Qt::RightToLeft);
    }
    p.drawText(rect, QtFlags(flags), Shown(text, flags, font, p, rect.width()));
    p.restore();
}

void DrawStatusText(QPainter& p, const PixelRect& rect, const QString& text, int style,
                    const QPalette& palette, const QFont& font, const QColor& colour) {
    PixelRect r = rect;
    if (style & SBT_POPOUT) {
        DrawEdge(p, r, GetSysColor(COLOR_3DLIGHT, palette), GetSysColor(COLOR_3DDKSHADOW, palette));
    } else if (!(style & SBT_NOBORDERS)) {
        DrawEdge(p, r, GetSysColor(COLOR_BTNSHADOW, palette),
                 GetSysColor(COLOR_BTNHIGHLIGHT, palette));
    }
    if (text.isEmpty()) {
        return;
    }
    r.left += 3;
    const unsigned flags =
        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((style & SBT_RTLREADING) ? DT_RTLREADING : 0);
    const QString parts[] = {text.section(u'\t', 0, 0), text.section(u'\t', 1, 1),
                             text.section(u'\t', 2)};
    const unsigned alignments[] = {0, DT_CENTER, DT_RIGHT};
    for (int i = 0; i < 3; ++i) {
        if (!parts[i].isEmpty()) {
            DrawText(p, r, parts[i], flags | alignments[i], font, colour);
        }
    }
}

void DrawIcon(QPainter& p, int x, int y, const QIcon& icon, int size) {
    icon.paint(&p, QRect(x, y, size, size));  // a null icon or an empty square paints nothing
}

Theme::Theme(QStyle* style, const QWidget* widget, const QPalette& palette)
    : style_(style), widget_(widget), palette_(palette) {}

std::optional<Theme> Theme::Open(QStyle* style, const QWidget* widget, const QPalette& palette) {
    if (!style) {
        return std::nullopt;
    }
    return Theme(style, widget, palette);
}

namespace {
QStyleOption Option(const QWidget* widget, const QPalette& palette, const PixelRect& r) {
    QStyleOption option;
    if (widget) {
        option.initFrom(widget);
    } else {
        option.state = QStyle::State_Enabled;
        option.direction = QGuiApplication::layoutDirection();
    }
    option.palette = palette;
    option.rect = r.ToQRect();
    return option;
}
}  // namespace

bool Theme::DrawBackground(QPainter& p, int part, const PixelRect& r) const {
    const QStyleOption option = Option(widget_, palette_, r);
    switch (part) {
        case SP_BACKGROUND:
            // A status bar widget stands on the window colour; this bar has no widget to fill it.
            p.fillRect(option.rect, palette_.window());
            style_->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &p, widget_);
            return true;
        case SP_PANE:
            style_->drawPrimitive(QStyle::PE_FrameStatusBarItem, &option, &p, widget_);
            return true;
        case SP_GRIPPER: {
            QStyleOptionSizeGrip grip;
            static_cast<QStyleOption&>(grip) = option;
            grip.corner =
                option.direction == Qt::RightToLeft ? Qt::BottomLeftCorner : Qt::BottomRightCorner;
            style_->drawControl(QStyle::CE_SizeGrip, &grip, &p, widget_);
            return true;
        }
        default:
            return false;
    }
}

PixelRect Theme::PaneContentRect(const PixelRect& r) const {
    const QStyleOption option = Option(widget_, palette_, r);
    const int frame = style_->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget_);
    return {r.left + frame, r.top + frame, r.right - frame, r.bottom - frame};
}

void Theme::DrawText(QPainter& p, const QString& text, unsigned flags, const PixelRect& r,
                     const QFont& font) const {
    const QRect rect = r.ToQRect();
    if (rect.isEmpty()) {
        return;
    }
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.setFont(font);
    style_->drawItemText(&p, rect, QtFlags(flags), palette_, true,
                         Shown(text, flags, font, p, rect.width()), QPalette::WindowText);
    p.restore();
}

}  // namespace StatusBarPainter
