#pragma once

#include "ui/conversations/modChat.h"

#include <QTimer>
#include <QWidget>

class MultiRule;
class QLabel;
class QPushButton;
class QTextEdit;

// The log of messages from senders who are not in the contact list. One window at a time;
// closing it discards the log, and the next opening starts empty at the remembered place.
class wCatchAll : public QWidget {
    Q_OBJECT
public:
    // The open window, or a new one, loaded and shown as the opening asks.
    static wCatchAll* Open(modChat::Opening opening = modChat::Opening::ByUser);
    // The open window, or null.
    static wCatchAll* Current();

    QLabel* labBkg = nullptr;
    QLabel* labTitle = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* imgGlobeBig = nullptr;
    QLabel* imgBottom = nullptr;
    MultiRule* MultiRule1 = nullptr;
    MultiRule* MultiRule2 = nullptr;
    QTextEdit* rtbHistory = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer tmrBringToFront;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    wCatchAll();
    void Form_Load();
    void Form_Unload();
};
