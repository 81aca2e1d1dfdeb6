#include "app/ParlaneApp.h"
#include "controls/ContactTreeWidget.h"
#include "controls/MultiRule.h"
#include "core/AppVersion.h"
#include "platform/ProfileFile.h"
#include "platform/ShellLaunch.h"
#include "platform/gui/WindowPos.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"
#include "support/SessionClient.h"
#include "support/TreeTexts.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/Conversations.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"
#include "ui/dialogs/wAbout.h"
#include "ui/dialogs/wAddContact.h"
#include "ui/dialogs/wSettings.h"
#include "ui/dialogs/wSplash.h"
#include "ui/main/wMain.h"
#include "ui/shared/WindowList.h"

#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QUdpSocket>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>

#include <sys/file.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kContacts =
    "[Users]\r\nTotal=3\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n"
    "User[2]=NAME=Bob|ADDRESS=pc02|TYPE=0\r\nUser[3]=NAME=Carl|ADDRESS=pc03|TYPE=0\r\n"
    "[Domains]\r\nTotal=1\r\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\r\n";
const QByteArray kPlace =
    "[Window Metrics]\r\nwSettings Window Left=1200\r\nwSettings Window Top=900\r\n";

// The whole program started on a settings file of the test's own, in a temporary program
// directory, listening on a free port of its own.
class Ui : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ForgetCachedProfiles();
        // A component registry of the test's own: empty unless the test registers the component.
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
    }
    void TearDown() override {
        if (app && app->MainWindow()) {
            app->MainWindow()->close();
        }
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::SetShellOpener(QStringLiteral("xdg-open"));
    }

    QString settings() const { return dir.filePath(QStringLiteral("Settings.ini")); }
    void WriteSettings(const QByteArray& more) {
        WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=0\r\n" + more);
    }
    // The skin pictures and help pages of the build beside the test's program directory.
    void LinkResources() {
        for (const QString& folder : {u"Skins"_s, u"Data"_s}) {
            QFile::link(QStringLiteral(PARLANE_RUNTIME_DIR) + u'/' + folder, dir.filePath(folder));
        }
    }

    // The program, on these settings when given, else on the file as it is.
    wMain& Start(const std::optional<QByteArray>& settings = std::nullopt) {
        if (settings) {
            WriteSettings(*settings);
        }
        platform::ForgetCachedProfiles();
        app = std::make_unique<ParlaneApp>(dir.path());
        app->Tray().OverrideTrayAvailable(trayAvailable);
        app->Start();
        return *app->MainWindow();
    }
    wMain& main() { return *app->MainWindow(); }
    SharedState& state() { return app->State(); }
    WindowContext& context() { return app->Context(); }

    QTemporaryDir dir;
    ScopedMailslotNetwork network;
    std::unique_ptr<ParlaneApp> app;
    bool trayAvailable = true;  // a tray host stands in, unless a test takes it away

    QTreeWidgetItem* Node(const QString& key) {
        return static_cast<ContactTreeWidget&>(main().Contacts()).Node(key);
    }
    QStringList Children(const QString& key) { return ChildTexts(Node(key)); }
    // A right click on a node, as the mouse gives it.
    void RightClick(const QString& key) {
        QTreeWidget* tree = main().tvwContacts;
        tree->expandAll();
        const QRect at = tree->visualItemRect(Node(key));
        ASSERT_TRUE(at.isValid()) << key;
        // What the platform makes of a right click.
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at.center());
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at.center(),
                               tree->viewport()->mapToGlobal(at.center()));
        QApplication::sendEvent(tree->viewport(), &menu);
        ASSERT_TRUE(QTest::qWaitFor([&] { return main().mCONTEXTMENU->isVisible(); }));
    }
    // The texts of the message boxes the action shows, answered in this order.
    static QStringList BoxesShownBy(std::deque<int> answers, const std::function<void()>& action) {
        MessageBoxes boxes(std::move(answers));
        action();
        QStringList said;
        std::ranges::transform(boxes.shown(), std::back_inserter(said), &MessageBoxes::Shown::text);
        return said;
    }
    // Removes the contact through its node's menu; the texts of the boxes shown meanwhile.
    QStringList Remove(const QString& key, int answer = platform::vbYes) {
        RightClick(key);
        EXPECT_TRUE(main().mCONTEXTMENU_REMOVECONTACT->isVisible() &&
                    !main().mCONTEXTMENU_MESSAGEUSER->isEnabled())
            << key;
        return BoxesShownBy({answer}, [this] { main().mCONTEXTMENU_REMOVECONTACT->trigger(); });
    }
    // The program on these settings, its listener's timer stopped so that the test routes.
    void StartQuietly(const QByteArray& settings) {
        Start(settings);
        app->Listener().tmrMailSlot.stop();
    }
    void Route(const QString& from, const QString& text) {
        app->Chats().RouteMessage(main().Contacts(), {from, u"testhost"_s, text});
    }
    // The chat window a double-click on the contact's node opens.
    wChat* DoubleClick(const QString& key) {
        main().tvwContacts_NodeDoubleClick(Node(key));
        return app->Chats().Chat(key);
    }
    // Presses Send, or Enter, and waits for the outcome.
    static void Send(wChat* chat, bool enter = false) {
        enter ? QTest::keyClick(chat->rtbChat, Qt::Key_Return)
              : QTest::mouseClick(chat->cmdSend, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([chat] { return !chat->Sending(); }, 10000));
    }
    // The open Add Contact window, or null once it has closed.
    wAddContact* AddWindow() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return qobject_cast<wAddContact*>(context().windows.Find(u"wAddContact"_s));
    }
    // Fills Add Contact and presses Add Entry; returns the texts of the boxes shown meanwhile.
    QStringList Add(bool domain, const QString& name, const QString& address) {
        main().mCONTACTS_ADDCONTACT->trigger();
        wAddContact* w = AddWindow();
        if (!w) {
            return {u"(no Add Contact window)"_s};
        }
        QTest::mouseClick(domain ? w->labDomain : w->labUserOrMachine, Qt::LeftButton);
        w->txtName->setText(name);
        w->txtAddress->setText(address);
        return BoxesShownBy({platform::vbOK},
                            [w] { QTest::mouseClick(w->cmdAddEntry, Qt::LeftButton); });
    }
    wSettings* OpenSettings() {
        main().mTOOLS_SETTINGS->trigger();
        return qobject_cast<wSettings*>(context().windows.Find(u"wSettings"_s));
    }
    static void ClickSection(wSettings* w, const QString& name,
                             Qt::MouseButton button = Qt::LeftButton) {
        const auto found = w->tvwSections->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        const QRect at = w->tvwSections->visualItemRect(found.value(0));
        QTest::mouseClick(w->tvwSections->viewport(), button, {}, at.center());
    }
    static QString PopupTitle() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"wGlimmertip"_s && w->isVisible()) {
                return w->findChild<QLabel*>(u"labTitle"_s)->text();
            }
        }
        return u"(no popup)"_s;
    }
};

using AboutWindow = Ui;
using AddContact = Ui;
using Conversations = Ui;
using MainWindow = Ui;
using SettingsWindow = Ui;
using Launch = Ui;

TEST_F(MainWindow, TheListShowsTheContactsAndRemoveAsksAndSavesAtOnce) {
    // No Skins folder at all: no picture and no error.
    MessageBoxes none;
    wMain& w = Start(
        "[Skinning]\r\nEnable=1\r\n[Contact List]\r\nUsers Expanded=1\r\n"
        "Domains Expanded=0\r\n" +
        kContacts);
    EXPECT_TRUE(w.picStatus->Picture().isNull() && none.shown().empty());
    // A status the bar cannot hold is cut, and whole in its tool tip; one it holds has none.
    w.SetStatusText(QString(500, u'x'));
    EXPECT_TRUE(w.labStatus->text().size() < 500 && w.labStatus->toolTip() == QString(500, u'x'));
    w.SetStatusText(u"Ready"_s);
    EXPECT_TRUE(w.labStatus->text() == u"Ready"_s && w.labStatus->toolTip().isEmpty());

    // Contacts came before the group state: Users could be expanded.
    EXPECT_EQ(Children(u"_users"_s), (QStringList{u"Anna"_s, u"Bob"_s, u"Carl"_s}));
    EXPECT_TRUE(Node(u"_users"_s)->isExpanded() && !Node(u"_domains"_s)->isExpanded());

    // A double-click on a group unfolds it and opens nothing.
    const auto before = context().windows.LoadedWindows().size();
    const QPoint group = w.tvwContacts->visualItemRect(Node(u"_domains"_s)).center();
    QTest::mouseClick(w.tvwContacts->viewport(), Qt::LeftButton, {}, group);
    QTest::mouseDClick(w.tvwContacts->viewport(), Qt::LeftButton, {}, group);
    EXPECT_TRUE(Node(u"_domains"_s)->isExpanded());
    EXPECT_EQ(context().windows.LoadedWindows().size(), before);
    w.tvwContacts->setCurrentItem(Node(u"_domains"_s));
    QTest::keyClick(w.tvwContacts, Qt::Key_Return);  // Return folds it again
    EXPECT_FALSE(Node(u"_domains"_s)->isExpanded());

    const QByteArray saved = ReadBytes(settings());

    // A group cannot be removed.
    RightClick(u"_users"_s);
    EXPECT_FALSE(w.mCONTEXTMENU_REMOVECONTACT->isVisible());
    w.mCONTEXTMENU->hide();

    // Shift+F10 opens a node's menu beside it, wherever the pointer is (Menu key: on the desktop).
    w.tvwContacts->setCurrentItem(Node(u"_users_pc01"_s));
    const QRect row = w.tvwContacts->visualItemRect(Node(u"_users_pc01"_s));
    const QPoint below = w.tvwContacts->viewport()->mapToGlobal(row.bottomLeft());
    QCursor::setPos(below + QPoint(500, 500));
    QTest::keyClick(w.tvwContacts, Qt::Key_F10);  // the menu bar's
    EXPECT_FALSE(w.mCONTEXTMENU->isVisible());
    QTest::keyClick(w.tvwContacts, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(w.mCONTEXTMENU_REMOVECONTACT->isVisible());
    EXPECT_LT((w.mCONTEXTMENU->pos() - below).manhattanLength(), 3 * row.height());
    w.mCONTEXTMENU->hide();
    w.tvwContacts->setCurrentItem(Node(u"_unknown_catchall"_s));  // keypad Enter opens it
    QTest::keyClick(w.tvwContacts, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(app->Chats().CatchAll() && app->Chats().CatchAll()->isVisible());

    w.mCONTACTLIST_ALWAYSONTOP->trigger();  // Always on Top: into the band, and out again
    EXPECT_TRUE(platform::IsTopMost(&w));
    w.mCONTACTLIST_ALWAYSONTOP->trigger();
    EXPECT_FALSE(platform::IsTopMost(&w));

    // No keeps the contact; Yes is the desktop journeys'.
    EXPECT_EQ(Remove(u"_users_pc02"_s, platform::vbNo).size(), 1);
    EXPECT_TRUE(ReadBytes(settings()) == saved && Children(u"_users"_s).size() == 3);
}

// The place and size come back; closing closes every window, saves the groups, and saves the
// place when the window is normal and keeps the one it had otherwise.
TEST_F(MainWindow, ClosingClosesEveryWindowAndSavesThePlaceOnlyWhenNormal) {
    for (const QString& shown : {u"normal"_s, u"maximised"_s, u"minimised"_s}) {
        SCOPED_TRACE(shown.toStdString());
        wMain& w = Start(
            "[Contact List]\r\nUsers Expanded=1\r\n\r\n[Window Metrics]\r\n"
            "wMain Window Left=1500\r\nwMain Window Top=3000\r\n"
            "wMain Window Width=4500\r\nwMain Window Height=6000\r\n" +
            kContacts);
        EXPECT_EQ(QRect(w.pos(), w.size()), QRect(100, 200, 300, 400));
        EXPECT_TRUE(Node(u"_unknown"_s)->isExpanded() && !Node(u"_domains"_s)->isExpanded());
        Node(u"_domains"_s)->setExpanded(true);
        w.mHELP_ABOUT->trigger();
        w.mCONTACTS_ADDCONTACT->trigger();
        w.mTOOLS_SETTINGS->trigger();
        w.tvwContacts_NodeDoubleClick(Node(u"_unknown_catchall"_s));
        w.tvwContacts_NodeDoubleClick(Node(u"_users_pc01"_s));
        w.move(150, 250);
        w.resize(310, 410);
        if (shown == u"maximised"_s) {
            w.showMaximized();
        } else if (shown == u"minimised"_s) {
            w.showMinimized();  // hides it into the tray once the state change is through
            EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
        }
        w.mSYSTRAY_EXIT->trigger();

        EXPECT_FALSE(w.isVisible());
        const QByteArray saved = ReadBytes(settings());
        EXPECT_TRUE(
            saved.contains("Users Expanded=1\r\nDomains Expanded=1\r\nUnknown Expanded=1\r\n"));
        EXPECT_TRUE(saved.contains(shown == u"normal"_s
                                       ? "wMain Window Left=2250\r\nwMain Window Top=3750\r\n"
                                         "wMain Window Width=4650\r\nwMain Window Height=6150\r\n"
                                       : "wMain Window Left=1500\r\nwMain Window Top=3000\r\n"))
            << saved.constData();
        EXPECT_FALSE(state().AboutWindowOpen || state().AddContactWindowOpen ||
                     state().CatchAllWindowOpen || state().SettingsWindowOpen);
        EXPECT_FALSE(app->Chats().Chat(u"_users_pc01"_s)->Loaded());
        app.reset();
    }
    // Without the window, the session's end ends the program again.
    EXPECT_EXIT(::raise(SIGTERM), testing::KilledBySignal(SIGTERM), "");
}

TEST_F(MainWindow, TheTrayHoldsTheWindowAndWithoutATrayItStaysReachable) {
    {
        // Started into the tray, whose icon has its menu.
        wMain& w = Start("Minimise On Startup=1\r\n");
        emit app->Tray().TrayIcon()->activated(QSystemTrayIcon::Context);
        EXPECT_TRUE(!w.isVisible() && w.mSYSTRAY->isVisible());
        w.mSYSTRAY->hide();
        // Shown from the icon, Escape puts it back there, not in the task bar.
        emit app->Tray().TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QTest::keyClick(w.tvwContacts, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }) && !w.isMinimized());
        app.reset();
    }

    trayAvailable = false;
    wMain& w = Start();
    EXPECT_TRUE(w.isVisible() && w.isMinimized());
    w.showNormal();  // restored from the task bar: the next minimise works as it should
    EXPECT_EQ(w.mSYSTRAY_SHOWHIDE->text(), w.HideCaption());  // as a tray that comes shows it
    QTest::keyClick(w.tvwContacts, Qt::Key_Escape);
    EXPECT_TRUE(!QTest::qWaitFor([&] { return !w.isVisible(); }, 300) && w.isMinimized());
}

TEST_F(AboutWindow, OpensWithTheProgramsVersionAndPlaceAndLinksOpenTheirPages) {
    LinkResources();
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s), "1");
    platform::SetShellOpener(opener);
    // Another program holds the port, so listening fails: the main window's link explains.
    const auto held = modMailSlots::CreateMailSlot(u"messngr"_s);
    ASSERT_GT(held, 0);
    wMain& m = Start(
        "[Skinning]\r\nEnable=1\r\n[Window Metrics]\r\nwAbout Window Left=1500\r\n"
        "wAbout Window Top=3000\r\n");
    modMailSlots::CloseMailSlot(held);
    EXPECT_TRUE(m.labErrorHelp->isVisible());
    QTest::mouseClick(m.labErrorHelp, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(opener + u".out"_s));  // the browser is not waited for
    EXPECT_EQ(RecordedBy(opener).value(1),
              dir.filePath(u"Data/Help/Errors/CouldNotOpenMailSlot.html"_s));
    // Enabling again, now that the port is free, hides the link.
    m.mTOOLS_ADVANCED_ENABLECOMMUNICATIONS->trigger();
    EXPECT_FALSE(m.labErrorHelp->isVisible());

    m.mHELP_ABOUT->trigger();
    auto* w = qobject_cast<wAbout*>(context().windows.Find(u"wAbout"_s));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->labVersion->text(), wAbout::VersionText(AppVersion::Major, AppVersion::Minor));
    EXPECT_EQ(w->labBuild->text(), wAbout::BuildText(AppVersion::Revision));
    // Minor versions and builds in the fixed widths users read them in.
    EXPECT_EQ(wAbout::VersionText(2, 5) + wAbout::BuildText(7), u"2.05#007"_s);
    EXPECT_FALSE(w->cmdCheckForUpdate->isEnabled());  // there is no update service to ask
    EXPECT_EQ(w->pos(), QPoint(100, 200));
    EXPECT_TRUE(state().AboutWindowOpen && wAbout::Open(context()) == w);

    // The link opens from the keys and a screen reader as from the mouse, and so does the logo.
    QTest::keyClick(w->labWebsite, Qt::Key_Return);
    EXPECT_EQ(RecordedBy(opener).value(1), wAbout::kWebsite);
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w->labWebsite);
    EXPECT_EQ(reader->text(QAccessible::Description), QString());  // its name alone says it
    // A rule inside, made from a plain widget as the window is, is no window to a screen reader.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->ruleMiddle)->role(), QAccessible::Client);
    reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(RecordedBy(opener).value(1), wAbout::kWebsite);
    QTest::mouseClick(w->imgOstrellLogo, Qt::LeftButton);
    EXPECT_EQ(RecordedBy(opener).value(1), wAbout::kWebsite);

    // Esc on Close closes it, saving the place and clearing the flag; the focus alone does not.
    w->move(60, 90);
    w->cmdClose->setFocus();
    EXPECT_TRUE(w->isVisible());
    QTest::keyClick(w->cmdClose, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible() || state().AboutWindowOpen);
    const QByteArray saved = ReadBytes(settings());
    EXPECT_TRUE(saved.contains("wAbout Window Left=900\r\nwAbout Window Top=1350\r\n") &&
                !saved.contains("wAbout Window Width"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_NE(wAbout::Open(context()), nullptr);
}

TEST_F(AddContact, AddsSavesAndRoutesAtOnceAndRefusesDuplicatesPerKind) {
    StartQuietly({});

    EXPECT_TRUE(Add(false, u"Anna"_s, u" PC01 "_s).isEmpty() && !state().AddContactWindowOpen);
    EXPECT_TRUE(Children(u"_users"_s) == QStringList{u"Anna"_s} && Node(u"_users"_s)->isExpanded());
    EXPECT_TRUE(ReadBytes(settings()).contains("User[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n"));
    app->Chats().RouteMessage(main().Contacts(), {u"PC01"_s, {}, u"hello"_s});
    wChat* chat = app->Chats().Chat(u"_users_pc01"_s);
    ASSERT_TRUE(chat && chat->rtbHistory->toPlainText() == u"Anna: hello\n"_s);

    // The same address: refused as a user, welcome as a domain.
    EXPECT_EQ(Add(false, u"Other"_s, u"pc01"_s),
              QStringList{u"Sorry, but this user/machine already exists in your contact list."_s});
    AddWindow()->close();
    EXPECT_EQ(Add(true, u"Office"_s, u"pc01"_s), QStringList());
    EXPECT_TRUE(ReadBytes(settings()).contains("Domain[1]=NAME=Office|ADDRESS=pc01|TYPE=1\r\n"));
    EXPECT_EQ(Add(true, u"Again"_s, u"PC01"_s),
              QStringList{u"Sorry, but this domain already exists in your contact list."_s});
    AddWindow()->close();

    Remove(u"_users_pc01"_s);  // removed, then added again in the same run
    EXPECT_EQ(Add(false, u"Anna"_s, u"pc01"_s), QStringList());
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"Anna"_s});
}

TEST_F(AddContact, EmptyInputIsRefusedAndTheSeparatorNeverGetsIn) {
    Start(QByteArray());
    const QByteArray before = ReadBytes(settings());

    EXPECT_EQ(Add(false, u"  "_s, u"pc01"_s),
              QStringList{u"Please enter a name for this entry."_s});
    EXPECT_EQ(Add(false, u"Anna"_s, u""_s),
              QStringList{u"Please enter the address of the computer or domain for this entry."_s});
    ASSERT_TRUE(AddWindow() && AddWindow()->txtName->text() == u"Anna"_s);

    // An address no message could ever reach is refused with the reason (which: tests/platform).
    const QStringList refused = Add(false, u"Anna"_s, u"\u0141\u00f3d\u017a"_s);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].contains(u"\u0142\u00f3d\u017a"_s)) << refused[0];
    EXPECT_TRUE(Children(u"_users"_s).isEmpty() && ReadBytes(settings()) == before);

    // A click into a box selects what it holds, once the press that gave the focus is through.
    wAddContact* w = AddWindow();
    w->txtAddress->setFocus();
    QTest::mouseClick(w->txtName, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([w] { return w->txtName->selectedText() == u"Anna"_s; }, 1000));

    // Typed or pasted, "|" stays out of both boxes.
    for (QLineEdit* box : {w->txtName, w->txtAddress}) {
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, u"a|b"_s);
        QGuiApplication::clipboard()->setText(u"|c|"_s);
        box->paste();
        EXPECT_EQ(box->text(), u"abc"_s) << box->objectName();
    }
    // Return presses the focused button; a fresh window asks for a user or machine.
    QTest::keyClick(AddWindow()->cmdCancel, Qt::Key_Return);
    EXPECT_TRUE(!AddWindow() && Children(u"_users"_s).isEmpty());  // Cancel, not Add Entry
    main().mCONTACTS_ADDCONTACT->trigger();
    EXPECT_TRUE(AddWindow()->optEntryType[0]->isChecked());
}

// Nothing shows in the list that is not in the file, so a corrected second try is no duplicate.
TEST_F(AddContact, AContactThatCannotBeSavedIsNotAddedAndTheWindowKeepsIt) {
    Start(QByteArray());
    QFile::remove(settings());
    ASSERT_TRUE(QDir().mkdir(settings()));
    const QStringList boxes = Add(false, u"\u0141ukasz"_s, u"pc07.lan"_s);
    EXPECT_EQ(boxes.size(), 1);
    wAddContact* w = AddWindow();
    ASSERT_TRUE(w && w->txtName->text() == u"\u0141ukasz"_s && Children(u"_users"_s).isEmpty());

    ASSERT_TRUE(QDir().rmdir(settings()));
    EXPECT_TRUE(
        BoxesShownBy({}, [w] { QTest::mouseClick(w->cmdAddEntry, Qt::LeftButton); }).isEmpty());
    EXPECT_EQ(Children(u"_users"_s), QStringList{u"\u0141ukasz"_s});
    EXPECT_TRUE(ReadBytes(settings()).contains(u"NAME=\u0141ukasz|"_s.toUtf8()));
}

TEST_F(Conversations, ListedSendersGetTheirChatWindowAndEveryoneElseTheCatchAll) {
    StartQuietly(kContacts);

    // Found by address in any letter case and shown under the contact's name, behind the
    // user's back; markup stays text, and "|" and CR LF break the line.
    Route(u"PC01"_s, u"<b>hi</b>"_s);
    wChat* anna = app->Chats().Chat(u"_users_pc01"_s);
    ASSERT_TRUE(anna && anna->isVisible());
    // What the user selected meanwhile is no place to write to.
    QTextCursor selection(anna->rtbHistory->document());
    selection.setPosition(2, QTextCursor::KeepAnchor);
    anna->rtbHistory->setTextCursor(selection);
    Route(u"pc01"_s, u"a|b\r\nc"_s);
    EXPECT_EQ(anna->rtbHistory->toPlainText(), u"Anna: <b>hi</b>\nAnna: a\nb\nc\n"_s);
    EXPECT_FALSE(anna->rtbHistory->textCursor().hasSelection());

    // A domain without a window: the catch-all, sender as it came, brought up once and no more.
    EXPECT_EQ(app->Chats().CatchAll(), nullptr);
    Route(u"SALES"_s, u"all hands"_s);
    wCatchAll* log = app->Chats().CatchAll();
    ASSERT_TRUE(log && log->rtbHistory->toPlainText() == u"SALES: all hands\n"_s);
    EXPECT_TRUE(QTest::qWaitFor([log] { return !log->tmrBringToFront.isActive(); }));
    QTest::keyClick(log->rtbHistory, Qt::Key_Escape);
    EXPECT_FALSE(log->isVisible());  // Escape in it closes it

    // A domain's window, once open, takes its messages.
    wChat* sales = DoubleClick(u"_domains_sales"_s);
    ASSERT_NE(sales, nullptr);
    Route(u"Sales"_s, u"meeting"_s);
    EXPECT_EQ(sales->rtbHistory->toPlainText(), u"Sales: meeting\n"_s);

    // Closed, it comes back with only the new message and without the draft.
    anna->rtbChat->setPlainText(u"draft"_s);
    anna->close();
    Route(u"pc01"_s, u"second"_s);
    EXPECT_TRUE(app->Chats().Chat(u"_users_pc01"_s) == anna && anna->isVisible());
    EXPECT_EQ(anna->rtbHistory->toPlainText(), u"Anna: second\n"_s);
    EXPECT_TRUE(anna->rtbChat->toPlainText().isEmpty());
    // Sent back through the contact's node instead, the window is a new one, bound anew.
    anna->close();
    wChat* again = DoubleClick(u"_users_pc01"_s);
    ASSERT_NE(again, nullptr);
    Route(u"PC01"_s, u"third"_s);
    EXPECT_EQ(again->rtbHistory->toPlainText(), u"Anna: third\n"_s);
}

// Names from the wire, by datagram and by session: one longer than names are is refused whole and
// counted; any other shows on one line, "|" as itself and control characters as escapes.
TEST_F(Conversations, ANameFromTheWireIsOneLineOrRefused) {
    StartQuietly({});
    const QByteArray huge(2000, 'x'), fullName("pc07.a-rather-long-domain-name.example");
    // From, To, taken by session; every datagram within the bounds is taken.
    const std::tuple<QByteArray, QByteArray, bool> rows[] = {
        {"Eve|Boss", "TESTHOST", true},
        {"Eve\r\nBoss:\x1b[2J", "TESTHOST", true},
        {fullName, "TESTHOST", false},  // a full host name, but no NetBIOS name
        {huge, "TESTHOST", false},
        {"bob", huge, false}};
    for (const auto& [from, to, session] : rows) {
        QUdpSocket().writeDatagram(platform::netbios::EncodeMailslotWrite(
                                       {.source = {"BOB", 0},
                                        .destination = {"TESTHOST", 3},
                                        .mailslot = "\\MAILSLOT\\MESSNGR",
                                        .body = from + '\0' + to + '\0' + "dgram" + '\0'}),
                                   QHostAddress::LocalHost, network.Port());
        SessionClient client(network.SessionPort());
        EXPECT_EQ(client.Open("testhost") && client.Send("session", to, from) == 0, session);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return platform::RefusedMailslotMessages(state().MailSlotHandle) == 2; }));
    for (std::size_t tick = 0; tick < 2 * std::size(rows); ++tick) {  // one message a tick
        app->Listener().tmrMailSlot_Timer();
    }
    QStringList lines = app->Chats().CatchAll()->rtbHistory->toPlainText().split(u'\n');
    lines.sort();
    EXPECT_EQ(lines, (QStringList{{},
                                  u"Eve\\x0d\\x0aBoss:\\x1b[2J: dgram"_s,
                                  u"Eve\\x0d\\x0aBoss:\\x1b[2J: session"_s,
                                  u"Eve|Boss: dgram"_s,
                                  u"Eve|Boss: session"_s,
                                  QString::fromLatin1(fullName + ": dgram")}));
}

TEST_F(Conversations, TwoContactsUnderOneNameEachKeepTheirOwnWindow) {
    StartQuietly(
        "[Users]\r\nTotal=2\r\nUser[1]=NAME=Twin|ADDRESS=pc01|TYPE=0\r\n"
        "User[2]=NAME=Twin|ADDRESS=pc02|TYPE=0\r\n");
    Route(u"pc02"_s, u"from two"_s);
    Route(u"pc01"_s, u"from one"_s);
    wChat* one = app->Chats().Chat(u"_users_pc01"_s);
    wChat* two = app->Chats().Chat(u"_users_pc02"_s);
    ASSERT_TRUE(one && two && one != two && one->RecipientEntry.contains(u"ADDRESS=pc01"_s));
    EXPECT_TRUE(two->RecipientEntry.contains(u"ADDRESS=pc02"_s));
    EXPECT_EQ(one->rtbHistory->toPlainText(), u"Twin: from one\n"_s);
    EXPECT_EQ(two->rtbHistory->toPlainText(), u"Twin: from two\n"_s);

    // Closing one twin's window leaves the other's open, and a double-click on it makes no
    // second window; the closed one comes back with its own contact's next message.
    one->close();
    DoubleClick(u"_users_pc02"_s);
    EXPECT_TRUE(two->Loaded() &&
                std::ranges::count_if(context().windows.LoadedWindows(),
                                      [](QWidget* w) { return qobject_cast<wChat*>(w); }) == 2);
    Route(u"pc01"_s, u"again"_s);
    EXPECT_TRUE(one->Loaded() && one->rtbHistory->toPlainText() == u"Twin: again\n"_s);
    EXPECT_EQ(two->rtbHistory->toPlainText(), u"Twin: from two\n"_s);
}

TEST_F(Conversations, TheSendCycleShowsEachOutcome) {
    StartQuietly("[Users]\r\nTotal=1\r\nUser[1]=NAME=Me|ADDRESS=testhost|TYPE=0\r\n");
    wChat* me = DoubleClick(u"_users_testhost"_s);
    ASSERT_NE(me, nullptr);

    Send(me);  // nothing typed: the error and its link (tests/desktop), gone once a send succeeds

    // Sent, with this machine as the sender, once only although Enter waited meanwhile.
    QTest::keyClicks(me->rtbChat, u"hello|there"_s);
    QTest::mouseClick(me->cmdSend, Qt::LeftButton);
    EXPECT_TRUE(!me->cmdSend->isEnabled() && !me->imgStatus->pixmap().isNull());  // and says so
    Send(me, true);
    EXPECT_TRUE(me->StatusText().startsWith(u"Message sent successfully at "_s));
    EXPECT_EQ(me->StatusState(), 1);
    EXPECT_TRUE(!me->labErrorHelp->isVisible() && me->rtbHistory->toPlainText().isEmpty());
    QTest::qWait(200);
    ASSERT_TRUE(WaitForMessages(state().MailSlotHandle, 1));
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle),
              (MailSlotMessage{u"TESTHOST"_s, u"testhost"_s, u"hello|there"_s}));
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle), MailSlotMessage{});

    // A text the network cannot carry: the box says why, and the text stays for the user to fix.
    me->rtbChat->insertPlainText(u"snow \u2603"_s);
    EXPECT_EQ(BoxesShownBy({platform::vbOK}, [me] { Send(me); }).size(), 1);
    EXPECT_TRUE(me->StatusState() == 4 && me->rtbChat->toPlainText() == u"snow \u2603"_s);
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle), MailSlotMessage{});
}

// Typed or pasted, what does not fit is cut from what came in, never from the box's text.
TEST_F(Conversations, TheInputHoldsFourHundredCharacters) {
    StartQuietly(kContacts);
    wChat* anna = DoubleClick(u"_users_pc01"_s);
    ASSERT_NE(anna, nullptr);

    QTest::keyClicks(anna->rtbChat, QString(399, u'x'));
    QTest::keyClicks(anna->rtbChat, u"yz"_s);
    EXPECT_EQ(anna->rtbChat->toPlainText(), QString(399, u'x') + u"y"_s);
    EXPECT_EQ(anna->CounterText(), u"0 chars left"_s);

    anna->rtbChat->setPlainText(QString(390, u'a') + u"END"_s);
    QTextCursor at = anna->rtbChat->textCursor();
    at.setPosition(10);
    anna->rtbChat->setTextCursor(at);
    QGuiApplication::clipboard()->setText(u"0123456789"_s);
    anna->rtbChat->paste();
    EXPECT_EQ(anna->rtbChat->toPlainText(),
              QString(10, u'a') + u"0123456"_s + QString(380, u'a') + u"END"_s);
}

// Shrunk a pixel at a time, the boxes and the button come up to the window's edges, never past.
TEST_F(Conversations, AShrinkingChatWindowKeepsItsPartsInside) {
    StartQuietly(kContacts);
    wChat* anna = DoubleClick(u"_users_pc01"_s);
    ASSERT_NE(anna, nullptr);
    // Lowered, then narrowed: the least of each part's top, height, width or left below.
    QList<int> least(5, 1000);
    for (int step = 1; step < 700; ++step) {
        anna->resize(step < 300 ? 400 : 700 - step, step < 300 ? 300 - step : 300);
        const int now[] = {anna->rtbChat->y(), anna->cmdSend->y(), anna->rtbHistory->height(),
                           anna->rtbChat->width(), anna->cmdSend->x()};
        std::ranges::transform(least, now, least.begin(),
                               [](int a, int b) { return std::min(a, b); });
    }
    EXPECT_EQ(least, QList<int>(5, 0));
}

TEST_F(SettingsWindow, SaveWritesReloadsAndTakesThePicturesOffEveryOpenWindow) {
    LinkResources();
    wMain& m = Start("[Skinning]\r\nEnable=1\r\n");
    const QList<QLabel*> pictures{wAddContact::Open(context(), main().Contacts())->imgTopRightLogo,
                                  wAbout::Open(context())->imgGlobe,
                                  app->Chats().OpenCatchAll()->imgGlobeBig};
    const auto skinned = [&](bool on) {
        EXPECT_EQ(m.picStatus->Picture().isNull(), !on);
        for (QLabel* image : pictures) {
            EXPECT_EQ(image->pixmap().isNull(), !on) << image->objectName();
        }
    };
    skinned(true);

    // No component is registered or beside the program: the window works without help.
    wSettings* w = OpenSettings();
    ASSERT_TRUE(w && !w->ToolTip);
    QTest::mouseClick(w->cmdSave, Qt::RightButton);
    EXPECT_TRUE(w->isVisible());

    ClickSection(w, u"Interface"_s);
    QTest::mouseClick(w->chkContactListInterface_DesktopNotifications, Qt::LeftButton);
    ClickSection(w, u"Skinning"_s);
    QTest::mouseClick(w->chkEnableApplicationSkinning, Qt::LeftButton);
    const QPoint place = w->pos() * 15;
    QTest::mouseClick(w->cmdSave, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(settings()),
              "[Contact List - Interface]\r\nDisplay Splash=0\r\nMinimise On Startup=0\r\n"
              "Desktop Notifications=0\r\n[Skinning]\r\nEnable=0\r\n\r\n[Window "
              "Metrics]\r\nwSettings Window Left=" +
                  QByteArray::number(place.x()) +
                  "\r\nwSettings Window Top=" + QByteArray::number(place.y()) + "\r\n");
    EXPECT_FALSE(state().SkinningEnabled || state().DesktopNotifications);
    EXPECT_FALSE(state().SettingsWindowOpen);
    skinned(false);

    // And back on: the pictures are read again and return.
    w = OpenSettings();
    w->chkEnableApplicationSkinning->setChecked(true);
    w->cmdSave_Click();
    EXPECT_TRUE(state().SkinningEnabled);
    skinned(true);
}

TEST_F(SettingsWindow, OpensOnTheSettingsInMemoryAndEscapeOrAFailedSaveChangeNothing) {
    Start("[Skinning]\r\nEnable=1\r\n" + kPlace);
    const QByteArray before = ReadBytes(settings());
    state().MinimiseOnStartup = true;  // memory, not the file, fills the boxes
    const auto toggle = [](wSettings* w) {
        for (QCheckBox* box :
             {w->chkContactListInterface_DisplaySplash,
              w->chkContactListInterface_MinimiseOnStartup, w->chkEnableApplicationSkinning}) {
            box->toggle();
        }
    };
    const auto unchanged = [&] {
        EXPECT_TRUE(!context().windows.Find(u"wSettings"_s) && !state().SettingsWindowOpen);
        EXPECT_EQ(ReadBytes(settings()), before);
        EXPECT_TRUE(state().SkinningEnabled && !state().DisplaySplash);
    };

    wSettings* w = OpenSettings();
    ASSERT_TRUE(w && w->pos() == QPoint(80, 60));
    EXPECT_FALSE(w->chkContactListInterface_DisplaySplash->isChecked());
    EXPECT_TRUE(w->chkContactListInterface_MinimiseOnStartup->isChecked());
    // Each section shows its own boxes alone, the first at once: no hidden box takes the focus.
    const QLabel* first = w->findChild<QLabel*>(u"labContactList"_s);
    EXPECT_TRUE(first->isVisible());
    ClickSection(w, u"Interface"_s);
    EXPECT_TRUE(w->chkContactListInterface_MinimiseOnStartup->isVisible());
    ClickSection(w, u"Skinning"_s);
    EXPECT_TRUE(w->chkEnableApplicationSkinning->isVisible());
    ClickSection(w, u"Sounds"_s);
    EXPECT_TRUE(w->findChild<QLabel*>(u"labSounds"_s)->isVisible());
    ClickSection(w, u"Contact List"_s);  // and back to the first, alone again
    EXPECT_TRUE(first->isVisible() && !w->chkEnableApplicationSkinning->isVisible());
    toggle(w);
    QTest::keyClick(w->tvwSections, Qt::Key_Escape);
    unchanged();

    // A settings file that cannot be written: the user hears of it and keeps the window.
    w = OpenSettings();
    toggle(w);
    const QString file = state().SettingsFile;
    // A file where its directory should be, so no directory can be made for it.
    WriteBytes(dir.filePath(u"blocked"_s), "");
    state().SettingsFile = dir.filePath(u"blocked/Settings.ini"_s);
    EXPECT_EQ(BoxesShownBy({platform::vbOK}, [w] { w->cmdSave_Click(); }).size(), 1);
    EXPECT_TRUE(w->isVisible() && !w->chkEnableApplicationSkinning->isChecked() &&
                state().SkinningEnabled);
    state().SettingsFile = file;
    QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
    unchanged();
}

TEST_F(SettingsWindow, ARightClickShowsHelpAndDoesNothingElse) {
    // The component beside the program, where a copied program directory has it.
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(PARLANE_GLIMMERTIP_LIBRARY), dir.filePath(u"Glimmertip.so"_s)));
    LinkResources();
    Start("[Skinning]\r\nEnable=1\r\n" + kPlace);
    const QByteArray before = ReadBytes(settings());
    wSettings* w = OpenSettings();
    ASSERT_NE(w->ToolTip, nullptr) << w->ToolTipError;

    QTest::mouseClick(w->cmdSave, Qt::RightButton);
    EXPECT_EQ(PopupTitle(), u"Save Changes"_s);
    QTest::mouseClick(w->cmdCancel, Qt::RightButton);
    EXPECT_EQ(PopupTitle(), u"Cancel Changes"_s);
    // In the tree it selects nothing, so the pane stays.
    ClickSection(w, u"Interface"_s, Qt::RightButton);
    EXPECT_TRUE(PopupTitle() == u"Sections"_s && w->tvwSections->selectedItems().isEmpty());
    ClickSection(w, u"Skinning"_s);
    QTest::mouseClick(w->chkEnableApplicationSkinning, Qt::RightButton);
    EXPECT_TRUE(w->chkEnableApplicationSkinning->isChecked());
    EXPECT_EQ(PopupTitle(), u"Enable Application Skinning"_s);
    EXPECT_TRUE(w->isVisible() && ReadBytes(settings()) == before);

    // Closing (Escape on Cancel) takes the popup along before the component's code may go.
    QTest::keyClick(w->cmdCancel, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(PopupTitle(), u"(no popup)"_s);
}

TEST_F(Launch, TheSplashComesOnlyForExactlyOneBeforeTheMainWindowAndGoesAfterIt) {
    struct Observed : ParlaneApp {
        using ParlaneApp::ParlaneApp;
        bool splashBeforeMain = false;
        QString otherCopySaves;  // meanwhile, no splash
        void LoadMainWindow() override {
            splashBeforeMain = Splash() && Splash()->isVisible();
            if (!otherCopySaves.isEmpty()) {
                WriteBytes(otherCopySaves, "[Contact List - Interface]\r\nDisplay Splash=0\r\n");
            }
            ParlaneApp::LoadMainWindow();
        }
    };
    const std::tuple<QByteArray, bool, bool> cases[] = {
        {" 1 ", true, false}, {"1", true, true},      {"0", false, false},
        {"01", false, false}, {"True", false, false},
    };
    // A copy started later can tell that one runs: the marker stays locked while it does.
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    for (const auto& [value, splash, changed] : cases) {
        SCOPED_TRACE(value.constData());
        WriteBytes(settings(), "[Contact List - Interface]\r\nDisplay Splash=" + value + "\r\n");
        platform::ForgetCachedProfiles();
        Observed windows(dir.path());
        windows.otherCopySaves = changed ? settings() : QString();
        windows.Start();
        EXPECT_TRUE(windows.splashBeforeMain == splash && !windows.Splash());
        ASSERT_TRUE(windows.MainWindow() && windows.MainWindow()->isVisible());
    }
    qputenv("TMPDIR", temp);
    QFile marker(dir.filePath(u"OSTRELL_Parlane.lock"_s));
    EXPECT_TRUE(marker.open(QFile::ReadOnly) && ::flock(marker.handle(), LOCK_EX | LOCK_NB) != 0);
}

// A settings file that is no file is never opened (a pipe would block start-up), told of once,
// and left as it is: the program runs on its defaults.
TEST_F(Launch, ASettingsFileThatIsNoRegularFileIsToldAndLeftAlone) {
    const struct {
        const char* kind;
        std::function<bool()> make;
    } cases[] = {
        {"pipe", [&] { return mkfifo(QFile::encodeName(settings()).constData(), 0600) == 0; }},
        {"directory", [&] { return QDir().mkpath(settings()); }},
        {"device", [&] { return QFile::link(u"/dev/null"_s, settings()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        QFile::remove(settings());
        ASSERT_TRUE(c.make());
        const QFileInfo before(settings());
        platform::ForgetCachedProfiles();
        MessageBoxes boxes({platform::vbOK, platform::vbOK});
        {
            ParlaneApp windows(dir.path());
            windows.Start();
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_TRUE(boxes.shown()[0].request.prompt.contains(u"is not a regular file"_s));
            EXPECT_TRUE(windows.MainWindow()->isVisible() && windows.MainWindow()->close());
        }
        EXPECT_EQ(boxes.shown().size(), 2u);  // what could not be saved
        const QFileInfo after(settings());
        EXPECT_EQ(after.isDir() || after.isSymLink(), before.isDir() || before.isSymLink());
        EXPECT_EQ(after.lastModified(), before.lastModified());
        QDir(settings()).removeRecursively();
    }
}

}  // namespace
