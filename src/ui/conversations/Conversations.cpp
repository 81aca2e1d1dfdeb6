#include "ui/conversations/Conversations.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactTree.h"
#include "contacts/modFindContact.h"
#include "controls/Announcement.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/gui/WindowPos.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/ConversationView.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"
#include "ui/shared/modErrorHelp.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

// The key of the contact the record is, users first as the lookups go; empty for a record of
// nobody in the list.
QString KeyOf(const SharedState& state, const std::shared_ptr<clsContact>& contact) {
    const QString address = contact->Address.toLower();
    const std::pair<const QString&, const platform::KeyedCollection<std::shared_ptr<clsContact>>&>
        lists[] = {{ContactKeys::kUserPrefix, state.UserContacts},
                   {ContactKeys::kDomainPrefix, state.DomainContacts}};
    for (const auto& [prefix, contacts] : lists) {
        const QString key = prefix + address;
        if (contacts.Contains(key) && contacts.Item(key) == contact) {
            return key;
        }
    }
    return {};
}

// The contact the node stands for. Two contacts may share a display name, so the name alone
// would bind the window to whichever comes first.
std::shared_ptr<clsContact> ContactOfNode(const SharedState& state, const QString& nodeKey,
                                          const QString& name) {
    if (state.UserContacts.Contains(nodeKey)) {
        return state.UserContacts.Item(nodeKey);
    }
    if (state.DomainContacts.Contains(nodeKey)) {
        return state.DomainContacts.Item(nodeKey);
    }
    return modFindContact::FindContactByName(state, name);
}

}  // namespace

Conversations::Conversations(WindowContext& context)
    : context_(context), notifications_([this](const QString& key) { Activate(key); }) {}

Conversations::~Conversations() {
    for (const QPointer<wChat>& window : std::as_const(chatWindows_)) {
        delete window.data();
    }
    delete CatchAll();
}

QString Conversations::DomainSuffix(const QString& nodeKey) {
    return nodeKey.startsWith(ContactKeys::kDomainPrefix) ? u"  [Domain]"_s : QString();
}

void Conversations::Present(QWidget& window, Opening opening) {
    if (opening == Opening::ByUser) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    } else if (!window.isVisible() && !platform::CompositorPlacesWindows()) {
        // Where the compositor would give it the focus, it waits for the user, and its
        // notification stands for it.
        platform::SetWindowPos(&window, platform::HWND_TOP, 0, 0, 0, 0,
                               platform::SWP_NOMOVE | platform::SWP_NOSIZE |
                                   platform::SWP_SHOWWINDOW | platform::SWP_NOACTIVATE);
    }
}

wChat* Conversations::OpenChat(ContactTree& tree, const QString& nodeKey, Opening opening) {
    QPointer<wChat>& slot = chatWindows_[nodeKey];
    if (slot && slot->Loaded()) {
        if (opening == Opening::ByUser && !slot->isVisible()) {
            Present(*slot, opening);  // a message loaded it without showing it
        }
        return nullptr;
    }
    const QString name = tree.NodeText(nodeKey);
    auto* window = new wChat(context_);
    const std::shared_ptr<clsContact> contact = ContactOfNode(context_.state, nodeKey, name);
    window->Form_Load();
    window->SetRecipient(contact->Entry);
    window->setWindowTitle(u"Message: "_s + name);
    window->labTo->setText(name + DomainSuffix(nodeKey));
    // A closed window that this one replaces would only wait for the end of the program.
    if (slot) {
        slot->deleteLater();
    }
    slot = window;
    Present(*window, opening);
    return window;
}

// Back after the user closed it: empty, its corner at the screen's centre, without the focus.
void Conversations::BringBack(wChat& window, const QString& contactKey) {
    const SharedState& s = context_.state;
    const auto& contacts = s.UserContacts.Contains(contactKey) ? s.UserContacts : s.DomainContacts;
    const clsContact& contact = *contacts.Item(contactKey);
    window.Form_Load();
    window.SetRecipient(contact.Entry);
    window.setWindowTitle(u"Message: "_s + contact.Name);
    window.labTo->setText(contact.Name + DomainSuffix(contactKey));
    if (platform::CompositorPlacesWindows()) {
        return;  // shown when the user asks, as a new one would be
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    modMiscFunctions::ShowFormAt(&window, screen.x() + screen.width() / 2,
                                 screen.y() + screen.height() / 2);
}

void Conversations::RouteMessage(ContactTree& tree, const MailSlotMessage& message) {
    const std::shared_ptr<clsContact> contact =
        modFindContact::FindContactByAddress(context_.state, message.From);
    const QString key = KeyOf(context_.state, contact);
    wChat* window = Chat(key);
    const bool shown = window && window->isVisible();
    if (!window) {
        // A message opens a window for a user or machine only.
        const QString userKey = ContactKeys::kUserPrefix + contact->Address.toLower();
        if (key != userKey || !tree.NodeExists(userKey)) {
            const bool catchAllShown = CatchAll() && CatchAll()->isVisible();
            wCatchAll* catchAll = OpenCatchAll(Opening::ByMessage);
            ConversationView::AppendIncomingLine(*catchAll->rtbHistory, message.From, message.Text);
            Tell(*catchAll, catchAllShown, ContactKeys::kCatchAll, message.From, message.Text);
            return;
        }
        window = OpenChat(tree, userKey, Opening::ByMessage);
    }
    if (!window->Loaded()) {
        BringBack(*window, key);
    }
    ConversationView::AppendIncomingLine(*window->rtbHistory, contact->Name, message.Text);
    Tell(*window, shown, key, contact->Name, message.Text);
}

// A window that appears is news to a screen reader by itself; a line added to one that was
// there already is not. A window the user is not in is news to the desktop.
void Conversations::Tell(QWidget& window, bool wasShown, const QString& key, const QString& sender,
                         const QString& text) {
    if (wasShown) {
        Announcement::Announce(window, sender + u": "_s + text);
    }
    if (context_.state.DesktopNotifications && !window.isActiveWindow()) {
        notifications_.Post(key, sender, text);
    }
}

// From the notification: that window forward, with the keys in its input.
void Conversations::Activate(const QString& key) {
    if (key == ContactKeys::kCatchAll) {
        if (wCatchAll* window = CatchAll()) {
            Present(*window, Opening::ByUser);
        }
        return;
    }
    wChat* window = Chat(key);
    if (window && window->Loaded()) {
        Present(*window, Opening::ByUser);
        window->rtbChat->setFocus();
    }
}

wChat* Conversations::Chat(const QString& contactKey) const {
    return chatWindows_.value(contactKey);
}

wCatchAll* Conversations::CatchAll() const {
    return qobject_cast<wCatchAll*>(context_.windows.Find(u"wCatchAll"_s));
}

wCatchAll* Conversations::OpenCatchAll(Opening opening) {
    wCatchAll* window = CatchAll();
    if (!window) {
        window = new wCatchAll(context_);
        window->Form_Load();
    }
    Present(*window, opening);
    return window;
}

Conversations::SendOutcome Conversations::OutcomeOf(int result, const QTime& sentAt) {
    switch (result) {
        case modMailSlots::SendWritten:
        case modMailSlots::SendShortWrite:
            return {u"Message sent successfully at "_s + sentAt.toString(u"HH:mm:ss"_s) + u"."_s, 1,
                    modErrorHelp::kNoError};
        case modMailSlots::SendNoText:
            return {u"Nothing to send. Please enter a message."_s, 3,
                    modErrorHelp::kNoMessageToSend};
        default:
            return {u"There was an error trying to send the message."_s, 4,
                    modErrorHelp::kCouldNotSendMessage};
    }
}
