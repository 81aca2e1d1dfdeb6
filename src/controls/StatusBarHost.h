#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QRect>

class QPaintDevice;
class QStyle;
class QWidget;

// The surface a cNoStatusBar paints into. The bar owns none of it: it paints on the device,
// lays out across the client rectangle, draws text in the font and colour found here and changes
// both while it draws its size grip.
class StatusBarHost {
public:
    virtual ~StatusBarHost() = default;

    // Nothing when there is no surface to paint on.
    virtual QPaintDevice* PaintDevice() = 0;
    virtual QRect ClientRect() const = 0;
    virtual QFont Font() const = 0;
    virtual void SetFont(const QFont& font) = 0;
    virtual QColor ForeColor() const = 0;
    virtual void SetForeColor(const QColor& colour) = 0;

    // The widget whose style and palette the bar follows; nothing for the application's.
    virtual QWidget* Widget() const { return nullptr; }
    // Nothing when no style can be had: the bar then paints the classic look.
    virtual QStyle* Style() const;
    virtual QPalette Palette() const;
    // After each painting pass.
    virtual void Painted() {}
};

// A picture area: an image the bar paints into, with its own font and text colour.
class StatusBarPictureHost : public StatusBarHost {
public:
    explicit StatusBarPictureHost(QSize size = {}, qreal devicePixelRatio = 1.0);

    // A new, empty picture of that size in pixels.
    void Resize(QSize size, qreal devicePixelRatio = 1.0);
    const QImage& Image() const { return image_; }

    QPaintDevice* PaintDevice() override { return &image_; }
    QRect ClientRect() const override;
    QFont Font() const override { return font_; }
    void SetFont(const QFont& font) override { font_ = font; }
    QColor ForeColor() const override { return foreColor_; }
    void SetForeColor(const QColor& colour) override { foreColor_ = colour; }

private:
    QImage image_;
    QFont font_;
    QColor foreColor_;
};

// A picture area shown on a widget: it follows the widget's size (empty again after a resize, so
// the owner draws the bar once more), starts with the widget's font and text colour, and shows
// what was painted in place of the widget's own painting.
class StatusBarWidgetHost : public QObject, public StatusBarPictureHost {
public:
    explicit StatusBarWidgetHost(QWidget& widget);

    QPaintDevice* PaintDevice() override;
    QRect ClientRect() const override;
    QWidget* Widget() const override { return &widget_; }
    void Painted() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& widget_;
};
