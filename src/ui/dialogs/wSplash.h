#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// The window shown while Parlane starts. It has no behaviour of its own.
class wSplash : public QWidget {
    Q_OBJECT
public:
    explicit wSplash(QWidget* parent = nullptr);

    QLabel* labStatus = nullptr;
    QFrame* shpBorder = nullptr;
    QLabel* picSplash = nullptr;
};
