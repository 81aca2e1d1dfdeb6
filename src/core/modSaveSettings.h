#pragma once

#include <QString>

class ContactTreeState;

namespace modSaveSettings {

// Writes the expanded state of the three group nodes, 1 or 0, in one write of the file.
void SaveContactListState(const QString& settingsFile, const ContactTreeState& tree);

// Writes the three option flags, 1 or 0, in one write of the file: all of them or, when the
// write fails (RuntimeError), none.
void SaveSettings(const QString& settingsFile, bool displaySplash, bool minimiseOnStartup,
                  bool skinningEnabled);

}  // namespace modSaveSettings
