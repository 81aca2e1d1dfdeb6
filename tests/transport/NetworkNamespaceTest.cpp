// Two machines in two network namespaces joined by a veth pair, each with a host name of its own,
// talking through parlane-send and parlane-listen on the real port 138. Needs root.
#include "platform/mailslot/MailslotNames.h"
#include "support/Files.h"
#include "support/NetworkNamespaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString kTools = QStringLiteral(PARLANE_TOOLS_DIR);

// Runs ip with the arguments and the input; its exit code and what it printed.
std::pair<int, QString> RunTool(const QStringList& ip, const QByteArray& input = {}) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(u"ip"_s, ip);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished(20000);
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAll())};
}

struct Machine {
    Machine(QString ns, QString host) : ns_(std::move(ns)), host_(std::move(host)) {}
    ~Machine() {
        listener_.terminate();
        listener_.waitForFinished(5000);
    }

    // Starts parlane-listen and waits until it listens, or returns why it could not.
    QString Listen() {
        listener_.start(u"ip"_s, Inside(ns_, host_, {kTools + u"/parlane-listen"_s}));
        QString errors;
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && listener_.state() != QProcess::NotRunning) {
            listener_.waitForReadyRead(100);
            errors += QString::fromLocal8Bit(listener_.readAllStandardError());
            if (errors.contains(u"listening;"_s)) {
                return {};
            }
        }
        listener_.waitForFinished(1000);
        return u"stopped: "_s + errors + QString::fromLocal8Bit(listener_.readAllStandardError());
    }

    int Send(const QString& to, const QString& text) const {
        return RunTool(
                   Inside(ns_, host_, {kTools + u"/parlane-send"_s, u"--from"_s, host_, to, text}))
            .first;
    }

    // Waits for a printed message with the text, and returns its line.
    QString Received(const QString& text) {
        const QDeadlineTimer deadline(5000);
        do {
            for (const QString& line : Printed().split(u'\n')) {
                if (line.endsWith(u"Text: "_s + text)) {
                    return line;
                }
            }
        } while (!deadline.hasExpired());
        return {};
    }

    QString Printed() {
        listener_.waitForReadyRead(100);
        return printed_ += QString::fromLocal8Bit(listener_.readAllStandardOutput());
    }

    QString ns_;
    QString host_;
    QProcess listener_;
    QString printed_;
};

}  // namespace

TEST_F(NetworkNamespaces, MachinesExchangeMessagesByNameWorkgroupStarAndAddressOnly) {
    Machine alpha(nsA_, u"alpha"_s), beta(nsB_, u"beta"_s);
    ASSERT_EQ(alpha.Listen(), QString());
    ASSERT_EQ(beta.Listen(), QString());

    EXPECT_EQ(beta.Send(u"ALPHA"_s, u"to alpha by name"_s), 0);
    EXPECT_TRUE(alpha.Received(u"to alpha by name"_s).contains(u"From: beta  To: ALPHA"_s));
    EXPECT_EQ(alpha.Send(u"Beta"_s, u"back to beta"_s), 0);
    EXPECT_FALSE(beta.Received(u"back to beta"_s).isEmpty());
    const QString workgroup = QString::fromLatin1(platform::netbios::OwnWorkgroup());
    EXPECT_EQ(beta.Send(workgroup, u"to the workgroup"_s), 0);
    EXPECT_FALSE(alpha.Received(u"to the workgroup"_s).isEmpty());
    EXPECT_EQ(alpha.Send(u"*"_s, u"to everyone \u00e9t\u00e9"_s), 0);
    EXPECT_FALSE(beta.Received(u"to everyone \u00e9t\u00e9"_s).isEmpty());
    EXPECT_EQ(beta.Send(u"10.99.0.1"_s, u"by address"_s), 0);
    EXPECT_FALSE(alpha.Received(u"by address"_s).isEmpty());

    // Each machine took only what was addressed to it.
    EXPECT_FALSE(alpha.Printed().contains(u"back to beta"_s));
    EXPECT_FALSE(beta.Printed().contains(u"to alpha by name"_s));
    EXPECT_FALSE(beta.Printed().contains(u"by address"_s));

    // A second listener on the same machine is refused and the first one goes on.
    Machine alphaAgain(nsA_, u"alpha"_s);
    const QString why = alphaAgain.Listen();
    EXPECT_TRUE(why.contains(u"cannot open the mailslot"_s) && why.contains(u"in use"_s)) << why;
    EXPECT_EQ(beta.Send(u"no such machine!"_s, u"x"_s), 3);
    EXPECT_EQ(beta.Send(u"alpha"_s, u"still listening"_s), 0);
    EXPECT_FALSE(alpha.Received(u"still listening"_s).isEmpty());
}

// Samba's client reaches parlane-listen over a session, by address and by a broadcast name query,
// short and in several blocks.
TEST_F(NetworkNamespaces, SambaClientsReachTheListenerOverASessionAndFindItsName) {
    if (QStandardPaths::findExecutable(u"smbclient"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"nmblookup"_s).isEmpty()) {
        GTEST_SKIP() << "needs smbclient and nmblookup (scripts/deps.sh --test)";
    }
    Machine alpha(nsA_, u"alpha"_s);
    ASSERT_EQ(alpha.Listen(), QString());
    QTemporaryDir dir;
    const QString conf = dir.filePath(u"smb.conf"_s);
    WriteBytes(conf, "[global]\n  name resolve order = bcast\n");
    const auto samba = [&](const QStringList& command, const QString& input = {}) {
        return RunTool(QStringList{u"netns"_s, u"exec"_s, nsB_} + command, input.toLatin1()).second;
    };

    const struct {
        QStringList to;
        QString text;
    } messages[] = {
        // smbclient sends at most 127 bytes a block.
        {{u"alpha"_s, u"-I"_s, u"10.99.0.1"_s}, u"long "_s + QString(300, u'l') + u" end"_s},
        {{u"ALPHA"_s}, u"found by name"_s},
    };
    for (const auto& m : messages) {
        samba(
            QStringList{u"smbclient"_s, u"-s"_s, conf, u"-N"_s, u"-U"_s, u"bob%"_s, u"-M"_s} + m.to,
            m.text);
        EXPECT_TRUE(alpha.Received(m.text).contains(u"From: bob  To: "_s)) << alpha.Printed();
    }
    const QString broadcast = samba({u"nmblookup"_s, u"-s"_s, conf, u"ALPHA#03"_s});
    EXPECT_TRUE(broadcast.contains(u"10.99.0.1 ALPHA<03>"_s)) << broadcast;
    const QString unicast =
        samba({u"nmblookup"_s, u"-s"_s, conf, u"-U"_s, u"10.99.0.1"_s, u"alpha#00"_s});
    EXPECT_TRUE(unicast.contains(u"10.99.0.1 alpha<00>"_s)) << unicast;
}
