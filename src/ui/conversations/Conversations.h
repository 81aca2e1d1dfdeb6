#pragma once

#include "ui/conversations/DesktopNotifications.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QTime>

class ContactTree;
class QWidget;
class wCatchAll;
class wChat;
struct MailSlotMessage;
struct WindowContext;

// The conversation windows: one chat window for each contact, found by the contact's key (its
// node in the contact tree), and the catch-all window for everyone else. A chat window that was
// closed is kept, so that the contact's next message brings the conversation back in it.
class Conversations {
public:
    // Who opens a conversation window: the user gets it active with the keyboard in it; a message
    // shows it without taking the keyboard from whatever the user is typing into, or, where the
    // compositor would give it the focus (Wayland), loads it and leaves it to the user.
    enum class Opening { ByUser, ByMessage };

    explicit Conversations(WindowContext& context);
    ~Conversations();
    Conversations(const Conversations&) = delete;
    Conversations& operator=(const Conversations&) = delete;

    // Opens the chat window of the contact node (key and text from the tree), bound to that
    // node's contact. While that contact's window is open nothing happens, but for the user
    // showing one that a message loaded. Returns the window opened, or null.
    wChat* OpenChat(ContactTree& tree, const QString& nodeKey, Opening opening = Opening::ByUser);

    // A user or machine in the list gets it in its chat window, opened or brought back as
    // needed; a domain whose window was opened gets it there; everyone else the catch-all.
    void RouteMessage(ContactTree& tree, const MailSlotMessage& message);

    // The open catch-all window, or a new one, loaded and shown as the opening asks.
    wCatchAll* OpenCatchAll(Opening opening = Opening::ByUser);
    // The catch-all window while it is open, else null.
    wCatchAll* CatchAll() const;
    // The chat window of the contact with that key, open or closed, or null.
    wChat* Chat(const QString& contactKey) const;

    // Shows a conversation window as that opening asks; one already shown comes to the front
    // only for the user.
    static void Present(QWidget& window, Opening opening);

    // "  [Domain]" for a domain node's key, else empty.
    static QString DomainSuffix(const QString& nodeKey);

    struct SendOutcome {
        QString statusText;
        int state = 1;
        int errorHelpCode = 0;
    };
    // What a chat window's status strip shows for a result of SendMailSlotMessage, sent at the
    // time given.
    static SendOutcome OutcomeOf(int result, const QTime& sentAt);

private:
    void BringBack(wChat& window, const QString& contactKey);
    // A message's line, told to a screen reader and to the desktop as the window needs.
    void Tell(QWidget& window, bool wasShown, const QString& key, const QString& sender,
              const QString& text);
    void Activate(const QString& key);

    WindowContext& context_;
    QMap<QString, QPointer<wChat>> chatWindows_;
    DesktopNotifications notifications_;
};
