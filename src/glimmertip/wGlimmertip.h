#pragma once

#include <QTimer>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class LineControl;
class ShapeControl;

// The popup: a frameless, topmost window that never takes the focus, drawn by its own child
// elements. Geometry is kept in twips as designed; the window and its children take the nearest
// whole pixels.
class wGlimmertip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIconCount = 33;
    static constexpr int kNoIcon = 99;

    wGlimmertip();
    ~wGlimmertip() override;

    // The image element with that number (0..32, 99), or null when there is none.
    QLabel* imgInfo(long index) const;

    // Twips, as last set. Width and height are the client area's.
    long Left() const { return left_; }
    long Top() const { return top_; }
    long Width() const { return width_; }
    long Height() const { return height_; }
    void Move(long left, long top);
    void SetSize(long width, long height);

    struct LabelTwips {
        long Left, Top, Width, Height;
    };
    LabelTwips TitleTwips() const { return title_; }
    LabelTwips BodyTwips() const { return body_; }
    // Sizes the title to its text on one line, the body to its text wrapped at its width.
    void SetTitleLeft(long left);
    void SetBodyWidth(long width);
    void SetTexts(const QString* title, const QString& body);

    bool IsLayered() const { return layered_; }
    void SetLayered() { layered_ = true; }

    // Closing: the fade-out, then the window is destroyed. A request while it is already closing
    // is ignored.
    void Unload();
    bool Unloading() const { return unloading_; }

    // Handlers, public so that tests reach them as the platform would.
    void tmrFade_Timer();
    void tmrClose_Timer();
    void tmrAutoClose_Timer();
    void CloseIfClickCloses();

    QLabel* labHeader = nullptr;
    LineControl* linLine = nullptr;  // element 0, the only one
    QLabel* labTitle = nullptr;
    QLabel* labBody = nullptr;
    ShapeControl* shpBorder = nullptr;
    QCheckBox* chkCloseOnMouseClick = nullptr;
    QTimer tmrFade;
    QTimer tmrClose;
    QTimer tmrAutoClose;
    QString Tag;          // the opacity a timed fade-in reaches; where the fade-out starts
    QString FadeCounter;  // the opacity a timed fade-in has reached

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Clicks on the labels and images come here too: they take no mouse input of their own.
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PlaceLabels();

    std::array<QLabel*, kIconCount> icons_{};
    QLabel* noIcon_ = nullptr;
    long left_ = 0;
    long top_ = 0;
    long width_ = 1845;
    long height_ = 1080;
    LabelTwips title_{375, 60, 1380, 240};
    LabelTwips body_{60, 420, 1740, 315};
    bool layered_ = false;
    bool unloading_ = false;
};
