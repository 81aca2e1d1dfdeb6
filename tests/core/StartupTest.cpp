#include "core/SharedState.h"
#include "core/modStartup.h"
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

class RecordingHost : public modStartup::StartupHost {
public:
    explicit RecordingHost(const SharedState& state) : state(state) {}
    const SharedState& state;
    QStringList calls;
    QString settingsAtLoad;
    void ShowSplash() override { calls << u"splash"_s; }
    void LoadMainWindow() override {
        calls << u"main"_s;
        settingsAtLoad = state.SettingsFile;
    }
};

// Sets an environment variable, or with a null value removes it, until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

// Makes the directory unwritable for this process, root included: a read-only bind mount in a
// mount namespace of the test's own (root), or its permissions (anyone else).
bool MakeReadOnly(const QString& dir) {
    if (geteuid() != 0) {
        return QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    }
    static const bool ownNamespace =
        unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    const QByteArray path = QFile::encodeName(dir);
    return ownNamespace &&
           mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
               0;
}

class Startup : public ::testing::Test {
protected:
    QStringList Start(const QByteArray& settings) {
        if (!settings.isNull()) {
            WriteBytes(dir.filePath(u"Settings.ini"_s), settings);
        }
        SharedState state;
        RecordingHost host(state);
        modStartup::Main(state, host, dir.path());
        EXPECT_EQ(host.settingsAtLoad, settings.isNull() ? qEnvironmentVariable("XDG_CONFIG_HOME") +
                                                               u"/parlane/Settings.ini"_s
                                                         : dir.path() + u"/Settings.ini"_s);
        return host.calls;
    }

    QTemporaryDir dir;
};

TEST_F(Startup, ShowsTheSplashOnlyForExactlyOne) {
    const QStringList withSplash{u"splash"_s, u"main"_s};
    const QStringList without{u"main"_s};
    EXPECT_EQ(Start(QByteArray()), withSplash);  // no file: the default "1"
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash=1\r\n"), withSplash);
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash = 1 \r\n"), withSplash);
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash=0\r\n"), without);
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash=-1\r\n"), without);
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash=01\r\n"), without);
    EXPECT_EQ(Start("[Contact List - Interface]\r\nDisplay Splash=True\r\n"), without);
}

TEST_F(Startup, TheProgramDirectoryHasNoDoubledSlashes) {
    EXPECT_EQ(modStartup::ProgramPathFor(u"/"_s), u"/"_s);
    EXPECT_EQ(modStartup::ProgramPathFor(u"/opt//parlane/"_s), u"/opt/parlane/"_s);
    EXPECT_EQ(modStartup::ProgramPathFor(u"//srv///share"_s), u"/srv/share/"_s);
}

// Each copy finds its pictures and help where it lies, and keeps its settings beside it only
// when it is a copied program directory that may be written; otherwise in the user's own
// configuration directory, which nothing makes before the first save.
TEST(StartupPaths, DataBesideOrInstalledAndSettingsBesideOrPerUser) {
    enum Where { Beside, Installed, User, Home };
    const struct {
        const char* layout;
        bool skinsBeside, dataBeside, settingsBeside, readOnly, installedTree, xdgSet;
        Where data, settings;
    } cases[] = {
        {"build tree", true, true, false, false, false, true, Beside, User},
        {"copied program directory", true, true, true, false, false, true, Beside, Beside},
        {"copied directory without help pages", true, false, true, false, true, true, Beside,
         Beside},
        {"copied directory on a read-only disk", true, true, true, true, false, true, Beside, User},
        {"installed", false, false, false, false, true, true, Installed, User},
        {"installed, no XDG_CONFIG_HOME", false, false, false, false, true, false, Installed, Home},
        {"a lone program", false, false, false, false, false, true, Beside, User},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const QTemporaryDir root;
        const QDir top(root.path());
        top.mkpath(u"usr/bin"_s);
        top.mkpath(u"home/.config"_s);
        const QString bin = root.filePath(u"usr/bin"_s);
        if (c.skinsBeside) {
            top.mkpath(u"usr/bin/Skins/Default"_s);
        }
        if (c.dataBeside) {
            top.mkpath(u"usr/bin/Data/Help/Errors"_s);
        }
        if (c.settingsBeside) {
            WriteBytes(bin + u"/Settings.ini"_s, "[Skinning]\r\nEnable=0\r\n");
        }
        if (c.installedTree) {
            top.mkpath(u"usr/share/parlane/Skins/Default"_s);
        }
        if (c.readOnly) {
            ASSERT_TRUE(MakeReadOnly(bin));
        }
        const ScopedEnv home("HOME", root.filePath(u"home"_s).toLocal8Bit());
        const ScopedEnv xdg("XDG_CONFIG_HOME",
                            c.xdgSet ? root.filePath(u"config"_s).toLocal8Bit() : QByteArray());

        SharedState s;
        modStartup::SetupPaths(s, bin);

        const QString where[] = {bin + u'/', root.filePath(u"usr/share/parlane/"_s),
                                 root.filePath(u"config/parlane/"_s),
                                 root.filePath(u"home/.config/parlane/"_s)};
        EXPECT_EQ(s.ProgramPath, bin + u'/');
        EXPECT_EQ(s.DefaultSkinPath, where[c.data] + u"Skins/Default/"_s);
        EXPECT_EQ(s.ErrorHelpPath, where[c.data] + u"Data/Help/Errors/"_s);
        EXPECT_EQ(s.SettingsFile, where[c.settings] + u"Settings.ini"_s);
        EXPECT_FALSE(QFileInfo::exists(where[User])) << "made before anything was saved";
        EXPECT_FALSE(QFileInfo::exists(where[Home]));
        if (c.readOnly) {
            umount2(QFile::encodeName(bin).constData(), MNT_DETACH);
            QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
}

}  // namespace
