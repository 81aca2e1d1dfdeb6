#pragma once

#include "contacts/clsContact.h"

#include <memory>

// Lookups over the user contacts, then the domain contacts. Never null: no match gives a new
// empty record.
namespace modFindContact {

// Letter case aside on both sides: a hand-edited file may hold an address in capitals.
std::shared_ptr<clsContact> FindContactByAddress(const QString& address);
// Exactly as written.
std::shared_ptr<clsContact> FindContactByName(const QString& name);

}  // namespace modFindContact
