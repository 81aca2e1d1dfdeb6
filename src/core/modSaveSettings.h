#pragma once

#include <QString>

class ContactTreeState;

namespace modSaveSettings {

// Writes the expanded state of the three group nodes, 1 or 0, in one write of the file.
void SaveContactListState(const QString& settingsFile, const ContactTreeState& tree);

// The options the settings window saves.
struct Options {
    bool DisplaySplash = false;
    bool MinimiseOnStartup = false;
    bool SkinningEnabled = false;
    bool DesktopNotifications = false;
};

// Writes the option flags, 1 or 0, in one write of the file: all of them or, when the write
// fails (RuntimeError), none.
void SaveSettings(const QString& settingsFile, const Options& options);

}  // namespace modSaveSettings
