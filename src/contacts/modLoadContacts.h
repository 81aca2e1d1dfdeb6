#pragma once

class ContactTree;

namespace modLoadContacts {

// Builds the fixed nodes and loads both contact sections into the tree and the collections.
// An entry that cannot be shown (no address, an address already in the list) is skipped and
// kept for saving, a section whose Total cannot be read is left alone by saving, and loading
// goes on after either; problems are reported together in one message box at the end.
void LoadContacts(ContactTree& tree);

}  // namespace modLoadContacts
