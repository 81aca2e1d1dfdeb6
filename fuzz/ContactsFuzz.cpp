// Settings.ini as anyone may have edited it: loading the contacts never fails or hangs, and a
// save followed by a new start shows and keeps exactly the entries the first start had.
#include "MemoryContactTree.h"
#include "contacts/clsContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "support/SilentPrompts.h"

#include <QCoreApplication>
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

Loaded Load(SharedState& state) {
    platform::ForgetCachedProfiles();
    state = SharedState();
    state.AppName = u"Parlane"_s;
    state.FieldSeparator = u"|"_s;
    state.SettingsFile = Dir()->filePath(u"Settings.ini"_s);
    MemoryContactTree tree;
    SilentPrompts warnings;
    modLoadContacts::LoadContacts(state, tree, warnings);
    Loaded l;
    for (const auto& c : state.UserContacts) {
        l.users << c->Entry;
    }
    for (const auto& c : state.DomainContacts) {
        l.domains << c->Entry;
    }
    l.users += state.UsersSection.KeptEntries;
    l.domains += state.DomainsSection.KeptEntries;
    l.usersUnreadable = state.UsersSection.Unreadable;
    l.domainsUnreadable = state.DomainsSection.Unreadable;
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
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QFile file(Dir()->filePath(u"Settings.ini"_s));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    SharedState state;
    const Loaded first = Load(state);
    try {
        modSaveContacts::SaveContacts(state);
    } catch (const platform::RuntimeError&) {
        return 0;  // a value the file cannot hold again; nothing was written
    }
    const Loaded second = Load(state);
    if (Sorted(first.users) != Sorted(second.users) ||
        Sorted(first.domains) != Sorted(second.domains) ||
        first.usersUnreadable != second.usersUnreadable ||
        first.domainsUnreadable != second.domainsUnreadable) {
        std::abort();
    }
    return 0;
}
