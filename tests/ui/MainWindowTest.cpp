#include "core/SharedState.h"
#include "core/modStartup.h"
#include "platform/ProfileFile.h"
#include "platform/ShellLaunch.h"
#include "platform/gui/WindowPos.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"
#include "ui/main/wMain.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowList.h"
#include "ui/shared/modErrorHelp.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kContacts =
    "[Users]\r\nTotal=3\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n"
    "User[2]=NAME=Bob|ADDRESS=pc02|TYPE=0\r\nUser[3]=NAME=Carl|ADDRESS=pc03|TYPE=0\r\n"
    "[Domains]\r\nTotal=1\r\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\r\n";

class MainWindow : public MainWindowFixture {
protected:
    // Minimising hides into the tray once the state change is through.
    static bool Hidden(QWidget& w) {
        return QTest::qWaitFor([&] { return !w.isVisible(); }, 2000);
    }
    QStringList ShownItems(QMenu* menu) {
        QStringList texts;
        for (QAction* a : menu->actions()) {
            if (a->isVisible()) {
                texts << (a->isSeparator() ? u"-"_s
                                           : a->text() + (a->isEnabled() ? u""_s : u" (off)"_s));
            }
        }
        return texts;
    }
};

TEST_F(MainWindow, LoadsEverythingInOrderAndListens) {
    CopyResources();
    WriteSettings("[Contact List]\r\nUsers Expanded=1\r\nDomains Expanded=0\r\n" + kContacts);
    wMain& w = Start();

    EXPECT_EQ(w.windowTitle(), u"Parlane"_s);
    EXPECT_TRUE(w.isVisible());
    // Contacts came before the group state: Users could be expanded.
    EXPECT_EQ(Children(u"_users"_s), (QStringList{u"Anna"_s, u"Bob"_s, u"Carl"_s}));
    EXPECT_EQ(Children(u"_domains"_s), QStringList{u"Sales"_s});
    EXPECT_TRUE(Node(u"_users"_s)->isExpanded());
    EXPECT_FALSE(Node(u"_domains"_s)->isExpanded());
    EXPECT_TRUE(Node(u"_users"_s)->font(0).bold());
    EXPECT_FALSE(Node(u"_users_pc01"_s)->icon(0).isNull());

    // Skin, tray icon, shown state, listener, in that order of the load.
    EXPECT_EQ(w.picStatus->Picture().size(), QSize(640, 25));
    ASSERT_NE(app->Tray().TrayIcon(), nullptr);
    EXPECT_EQ(app->Tray().TrayIcon()->toolTip(), u"Parlane v0.10"_s);
    EXPECT_EQ(w.mSYSTRAY_SHOWHIDE->text(), u"Hide Parlane"_s);
    EXPECT_TRUE(app->Listener().tmrMailSlot.isActive());
    EXPECT_EQ(state().StatusText, u"Ready for communication."_s);
    EXPECT_FALSE(w.labErrorHelp->isVisible());
    EXPECT_FALSE(w.mCONTACTLIST_ALWAYSONTOP->isChecked());

    // Messages from the network reach a window and the strip, one a tick.
    app->Listener().tmrMailSlot.stop();
    for (const QString& text : {u"Lunch?"_s, u"Now!"_s}) {
        MailSlotMessage message{u"Ann"_s, u"testhost"_s, text};
        ASSERT_EQ(modMailSlots::SendMailSlotMessage(u"messngr"_s, message), 0);
    }
    ASSERT_TRUE(WaitForMessages(state().MailSlotHandle, 2));
    QSignalSpy ticks(&app->Listener().tmrMailSlot, &QTimer::timeout);
    app->Listener().tmrMailSlot.start(20);
    ASSERT_TRUE(ticks.wait(5000));
    wCatchAll* catchAll = app->Chats().CatchAll();
    ASSERT_NE(catchAll, nullptr);
    EXPECT_EQ(catchAll->rtbHistory->toPlainText(), u"Ann: Lunch?\n"_s);
    ASSERT_TRUE(ticks.wait(5000));
    EXPECT_EQ(catchAll->rtbHistory->toPlainText(), u"Ann: Lunch?\nAnn: Now!\n"_s);
    EXPECT_TRUE(state().StatusText.startsWith(u"Message received at "_s));
    EXPECT_TRUE(state().CatchAllWindowOpen);

    // The layout: the strip reaches the bottom and the tree stops above it.
    w.resize(300, 400);
    QWidget* client = w.centralWidget();
    EXPECT_EQ(w.picStatus->geometry().bottom(), client->height() - 1);
    EXPECT_EQ(w.tvwContacts->height(), w.picStatus->y());
    EXPECT_EQ(w.tvwContacts->width(), client->width());
}

TEST_F(MainWindow, LoadProblemsAreShownAndTheWindowGoesOn) {
    WriteSettings(
        "[Users]\r\nTotal=2\r\nUser[1]=NAME=Anna|ADDRESS=pc01\r\nUser[2]=NAME=Twin|ADDRESS="
        "PC01\r\n");
    MessageBoxes boxes({platform::vbOK});
    wMain& w = Start();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].request.prompt.startsWith(u"Error during LoadContacts: [457]"_s));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"Anna"_s});
    EXPECT_TRUE(app->Listener().tmrMailSlot.isActive());
}

TEST_F(MainWindow, RemoveContactAsksAndSavesAtOnce) {
    WriteSettings(kContacts);
    wMain& w = Start();
    const QByteArray before = ReadBytes(settings());

    RightClick(u"_users"_s);
    EXPECT_EQ(ShownItems(w.mCONTEXTMENU), QStringList{u"Message this Contact.. (off)"_s});
    w.mCONTEXTMENU->hide();

    RightClick(u"_users_pc02"_s);
    EXPECT_EQ(ShownItems(w.mCONTEXTMENU),
              (QStringList{u"Message this Contact.. (off)"_s, u"-"_s, u"&Remove Contact"_s}));
    {
        MessageBoxes boxes({platform::vbNo});
        w.mCONTEXTMENU_REMOVECONTACT->trigger();
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].request.prompt,
                  u"Are you sure you want to remove this contact?\r\n\r\n\t> Bob"_s);
        EXPECT_EQ(boxes.shown()[0].request.title, u"Parlane"_s);
    }
    EXPECT_EQ(ReadBytes(settings()), before);
    EXPECT_EQ(Children(u"_users"_s).size(), 3);
    {
        MessageBoxes boxes({platform::vbYes});
        w.mCONTEXTMENU_REMOVECONTACT->trigger();
    }
    EXPECT_EQ(Children(u"_users"_s), (QStringList{u"Anna"_s, u"Carl"_s}));
    EXPECT_FALSE(state().UserContacts.Contains(u"_users_pc02"_s));

    Restart();
    EXPECT_EQ(Children(u"_users"_s), (QStringList{u"Anna"_s, u"Carl"_s}));
    EXPECT_EQ(Children(u"_domains"_s), QStringList{u"Sales"_s});

    // The last domain goes with its section.
    RightClick(u"_domains_sales"_s);
    MessageBoxes boxes({platform::vbYes});
    main().mCONTEXTMENU_REMOVECONTACT->trigger();
    EXPECT_FALSE(ReadBytes(settings()).contains("[Domains]"));
}

TEST_F(MainWindow, ClosingStopsEverythingAndKeepsThePlaceWhenNotNormal) {
    WriteSettings("[Window Metrics]\r\nwMain Window Left=1500\r\nwMain Window Top=1500\r\n");
    for (const bool maximise : {false, true}) {
        wMain& w = Start();
        w.mHELP_ABOUT->trigger();
        w.mCONTACTS_ADDCONTACT->trigger();
        w.tvwContacts_NodeDoubleClick(Node(u"_unknown_catchall"_s));
        ASSERT_TRUE(state().AboutWindowOpen);
        ASSERT_TRUE(state().AddContactWindowOpen);
        ASSERT_TRUE(state().CatchAllWindowOpen);
        w.move(700, 700);
        if (maximise) {
            w.showMaximized();
        } else {
            w.showMinimized();  // hides it into the tray
            EXPECT_TRUE(Hidden(w));
        }
        w.mSYSTRAY_EXIT->trigger();

        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(ReadBytes(settings()).contains("wMain Window Left=1500\r\n")) << maximise;
        EXPECT_FALSE(state().AboutWindowOpen || state().AddContactWindowOpen ||
                     state().CatchAllWindowOpen);
        EXPECT_EQ(app->Tray().TrayIcon(), nullptr);
        EXPECT_TRUE(w.imgSysTray.Tag.isEmpty());
        EXPECT_FALSE(app->Listener().tmrMailSlot.isActive());
        // The port is free again.
        const auto slot = modMailSlots::CreateMailSlot(u"messngr"_s);
        EXPECT_GT(slot, 0);
        modMailSlots::CloseMailSlot(slot);
        app.reset();
    }
}

TEST_F(MainWindow, TheTrayIconShowsAndHidesTheWindow) {
    wMain& w = Start();
    QSystemTrayIcon* icon = app->Tray().TrayIcon();
    ASSERT_NE(icon, nullptr);
    // Clicks on the icon are the desktop journeys' (tests/desktop/TrayTest.cpp).

    // Minimising, and Escape in the tree, hide it into the tray again.
    w.showMinimized();
    EXPECT_TRUE(Hidden(w));
    EXPECT_EQ(w.mSYSTRAY_SHOWHIDE->text(), u"Show Parlane"_s);
    w.mSYSTRAY_SHOWHIDE->trigger();
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(w.tvwContacts, Qt::Key_Escape);
    EXPECT_TRUE(Hidden(w));
    w.mSYSTRAY_SHOWHIDE->trigger();

    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(w.mSYSTRAY->isVisible());
    EXPECT_EQ(ShownItems(w.mSYSTRAY), (QStringList{u"Hide Parlane"_s, u"-"_s, u"E&xit"_s}));
    w.mSYSTRAY->hide();
}

TEST_F(MainWindow, WithoutATrayTheWindowStaysReachable) {
    WriteSettings("Minimise On Startup=1\r\n");
    {
        wMain& w = Start();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.mSYSTRAY_SHOWHIDE->text(), u"Show Parlane"_s);
        app.reset();
    }

    trayAvailable = false;
    wMain& w = Start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isMinimized());
    // Restored from the task bar: the next minimise works as it should.
    w.showNormal();
    EXPECT_EQ(w.mSYSTRAY_SHOWHIDE->text(), u"Hide Parlane"_s);
    QTest::keyClick(w.tvwContacts, Qt::Key_Escape);
    EXPECT_FALSE(Hidden(w));
    EXPECT_TRUE(w.isMinimized());
}

TEST_F(MainWindow, SkinsFollowTheSettingAndMissingFilesGiveNoPicture) {
    WriteSettings("[Skinning]\r\nEnable=1\r\n");  // and no Skins folder at all
    {
        MessageBoxes none;
        EXPECT_TRUE(Start().picStatus->Picture().isNull());
        app.reset();
    }
    CopyResources();
    WriteSettings("[Skinning]\r\nEnable=0\r\n");
    wMain& w = Start();
    EXPECT_TRUE(w.picStatus->Picture().isNull());
    EXPECT_TRUE(context().skins.Pictures().StatusStrip.isNull());

    state().SkinningEnabled = true;
    context().skins.LoadSkinImages();
    context().skins.ApplySkin(Skins::kSkinMain);
    EXPECT_EQ(w.picStatus->Picture().size(), QSize(640, 25));
    EXPECT_EQ(context().skins.Pictures().Globe.size(), QSize(72, 72));
    state().SkinningEnabled = false;
    context().skins.ApplySkin(Skins::kSkinMain);
    EXPECT_TRUE(w.picStatus->Picture().isNull());
    EXPECT_FALSE(context().skins.Pictures().StatusStrip.isNull());  // the slot keeps it
}

TEST_F(MainWindow, TheExplainLinkOpensThePageForItsCode) {
    CopyResources();
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    platform::SetShellOpener(opener);
    // Another program holds the port, so listening fails.
    const auto held = modMailSlots::CreateMailSlot(u"messngr"_s);
    ASSERT_GT(held, 0);
    wMain& w = Start();
    modMailSlots::CloseMailSlot(held);

    EXPECT_EQ(state().StatusText, u"Couldn't start listening."_s);
    EXPECT_TRUE(w.labErrorHelp->isVisible());
    QTest::mouseClick(w.labErrorHelp, Qt::LeftButton);
    const QStringList opened = RecordedBy(opener);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], dir.filePath(u"Data/Help/Errors/CouldNotOpenMailSlot.html"_s));

    // Enabling again, now that the port is free, hides the link.
    w.mTOOLS_ADVANCED_ENABLECOMMUNICATIONS->trigger();
    EXPECT_EQ(state().StatusText, u"Ready for communication."_s);
    EXPECT_FALSE(w.labErrorHelp->isVisible());
    EXPECT_EQ(w.labErrorHelp->property("Tag").toString(), u"1"_s);  // kept while hidden

    modErrorHelp::ShowErrorHelp(&w, 3);
    EXPECT_TRUE(w.labErrorHelp->isVisible());
    EXPECT_EQ(w.labErrorHelp->property("Tag").toString(), u"3"_s);

    // Every page the codes name is beside the program.
    for (const int code : {0, 1, 2, 3, 7}) {
        EXPECT_TRUE(QFile::exists(state().ErrorHelpPath + modErrorHelp::ErrorHelpPage(code)))
            << code;
    }
}

TEST_F(MainWindow, MenusReachTheirWindowsAndTheTopBand) {
    WriteSettings(kContacts);
    wMain& w = Start();
    w.mCONTACTLIST_ALWAYSONTOP->trigger();
    EXPECT_TRUE(w.mCONTACTLIST_ALWAYSONTOP->isChecked());
    EXPECT_TRUE(platform::IsTopMost(&w));
    w.mCONTACTLIST_ALWAYSONTOP->trigger();
    EXPECT_FALSE(platform::IsTopMost(&w));

    w.mTOOLS_SETTINGS->trigger();
    EXPECT_TRUE(state().SettingsWindowOpen);
    w.tvwContacts->expandAll();
    const QPoint anna = w.tvwContacts->visualItemRect(Node(u"_users_pc01"_s)).center();
    QTest::mouseClick(w.tvwContacts->viewport(), Qt::LeftButton, {}, anna);
    QTest::mouseDClick(w.tvwContacts->viewport(), Qt::LeftButton, {}, anna);
    QPointer<QWidget> chat = context().windows.Find(u"wChat"_s);
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->windowTitle(), u"Message: Anna"_s);
    const auto before = context().windows.LoadedWindows().size();
    w.tvwContacts_NodeDoubleClick(Node(u"_users"_s));
    EXPECT_EQ(context().windows.LoadedWindows().size(), before);

    w.mTOOLS_ADVANCED_DISABLECOMMUNICATIONS->trigger();
    EXPECT_FALSE(app->Listener().tmrMailSlot.isActive());
    EXPECT_EQ(state().StatusText, u"Communications disabled."_s);

    w.mFILE_EXIT->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(state().SettingsWindowOpen);
    EXPECT_TRUE(!chat || !chat->isVisible());
    EXPECT_FALSE(app->Chats().Chat(u"_users_pc01"_s)->Loaded());
}

// The window of the README; PARLANE_WRITE_PICTURES=dir writes the picture there.
TEST_F(MainWindow, TheReadmePictureShowsTheStripOverItsSkin) {
    CopyResources();
    WriteSettings(
        "[Contact List]\r\nUsers Expanded=1\r\nDomains Expanded=1\r\n"
        "Unknown Expanded=1\r\n" +
        kContacts);
    wMain& w = Start();
    w.resize(240, 330);
    QCoreApplication::processEvents();
    const QImage shown = w.grab().toImage();
    // The skin's picture sits under the strip's text.
    const QPoint inStrip(200, 3);
    EXPECT_EQ(shown.pixelColor(w.picStatus->mapTo(&w, inStrip)),
              w.picStatus->Picture().toImage().pixelColor(inStrip));

    const QString dir = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(shown.save(dir + u"/main-window.png"_s));
    }
}

}  // namespace
