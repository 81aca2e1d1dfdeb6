#include "ui/conversations/modChatHistory.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactTree.h"
#include "contacts/modFindContact.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/modChat.h"
#include "ui/conversations/modRTB.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace modChatHistory {

namespace {

void ToCatchAll(const MailSlotMessage& message) {
    modRTB::SetAppendTarget(wCatchAll::Open(modChat::Opening::ByMessage)->rtbHistory);
    modRTB::AppendIncomingLine(message.From, message.Text);
}

// Back after the user closed it: empty, its corner at the screen's centre, without the focus.
void BringBack(wChat& window, const clsContact& contact) {
    const QString domainKey = ContactKeys::kDomainPrefix + contact.Address.toLower();
    const auto& domains = Shared().DomainContacts;
    const bool domain = domains.Contains(domainKey) && domains.Item(domainKey).get() == &contact;
    window.Form_Load();
    window.SetRecipient(contact.Buffer);
    window.setWindowTitle(u"Message: "_s + contact.Name);
    window.labTo->setText(contact.Name + (domain ? u"  [Domain]"_s : QString()));
    // Another window may be open under the same name; this one is then just not listed.
    if (!Shared().OpenChats.Contains(contact.Name)) {
        Shared().OpenChats.Add(&window, contact.Name);
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    modMiscFunctions::ShowFormAt(&window, screen.x() + screen.width() / 2,
                                 screen.y() + screen.height() / 2);
}

}  // namespace

void RouteMessage(ContactTree& tree, const MailSlotMessage& message) {
    const std::shared_ptr<clsContact> contact = modFindContact::FindContactByAddress(message.From);
    if (!contact->frmChat) {
        const QString key = ContactKeys::kUserPrefix + contact->Address.toLower();
        if (contact->Address.isEmpty() || !tree.NodeExists(key)) {
            ToCatchAll(message);
            return;
        }
        modChat::OpenChat(tree, key, modChat::Opening::ByMessage);
    }
    auto* window = qobject_cast<wChat*>(contact->frmChat.data());
    // Another contact's window open under the same display name: no window for this one.
    if (!window) {
        ToCatchAll(message);
        return;
    }
    if (!window->Loaded()) {
        BringBack(*window, *contact);
    }
    modRTB::SetAppendTarget(window->rtbHistory);
    modRTB::AppendIncomingLine(contact->Name, message.Text);
}

}  // namespace modChatHistory
