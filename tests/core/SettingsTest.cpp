#include "core/InMemoryTree.h"
#include "core/SharedState.h"
#include "core/modINI.h"
#include "core/modLoadSettings.h"
#include "core/modSaveSettings.h"
#include "platform/RuntimeError.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { state.SettingsFile = dir.filePath(u"Settings.ini"_s); }
    QTemporaryDir dir;
    SharedState state;
};

TEST_F(Settings, ModINIReadsWritesAndDeletesInItsArgumentOrder) {
    const QString file = state.SettingsFile;
    modINI::WriteINI(u"Skinning"_s, u"Enable"_s, u"1"_s, file);
    EXPECT_EQ(modINI::ReadINI(u"Skinning"_s, u"Enable"_s, u"x"_s, file), u"1"_s);
    modINI::WriteINI(u"Users"_s, u"Total"_s, u"0"_s, file);
    EXPECT_NE(modINI::DeleteINISection(file, u"Users"_s), 0);
    EXPECT_EQ(ReadBytes(file), "[Skinning]\r\nEnable=1\r\n\r\n");
    EXPECT_EQ(modINI::ReadINI(u"Users"_s, u"Total"_s, u"0"_s, file), u"0"_s);

    const QString unwritable = dir.filePath(u"Settings.ini/x/Settings.ini"_s);
    EXPECT_THROW(modINI::WriteINI(u"S"_s, u"K"_s, u"1"_s, unwritable), platform::RuntimeError);
}

TEST_F(Settings, FlagsFollowTheNumericRule) {
    using modLoadSettings::ParseFlag;
    EXPECT_EQ(ParseFlag(u"0"_s), false);
    EXPECT_EQ(ParseFlag(u"1"_s), true);
    EXPECT_EQ(ParseFlag(u"-1"_s), true);
    EXPECT_EQ(ParseFlag(u"2.5"_s), true);
    EXPECT_EQ(ParseFlag(u"0.0"_s), false);
    EXPECT_EQ(ParseFlag(u"True"_s), true);
    EXPECT_EQ(ParseFlag(u"false"_s), false);
    EXPECT_EQ(ParseFlag(u"yes"_s), std::nullopt);
    EXPECT_EQ(ParseFlag(u""_s), std::nullopt);
    EXPECT_EQ(ParseFlag(u"nan"_s), std::nullopt);
    EXPECT_EQ(ParseFlag(u"1x"_s), std::nullopt);
}

TEST_F(Settings, LoadSettingsWithoutAFileGivesTheDefaults) {
    modLoadSettings::LoadSettings(state);
    EXPECT_TRUE(state.DisplaySplash);
    EXPECT_FALSE(state.MinimiseOnStartup);
    EXPECT_TRUE(state.SkinningEnabled);
    EXPECT_FALSE(QFile::exists(state.SettingsFile));  // reading makes no file
}

TEST_F(Settings, LoadSettingsReadsHandEditedValues) {
    WriteBytes(state.SettingsFile,
               "[Contact List - Interface]\r\nDisplay Splash=-1\r\nMinimise On Startup=maybe\r\n"
               "\r\n[Skinning]\r\nEnable=0\r\n");
    modLoadSettings::LoadSettings(state);
    EXPECT_TRUE(state.DisplaySplash);       // -1 is a number other than 0
    EXPECT_FALSE(state.MinimiseOnStartup);  // not a number: the default
    EXPECT_FALSE(state.SkinningEnabled);
}

TEST_F(Settings, ContactListStateRoundTripsInItsOrder) {
    InMemoryTree tree;
    modLoadSettings::LoadContactListState(state.SettingsFile, tree);
    EXPECT_EQ(tree.order, (QStringList{u"_domains"_s, u"_users"_s, u"_unknown"_s}));
    EXPECT_FALSE(tree.expanded[u"_users"_s]);
    EXPECT_FALSE(tree.expanded[u"_domains"_s]);
    EXPECT_TRUE(tree.expanded[u"_unknown"_s]);

    tree.expanded[u"_users"_s] = true;
    tree.expanded[u"_unknown"_s] = false;
    modSaveSettings::SaveContactListState(state.SettingsFile, tree);
    EXPECT_EQ(ReadBytes(state.SettingsFile),
              "[Contact List]\r\nDomains Expanded=0\r\nUsers Expanded=1\r\nUnknown Expanded=0\r\n");

    InMemoryTree restored;
    modLoadSettings::LoadContactListState(state.SettingsFile, restored);
    EXPECT_EQ(restored.expanded, tree.expanded);
}

TEST_F(Settings, AFailedSaveOfTheStateRaisesAnError) {
    InMemoryTree tree;
    // A file where its directory should be: no directory can be made there, even by root.
    WriteBytes(dir.filePath(u"blocked"_s), "");
    state.SettingsFile = dir.filePath(u"blocked/Settings.ini"_s);
    EXPECT_THROW(modSaveSettings::SaveContactListState(state.SettingsFile, tree),
                 platform::RuntimeError);
}

}  // namespace
