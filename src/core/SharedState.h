#pragma once

#include "platform/KeyedCollection.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class clsContact;

// What loading learnt of one contact section of the settings file, so that saving never drops
// what loading could not show.
struct ContactSectionState {
    QStringList KeptEntries;  // entries in the file that are not in the list, in file order
    bool Unreadable = false;  // its Total could not be read: saving leaves the section alone
};

// The state the whole program shares: its names, paths, settings in memory and contact lists.
// The application object owns the one instance and hands it to whoever needs it.
struct SharedState {
    QString AppName;
    QString MailSlotName;
    std::intptr_t MailSlotHandle = 0;
    QString FieldSeparator;

    QString ProgramPath;
    QString DataPath;
    QString HelpPath;
    QString ErrorHelpPath;
    QString SkinsPath;
    QString DefaultSkinPath;
    QString SettingsFile;
    QString WindowMetricsINIFile;
    // The installation's own component registry, below the user's (see ComponentObject).
    QString ComponentRegistryFile;

    platform::KeyedCollection<std::shared_ptr<clsContact>> UserContacts;
    platform::KeyedCollection<std::shared_ptr<clsContact>> DomainContacts;
    ContactSectionState UsersSection;
    ContactSectionState DomainsSection;

    bool DisplaySplash = false;
    bool MinimiseOnStartup = false;
    bool SkinningEnabled = false;
    bool DesktopNotifications = false;

    QString StatusText;

    bool SettingsWindowOpen = false;
    bool CatchAllWindowOpen = false;
    bool AddContactWindowOpen = false;
    bool AboutWindowOpen = false;
};
