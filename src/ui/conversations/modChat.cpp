#include "ui/conversations/modChat.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactTree.h"
#include "contacts/modFindContact.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/gui/WindowPos.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/wChat.h"
#include "ui/main/modErrorHelp.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace modChat {

namespace {

// The contact the node stands for. Two contacts may share a display name, so the name alone
// would bind the window to whichever comes first.
std::shared_ptr<clsContact> ContactOfNode(const QString& nodeKey, const QString& name) {
    SharedState& s = Shared();
    if (s.UserContacts.Contains(nodeKey)) {
        return s.UserContacts.Item(nodeKey);
    }
    if (s.DomainContacts.Contains(nodeKey)) {
        return s.DomainContacts.Item(nodeKey);
    }
    return modFindContact::FindContactByName(name);
}

}  // namespace

QString DomainSuffix(const QString& nodeKey) {
    return nodeKey.left(9) == ContactKeys::kDomainPrefix ? u"  [Domain]"_s : QString();
}

void Present(QWidget& window, Opening opening) {
    if (opening == Opening::ByUser) {
        window.show();
        window.raise();
        window.activateWindow();
    } else if (!window.isVisible()) {
        platform::SetWindowPos(&window, platform::HWND_TOP, 0, 0, 0, 0,
                               platform::SWP_NOMOVE | platform::SWP_NOSIZE |
                                   platform::SWP_SHOWWINDOW | platform::SWP_NOACTIVATE);
    }
}

wChat* OpenChat(ContactTree& tree, const QString& nodeKey, Opening opening) {
    const QString name = tree.NodeText(nodeKey);
    SharedState& s = Shared();
    if (modMiscFunctions::CollectionKeyExists(s.OpenChats, name)) {
        return nullptr;
    }
    auto* window = new wChat;
    s.OpenChats.Add(window, name);
    const std::shared_ptr<clsContact> contact = ContactOfNode(nodeKey, name);
    window->Form_Load();
    window->SetRecipient(contact->Buffer);
    window->setWindowTitle(u"Message: "_s + name);
    window->labTo->setText(name + DomainSuffix(nodeKey));
    // A closed window that this one replaces would only wait for the end of the program.
    if (auto* old = qobject_cast<wChat*>(contact->frmChat.data()); old && !old->Loaded()) {
        old->deleteLater();
    }
    contact->frmChat = window;
    Present(*window, opening);
    return window;
}

void CloseChat(const QString& name) {
    SharedState& s = Shared();
    if (modMiscFunctions::CollectionKeyExists(s.OpenChats, name)) {
        s.OpenChats.Remove(name);
    }
}

SendOutcome OutcomeOf(int result, const QTime& sentAt) {
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

}  // namespace modChat
