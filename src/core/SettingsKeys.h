#pragma once

#include <QString>

// Section and key names of Settings.ini that more than one routine uses.
namespace SettingsKeys {
inline const QString kInterface = QStringLiteral("Contact List - Interface");
inline const QString kDisplaySplash = QStringLiteral("Display Splash");
inline const QString kMinimiseOnStartup = QStringLiteral("Minimise On Startup");
inline const QString kDesktopNotifications = QStringLiteral("Desktop Notifications");
inline const QString kSkinning = QStringLiteral("Skinning");
inline const QString kSkinningEnable = QStringLiteral("Enable");
inline const QString kContactList = QStringLiteral("Contact List");
inline const QString kUsersExpanded = QStringLiteral("Users Expanded");
inline const QString kDomainsExpanded = QStringLiteral("Domains Expanded");
inline const QString kUnknownExpanded = QStringLiteral("Unknown Expanded");
inline const QString kWindowMetrics = QStringLiteral("Window Metrics");
}  // namespace SettingsKeys
