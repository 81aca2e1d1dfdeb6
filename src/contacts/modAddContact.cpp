#include "contacts/modAddContact.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactTree.h"
#include "contacts/clsContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "core/SharedState.h"
#include "platform/mailslot/MailslotNames.h"

using namespace Qt::StringLiterals;

namespace modAddContact {

QString WithoutSeparator(const QString& text) {
    QString clean = text;
    return clean.remove(u'|');
}

QString EntryString(const QString& separator, const QString& name, const QString& address,
                    bool domain) {
    return u"NAME="_s + name + separator + u"ADDRESS="_s + address + separator + u"TYPE="_s +
           (domain ? u"1"_s : u"0"_s);
}

QString AddressProblem(const QString& address) {
    return platform::netbios::RecipientProblem(address);
}

AddResult AddContact(SharedState& s, ContactTree& tree, long kind, const QString& name,
                     const QString& address) {
    const QString n = WithoutSeparator(name).trimmed();
    const QString a = WithoutSeparator(address).trimmed().toLower();
    if (n.isEmpty()) {
        return AddResult::EmptyName;
    }
    if (a.isEmpty()) {
        return AddResult::EmptyAddress;
    }
    if (!AddressProblem(a).isEmpty()) {
        return AddResult::Unreachable;
    }
    // Saving writes the whole list: it starts from the file as it is now, with what another copy
    // may have saved since this one read it.
    modLoadContacts::ReloadContacts(s, tree);
    const bool domain = kind != 0;
    auto& collection = domain ? s.DomainContacts : s.UserContacts;
    const QString key = (domain ? ContactKeys::kDomainPrefix : ContactKeys::kUserPrefix) + a;
    if (collection.Contains(key)) {
        return AddResult::Duplicate;
    }
    auto contact = std::make_shared<clsContact>();
    contact->Name = n;
    contact->Address = a;
    contact->Entry = EntryString(s.FieldSeparator, n, a, domain);
    // Saving writes the collections, so the contact is in one while the file is written.
    collection.Add(contact, key);
    try {
        modSaveContacts::SaveContacts(s);
    } catch (...) {
        collection.Remove(key);
        throw;
    }

    const QString parent = domain ? ContactKeys::kDomains : ContactKeys::kUsers;
    tree.AddNode(parent, key, n, domain ? ContactKeys::kImageDomain : ContactKeys::kImageUser);
    tree.SetNodeExpanded(parent, true);
    return AddResult::Added;
}

}  // namespace modAddContact
