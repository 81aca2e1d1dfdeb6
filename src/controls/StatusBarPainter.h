#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

#include <optional>

class QFont;
class QIcon;
class QPaintDevice;
class QPainter;
class QStyle;
class QWidget;

// A rectangle as the status bar computes with it: right and bottom lie just outside, so adjacent
// panels one pixel apart leave a one-pixel gap between them.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static PixelRect FromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    bool operator==(const PixelRect&) const = default;
};

// The drawing calls the status bar is made of, on a QPainter: the classic status-text frames and
// text of the common controls, and the visual-styles parts of the class "Status" through QStyle.
namespace StatusBarPainter {

inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_RTLREADING = 0x20000;
inline constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;

inline constexpr int SBT_NOBORDERS = 0x100;
inline constexpr int SBT_POPOUT = 0x200;
inline constexpr int SBT_RTLREADING = 0x400;
inline constexpr int SBT_OWNERDRAW = 0x1000;

inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;

// Parts of the class "Status"; the bar background is not one of the class's own parts. Styles draw
// every status bar item alike, so the last pane, the one beside the grip, is a pane like the rest.
inline constexpr int SP_PANE = 1;
inline constexpr int SP_GRIPPER = 3;
inline constexpr int SP_BACKGROUND = 4;

// The system colours the bar uses, by their Windows numbers, taken from the palette.
QColor GetSysColor(int index, const QPalette& palette);

// The size the text takes in the font on the device, lines and all, as DT_CALCRECT gives it.
QSize MeasureText(const QString& text, const QFont& font, const QPaintDevice* device);

// The text clipped to the rectangle, aligned by the DT_ flags above.
void DrawText(QPainter& p, const PixelRect& r, const QString& text, unsigned flags,
              const QFont& font, const QColor& colour);

// The panel's frame in its SBT_ style, then the text: a tab centres what follows it, a second
// tab puts the rest at the right.
void DrawStatusText(QPainter& p, const PixelRect& r, const QString& text, int style,
                    const QPalette& palette, const QFont& font, const QColor& colour);

void DrawIcon(QPainter& p, int x, int y, const QIcon& icon, int size);

// The visual style of one painting pass. Themed drawing goes through the host's QStyle.
class Theme {
public:
    // Nothing when there is no style to draw with.
    static std::optional<Theme> Open(QStyle* style, const QWidget* widget, const QPalette& palette);

    // False for a part the theme does not draw. Parts have no states of their own here: a
    // style draws a status bar the same whether it is hot, pressed or neither.
    bool DrawBackground(QPainter& p, int part, const PixelRect& r) const;
    // What is left inside a pane's frame.
    PixelRect PaneContentRect(const PixelRect& r) const;
    void DrawText(QPainter& p, const QString& text, unsigned flags, const PixelRect& r,
                  const QFont& font) const;

private:
    Theme(QStyle* style, const QWidget* widget, const QPalette& palette);

    QStyle* style_;
    const QWidget* widget_;
    QPalette palette_;
};

}  // namespace StatusBarPainter
