#include "core/SharedState.h"
#include "core/modStartup.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

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

class Startup : public ::testing::Test {
protected:
    QStringList Start(const QByteArray& settings) {
        if (!settings.isNull()) {
            WriteBytes(dir.filePath(u"Settings.ini"_s), settings);
        }
        SharedState state;
        RecordingHost host(state);
        modStartup::Main(state, host, dir.path());
        EXPECT_EQ(host.settingsAtLoad, dir.path() + u"/Settings.ini"_s);
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

// Where the files lie is the main window's tests' business: they find skins, help and settings.
TEST_F(Startup, TheProgramDirectoryHasNoDoubledSlashes) {
    SharedState s;
    EXPECT_EQ(modStartup::ProgramPathFor(u"/"_s), u"/"_s);
    EXPECT_EQ(modStartup::ProgramPathFor(u"/opt//parlane/"_s), u"/opt/parlane/"_s);
    EXPECT_EQ(modStartup::ProgramPathFor(u"//srv///share"_s), u"/srv/share/"_s);
    modStartup::SetupPaths(s, u"/"_s);
    EXPECT_EQ(s.SettingsFile, u"/Settings.ini"_s);
}

}  // namespace
