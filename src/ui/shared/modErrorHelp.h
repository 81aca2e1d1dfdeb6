#pragma once

#include <QString>

#include <functional>

class QLabel;
class QWidget;

// The "Explain" link that a window shows after a failure, and the help page behind it.
namespace modErrorHelp {

enum ErrorHelpCode {
    kNoError = 0,
    kCouldNotOpenMailSlot = 1,
    kCouldNotSendMessage = 2,
    kNoMessageToSend = 3,
    kSomeMessagesLost = 4,
};

// The hidden "Explain" link, named labErrorHelp, on a window's status strip; a left click runs
// onClick.
QLabel* CreateErrorHelpLink(QWidget* strip, std::function<void()> onClick);

// Shows the window's labErrorHelp with the code in its Tag, or hides it for 0 and keeps the Tag.
void ShowErrorHelp(QWidget* window, int code);

// The page for a code; codes without one get "Unknown.html".
QString ErrorHelpPage(int code);
// Opens the page from the error help directory given with the desktop's opener.
void OpenErrorHelp(const QString& errorHelpPath, int code);

}  // namespace modErrorHelp
