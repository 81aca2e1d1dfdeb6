#pragma once

#include <QTimer>
#include <QWidget>

class MultiRule;
class QLabel;
class QPushButton;
class QTextEdit;
struct WindowContext;

// The log of messages from senders who are not in the contact list. One window at a time;
// closing it discards the log, and the next opening starts empty at the remembered place. The
// conversations open it.
class wCatchAll : public QWidget {
    Q_OBJECT
public:
    explicit wCatchAll(WindowContext& context);
    void Form_Load();

    QLabel* labBkg = nullptr;
    QLabel* labTitle = nullptr;
    QLabel* labDescription = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* imgGlobeBig = nullptr;
    QLabel* imgBottom = nullptr;
    MultiRule* ruleHeader = nullptr;
    MultiRule* ruleButtons = nullptr;
    QTextEdit* rtbHistory = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer tmrBringToFront;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Unload();

    WindowContext& context_;
};
