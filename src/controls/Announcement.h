#pragma once

#include <QWidget>

// Something that happened in a window which may not have the focus, told to a screen reader: a
// notification object of the window, shown anew each time, which screen readers speak as it
// appears. It draws nothing.
class Announcement : public QWidget {
    Q_OBJECT
public:
    static void Announce(QWidget& window, const QString& text);

private:
    explicit Announcement(QWidget* window);
};
