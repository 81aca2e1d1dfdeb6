#include "contacts/modLoadContacts.h"

#include "contacts/ContactKeys.h"
#include "contacts/ContactSections.h"
#include "contacts/ContactTree.h"
#include "contacts/modParse.h"
#include "core/HandlerError.h"
#include "core/UserPrompts.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace modLoadContacts {
namespace {

constexpr long kTypeMismatch = 13;
constexpr long kOverflow = 6;
constexpr int kMaxReported = 10;

// The Total as a signed 32-bit whole number; anything else makes the section unreadable.
long ReadTotal(const QString& file, const ContactSection& section) {
    const QString text = modINI::ReadINI(section.Section, u"Total"_s, u"0"_s, file);
    bool ok = false;
    const int total = text.toInt(&ok);
    if (ok) {
        return total;
    }
    static const QRegularExpression digits(u"^[+-]?[0-9]+$"_s);
    const bool tooLarge = digits.match(text).hasMatch();
    throw platform::RuntimeError(
        tooLarge ? kOverflow : kTypeMismatch, u"LoadContacts"_s,
        u"["_s + section.Section + u"] Total \""_s + text +
            u"\" is not a whole number, so none of its contacts are shown; the section is left "
            "as it is in Settings.ini. Correct the Total and start Parlane again."_s);
}

// The entries numbered 0 to Total, by number: loading walks the keys that are there, never every
// number up to a Total that anyone may have written. A key counts only when spelt as the entry's
// own key is (no sign, blank or leading zero).
std::vector<std::pair<long, QString>> Entries(const QString& file, const ContactSection& section,
                                              long total) {
    const QString prefix = section.EntryName.toCaseFolded() + u'[';
    std::vector<std::pair<long, QString>> entries;
    for (auto& [key, value] : modINI::ReadINISection(section.Section, file)) {
        if (!key.startsWith(prefix) || !key.endsWith(u']')) {
            continue;
        }
        const QStringView digits =
            QStringView(key).sliced(prefix.size(), key.size() - prefix.size() - 1);
        bool ok = false;
        const long number = digits.toLong(&ok);
        if (ok && number >= 0 && number <= total && QString::number(number) == digits) {
            entries.emplace_back(number, std::move(value));
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return entries;
}

void LoadSection(const SharedState& state, ContactTree& tree, const ContactSection& section,
                 QList<platform::RuntimeError>& problems) {
    const QString& file = state.SettingsFile;
    section.State = {};
    long total = 0;
    try {
        total = ReadTotal(file, section);
    } catch (const platform::RuntimeError& e) {
        section.State.Unreadable = true;
        problems << e;
        return;
    }
    if (total <= 0) {
        return;
    }
    const QString& sep = state.FieldSeparator;
    const auto entries = Entries(file, section, total);
    tree.ReserveNodes(qsizetype(entries.size()));
    section.Contacts.Reserve(qsizetype(entries.size()));
    for (const auto& [i, entry] : entries) {
        if (entry.isEmpty()) {
            continue;
        }
        const QString address = modParse::GetFieldValue(entry, u"ADDRESS"_s, sep, u"="_s, {});
        if (address.isEmpty()) {
            section.State.KeptEntries << entry;
            continue;
        }
        const QString key = section.KeyPrefix + address;
        if (tree.NodeExists(key) || section.Contacts.Contains(key)) {
            section.State.KeptEntries << entry;
            problems << platform::RuntimeError(
                platform::err::DuplicateKey, u"LoadContacts"_s,
                u"["_s + section.Section + u"] "_s + section.EntryKey(i) + u": the address \""_s +
                    address +
                    u"\" is already in the list (letter case aside). The entry stays in "
                    "Settings.ini but is not shown."_s);
            continue;
        }
        auto contact = std::make_shared<clsContact>();
        contact->Name = modParse::GetFieldValue(entry, u"NAME"_s, sep, u"="_s, {});
        tree.AddNode(section.GroupKey, key, contact->Name, section.Image);
        contact->Address = address;
        contact->Entry = entry;
        section.Contacts.Add(std::move(contact), key);
    }
}

void ReportProblems(const QList<platform::RuntimeError>& problems, UserPrompts& prompts) {
    if (problems.isEmpty()) {
        return;
    }
    QString text = HandlerError::Text(u"LoadContacts"_s, problems.first());
    for (qsizetype i = 1; i < std::min<qsizetype>(problems.size(), kMaxReported); ++i) {
        text += u"\n\n"_s + HandlerError::NumberedText(problems[i]);
    }
    if (problems.size() > kMaxReported) {
        text += u"\n\n"_s + QString::number(problems.size() - kMaxReported) +
                u" more problems of the same kinds."_s;
    }
    prompts.Warn(text);
}

// What the file holds for a section, in no particular order; one marker when it cannot be read.
QStringList EntriesOnDisk(const QString& file, const ContactSection& section) {
    QStringList entries;
    try {
        for (auto& entry : Entries(file, section, ReadTotal(file, section))) {
            entries << std::move(entry.second);
        }
    } catch (const platform::RuntimeError&) {
        return {u"\n"_s};
    }
    entries.removeAll(QString());
    entries.sort();
    return entries;
}

QStringList EntriesHeld(const ContactSection& section) {
    if (section.State.Unreadable) {
        return {u"\n"_s};
    }
    QStringList entries = section.State.KeptEntries;
    for (const std::shared_ptr<clsContact>& contact : section.Contacts) {
        entries << contact->Entry;
    }
    entries.sort();
    return entries;
}

}  // namespace

void ReloadContacts(SharedState& state, ContactTree& tree) {
    const platform::ProfileSnapshot snapshot(state.SettingsFile);
    const auto sections = ContactSections(state);
    if (std::ranges::all_of(sections, [&](const ContactSection& section) {
            return EntriesOnDisk(state.SettingsFile, section) == EntriesHeld(section);
        })) {
        return;
    }
    QList<platform::RuntimeError> problems;  // told once, at start-up
    tree.BeginAdding();
    for (const ContactSection& section : sections) {
        for (const std::shared_ptr<clsContact>& contact : section.Contacts) {
            tree.RemoveNode(section.KeyPrefix + contact->Address);
        }
        section.Contacts = {};
        LoadSection(state, tree, section, problems);
    }
    tree.EndAdding();
}

void LoadContacts(SharedState& state, ContactTree& tree, UserPrompts& prompts) {
    const platform::ProfileSnapshot snapshot(state.SettingsFile);
    QList<platform::RuntimeError> problems;
    tree.BeginAdding();
    try {
        tree.AddNode({}, ContactKeys::kUnknown, u"Unknown"_s, ContactKeys::kImageUnknown);
        tree.AddNode(ContactKeys::kUnknown, ContactKeys::kCatchAll, u"Catch All"_s,
                     ContactKeys::kImageCatchAll);
        const auto sections = ContactSections(state);
        tree.AddNode({}, ContactKeys::kUsers, u"Users"_s, ContactKeys::kImageUsers);
        LoadSection(state, tree, sections[0], problems);
        tree.AddNode({}, ContactKeys::kDomains, u"Domains"_s, ContactKeys::kImageDomains);
        LoadSection(state, tree, sections[1], problems);
        for (const QString& key :
             {ContactKeys::kUsers, ContactKeys::kDomains, ContactKeys::kUnknown}) {
            tree.SetNodeBold(key, true);
        }
    } catch (const platform::RuntimeError& e) {
        problems << e;
    }
    tree.EndAdding();
    ReportProblems(problems, prompts);
}

}  // namespace modLoadContacts
