#pragma once

#include <QLine>
#include <QWidget>

// An etched separator: a dark line with a light line one pixel beside it, horizontal or
// vertical. The lines are kept in twips of the control's client area, as laid out.
class MultiRule : public QWidget {
    Q_OBJECT
public:
    enum OrientationValue { kAutomatic = 0, kHorizontal = 1, kVertical = 2 };

    explicit MultiRule(QWidget* parent = nullptr);

    long Orientation() const { return orientation_; }
    // Lays the lines out again; other values than the three leave them where they are.
    void SetOrientation(long value);
    // Whether Orientation changed since the host last saved the control.
    bool PropertyChanged() const { return changed_; }
    void Refresh();

    // The host's saved property set: "Orientation", 0 when absent, always written.
    void ReadProperties(const QVariantMap& bag);
    void WriteProperties(QVariantMap& bag);

    QLine LoLite() const { return loLite_; }
    QLine HiLite() const { return hiLite_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();

    long orientation_ = kAutomatic;
    bool changed_ = false;
    QLine loLite_{0, 45, 4200, 45};
    QLine hiLite_{0, 60, 4200, 60};
};
