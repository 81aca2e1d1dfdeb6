#pragma once

#include "contacts/clsContact.h"

#include <memory>

struct SharedState;

// Lookups over the user contacts, then the domain contacts. Never null: no match gives a new
// empty record.
namespace modFindContact {

// Letter case aside on both sides: a hand-edited file may hold an address in capitals.
std::shared_ptr<clsContact> FindContactByAddress(const SharedState& state, const QString& address);
// Exactly as written.
std::shared_ptr<clsContact> FindContactByName(const SharedState& state, const QString& name);

}  // namespace modFindContact
