#include "controls/Announcement.h"

Announcement::Announcement(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(0, 0);
}

void Announcement::Announce(QWidget& window, const QString& text) {
    auto* note = window.findChild<Announcement*>(QString(), Qt::FindDirectChildrenOnly);
    if (!note) {
        note = new Announcement(&window);
    }
    note->setAccessibleName(text);
    // Shown again, so that each one is news; a hidden window's is told by the window appearing.
    note->hide();
    note->show();
}
