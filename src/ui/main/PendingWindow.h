#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// A small stand-in for a window the program does not have yet: it says so, and the catch-all
// one lists the messages that arrive so that none is lost. It keeps the window's open flag
// while it is open and deletes itself when closed.
class PendingWindow : public QDialog {
    Q_OBJECT
public:
    // Brings the window of that name back, or makes it.
    static PendingWindow* Show(const QString& objectName, const QString& title, const QString& text,
                               bool* openFlag, QWidget* owner = nullptr, bool activate = true);

    void AppendLine(const QString& line);
    QString Log() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PendingWindow(const QString& title, const QString& text, bool* openFlag, QWidget* owner);

    QLabel* text_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    bool* openFlag_ = nullptr;
};
