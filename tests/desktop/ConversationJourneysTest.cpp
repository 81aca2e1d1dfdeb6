// Contacts and conversations as a person meets them: names typed in any script, addresses that
// can or cannot be reached, messages that fill the box, a resolver that never answers, and
// windows that open while the user types elsewhere.
#include "Desktop.h"
#include "ParlaneCopy.h"
#include "Wire.h"
#include "X.h"
#include "support/Files.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A host name that the hosts file gives this machine, and one long enough that a full box of
// text no longer fits a datagram beside it.
const QString kOwnHost = desktop::kHostName + u".lan"_s;
const QString kLongHost = desktop::kHostName + u".a-rather-long-domain-name.example"_s;
// A name only DNS could answer, whose server never does.
const QString kSlowHost = u"nowhere.lan"_s;

const QString kAddContact = u"Add Contact"_s;
const QString kCatchAll = u"CatchAll Account"_s;

class Conversations : public ::testing::Test {
protected:
    // This machine's hosts file and a name server that takes questions and never answers, for
    // the copies started from here on.
    static void SetUpTestSuite() {
        files_ = new QTemporaryDir;
        const QString hosts = files_->filePath(u"hosts"_s);
        const QString resolv = files_->filePath(u"resolv.conf"_s);
        WriteBytes(hosts, ReadBytes(u"/etc/hosts"_s) + "\n127.0.0.1 " + kOwnHost.toUtf8() + ' ' +
                              kLongHost.toUtf8() + '\n' + desktop::kPeerAddress + " pc01\n");
        WriteBytes(resolv, QByteArray("nameserver ") + desktop::kOwnAddress + '\n');
        mute_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(53);
        at.sin_addr.s_addr = inet_addr(desktop::kOwnAddress);
        ASSERT_EQ(bind(mute_, reinterpret_cast<const sockaddr*>(&at), sizeof at), 0);
        for (const auto& [file, over] :
             {std::pair(hosts, "/etc/hosts"), std::pair(resolv, "/etc/resolv.conf")}) {
            ASSERT_EQ(mount(QFile::encodeName(file).constData(), over, nullptr, MS_BIND, nullptr),
                      0);
        }
    }
    static void TearDownTestSuite() {
        umount2("/etc/hosts", MNT_DETACH);
        umount2("/etc/resolv.conf", MNT_DETACH);
        close(mute_);
        delete files_;
    }

    // The copy's window of that title made active, as a click on it would.
    static x::Window Activate(const ParlaneCopy& copy, const QString& title) {
        const x::Window w = copy.WaitForWindow(title);
        EXPECT_TRUE(w && x::Activate(w.id)) << title.toStdString();
        return w;
    }
    // Key presses one after the other, named as xdotool names them.
    static void Keys(const QString& keys) {
        for (const QString& key : keys.split(u' ')) {
            x::Key(key);
        }
    }
    // What the focused text box holds, through the clipboard as a person copies it. The
    // clipboard is emptied first, so that a copy the program has not made yet reads as nothing
    // rather than as what was there before.
    static QString CopyAll() {
        desktop::Run(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s, u"/dev/null"_s});
        Keys(u"ctrl+a ctrl+c End"_s);
        QString text;
        [[maybe_unused]] const bool copied = QTest::qWaitFor(
            [&] {
                text = desktop::Run(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s});
                return !text.isEmpty();
            },
            3000);
        return text;
    }
    // Types into the focused box until it holds the text: xdotool must first map a character
    // outside the keyboard's layout to a key, and now and then the client misses that.
    static void TypeExactly(const QString& text) {
        for (int attempt = 0; attempt < 3 && CopyAll() != text; ++attempt) {
            x::Key(u"ctrl+a"_s);
            x::Type(text);
        }
    }
    static bool StaysActive(qulonglong id, int ms) {
        return !QTest::qWaitFor([id] { return x::ActiveWindow() != id; }, ms);
    }

    static inline QTemporaryDir* files_ = nullptr;
    static inline int mute_ = -1;
};

// Where the tree's selected row is, found by its highlight in the window's picture.
QPoint SelectedRow(const x::Window& window) {
    const QImage shot = x::Screenshot(window.id);
    for (int y = 0; y < shot.height(); ++y) {
        int highlighted = 0;
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            highlighted += c.blue() > c.red() + 80;
        }
        if (highlighted > shot.width() / 2) {
            return {shot.width() / 2, y + 8};
        }
    }
    return {};
}

TEST_F(Conversations, ANameInAnyScriptIsSavedAndAnAddressThatCannotBeReachedIsRefused) {
    ParlaneCopy parlane;
    Activate(parlane, u"Parlane"_s);
    Keys(u"alt+c a"_s);
    const x::Window dialog = Activate(parlane, kAddContact);
    TypeExactly(u"\u0141ukasz Sok\u00f3\u0142"_s);
    x::Key(u"Tab"_s);
    x::Type(u"a-name-of-sixteen"_s);
    Keys(u"Tab space"_s);

    // The reason, in a box of its own; nothing saved, the dialog still there to mend.
    const QByteArray before = parlane.Settings();
    ASSERT_TRUE(QTest::qWaitFor([&] { return x::ActiveWindow() != dialog.id; }, 5000));
    x::Key(u"Return"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return x::ActiveWindow() == dialog.id; }, 5000));
    EXPECT_EQ(parlane.Settings(), before);
    x::Key(u"ctrl+a"_s);
    x::Type(kOwnHost);
    Keys(u"Tab space"_s);

    ASSERT_TRUE(parlane.WaitUntilHidden(kAddContact));
    const QByteArray saved = parlane.Settings();
    EXPECT_TRUE(saved.startsWith("\xEF\xBB\xBF")) << saved.toStdString();
    const QString entry =
        u"User[1]=NAME=\u0141ukasz Sok\u00f3\u0142|ADDRESS="_s + kOwnHost + u"|TYPE=0"_s;
    EXPECT_TRUE(saved.contains(entry.toUtf8())) << saved.toStdString();
}

// A message from a contact with a long address: the box takes no more than the answer can
// carry, and the answer reaches the contact by its full host name (here, this same copy).
TEST_F(Conversations, AFullBoxToAFullHostNameGoesOut) {
    ParlaneCopy parlane("[Users]\r\nTotal=1\r\nUser[1]=NAME=Far|ADDRESS=" + kLongHost.toUtf8() +
                        "|TYPE=0\r\n");
    ASSERT_TRUE(parlane.WaitForWindow(u"Parlane"_s));
    ASSERT_EQ(wire::Send(kLongHost, u"."_s, u"write me a long one"_s), 0);
    Activate(parlane, u"Message: Far"_s);
    x::Type(QString(40, u'x'));
    Keys(u"ctrl+a ctrl+c End"_s);
    for (int i = 0; i < 10; ++i) {
        x::Key(u"ctrl+v"_s);
    }
    x::Key(u"Return"_s);
    EXPECT_TRUE(parlane.WaitForWindow(kCatchAll));
}

TEST_F(Conversations, ASlowResolverFreezesNothingAndAFailedSendKeepsTheText) {
    ParlaneCopy parlane("[Users]\r\nTotal=1\r\nUser[1]=NAME=Slow|ADDRESS=" + kSlowHost.toUtf8() +
                        "|TYPE=0\r\n");
    const x::Window main = parlane.WaitForWindow(u"Parlane"_s);
    ASSERT_EQ(wire::Send(kSlowHost, u"."_s, u"ping"_s), 0);
    const x::Window chat = Activate(parlane, u"Message: Slow"_s);
    x::Type(u"pong"_s);
    x::Key(u"Return"_s);

    // While the resolver keeps the send waiting, the other windows answer at once.
    ASSERT_TRUE(x::Activate(main.id));
    Keys(u"alt+c a"_s);
    const x::Window dialog = parlane.WaitForWindow(kAddContact, 2000);
    ASSERT_TRUE(dialog);
    x::Close(dialog.id);

    // Once the send has failed, the box takes keys again and still holds the text.
    ASSERT_TRUE(x::Activate(chat.id));
    QString text;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            text = CopyAll();
            if (text == u"pong"_s) {
                x::Type(u"!"_s);
            }
            return text == u"pong!"_s;
        },
        20000))
        << text.toStdString();
}

// The user types into one window while messages open others: every key lands where it was aimed.
// A double-click opens a window active, so the user can type at once.
TEST_F(Conversations, WindowsOpenedByMessagesLeaveTheKeysWhereTheUserTypes) {
    ParlaneCopy parlane(
        "[Contact List]\r\nUnknown Expanded=1\r\nUsers Expanded=1\r\n"
        "[Users]\r\nTotal=1\r\nUser[1]=NAME=Anna|ADDRESS=pc01|TYPE=0\r\n");
    const x::Window main = Activate(parlane, u"Parlane"_s);
    Keys(u"alt+c a"_s);
    const x::Window dialog = Activate(parlane, kAddContact);
    x::Type(u"A"_s);
    // A first message, a stranger's, and one that brings back the chat window the user closed.
    struct Arrival {
        QString from, window, typedNext;
        bool closedFirst;
    };
    for (const Arrival& a : {Arrival{u"pc01"_s, u"Message: Anna"_s, u"n"_s, false},
                             Arrival{u"stranger"_s, kCatchAll, u"n"_s, false},
                             Arrival{u"pc01"_s, u"Message: Anna"_s, u"a"_s, true}}) {
        if (a.closedFirst) {
            x::Close(parlane.Find(a.window).id);
            ASSERT_TRUE(parlane.WaitUntilHidden(a.window));
            ASSERT_TRUE(x::Activate(dialog.id));
        }
        ASSERT_EQ(wire::Send(a.from, u"."_s, u"hello"_s), 0);
        ASSERT_TRUE(parlane.WaitForWindow(a.window)) << a.window.toStdString();
        EXPECT_TRUE(StaysActive(dialog.id, 500)) << a.window.toStdString();
        x::Type(a.typedNext);
    }
    x::Key(u"Tab"_s);
    x::Type(u"pc02"_s);
    Keys(u"Tab space"_s);
    ASSERT_TRUE(parlane.WaitUntilHidden(kAddContact));
    EXPECT_TRUE(parlane.Settings().contains("NAME=Anna|ADDRESS=pc02")) << parlane.Settings().data();

    // Catch All, covered by the main window, comes to the front at a double-click.
    ASSERT_TRUE(x::Activate(main.id));
    Keys(u"Home Down"_s);
    const QPoint catchAllNode = SelectedRow(main);
    ASSERT_FALSE(catchAllNode.isNull());
    x::Click(main, catchAllNode, 2);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return x::ActiveWindow() == parlane.Find(kCatchAll).id; }, 5000));

    // A chat window opened by a double-click takes the keys: what is typed goes out.
    x::Close(parlane.Find(u"Message: Anna"_s).id);
    ASSERT_TRUE(parlane.WaitUntilHidden(u"Message: Anna"_s));
    wire::Capture wire;
    ASSERT_TRUE(x::Activate(main.id));
    Keys(u"End Up"_s);
    const QPoint annaNode = SelectedRow(main);
    ASSERT_FALSE(annaNode.isNull());
    x::Click(main, annaNode, 2);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return x::ActiveWindow() == parlane.Find(u"Message: Anna"_s).id; }, 5000));
    x::Type(u"typed at once"_s);
    x::Key(u"Return"_s);
    bool sent = false;
    for (QByteArray datagram = wire.Next(); !sent && !datagram.isEmpty(); datagram = wire.Next()) {
        sent = datagram.contains("typed at once");
    }
    EXPECT_TRUE(sent);
}

}  // namespace
