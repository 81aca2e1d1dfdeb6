#pragma once

#include <QLabel>

// A text that acts as a link: a left click, or Return, Enter or Space while it has the focus,
// opens it, and a screen reader meets it as a link with a press action. Its colour is the one
// asked for wherever that reads on the window's background.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, const QColor& colour, QWidget* parent);

    void Activate() { emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Colour();

    QColor colour_;
};

// Teaches Qt's accessibility the roles of Parlane's own widgets: links, status strips,
// announcements, and windows that are frames or dialogs rather than anonymous panels. Installing
// twice is harmless.
void InstallAccessibleRoles();
