#include "core/modLoadSettings.h"

#include "core/ContactTreeState.h"
#include "core/SettingsKeys.h"
#include "core/SharedState.h"
#include "core/modINI.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace modLoadSettings {

std::optional<bool> ParseFlag(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(u"True"_s, Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (t.compare(u"False"_s, Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number != 0;
}

bool ReadFlag(const QString& settingsFile, const QString& section, const QString& key,
              const QString& defaultValue) {
    const QString text = modINI::ReadINI(section, key, defaultValue, settingsFile);
    return ParseFlag(text).value_or(ParseFlag(defaultValue).value_or(false));
}

void LoadSettings(SharedState& state) {
    using namespace SettingsKeys;
    const QString& file = state.SettingsFile;
    state.DisplaySplash = ReadFlag(file, kInterface, kDisplaySplash, u"1"_s);
    state.MinimiseOnStartup = ReadFlag(file, kInterface, kMinimiseOnStartup, u"0"_s);
    state.SkinningEnabled = ReadFlag(file, kSkinning, kSkinningEnable, u"1"_s);
    state.DesktopNotifications = ReadFlag(file, kInterface, kDesktopNotifications, u"1"_s);
}

void LoadContactListState(const QString& settingsFile, ContactTreeState& tree) {
    using namespace SettingsKeys;
    const auto flag = [&](const QString& key, const QString& defaultValue) {
        return ReadFlag(settingsFile, kContactList, key, defaultValue);
    };
    tree.SetNodeExpanded(u"_domains"_s, flag(kDomainsExpanded, u"0"_s));
    tree.SetNodeExpanded(u"_users"_s, flag(kUsersExpanded, u"0"_s));
    tree.SetNodeExpanded(u"_unknown"_s, flag(kUnknownExpanded, u"1"_s));
}

}  // namespace modLoadSettings
