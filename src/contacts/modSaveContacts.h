#pragma once

// Rewrites both contact sections from the collections in one write of the file: the contacts
// numbered from 1, then the entries loading kept but could not show. A section whose Total could
// not be read stays as it is; a contact added to it then raises platform::RuntimeError, after the
// other section was saved. Catches nothing.
struct SharedState;

namespace modSaveContacts {

void SaveContacts(SharedState& state);

}  // namespace modSaveContacts
