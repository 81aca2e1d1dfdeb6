#include "app/ParlaneApp.h"
#include "platform/ProfileFile.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "ui/dialogs/wSplash.h"
#include "ui/main/wMain.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

class Start : public ::testing::Test {
protected:
    void SetUp() override { platform::ForgetCachedProfiles(); }
    QString settings() const { return dir.filePath(u"Settings.ini"_s); }
    QTemporaryDir dir;
    ScopedMailslotNetwork network;
};

// The splash shows for exactly "1" and only then, before the main window, and goes after it.
TEST_F(Start, TheSplashComesOnlyForExactlyOneBeforeTheMainWindowAndGoesAfterIt) {
    struct Observed : ParlaneApp {
        using ParlaneApp::ParlaneApp;
        bool splashBeforeMain = false;
        void LoadMainWindow() override {
            splashBeforeMain = Splash() && Splash()->isVisible();
            ParlaneApp::LoadMainWindow();
        }
    };
    const struct {
        QByteArray value;
        bool splash;
    } cases[] = {{" 1 ", true}, {"0", false}, {"01", false}, {"True", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.constData());
        WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=" + c.value + "\r\n");
        platform::ForgetCachedProfiles();
        Observed windows(dir.path());
        windows.Start();
        EXPECT_EQ(windows.splashBeforeMain, c.splash);
        EXPECT_EQ(windows.Splash(), nullptr);
        ASSERT_NE(windows.MainWindow(), nullptr);
        EXPECT_TRUE(windows.MainWindow()->isVisible());
    }
}

TEST_F(Start, TheMainWindowRestoresAndSavesItsStateAndPlaceAndClosesWhenTheSaveFails) {
    WriteBytes(settings(),
               "[Contact List - Interface]\r\nDisplay Splash=0\r\n\r\n[Contact List]\r\n"
               "Users Expanded=1\r\n\r\n[Window Metrics]\r\nwMain Window Left=1500\r\n"
               "wMain Window Top=3000\r\nwMain Window Width=4500\r\nwMain Window Height=6000\r\n");
    {
        ParlaneApp windows(dir.path());
        windows.Start();
        wMain& main = *windows.MainWindow();
        EXPECT_EQ(QRect(main.pos(), main.size()), QRect(100, 200, 300, 400));
        const auto expanded = [&](int row) {
            return main.tvwContacts->topLevelItem(row)->isExpanded();
        };
        EXPECT_TRUE(expanded(0) && expanded(1) && !expanded(2));  // Unknown, Users, Domains
        main.tvwContacts->topLevelItem(2)->setExpanded(true);
        main.move(150, 250);
        EXPECT_TRUE(main.close());
    }
    const QByteArray saved = ReadBytes(settings());
    EXPECT_TRUE(saved.contains("Users Expanded=1\r\nDomains Expanded=1\r\nUnknown Expanded=1\r\n"))
        << saved.constData();
    EXPECT_TRUE(
        saved.contains("wMain Window Left=2250\r\nwMain Window Top=3750\r\n"
                       "wMain Window Width=4500\r\nwMain Window Height=6000\r\n"));

    ParlaneApp windows(dir.path());
    windows.Start();
    // The settings file turns into something that cannot be replaced.
    ASSERT_TRUE(QFile::remove(settings()));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"Settings.ini/locked"_s));
    MessageBoxes boxes({platform::vbOK});
    EXPECT_TRUE(windows.MainWindow()->close());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(
        boxes.shown()[0].request.prompt.startsWith(u"Error during Form_QueryUnload: [75] - "_s))
        << boxes.shown()[0].request.prompt;
    EXPECT_FALSE(windows.MainWindow()->isVisible());
}

}  // namespace
