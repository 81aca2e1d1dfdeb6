#include "app/ParlaneApp.h"
#include "platform/ProfileFile.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "ui/dialogs/wSplash.h"
#include "ui/main/wMain.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Remembers whether the splash was on screen when the main window began to load.
class ObservedStartup : public ParlaneApp {
public:
    using ParlaneApp::ParlaneApp;
    bool splashShownBeforeMain = false;
    bool splashEverShown = false;
    void ShowSplash() override {
        ParlaneApp::ShowSplash();
        splashEverShown = Splash() && Splash()->isVisible();
        EXPECT_EQ(Splash()->labStatus->text(), u"Loading..."_s);
    }
    void LoadMainWindow() override {
        splashShownBeforeMain = Splash() && Splash()->isVisible();
        ParlaneApp::LoadMainWindow();
    }
};

class Start : public ::testing::Test {
protected:
    void SetUp() override { platform::ForgetCachedProfiles(); }
    QString settings() const { return dir.filePath(u"Settings.ini"_s); }
    QTemporaryDir dir;
    ScopedMailslotNetwork network;
};

TEST_F(Start, TheSplashComesBeforeTheMainWindowAndGoesAfterIt) {
    WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=1\r\n");
    ObservedStartup windows(dir.path());
    windows.Start();
    EXPECT_TRUE(windows.splashShownBeforeMain);
    EXPECT_EQ(windows.Splash(), nullptr);
    ASSERT_NE(windows.MainWindow(), nullptr);
    EXPECT_TRUE(windows.MainWindow()->isVisible());
    EXPECT_EQ(windows.MainWindow()->windowTitle(), u"Parlane"_s);
}

TEST_F(Start, NoSplashAtAnyTimeForZeroOrMinusOne) {
    for (const QByteArray& value : {QByteArray("0"), QByteArray("-1")}) {
        WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=" + value + "\r\n");
        ObservedStartup windows(dir.path());
        windows.Start();
        EXPECT_FALSE(windows.splashEverShown) << value.constData();
        EXPECT_EQ(windows.State().DisplaySplash, value == "-1");
        EXPECT_TRUE(windows.MainWindow()->isVisible());
        windows.MainWindow()->close();
    }
}

TEST_F(Start, TheMainWindowRestoresAndSavesItsStateAndPlace) {
    WriteBytes(settings(),
               "[Contact List - Interface]\r\nDisplay Splash=0\r\n\r\n[Contact List]\r\n"
               "Users Expanded=1\r\n\r\n[Window Metrics]\r\nwMain Window Left=1500\r\n"
               "wMain Window Top=3000\r\nwMain Window Width=4500\r\nwMain Window Height=6000\r\n");
    {
        ParlaneApp windows(dir.path());
        windows.Start();
        wMain& main = *windows.MainWindow();
        EXPECT_EQ(main.pos(), QPoint(100, 200));
        EXPECT_EQ(main.size(), QSize(300, 400));
        const QTreeWidgetItem* unknown = main.tvwContacts->topLevelItem(0);
        EXPECT_EQ(unknown->text(0), u"Unknown"_s);
        EXPECT_TRUE(unknown->isExpanded());
        EXPECT_TRUE(main.tvwContacts->topLevelItem(1)->isExpanded());   // Users
        EXPECT_FALSE(main.tvwContacts->topLevelItem(2)->isExpanded());  // Domains

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
}

TEST_F(Start, AFailedSaveOnClosingIsShownAndTheWindowStillCloses) {
    WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=0\r\n");
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
    EXPECT_EQ(boxes.shown()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(windows.MainWindow()->isVisible());
}

}  // namespace
