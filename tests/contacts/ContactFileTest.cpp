#include "contacts/ContactKeys.h"
#include "contacts/modFindContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modParse.h"
#include "contacts/modSaveContacts.h"
#include "controls/ContactTreeWidget.h"
#include "core/SharedState.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/TreeTexts.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class ContactFile : public ::testing::Test {
protected:
    // A new start of the program on the file: fresh state, nothing cached, an empty list.
    void Load(const QByteArray& text = {}) {
        if (!text.isNull()) {
            WriteBytes(file, QByteArray(text).replace("\n", "\r\n"));
        }
        platform::ForgetCachedProfiles();
        state = SharedState();
        state.FieldSeparator = u"|"_s;
        state.SettingsFile = file;
        prompts.warnings.clear();
        view.clear();
        tree = std::make_unique<ContactTreeWidget>(view);
        modLoadContacts::LoadContacts(state, *tree, prompts);
    }
    QByteArray File() const { return ReadBytes(file).replace("\r\n", "\n"); }
    // The texts shown under a group (Users unless told), in order; at the top level for none.
    QStringList Shown(const QString& group = ContactKeys::kUsers) const {
        return ChildTexts(group.isEmpty() ? view.invisibleRootItem() : tree->Node(group));
    }

    QTemporaryDir dir;
    const QString file = dir.filePath(u"Settings.ini"_s);
    SharedState state;
    RecordingPrompts prompts;
    QTreeWidget view;
    std::unique_ptr<ContactTreeWidget> tree;
};

TEST(ContactParse, FieldsFollowTheEntryStringRules) {
    const std::array<QString, 4> cases[] = {
        {u"NAME=Anna|ADDRESS=a=b|TYPE=0"_s, u"|"_s, u"ADDRESS"_s, u"a=b"_s},
        {u"NAME =Bob|ADDRESS=pc02"_s, u"|"_s, u"NAME"_s, u""_s},  // the key is "NAME "
        {u"NAME=Anna|ADDRESS=pc01"_s, u"|"_s, u"address"_s, u""_s},
        {u"NAME=A|B|ADDRESS=pc03"_s, u"|"_s, u"ADDRESS"_s, u"pc03"_s},
        {u"A=1;B=2"_s, u";"_s, u"B"_s, u"2"_s},
        {u"|NAME=Anna"_s, u"|"_s, u"NAME"_s, u"default"_s},  // an empty first part: no fields
    };
    for (const auto& [entry, separator, field, value] : cases) {
        EXPECT_EQ(modParse::GetFieldValue(entry, field, separator, u"="_s, u"default"_s), value)
            << entry << " " << field;
    }
}

TEST_F(ContactFile, LoadingReadsEveryNumberUpToTotalAndSavingRenumbers) {
    // No file, no Total, a zero Total: empty lists, no message.
    for (const QByteArray& text : {QByteArray(), QByteArray("[Users]\nUser[1]=NAME=A|ADDRESS=a\n"),
                                   QByteArray("[Users]\nTotal=0\nUser[0]=NAME=A|ADDRESS=a\n")}) {
        Load(text);
        EXPECT_TRUE(Shown().isEmpty() && prompts.warnings.isEmpty()) << text.constData();
    }

    Load(
        "[Users]\nTotal=5\nUser[0]=NAME=Zero|ADDRESS=pc00|TYPE=0\n"
        "User[2]=NAME=Anna|ADDRESS=pc01|TYPE=0\nUser[3]=\nUser[5]=NAME=Bob|ADDRESS=PC02|TYPE=0\n"
        "User[7]=NAME=Past|ADDRESS=pc07|TYPE=0\n"
        "[Domains]\nTotal=1\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n");
    EXPECT_EQ(Shown({}), (QStringList{u"Unknown"_s, u"Users"_s, u"Domains"_s}));
    EXPECT_EQ(Shown(), (QStringList{u"Zero"_s, u"Anna"_s, u"Bob"_s}));
    EXPECT_EQ(Shown(ContactKeys::kDomains), QStringList{u"Sales"_s});
    // Capitals stay in the record and the key; the key still matches in any letter case.
    const auto& bob = state.UserContacts.Item(u"_users_pc02"_s);
    EXPECT_EQ(ContactTreeWidget::KeyOf(*tree->Node(u"_users_pc02"_s)), u"_users_PC02"_s);
    EXPECT_EQ(bob->Address + u' ' + bob->Entry, u"PC02 NAME=Bob|ADDRESS=PC02|TYPE=0"_s);

    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(File(),
              "[Users]\nTotal=3\nUser[1]=NAME=Zero|ADDRESS=pc00|TYPE=0\nUser[2]=NAME=Anna|"
              "ADDRESS=pc01|TYPE=0\nUser[3]=NAME=Bob|ADDRESS=PC02|TYPE=0\n\n[Domains]\nTotal=1\n"
              "Domain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n");

    // A loop to the Total would take minutes; "User[05]", "User[+4]" and "Uzer[6]" are not the
    // keys "User[5]", "User[4]" and "User[6]".
    Load(
        "[Users]\nTotal=2147483647\nUser[2147483647]=NAME=Last|ADDRESS=pc99\nUzer[6]=NAME=D|"
        "ADDRESS=d\n"
        "User[3]=NAME=Anna|ADDRESS=pc01\nUser[05]=NAME=B|ADDRESS=b\nUser[+4]=NAME=C|ADDRESS=c\n");
    EXPECT_EQ(Shown(), (QStringList{u"Anna"_s, u"Last"_s}));

    // Removing the last contact of a section deletes the section.
    Load("[Users]\nTotal=1\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n[Other]\nKey=1\n");
    state.UserContacts.Remove(u"_users_pc01"_s);
    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(File(), "[Other]\nKey=1\n");
}

TEST_F(ContactFile, LookupsIgnoreAddressCaseButNotNameCase) {
    Load(
        "[Users]\nTotal=2\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\nUser[2]=NAME=Same|ADDRESS=PC02\n"
        "[Domains]\nTotal=2\nDomain[1]=NAME=Same|ADDRESS=sales|TYPE=1\n"
        "Domain[2]=NAME=Home|ADDRESS=pc01|TYPE=1\n");
    using modFindContact::FindContactByAddress;
    using modFindContact::FindContactByName;
    EXPECT_EQ(FindContactByAddress(state, u"PC01"_s)->Name, u"Anna"_s);  // users before domains
    EXPECT_EQ(FindContactByAddress(state, u"pc02"_s)->Name, u"Same"_s);  // stored in capitals
    EXPECT_EQ(FindContactByAddress(state, u"SALES"_s)->Name, u"Same"_s);
    EXPECT_EQ(FindContactByName(state, u"Same"_s)->Address, u"PC02"_s);
    EXPECT_EQ(FindContactByName(state, u"anna"_s)->Name, u""_s);
    EXPECT_EQ(FindContactByAddress(state, u"pc99"_s)->Entry, u""_s);
}

TEST_F(ContactFile, EntriesThatCannotBeShownAreSkippedButKept) {
    Load(
        "[Users]\nTotal=6\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n"
        "User[2]=NAME=Bob|ADDRESS=|TYPE=0\nUser[3]=junk|NAME=Carl|ADDRESS=pc03\n"
        "User[4]=NAME=Twin|ADDRESS=PC01|TYPE=0\nUser[5]=NAME=Dora|ADDRESS=pc05|TYPE=0\n"
        "User[6]=NAME=Eve|ADDRESS=pc06|TYPE=0\n");
    // Loading went on after the duplicate, and said which entry it was.
    EXPECT_EQ(Shown(), (QStringList{u"Anna"_s, u"Dora"_s, u"Eve"_s}));
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_TRUE(
        prompts.warnings[0].startsWith(u"Error during LoadContacts: [457] - [Users] User[4]"_s))
        << prompts.warnings[0];

    // A save writes every entry of the file back: the shown ones first, then the rest.
    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(File(),
              "[Users]\nTotal=6\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n"
              "User[2]=NAME=Dora|ADDRESS=pc05|TYPE=0\nUser[3]=NAME=Eve|ADDRESS=pc06|TYPE=0\n"
              "User[4]=NAME=Bob|ADDRESS=|TYPE=0\nUser[5]=junk|NAME=Carl|ADDRESS=pc03\n"
              "User[6]=NAME=Twin|ADDRESS=PC01|TYPE=0\n");

    // Removing the first contact lets its twin be shown at the next start.
    state.UserContacts.Remove(u"_users_pc01"_s);
    modSaveContacts::SaveContacts(state);
    Load();
    EXPECT_TRUE(prompts.warnings.isEmpty());
    EXPECT_EQ(Shown(), (QStringList{u"Dora"_s, u"Eve"_s, u"Twin"_s}));

    // Eleven problems are told in one warning: ten and a count.
    for (const int duplicates : {10, 11}) {
        QByteArray text = "[Users]\nTotal=12\n";
        for (int i = 0; i <= duplicates; ++i) {
            text += "User[" + QByteArray::number(i + 1) + "]=NAME=Same|ADDRESS=pc01\n";
        }
        Load(text);
        ASSERT_TRUE(prompts.warnings.size() == 1u && prompts.warnings[0].count(u"[457]"_s) == 10);
        EXPECT_EQ(prompts.warnings[0].contains(u"\n\n1 more"_s), duplicates == 11);
    }
}

TEST_F(ContactFile, AnUnreadableTotalLeavesItsSectionAlone) {
    Load(
        "[Users]\nTotal=\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n"
        "[Domains]\nTotal=2\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n"
        "Domain[2]=NAME=Home|ADDRESS=home|TYPE=1\n");
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_TRUE(
        prompts.warnings[0].startsWith(u"Error during LoadContacts: [13] - [Users] Total \"\""_s));
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(Shown(ContactKeys::kDomains), (QStringList{u"Sales"_s, u"Home"_s}));
    EXPECT_TRUE(tree->Node(ContactKeys::kUsers)->font(0).bold());  // loading finished

    // Removing a domain rewrites only Domains; a user it cannot store fails the save, not the rest.
    state.DomainContacts.Remove(u"_domains_sales"_s);
    auto added = std::make_shared<clsContact>();
    added->Entry = u"NAME=New|ADDRESS=pc09|TYPE=0"_s;
    state.UserContacts.Add(added, u"_users_pc09"_s);
    EXPECT_THROW(modSaveContacts::SaveContacts(state), platform::RuntimeError);
    EXPECT_EQ(File(),
              "[Users]\nTotal=\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n\n"
              "[Domains]\nTotal=1\nDomain[1]=NAME=Home|ADDRESS=home|TYPE=1\n");

    Load("[Users]\nTotal=2147483648\nUser[1]=NAME=Anna|ADDRESS=pc01\n");
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_TRUE(prompts.warnings[0].contains(u"[6] - [Users] Total"_s)) << prompts.warnings[0];
}

}  // namespace
