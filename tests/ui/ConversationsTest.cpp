#include "platform/gui/WindowPos.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/Scripts.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/ConversationView.h"
#include "ui/conversations/Conversations.h"
#include "ui/conversations/wCatchAll.h"
#include "ui/conversations/wChat.h"
#include "ui/shared/WindowList.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

// One run of a conversation view: its text and the look that matters.
struct TextRun {
    QString text;
    QColor colour;
    bool bold;
    friend bool operator==(const TextRun&, const TextRun&) = default;
    friend void PrintTo(const TextRun& r, std::ostream* os) {
        *os << '"' << r.text.toStdString() << "\" " << r.colour.name().toStdString()
            << (r.bold ? " bold" : "");
    }
};

std::vector<TextRun> Runs(const QTextEdit* box) {
    std::vector<TextRun> runs;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            runs.push_back(
                {it.fragment().text(), f.foreground().color(), f.fontWeight() == QFont::Bold});
        }
    }
    return runs;
}

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

class Conversations : public MainWindowFixture {
protected:
    // The program on these settings, its listener's timer stopped so that the test routes.
    void StartQuietly(const QByteArray& settings) {
        WriteSettings(settings);
        Start();
        app->Listener().tmrMailSlot.stop();
    }
    // The chat window a double-click on the contact's node opens.
    wChat* DoubleClick(const QString& key, const QString& name) {
        main().tvwContacts_NodeDoubleClick(Node(key));
        return Chat(name);
    }
    void Route(const QString& from, const QString& text) {
        app->Chats().RouteMessage(main().Contacts(), {from, u"testhost"_s, text});
    }
    // The chat window shown under that contact name, or null.
    wChat* Chat(const QString& name) {
        for (const QPointer<QWidget>& w : context().windows.LoadedWindows()) {
            auto* chat = qobject_cast<wChat*>(w.data());
            if (chat && chat->isVisible() && chat->windowTitle() == u"Message: "_s + name) {
                return chat;
            }
        }
        return nullptr;
    }
    // Presses Send, or Enter, and waits for the outcome.
    static void Send(wChat* chat, bool enter = false) {
        if (enter) {
            QTest::keyClick(chat->rtbChat, Qt::Key_Return);
        } else {
            QTest::mouseClick(chat->cmdSend, Qt::LeftButton);
        }
        EXPECT_TRUE(QTest::qWaitFor([chat] { return !chat->Sending(); }, 10000));
    }
    int ChatWindows() {
        int count = 0;
        for (const QPointer<QWidget>& w : context().windows.LoadedWindows()) {
            count += qobject_cast<wChat*>(w.data()) != nullptr;
        }
        return count;
    }
};

const QByteArray kContacts =
    "[Users]\r\nTotal=2\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n"
    "User[2]=NAME=Me|ADDRESS=testhost|TYPE=0\r\n"
    "[Domains]\r\nTotal=1\r\nDomain[1]=NAME=Sales|ADDRESS=sales|TYPE=1\r\n";

TEST_F(Conversations, ListedSendersGetTheirChatWindowAndEveryoneElseTheCatchAll) {
    StartQuietly(kContacts);

    // Found by address in any letter case; shown under the contact's name, markup as text.
    Route(u"PC01"_s, u"<b>hi</b>"_s);
    wChat* anna = Chat(u"Anna"_s);
    ASSERT_NE(anna, nullptr);
    EXPECT_FALSE(anna->isActiveWindow());
    EXPECT_EQ(anna->labTo->text(), u"Anna"_s);
    EXPECT_EQ(app->Chats().Chat(u"_users_pc01"_s), anna);
    Route(u"pc01"_s, u"a|b|"_s);
    EXPECT_EQ(Runs(anna->rtbHistory), (std::vector<TextRun>{{u"Anna"_s, kRed, true},
                                                            {u": <b>hi</b>"_s, kBlack, false},
                                                            {u"Anna"_s, kRed, true},
                                                            {u": a"_s, kBlack, false},
                                                            {u"b"_s, kBlack, false}}));
    EXPECT_EQ(anna->rtbHistory->toPlainText(), u"Anna: <b>hi</b>\nAnna: a\nb\n\n"_s);
    EXPECT_EQ(ChatWindows(), 1);

    // Strangers and domains without a window: the catch-all, sender exactly as it came.
    EXPECT_EQ(app->Chats().CatchAll(), nullptr);
    Route(u"ZeD"_s, u"hello"_s);
    Route(u"SALES"_s, u"all hands"_s);
    ASSERT_NE(app->Chats().CatchAll(), nullptr);
    EXPECT_EQ(Runs(app->Chats().CatchAll()->rtbHistory),
              (std::vector<TextRun>{{u"ZeD"_s, kRed, true},
                                    {u": hello"_s, kBlack, false},
                                    {u"SALES"_s, kRed, true},
                                    {u": all hands"_s, kBlack, false}}));

    // A domain's window, once open, takes its messages.
    wChat* sales = DoubleClick(u"_domains_sales"_s, u"Sales"_s);
    ASSERT_NE(sales, nullptr);
    EXPECT_EQ(sales->labTo->text(), u"Sales  [Domain]"_s);
    Route(u"Sales"_s, u"meeting"_s);
    EXPECT_EQ(sales->rtbHistory->toPlainText(), u"Sales: meeting\n"_s);

    // A double-click on an open conversation opens nothing more.
    main().tvwContacts_NodeDoubleClick(Node(u"_users_pc01"_s));
    EXPECT_EQ(ChatWindows(), 2);
    EXPECT_EQ(Chat(u"Anna"_s), anna);
}

TEST_F(Conversations, AClosedChatComesBackAtTheScreenCentreWithOnlyTheNewMessage) {
    StartQuietly(kContacts);
    wChat* anna = DoubleClick(u"_users_pc01"_s, u"Anna"_s);
    ASSERT_NE(anna, nullptr);
    EXPECT_TRUE(anna->rtbHistory->toPlainText().isEmpty());
    Route(u"pc01"_s, u"first"_s);
    anna->rtbChat->setPlainText(u"draft"_s);
    anna->close();
    EXPECT_FALSE(anna->Loaded());

    main().activateWindow();
    QCoreApplication::processEvents();
    Route(u"pc01"_s, u"second"_s);
    EXPECT_EQ(Chat(u"Anna"_s), anna);
    EXPECT_EQ(anna->rtbHistory->toPlainText(), u"Anna: second\n"_s);
    EXPECT_TRUE(anna->rtbChat->toPlainText().isEmpty());
    EXPECT_EQ(anna->StatusText(), u"Waiting.."_s);
    EXPECT_TRUE(anna->Loaded());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(anna->pos(), screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2));
    EXPECT_FALSE(anna->isActiveWindow());
    // Its short spell above every window ends with it still shown.
    EXPECT_TRUE(platform::IsTopMost(anna));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::IsTopMost(anna); }, 2000));
    EXPECT_TRUE(anna->isVisible());

    // Sent back through the contact's node instead, the window is a new one, bound anew.
    anna->close();
    wChat* again = DoubleClick(u"_users_pc01"_s, u"Anna"_s);
    ASSERT_NE(again, nullptr);
    Route(u"PC01"_s, u"third"_s);
    EXPECT_EQ(again->rtbHistory->toPlainText(), u"Anna: third\n"_s);
}

TEST_F(Conversations, TwoContactsUnderOneNameEachKeepTheirOwnWindow) {
    StartQuietly(
        "[Users]\r\nTotal=2\r\nUser[1]=NAME=Twin|ADDRESS=pc01|TYPE=0\r\n"
        "User[2]=NAME=Twin|ADDRESS=pc02|TYPE=0\r\n");
    Route(u"pc02"_s, u"from two"_s);
    Route(u"pc01"_s, u"from one"_s);
    wChat* one = app->Chats().Chat(u"_users_pc01"_s);
    wChat* two = app->Chats().Chat(u"_users_pc02"_s);
    ASSERT_TRUE(one && two && one != two);
    EXPECT_EQ(app->Chats().CatchAll(), nullptr);
    EXPECT_TRUE(one->RecipientEntry.contains(u"ADDRESS=pc01"_s));
    EXPECT_TRUE(two->RecipientEntry.contains(u"ADDRESS=pc02"_s));
    EXPECT_EQ(one->rtbHistory->toPlainText(), u"Twin: from one\n"_s);
    EXPECT_EQ(two->rtbHistory->toPlainText(), u"Twin: from two\n"_s);

    // Closing one twin's window leaves the other's open, and a double-click on it makes no
    // second window; the closed one comes back with its own contact's next message.
    one->close();
    main().tvwContacts_NodeDoubleClick(Node(u"_users_pc02"_s));
    EXPECT_EQ(ChatWindows(), 2);
    EXPECT_TRUE(two->Loaded());
    Route(u"pc01"_s, u"again"_s);
    EXPECT_TRUE(one->Loaded());
    EXPECT_EQ(one->rtbHistory->toPlainText(), u"Twin: again\n"_s);
    EXPECT_EQ(two->rtbHistory->toPlainText(), u"Twin: from two\n"_s);
}

TEST_F(Conversations, TheSendCycleShowsEachOutcome) {
    CopyResources();
    const QString opener = MakeRecordingScript(dir.filePath(u"opener"_s));
    platform::SetShellOpener(opener);
    StartQuietly(
        "[Users]\r\nTotal=3\r\nUser[1]=NAME=Me|ADDRESS=testhost|TYPE=0\r\n"
        "User[2]=NAME=Nobody|ADDRESS=longer-than-a-netbios-name|TYPE=0\r\n"
        "User[3]=NAME=Far|ADDRESS=127.127.127.127|TYPE=0\r\n");
    wChat* me = DoubleClick(u"_users_testhost"_s, u"Me"_s);
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->StatusText(), u"Waiting.."_s);
    EXPECT_EQ(me->CounterText(), u"400 chars left"_s);

    // Nothing typed.
    Send(me);
    EXPECT_EQ(me->StatusText(), u"Please enter a message to send."_s);
    EXPECT_EQ(me->StatusState(), 3);
    EXPECT_TRUE(me->labErrorHelp->isVisible());
    EXPECT_EQ(me->labErrorHelp->property("Tag").toString(), u"3"_s);

    // Sent, with this machine as the sender, once only although Enter waited meanwhile.
    QTest::keyClicks(me->rtbChat, u"hello|there"_s);
    EXPECT_EQ(me->CounterText(), u"389 chars left"_s);
    QTest::mouseClick(me->cmdSend, Qt::LeftButton);
    EXPECT_EQ(me->StatusText(), u"Sending message.."_s);
    EXPECT_FALSE(me->cmdSend->isEnabled());
    Send(me, true);
    EXPECT_TRUE(me->StatusText().startsWith(u"Message sent successfully at "_s));
    EXPECT_TRUE(QTime::fromString(me->StatusText().mid(29, 8), u"HH:mm:ss"_s).isValid());
    EXPECT_TRUE(me->StatusText().endsWith(u"."_s));
    EXPECT_EQ(me->StatusState(), 1);
    EXPECT_FALSE(me->labErrorHelp->isVisible());
    EXPECT_TRUE(me->cmdSend->isEnabled());
    EXPECT_EQ(me->CounterText(), u"400 chars left"_s);
    EXPECT_TRUE(me->rtbHistory->toPlainText().isEmpty());
    QTest::qWait(200);
    ASSERT_TRUE(WaitForMessages(state().MailSlotHandle, 1));
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle),
              (MailSlotMessage{u"TESTHOST"_s, u"testhost"_s, u"hello|there"_s}));
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle), MailSlotMessage{});

    // A recipient that cannot be reached.
    wChat* nobody = DoubleClick(u"_users_longer-than-a-netbios-name"_s, u"Nobody"_s);
    ASSERT_NE(nobody, nullptr);
    QTest::keyClicks(nobody->rtbChat, u"anyone?"_s);
    Send(nobody, true);
    EXPECT_EQ(nobody->StatusText(), u"There was an error trying to send the message."_s);
    EXPECT_EQ(nobody->rtbChat->toPlainText(), u"anyone?"_s);
    EXPECT_EQ(nobody->StatusState(), 4);
    EXPECT_TRUE(nobody->labErrorHelp->isVisible());
    QTest::mouseClick(nobody->labErrorHelp, Qt::LeftButton);
    const QStringList opened = RecordedBy(opener);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], dir.filePath(u"Data/Help/Errors/CouldNotSendMessage.html"_s));

    // A text the network cannot carry: the box says why, the text stays, Send works again.
    {
        MessageBoxes boxes({platform::vbOK});
        me->rtbChat->insertPlainText(u"snow \u2603"_s);
        Send(me);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown()[0].text.startsWith(u"Error during cmdSend_Click: "_s));
        EXPECT_EQ(boxes.shown()[0].request.style, platform::vbExclamation);
    }
    EXPECT_TRUE(me->cmdSend->isEnabled());
    EXPECT_EQ(me->rtbChat->toPlainText(), u"snow \u2603"_s);
    EXPECT_EQ(me->StatusState(), 4);
    EXPECT_EQ(modMailSlots::ReadMailSlot(state().MailSlotHandle), MailSlotMessage{});

    // The longest text the box takes still fits one datagram beside the two names.
    wChat* far = DoubleClick(u"_users_127.127.127.127"_s, u"Far"_s);
    ASSERT_NE(far, nullptr);
    QGuiApplication::clipboard()->setText(QString(450, u'f'));
    far->rtbChat->paste();
    EXPECT_EQ(far->CounterText(), u"0 chars left"_s);
    Send(far);
    EXPECT_EQ(far->StatusState(), 1) << far->StatusText();
}

TEST_F(Conversations, TheInputHoldsFourHundredCharactersAndGrowsWithTheWindow) {
    StartQuietly(kContacts);
    wChat* anna = DoubleClick(u"_users_pc01"_s, u"Anna"_s);
    ASSERT_NE(anna, nullptr);

    // Enter in an empty box does nothing.
    QTest::keyClick(anna->rtbChat, Qt::Key_Return);
    EXPECT_EQ(anna->StatusText(), u"Waiting.."_s);
    EXPECT_TRUE(anna->rtbChat->toPlainText().isEmpty());

    QTest::keyClicks(anna->rtbChat, QString(399, u'x'));
    EXPECT_EQ(anna->CounterText(), u"1 chars left"_s);
    QTest::keyClicks(anna->rtbChat, u"yz"_s);
    EXPECT_EQ(anna->rtbChat->toPlainText(), QString(399, u'x') + u"y"_s);
    EXPECT_EQ(anna->CounterText(), u"0 chars left"_s);

    anna->rtbChat->clear();
    QGuiApplication::clipboard()->setText(QString(450, u'p'));
    anna->rtbChat->paste();
    EXPECT_EQ(anna->rtbChat->toPlainText(), QString(400, u'p'));
    EXPECT_EQ(anna->CounterText(), u"0 chars left"_s);

    // A paste into the middle of a nearly full box keeps the box's end and takes what fits.
    anna->rtbChat->setPlainText(QString(390, u'a') + u"END"_s);
    QTextCursor at = anna->rtbChat->textCursor();
    at.setPosition(10);
    anna->rtbChat->setTextCursor(at);
    QGuiApplication::clipboard()->setText(u"0123456789"_s);
    anna->rtbChat->paste();
    EXPECT_EQ(anna->rtbChat->toPlainText(),
              QString(10, u'a') + u"0123456"_s + QString(380, u'a') + u"END"_s);

    const QRect input = anna->rtbChat->geometry();
    anna->resize(anna->width() + 100, anna->height() + 100);
    EXPECT_EQ(anna->rtbChat->width(), input.width() + 100);
    EXPECT_GT(anna->cmdSend->x(), anna->rtbChat->geometry().right());
    EXPECT_EQ(anna->picStatus->geometry().bottom(), anna->height() - 1);
    // Too small for the design: what cannot be placed stays where it was.
    const QPoint send = anna->cmdSend->pos();
    anna->resize(60, 60);
    EXPECT_EQ(anna->cmdSend->pos(), send);
}

TEST_F(Conversations, TheCatchAllWindowLivesUntilClosedAndStartsEmptyAtItsPlace) {
    CopyResources();
    StartQuietly("[Skinning]\r\nEnable=1\r\n" + kContacts);
    main().tvwContacts_NodeDoubleClick(Node(u"_unknown_catchall"_s));
    wCatchAll* log = app->Chats().CatchAll();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(state().CatchAllWindowOpen);
    EXPECT_FALSE(log->imgBottom->pixmap().isNull());
    EXPECT_FALSE(log->imgGlobeBig->pixmap().isNull());
    EXPECT_FALSE(log->cmdClear->isEnabled());
    EXPECT_TRUE(platform::IsTopMost(log));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::IsTopMost(log); }, 2000));

    Route(u"x1"_s, u"one"_s);
    Route(u"x2"_s, u"two"_s);
    Route(u"x3"_s, u"three"_s);
    EXPECT_EQ(log->rtbHistory->toPlainText(), u"x1: one\nx2: two\nx3: three\n"_s);
    EXPECT_EQ(app->Chats().CatchAll(), log);

    log->move(120, 90);
    const QPoint place = log->pos();
    QTest::keyClick(log->rtbHistory, Qt::Key_Escape);
    EXPECT_FALSE(state().CatchAllWindowOpen);
    EXPECT_EQ(app->Chats().CatchAll(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    Route(u"x4"_s, u"four"_s);
    log = app->Chats().CatchAll();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->rtbHistory->toPlainText(), u"x4: four\n"_s);
    EXPECT_EQ(log->pos(), place);
    QTest::keyClick(log->cmdClose, Qt::Key_Escape);
    EXPECT_FALSE(state().CatchAllWindowOpen);
}

TEST_F(Conversations, AppendingGoesToTheEndWhateverTheUserSelected) {
    QTextEdit view;
    view.setPlainText(u"earlier text"_s);
    QTextCursor selection(view.document());
    selection.setPosition(0);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    view.setTextCursor(selection);
    ConversationView::AppendText(view, u"|more"_s, 0xff0000, u"Arial"_s, 12, false, true, true);
    EXPECT_EQ(view.toPlainText(), u"earlier text\nmore"_s);
    EXPECT_FALSE(view.textCursor().hasSelection());
    const QTextCharFormat f = view.document()->lastBlock().begin().fragment().charFormat();
    EXPECT_EQ(f.foreground().color(), QColor(0, 0, 255));  // 0x00BBGGRR
    EXPECT_TRUE(f.fontItalic() && f.fontUnderline());
    EXPECT_EQ(f.fontPointSize(), 12);
}

// The windows of the README; PARLANE_WRITE_PICTURES=dir writes the pictures there.
TEST_F(Conversations, TheReadmePicturesShowAConversationAndTheCatchAll) {
    CopyResources();
    StartQuietly("[Skinning]\r\nEnable=1\r\n" + kContacts);
    Route(u"pc01"_s, u"Lunch at twelve?"_s);
    Route(u"pc01"_s, u"The usual place.|Bring the <b>report</b>."_s);
    wChat* anna = Chat(u"Anna"_s);
    ASSERT_NE(anna, nullptr);
    anna->SetStatus(1, u"Message sent successfully at 11:52:07."_s);
    anna->rtbChat->setPlainText(u"Sounds good, see you there"_s);
    Route(u"LAPTOP-7"_s, u"Backup finished: 0 errors."_s);
    Route(u"PRINTSRV"_s, u"Printer 2 is out of paper."_s);
    wCatchAll* log = app->Chats().CatchAll();
    ASSERT_NE(log, nullptr);
    QCoreApplication::processEvents();

    const QImage chat = anna->grab().toImage();
    const QImage catchAll = log->grab().toImage();
    // The skin's bottom trim is on the catch-all window, as loaded.
    const QPoint inTrim(200, 4);
    EXPECT_EQ(catchAll.pixel(log->imgBottom->mapTo(log, inTrim)),
              log->imgBottom->pixmap().toImage().pixel(inTrim));

    const QString dir = qEnvironmentVariable("PARLANE_WRITE_PICTURES");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(chat.save(dir + u"/chat-window.png"_s));
        EXPECT_TRUE(catchAll.save(dir + u"/catch-all-window.png"_s));
    }
}

}  // namespace
