// Settings.ini as anyone may have edited it: loading the contacts never fails or hangs, and a
// save followed by a new start shows and keeps exactly the entries the first start had.
#include "contacts/clsContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "platform/gui/MessageBox.h"
#include "support/MemoryContactTree.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir* Dir() {
    static QTemporaryDir dir;
    return &dir;
}

struct Loaded {
    QStringList users, domains;  // shown entries, then kept ones
    bool usersUnreadable = false, domainsUnreadable = false;
};

Loaded Load() {
    platform::ForgetCachedProfiles();
    ResetSharedState();
    Shared().AppName = u"Parlane"_s;
    Shared().FieldSeparator = u"|"_s;
    Shared().SettingsFile = Dir()->filePath(u"Settings.ini"_s);
    MemoryContactTree tree;
    modLoadContacts::LoadContacts(tree);
    Loaded l;
    for (const auto& c : Shared().UserContacts) {
        l.users << c->Buffer;
    }
    for (const auto& c : Shared().DomainContacts) {
        l.domains << c->Buffer;
    }
    l.users += Shared().UsersSection.KeptEntries;
    l.domains += Shared().DomainsSection.KeptEntries;
    l.usersUnreadable = Shared().UsersSection.Unreadable;
    l.domainsUnreadable = Shared().DomainsSection.Unreadable;
    return l;
}

// Values are trimmed on reading, so an entry is only ever compared as the file gives it back.
QStringList Sorted(QStringList entries) {
    for (QString& e : entries) {
        e = e.trimmed();
    }
    entries.sort();
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    platform::SetMessageBoxResponder(
        [](const platform::MessageBoxRequest&, QMessageBox&) { return platform::vbOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QFile file(Dir()->filePath(u"Settings.ini"_s));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    const Loaded first = Load();
    try {
        modSaveContacts::SaveContacts();
    } catch (const platform::RuntimeError&) {
        return 0;  // a value the file cannot hold again; nothing was written
    }
    const Loaded second = Load();
    if (Sorted(first.users) != Sorted(second.users) ||
        Sorted(first.domains) != Sorted(second.domains) ||
        first.usersUnreadable != second.usersUnreadable ||
        first.domainsUnreadable != second.domainsUnreadable) {
        std::abort();
    }
    return 0;
}
