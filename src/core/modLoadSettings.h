#pragma once

#include <QString>

#include <optional>

class ContactTreeState;

namespace modLoadSettings {

// "0" is false, any other number true, and the words True and False count too; anything else is
// not a flag.
std::optional<bool> ParseFlag(const QString& text);

// A flag of the settings file; a value that is not a flag reads as the default.
bool ReadFlag(const QString& section, const QString& key, const QString& defaultValue);

// The three option flags into the shared state.
void LoadSettings();
// The expanded state of the three group nodes.
void LoadContactListState(ContactTreeState& tree);

}  // namespace modLoadSettings
