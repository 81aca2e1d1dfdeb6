#include "contacts/ContactKeys.h"
#include "contacts/modFindContact.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modParse.h"
#include "contacts/modSaveContacts.h"
#include "core/SharedState.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "support/Files.h"
#include "support/MemoryContactTree.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class ContactFile : public ::testing::Test {
protected:
    void SetUp() override { Restart(); }

    // What a new start of the program has: fresh state, nothing cached, an empty tree.
    void Restart() {
        platform::ForgetCachedProfiles();
        state = SharedState();
        prompts.warnings.clear();
        state.AppName = u"Parlane"_s;
        state.FieldSeparator = u"|"_s;
        state.SettingsFile = dir.filePath(u"Settings.ini"_s);
        tree = std::make_unique<MemoryContactTree>();
    }

    void WriteFile(const QByteArray& text) {
        QByteArray crlf = text;
        crlf.replace("\n", "\r\n");
        WriteBytes(state.SettingsFile, crlf);
        platform::ForgetCachedProfiles();
    }
    QByteArray File() const { return ReadBytes(state.SettingsFile).replace("\r\n", "\n"); }

    QString Read(const QString& section, const QString& key) const {
        return modINI::ReadINI(section, key, u"(none)"_s, state.SettingsFile);
    }
    QStringList Users() const { return tree->ChildTexts(ContactKeys::kUsers); }
    QStringList Domains() const { return tree->ChildTexts(ContactKeys::kDomains); }

    QTemporaryDir dir;
    SharedState state;
    RecordingPrompts prompts;
    std::unique_ptr<MemoryContactTree> tree;
};

TEST(ContactParse, FieldsFollowTheEntryStringRules) {
    using modParse::GetFieldValue;
    const QString sep = u"|"_s;
    const auto field = [&](const QString& entry, const QString& name) {
        return GetFieldValue(entry, name, sep, u"="_s, u"default"_s);
    };
    EXPECT_EQ(field(u"NAME=Anna|ADDRESS=pc01|TYPE=0"_s, u"ADDRESS"_s), u"pc01"_s);
    EXPECT_EQ(field(u"NAME=Anna|ADDRESS=a=b|TYPE=0"_s, u"ADDRESS"_s), u"a=b"_s);
    EXPECT_EQ(field(u"NAME =Bob|ADDRESS=pc02"_s, u"NAME"_s), u""_s);  // the key is "NAME "
    EXPECT_EQ(field(u"NAME=Anna|ADDRESS=pc01"_s, u"address"_s), u""_s);
    EXPECT_EQ(field(u"junk|NAME=Bob|ADDRESS=pc02"_s, u"ADDRESS"_s), u"default"_s);
    EXPECT_EQ(field(u""_s, u"ADDRESS"_s), u""_s);
    EXPECT_EQ(field(u"NAME=A|B|ADDRESS=pc03"_s, u"NAME"_s), u"A"_s);
    // Whatever separator the caller gives.
    EXPECT_EQ(GetFieldValue(u"A=1;B=2"_s, u"B"_s, u";"_s, u"="_s, {}), u"2"_s);

    using modParse::SplitFields;
    EXPECT_EQ(SplitFields(u"|a||b|"_s, u"|"_s), (QStringList{u""_s, u"a"_s, u""_s, u"b"_s, u""_s}));
    EXPECT_EQ(SplitFields(u"aXXXb"_s, u"XX"_s), (QStringList{u"a"_s, u"Xb"_s}));
    EXPECT_EQ(SplitFields(u"a|b"_s, u""_s), QStringList{u"a|b"_s});
    EXPECT_EQ(SplitFields(u"aXb"_s, u"x"_s), QStringList{u"aXb"_s});
}

TEST_F(ContactFile, LoadingReadsEveryNumberUpToTotalAndSavingRenumbers) {
    WriteFile(
        "[Users]\nTotal=5\nUser[0]=NAME=Zero|ADDRESS=pc00|TYPE=0\nUser[2]=NAME=Anna|ADDRESS=pc01|"
        "TYPE=0\nUser[5]=NAME=Bob|ADDRESS=PC02|TYPE=0\nUser[7]=NAME=Past|ADDRESS=pc07|TYPE=0\n"
        "[Domains]\nTotal=1\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n");
    modLoadContacts::LoadContacts(state, *tree, prompts);

    EXPECT_EQ(tree->topLevel, (QStringList{u"_unknown"_s, u"_users"_s, u"_domains"_s}));
    EXPECT_EQ(tree->ChildTexts(u"_unknown"_s), QStringList{u"Catch All"_s});
    EXPECT_EQ(Users(), (QStringList{u"Zero"_s, u"Anna"_s, u"Bob"_s}));
    EXPECT_EQ(Domains(), QStringList{u"Sales"_s});
    for (const QString& group : {u"_users"_s, u"_domains"_s, u"_unknown"_s}) {
        EXPECT_TRUE(tree->node(group).bold) << group;
    }
    EXPECT_FALSE(tree->node(u"_unknown_catchall"_s).bold);
    EXPECT_EQ(tree->node(u"_users_pc01"_s).image, ContactKeys::kImageUser);
    EXPECT_EQ(tree->node(u"_domains_sales"_s).image, ContactKeys::kImageDomain);
    EXPECT_EQ(tree->node(u"_unknown_catchall"_s).image, ContactKeys::kImageCatchAll);

    // Capitals stay in the record and the key; the key still matches in any letter case.
    const auto& bob = state.UserContacts.Item(u"_users_pc02"_s);
    EXPECT_EQ(bob->Address, u"PC02"_s);
    EXPECT_EQ(tree->node(u"_users_pc02"_s).key, u"_users_PC02"_s);
    EXPECT_EQ(bob->Entry, u"NAME=Bob|ADDRESS=PC02|TYPE=0"_s);

    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(File(),
              "[Users]\nTotal=3\nUser[1]=NAME=Zero|ADDRESS=pc00|TYPE=0\nUser[2]=NAME=Anna|"
              "ADDRESS=pc01|TYPE=0\nUser[3]=NAME=Bob|ADDRESS=PC02|TYPE=0\n\n[Domains]\nTotal=1\n"
              "Domain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n");
}

TEST_F(ContactFile, LookupsIgnoreAddressCaseButNotNameCase) {
    WriteFile(
        "[Users]\nTotal=2\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\nUser[2]=NAME=Same|ADDRESS=PC02\n"
        "[Domains]\nTotal=2\nDomain[1]=NAME=Same|ADDRESS=sales|TYPE=1\n"
        "Domain[2]=NAME=Home|ADDRESS=pc01|TYPE=1\n");
    modLoadContacts::LoadContacts(state, *tree, prompts);
    using modFindContact::FindContactByAddress;
    using modFindContact::FindContactByName;

    EXPECT_EQ(FindContactByAddress(state, u"PC01"_s)->Name, u"Anna"_s);  // users before domains
    EXPECT_EQ(FindContactByAddress(state, u"pc02"_s)->Name, u"Same"_s);  // stored in capitals
    EXPECT_EQ(FindContactByAddress(state, u"SALES"_s)->Name, u"Same"_s);
    EXPECT_EQ(FindContactByName(state, u"Same"_s)->Address, u"PC02"_s);
    EXPECT_EQ(FindContactByName(state, u"anna"_s)->Name, u""_s);

    const auto nobody = FindContactByAddress(state, u"pc99"_s);
    ASSERT_NE(nobody, nullptr);
    EXPECT_TRUE(nobody->Name.isEmpty() && nobody->Address.isEmpty() && nobody->Entry.isEmpty());
    EXPECT_NE(nobody, FindContactByAddress(state, u"pc99"_s));  // a new record each time
}

TEST_F(ContactFile, EntriesThatCannotBeShownAreSkippedButKept) {
    WriteFile(
        "[Users]\nTotal=6\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n"
        "User[2]=NAME=Bob|ADDRESS=|TYPE=0\nUser[3]=junk|NAME=Carl|ADDRESS=pc03\n"
        "User[4]=NAME=Twin|ADDRESS=PC01|TYPE=0\nUser[5]=NAME=Dora|ADDRESS=pc05|TYPE=0\n"
        "User[6]=NAME=Eve|ADDRESS=pc06|TYPE=0\n");
    modLoadContacts::LoadContacts(state, *tree, prompts);

    // Loading went on after the duplicate, and said which entry it was.
    EXPECT_EQ(Users(), (QStringList{u"Anna"_s, u"Dora"_s, u"Eve"_s}));
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
    Restart();
    modLoadContacts::LoadContacts(state, *tree, prompts);
    EXPECT_TRUE(prompts.warnings.isEmpty());
    EXPECT_EQ(Users(), (QStringList{u"Dora"_s, u"Eve"_s, u"Twin"_s}));
}

TEST_F(ContactFile, AnUnreadableTotalLeavesItsSectionAlone) {
    const QByteArray original =
        "[Users]\nTotal=\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n"
        "[Domains]\nTotal=2\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\n"
        "Domain[2]=NAME=Home|ADDRESS=home|TYPE=1\n";
    WriteFile(original);
    modLoadContacts::LoadContacts(state, *tree, prompts);
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_TRUE(
        prompts.warnings[0].startsWith(u"Error during LoadContacts: [13] - [Users] Total \"\""_s));
    EXPECT_TRUE(Users().isEmpty());
    EXPECT_EQ(Domains(), (QStringList{u"Sales"_s, u"Home"_s}));
    EXPECT_TRUE(tree->node(u"_users"_s).bold);  // loading finished

    // Removing a domain rewrites Domains only.
    state.DomainContacts.Remove(u"_domains_sales"_s);
    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(Read(u"Users"_s, u"User[1]"_s), u"NAME=Anna|ADDRESS=pc01|TYPE=0"_s);
    EXPECT_EQ(Read(u"Users"_s, u"Total"_s), u""_s);
    EXPECT_EQ(Read(u"Domains"_s, u"Total"_s), u"1"_s);
    EXPECT_EQ(Read(u"Domains"_s, u"Domain[1]"_s), u"NAME=Home|ADDRESS=home|TYPE=1"_s);

    // A user added now cannot be stored, and saving says so after storing the rest.
    auto added = std::make_shared<clsContact>();
    added->Entry = u"NAME=New|ADDRESS=pc09|TYPE=0"_s;
    state.UserContacts.Add(added, u"_users_pc09"_s);
    EXPECT_THROW(modSaveContacts::SaveContacts(state), platform::RuntimeError);
    EXPECT_EQ(Read(u"Users"_s, u"User[1]"_s), u"NAME=Anna|ADDRESS=pc01|TYPE=0"_s);

    // Other unreadable Totals: text, a fraction, too large a number.
    for (const char* total : {"abc", "2.5", "2147483648"}) {
        Restart();
        WriteFile(QByteArray("[Users]\nTotal=") + total + "\nUser[1]=NAME=Anna|ADDRESS=pc01\n");
        modLoadContacts::LoadContacts(state, *tree, prompts);
        EXPECT_EQ(prompts.warnings.size(), 1u) << total;
        modSaveContacts::SaveContacts(state);
        EXPECT_EQ(Read(u"Users"_s, u"User[1]"_s), u"NAME=Anna|ADDRESS=pc01"_s);
    }
}

TEST_F(ContactFile, EmptyListsHaveNoSection) {
    // No file, no Total, a zero or negative Total: empty lists, no message.
    modLoadContacts::LoadContacts(state, *tree, prompts);
    EXPECT_TRUE(Users().isEmpty());
    for (const QByteArray& text : {QByteArray("[Users]\nUser[1]=NAME=A|ADDRESS=a\n"),
                                   QByteArray("[Users]\nTotal=0\nUser[0]=NAME=A|ADDRESS=a\n")}) {
        Restart();
        WriteFile(text);
        modLoadContacts::LoadContacts(state, *tree, prompts);
        EXPECT_TRUE(Users().isEmpty());
    }

    // Removing the last contact of a section deletes the section.
    Restart();
    WriteFile("[Users]\nTotal=1\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\n[Other]\nKey=1\n");
    modLoadContacts::LoadContacts(state, *tree, prompts);
    state.UserContacts.Remove(u"_users_pc01"_s);
    modSaveContacts::SaveContacts(state);
    EXPECT_EQ(File(), "[Other]\nKey=1\n");
}

TEST_F(ContactFile, AHugeTotalReadsOnlyTheEntriesThatExist) {
    WriteFile(
        "[Users]\nTotal=2147483647\nUser[2147483647]=NAME=Last|ADDRESS=pc99\n"
        "User[3]=NAME=Anna|ADDRESS=pc01\nUser[05]=NAME=B|ADDRESS=b\nUser[+4]=NAME=C|ADDRESS=c\n");
    QElapsedTimer timer;
    timer.start();
    modLoadContacts::LoadContacts(state, *tree, prompts);
    EXPECT_LT(timer.elapsed(), 5000);  // a loop to the Total would take minutes
    // "User[05]" and "User[+4]" are not the keys "User[5]" and "User[4]".
    EXPECT_EQ(Users(), (QStringList{u"Anna"_s, u"Last"_s}));
}

}  // namespace
