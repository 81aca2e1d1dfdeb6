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

bool ReadFlag(const QString& section, const QString& key, const QString& defaultValue) {
    const QString text = modINI::ReadINI(section, key, defaultValue, Shared().SettingsFile);
    return ParseFlag(text).value_or(ParseFlag(defaultValue).value_or(false));
}

void LoadSettings() {
    using namespace SettingsKeys;
    SharedState& s = Shared();
    s.DisplaySplash = ReadFlag(kInterface, kDisplaySplash, u"1"_s);
    s.MinimiseOnStartup = ReadFlag(kInterface, kMinimiseOnStartup, u"0"_s);
    s.SkinningEnabled = ReadFlag(kSkinning, kSkinningEnable, u"1"_s);
}

void LoadContactListState(ContactTreeState& tree) {
    using namespace SettingsKeys;
    tree.SetNodeExpanded(u"_domains"_s, ReadFlag(kContactList, kDomainsExpanded, u"0"_s));
    tree.SetNodeExpanded(u"_users"_s, ReadFlag(kContactList, kUsersExpanded, u"0"_s));
    tree.SetNodeExpanded(u"_unknown"_s, ReadFlag(kContactList, kUnknownExpanded, u"1"_s));
}

}  // namespace modLoadSettings
