#pragma once

#include <QString>
#include <QTime>

class ContactTree;
class wChat;

// The bookkeeping of chat windows: which are open under which display name, and what a send's
// result shows.
namespace modChat {

// Who opens a conversation window: the user gets it active with the keyboard in it; a message
// shows it without taking the keyboard from whatever the user is typing into.
enum class Opening { ByUser, ByMessage };

// Opens the chat window of the contact node (key and text from the tree), bound to that node's
// contact. Nothing happens while a window is open under the node's text. Returns the window
// opened, or null.
wChat* OpenChat(ContactTree& tree, const QString& nodeKey, Opening opening = Opening::ByUser);

// Shows a conversation window as that opening asks; one already shown comes to the front only
// for the user.
void Present(QWidget& window, Opening opening);

// The window under that display name is no longer open; an unknown name changes nothing.
void CloseChat(const QString& name);

// "  [Domain]" for a domain node's key, else empty.
QString DomainSuffix(const QString& nodeKey);

struct SendOutcome {
    QString statusText;
    int state = 1;
    int errorHelpCode = 0;
};
// What the status strip shows for a result of SendMailSlotMessage, sent at the time given.
SendOutcome OutcomeOf(int result, const QTime& sentAt);

}  // namespace modChat
