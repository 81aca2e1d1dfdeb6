#pragma once

#include <QString>

class ContactTree;
struct SharedState;

// Creating a contact: the tree node, the collection entry and the saved contact sections, as
// the add-contact window asks for them.
namespace modAddContact {

enum class AddResult { Added, EmptyName, EmptyAddress, Unreachable, Duplicate };

// The separator would split the entry string where nobody meant it, so it never enters a name
// or an address, typed or pasted.
QString WithoutSeparator(const QString& text);

// "NAME=" name "|ADDRESS=" address "|TYPE=0", or "TYPE=1" for a domain, with the separator given.
QString EntryString(const QString& separator, const QString& name, const QString& address,
                    bool domain);

// Why messages could never reach the address, or an empty text when they can.
QString AddressProblem(const QString& address);

// Kind 0 is a user or machine, any other a domain. Blanks around name and address are dropped
// and the address is kept in lower case. Nothing changes unless the result is Added: the contact
// is saved before it shows in the tree, and a save that fails raises platform::RuntimeError with
// the lists as they were.
AddResult AddContact(SharedState& state, ContactTree& tree, long kind, const QString& name,
                     const QString& address);

}  // namespace modAddContact
