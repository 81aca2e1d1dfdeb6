#include "contacts/modSaveContacts.h"

#include "contacts/ContactSections.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"

using namespace Qt::StringLiterals;

namespace modSaveContacts {

void SaveContacts(SharedState& state) {
    const QString& file = state.SettingsFile;
    const auto sections = ContactSections(state);
    platform::ProfileBatch batch(file);
    for (const ContactSection& section : sections) {
        if (section.State.Unreadable) {
            continue;
        }
        modINI::DeleteINISection(file, section.Section);
        const qsizetype n = section.Contacts.Count() + section.State.KeptEntries.size();
        if (n == 0) {
            continue;
        }
        modINI::WriteINI(section.Section, u"Total"_s, QString::number(n), file);
        long number = 1;
        for (const std::shared_ptr<clsContact>& contact : section.Contacts) {
            modINI::WriteINI(section.Section, section.EntryKey(number++), contact->Entry, file);
        }
        for (const QString& entry : section.State.KeptEntries) {
            modINI::WriteINI(section.Section, section.EntryKey(number++), entry, file);
        }
    }
    batch.Commit();

    for (const ContactSection& section : sections) {
        if (section.State.Unreadable && section.Contacts.Count() > 0) {
            throw platform::RuntimeError(
                platform::err::FileAccess, u"SaveContacts"_s,
                u"The contacts in ["_s + section.Section +
                    u"] of Settings.ini could not be read, so that section is left as it is and "
                    "takes no new contact. Correct its Total and start Parlane again."_s);
        }
    }
}

}  // namespace modSaveContacts
