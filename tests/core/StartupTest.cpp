#include "core/SharedState.h"
#include "core/modLoadSettings.h"
#include "core/modStartup.h"
#include "core/modWindowMetrics.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Settings, FlagsAreZeroOrAnyOtherNumberOrTrueOrFalseElseTheDefault) {
    const std::pair<QString, std::optional<bool>> cases[] = {
        {u"0"_s, false},     {u"2.5"_s, true}, {u" 0 "_s, false}, {u"True"_s, true},
        {u"false"_s, false}, {u"yes"_s, {}},   {u""_s, {}},       {u"inf"_s, {}},
    };
    for (const auto& [text, flag] : cases) {
        EXPECT_EQ(modLoadSettings::ParseFlag(text), flag) << text;
    }

    const QTemporaryDir dir;
    SharedState state;
    state.SettingsFile = dir.filePath(u"Settings.ini"_s);
    // Unset or unreadable flags: the splash, skins and notifications, no minimising.
    WriteBytes(
        state.SettingsFile,
        "[Contact List - Interface]\r\nDisplay Splash=0\r\n\r\n[Skinning]\r\nEnable=maybe\r\n");
    modLoadSettings::LoadSettings(state);
    EXPECT_TRUE(!state.DisplaySplash && !state.MinimiseOnStartup && state.SkinningEnabled &&
                state.DesktopNotifications);
}

// Hand-edited places: a value that is no whole number of twips leaves the window where it is.
TEST(WindowMetrics, OnlyWholeNumbersOfTwipsAreRead) {
    const std::pair<QString, std::optional<long>> cases[] = {
        {u" 1500.4 "_s, 1500}, {u"-2147483648"_s, -2147483648L}, {u"2147483647"_s, 2147483647},
        {u"2147483648"_s, {}}, {u"-2147483649"_s, {}},           {u"abc"_s, {}},
        {u"inf"_s, {}},
    };
    for (const auto& [text, twips] : cases) {
        EXPECT_EQ(modWindowMetrics::ParseMetric(text), twips) << text;
    }
}

// Each copy finds its pictures and help where it lies, and keeps its settings beside it only
// when it is a copied program directory that may be written; otherwise in the user's own
// configuration directory, which nothing makes before the first save.
TEST(StartupPaths, DataBesideOrInstalledAndSettingsBesideOrPerUser) {
    enum Where { Beside, Installed, User };
    const struct {
        const char* layout;
        const char* dirs;  // made below the root
        bool settingsBeside, readOnly;
        Where data, settings;
    } cases[] = {
        {"copied program directory", "usr/bin/Data", true, false, Beside, Beside},
        {"copied, no help pages", "usr/bin/Skins usr/share/parlane", true, false, Beside, Beside},
        {"copied to a read-only disk", "usr/bin/Skins", true, true, Beside, User},
        {"installed", "usr/share/parlane", false, false, Installed, User},
        {"a lone program", "", false, false, Beside, User},
    };
    // Root writes anywhere: its read-only disk is a read-only bind mount in the test's namespace.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(unshare(CLONE_NEWNS), 0);
        ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    }
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const QTemporaryDir root;
        const QDir top(root.path());
        top.mkpath(u"usr/bin"_s);
        for (const QString& dir : QString::fromLatin1(c.dirs).split(u' ', Qt::SkipEmptyParts)) {
            top.mkpath(dir);
        }
        const QString bin = root.filePath(u"usr/bin"_s);
        const QByteArray binName = QFile::encodeName(bin);
        const char* binPath = binName.constData();
        if (c.settingsBeside) {
            WriteBytes(bin + u"/Settings.ini"_s, "[Skinning]\r\nEnable=0\r\n");
        }
        if (c.readOnly && !asRoot) {
            QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
        } else if (c.readOnly) {
            ASSERT_EQ(mount(binPath, binPath, nullptr, MS_BIND, nullptr), 0);
            ASSERT_EQ(mount(nullptr, binPath, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
                      0);
        }
        qputenv("XDG_CONFIG_HOME", root.filePath(u"config"_s).toLocal8Bit());
        SharedState s;
        modStartup::SetupPaths(s, bin);

        const QString where[] = {bin + u'/', root.filePath(u"usr/share/parlane/"_s),
                                 root.filePath(u"config/parlane/"_s)};
        EXPECT_EQ(s.ProgramPath, bin + u'/');
        EXPECT_EQ(s.DefaultSkinPath, where[c.data] + u"Skins/Default/"_s);
        EXPECT_EQ(s.ErrorHelpPath, where[c.data] + u"Data/Help/Errors/"_s);
        EXPECT_EQ(s.SettingsFile, where[c.settings] + u"Settings.ini"_s);
        EXPECT_FALSE(QFileInfo::exists(where[User])) << "made before anything was saved";
        umount2(binPath, MNT_DETACH);
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("XDG_CONFIG_HOME", config);
    EXPECT_EQ(modStartup::ProgramPathFor(u"//srv///share"_s), u"/srv/share/"_s);
}

}  // namespace
