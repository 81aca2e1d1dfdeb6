#include "core/modSaveSettings.h"

#include "core/ContactTreeState.h"
#include "core/SettingsKeys.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"

using namespace Qt::StringLiterals;

namespace modSaveSettings {

void SaveContactListState(const QString& file, const ContactTreeState& tree) {
    using namespace SettingsKeys;
    const auto flag = [&](const QString& key) { return tree.NodeExpanded(key) ? u"1"_s : u"0"_s; };
    platform::ProfileBatch batch(file);
    modINI::WriteINI(kContactList, kDomainsExpanded, flag(u"_domains"_s), file);
    modINI::WriteINI(kContactList, kUsersExpanded, flag(u"_users"_s), file);
    modINI::WriteINI(kContactList, kUnknownExpanded, flag(u"_unknown"_s), file);
    batch.Commit();
}

void SaveSettings(const QString& file, const Options& options) {
    using namespace SettingsKeys;
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    platform::ProfileBatch batch(file);
    modINI::WriteINI(kInterface, kDisplaySplash, flag(options.DisplaySplash), file);
    modINI::WriteINI(kInterface, kMinimiseOnStartup, flag(options.MinimiseOnStartup), file);
    modINI::WriteINI(kInterface, kDesktopNotifications, flag(options.DesktopNotifications), file);
    modINI::WriteINI(kSkinning, kSkinningEnable, flag(options.SkinningEnabled), file);
    batch.Commit();
}

}  // namespace modSaveSettings
