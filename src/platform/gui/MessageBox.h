#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QMessageBox;

// The one routine every message box of the program goes through, with the platform's style and
// result numbers. A test installs a responder that answers the box instead of a person.
namespace platform {

inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

struct MessageBoxRequest {
    QString prompt;  // as the caller gave it, line breaks included
    int style = 0;
    QString title;  // the title shown
};

// Gets the request and the box, ready to be shown; answers with a result number.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&, QMessageBox&)>;

// The title defaults to the application's name. Answers with the result number of the button.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});

// Returns the responder that was installed before; an empty one lets people answer again.
MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder);

// While one lives, boxes that only inform (an OK button alone) are kept instead of shown, so
// that a sequence of steps tells all its failures at once; other boxes still ask.
class MessageBoxGathering {
public:
    MessageBoxGathering();
    ~MessageBoxGathering();  // shows nothing: call Show
    MessageBoxGathering(const MessageBoxGathering&) = delete;
    MessageBoxGathering& operator=(const MessageBoxGathering&) = delete;

    // The kept texts in one box, each once, when there are any; stops gathering.
    void Show(int style, const QString& title);
    // The same on standard error, for when nobody may be there to answer a box.
    void Print(const QString& title);

private:
    void StopGathering();

    MessageBoxGathering* outer_;
    QStringList prompts_;
    friend int MsgBox(const QString&, int, const QString&);
};

}  // namespace platform
