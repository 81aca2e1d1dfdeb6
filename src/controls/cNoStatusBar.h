#pragma once

#include "controls/StatusBarPainter.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <vector>

class QPainter;
class StatusBarHost;

// A status bar that owns no window: it lays its panels out across a host surface and paints
// itself there whenever its owner calls Draw, in the classic look or through the host's style.
// Panels are named by a position from 1 or by a key; a key that is a number, or a text that
// reads as one, is always a position. Misuse raises platform::RuntimeError with the numbers below.
class cNoStatusBar : public QObject {
    Q_OBJECT

public:
    static constexpr long vbObjectError = -2147221504;
    static constexpr long InvalidPanelIndexError = vbObjectError + 1050;
    static constexpr long TooManyPanelsError = vbObjectError + 1051;
    static constexpr long XPStylesNotSupportedError = vbObjectError + 1052;
    static constexpr long InvalidObjectError = 9;
    static constexpr int MaxPanels = 255;

    explicit cNoStatusBar(QObject* parent = nullptr);
    ~cNoStatusBar() override;

    bool SimpleMode() const { return simpleMode_; }
    void SetSimpleMode(bool simple);
    QString SimpleText() const { return simpleText_; }
    void SetSimpleText(const QString& text);
    // Whether this system offers themes, whatever was set.
    bool AllowXPStyles() const { return themesAvailable_; }
    void SetAllowXPStyles(bool on);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool on);

    // The new panel's position. An image index of -1 is no icon; without keyBefore the panel
    // goes last.
    int AddPanel(int style = 0, const QString& text = {}, int imageIndex = -1, int minWidth = 0,
                 bool spring = false, bool fitToContents = false, int itemData = 0,
                 const QString& key = {}, const QVariant& keyBefore = {});
    void Draw();
    void RemovePanel(const QVariant& key);
    void SetLeftTopOffsets(int left, int top);
    // Panel icons are taken from these images, all as high as the first. An empty list leaves
    // the bar without images.
    void SetImageList(const QList<QPixmap>& images);
    // The host must outlive the bar or be replaced.
    void Create(StatusBarHost* host);
    QFont Font() const;
    void SetFont(const QFont& font);
    // In twips.
    long Height() const;

    int PanelCount() const { return int(panels_.size()); }
    PixelRect GetPanelRect(const QVariant& key) const;
    QString PanelKey(int index) const;
    void SetPanelKey(int index, const QVariant& key);
    bool PanelExists(const QVariant& key) const;
    int PanelIndex(const QVariant& key) const;
    QString PanelText(const QVariant& key) const;
    void SetPanelText(const QVariant& key, const QString& text);
    bool PanelSpring(const QVariant& key) const;
    void SetPanelSpring(const QVariant& key, bool on);
    bool PanelFitToContents(const QVariant& key) const;
    void SetPanelFitToContents(const QVariant& key, bool on);
    int PanelIcon(const QVariant& key) const;
    void SetPanelIcon(const QVariant& key, int imageIndex);
    QIcon PanelhIcon(const QVariant& key) const;
    // The panel keeps the icon; its image index stays as it was.
    void SetPanelhIcon(const QVariant& key, const QIcon& icon);
    int PanelStyle(const QVariant& key) const;
    void SetPanelStyle(const QVariant& key, int style);
    int PanelMinWidth(const QVariant& key) const;
    int PanelIdealWidth(const QVariant& key) const;
    // Taken as it is, below the minimum width too.
    void SetPanelIdealWidth(const QVariant& key, int width);

signals:
    // For each painted panel whose style has SBT_OWNERDRAW, after its frame and before its icon
    // and text. The owner may paint with the painter, move the rectangle the bar goes on painting
    // in, and clear doDefault to have the bar paint nothing more there. Connect directly; calling
    // Draw from here does nothing.
    void OwnerDraw(QPainter* painter, int& left, int& top, int& right, int& bottom,
                   bool& doDefault);

private:
    struct Panel {
        QString key;
        int itemData = 0;  // the caller's; never read here
        int imageIndex = -1;
        QIcon icon;
        QString text;
        int minWidth = 0;
        int idealWidth = 0;
        bool spring = false;
        bool fitToContents = false;
        int style = 0;
        PixelRect rect;
    };

    Panel& At(const QVariant& key);
    const Panel& At(const QVariant& key) const;
    [[noreturn]] void Raise(long number, const QString& description) const;
    void Measure(Panel& panel) const;
    void MeasureBarHeight();
    void Layout();
    PixelRect ClientRect() const;
    // True when the panel reached past the right edge and was painted as the last one.
    bool PaintPanel(QPainter& p, const StatusBarPainter::Theme* theme, std::size_t index,
                    const PixelRect& client);
    void PaintSizeGrip(QPainter& p, const StatusBarPainter::Theme* theme, PixelRect grip);

    StatusBarHost* host_ = nullptr;
    std::vector<Panel> panels_;
    bool sizeGrip_ = false;
    QList<QPixmap> images_;
    int iconSize_ = 0;
    int leftOffset_ = 0;
    int topOffset_ = 0;
    int barHeight_ = 0;
    bool simpleMode_ = false;
    QString simpleText_;
    bool themesAvailable_ = false;
    bool themesWanted_ = false;
    bool drawing_ = false;
};
