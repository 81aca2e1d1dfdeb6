// Two copies of Parlane on two machines (network namespaces, each with its own host name), each
// with the other in its contact list, talking through their windows on the real port 138, and a
// third sender that neither knows, by datagram and over a NetBIOS session. Needs root.
#include "support/Files.h"
#include "support/NetworkNamespaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One copy of the program, driven through parlane-peer.
class Copy {
public:
    Copy(const QString& ns, const QString& host, const QByteArray& settings) {
        WriteBytes(dir_.filePath(u"Settings.ini"_s),
                   "[Contact List - Interface]\r\nDisplay Splash=0\r\n" + settings);
        peer_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        peer_.setProcessEnvironment(env);
        peer_.start(u"ip"_s, Inside(ns, host, {QStringLiteral(PARLANE_PEER), dir_.path()}));
    }
    ~Copy() {
        if (peer_.state() != QProcess::NotRunning) {
            Ask(u"quit"_s);
            if (!peer_.waitForFinished(5000)) {
                peer_.kill();
                peer_.waitForFinished(5000);
            }
        }
    }

    // The first line the copy writes, once it has started.
    QString Started() { return Line(); }

    // Sends a command and returns its answer.
    QString Ask(const QString& command) {
        peer_.write((command + u'\n').toUtf8());
        return Line();
    }

private:
    QString Line() {
        QDeadlineTimer deadline(20000);
        while (!peer_.canReadLine() && !deadline.hasExpired() &&
               peer_.state() != QProcess::NotRunning) {
            peer_.waitForReadyRead(100);
        }
        return QString::fromUtf8(peer_.readLine()).trimmed();
    }

    QTemporaryDir dir_;
    QProcess peer_;
};

class TwoCopies : public NetworkNamespaces {};

TEST_F(TwoCopies, TalkThroughTheirChatWindowsAndAStrangerLandsInTheCatchAll) {
    Copy alpha(nsA_, u"alpha"_s, "[Users]\r\nTotal=1\r\nUser[1]=NAME=Beta|ADDRESS=beta|TYPE=0\r\n");
    Copy beta(nsB_, u"beta"_s, "[Users]\r\nTotal=1\r\nUser[1]=NAME=Alpha|ADDRESS=alpha|TYPE=0\r\n");
    ASSERT_EQ(alpha.Started(), u"ready Ready for communication."_s);
    ASSERT_EQ(beta.Started(), u"ready Ready for communication."_s);

    // Alpha writes first; Beta's window for Alpha opens with the message.
    ASSERT_EQ(alpha.Ask(u"open _users_beta"_s), u"ok"_s);
    ASSERT_EQ(alpha.Ask(u"type Message: Beta\thello beta"_s), u"ok"_s);
    EXPECT_TRUE(
        alpha.Ask(u"status Message: Beta"_s).startsWith(u"ok Message sent successfully at "_s));
    EXPECT_EQ(beta.Ask(u"wait Message: Alpha\thello beta"_s), u"ok Alpha: hello beta\\n"_s);

    // Beta answers from that window.
    ASSERT_EQ(beta.Ask(u"type Message: Alpha\thi <b>alpha</b>|bye"_s), u"ok"_s);
    EXPECT_EQ(alpha.Ask(u"wait Message: Beta\tbye"_s), u"ok Beta: hi <b>alpha</b>\\nbye\\n"_s);

    // Someone Alpha does not know.
    QProcess stranger;
    stranger.start(u"ip"_s, Inside(nsB_, u"gamma"_s,
                                   {QStringLiteral(PARLANE_TOOLS_DIR) + u"/parlane-send"_s,
                                    u"--from"_s, u"gamma"_s, u"alpha"_s, u"who am I?"_s}));
    ASSERT_TRUE(stranger.waitForFinished(10000));
    EXPECT_EQ(stranger.exitCode(), 0) << stranger.readAllStandardError().toStdString();
    EXPECT_EQ(alpha.Ask(u"wait CatchAll Account\twho am I?"_s), u"ok gamma: who am I?\\n"_s);

    // A stranger on Samba's client reaches the catch-all over a session; the line break it sends
    // as CR LF shows as one.
    if (!QStandardPaths::findExecutable(u"smbclient"_s).isEmpty()) {
        QProcess samba;
        samba.start(u"ip"_s, {u"netns"_s, u"exec"_s, nsB_, u"smbclient"_s, u"-N"_s, u"-U"_s,
                              u"carol%"_s, u"-M"_s, u"ALPHA"_s, u"-I"_s, u"10.99.0.1"_s});
        samba.write("over a session\nsecond line");
        samba.closeWriteChannel();
        ASSERT_TRUE(samba.waitForFinished(20000));
        EXPECT_EQ(alpha.Ask(u"wait CatchAll Account\tsecond line"_s),
                  u"ok gamma: who am I?\\ncarol: over a session\\nsecond line\\n"_s);
    }

    // A closed conversation comes back with the next message, holding only that one.
    ASSERT_EQ(alpha.Ask(u"close Message: Beta"_s), u"ok"_s);
    ASSERT_EQ(beta.Ask(u"type Message: Alpha\tstill there?"_s), u"ok"_s);
    EXPECT_EQ(alpha.Ask(u"wait Message: Beta\tstill there?"_s), u"ok Beta: still there?\\n"_s);
}

}  // namespace
