#pragma once

#include "contacts/clsContact.h"
#include "core/SharedState.h"

#include <QString>

#include <array>

// The two contact sections of the settings file and where each lives in memory.
struct ContactSection {
    QString Section;    // "Users"
    QString EntryName;  // "User", numbered as User[1], User[2], ...
    QString GroupKey;   // its group node
    QString KeyPrefix;  // a contact's key is this followed by the address
    int Image;          // the picture of its contacts' nodes
    platform::KeyedCollection<std::shared_ptr<clsContact>>& Contacts;
    ContactSectionState& State;

    QString EntryKey(long number) const {
        return EntryName + u'[' + QString::number(number) + u']';
    }
};

// Users first, then Domains: the order of the tree and of the file.
std::array<ContactSection, 2> ContactSections(SharedState& state);
