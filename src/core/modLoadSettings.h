#pragma once

#include <QString>

#include <optional>

class ContactTreeState;
struct SharedState;

namespace modLoadSettings {

// "0" is false, any other number true, and the words True and False count too; anything else is
// not a flag.
std::optional<bool> ParseFlag(const QString& text);

// A flag of the settings file; a value that is not a flag reads as the default.
bool ReadFlag(const QString& settingsFile, const QString& section, const QString& key,
              const QString& defaultValue);

// The option flags of the state's settings file into the state.
void LoadSettings(SharedState& state);
// The expanded state of the three group nodes.
void LoadContactListState(const QString& settingsFile, ContactTreeState& tree);

}  // namespace modLoadSettings
