#pragma once

class ContactTree;
struct SharedState;
class UserPrompts;

namespace modLoadContacts {

// Builds the fixed nodes and loads both contact sections into the tree and the collections.
// An entry that cannot be shown (no address, an address already in the list) is skipped and
// kept for saving, a section whose Total cannot be read is left alone by saving, and loading
// goes on after either; problems are told together in one warning at the end.
void LoadContacts(SharedState& state, ContactTree& tree, UserPrompts& prompts);

// Brings the collections and the tree to the contacts the file holds now, which another copy of
// the program may have changed; nothing when they agree.
void ReloadContacts(SharedState& state, ContactTree& tree);

}  // namespace modLoadContacts
