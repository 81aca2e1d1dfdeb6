#pragma once

class ContactTreeState;

namespace modSaveSettings {

// Writes the expanded state of the three group nodes, 1 or 0, in one write of the file.
void SaveContactListState(const ContactTreeState& tree);

}  // namespace modSaveSettings
