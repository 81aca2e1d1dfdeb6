// Two machines in two network namespaces joined by a veth pair, each with a host name of its own,
// talking through parlane-send and parlane-listen on the real port 138. Needs root.
#include "core/SharedState.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/mailslot/MailslotNames.h"
#include "support/NetworkNamespaces.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/SessionClient.h"
#include "transport/MailslotListener.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString kTools = QStringLiteral(PARLANE_TOOLS_DIR);

class Machine {
public:
    Machine(QString ns, QString host) : ns_(std::move(ns)), host_(std::move(host)) {}
    ~Machine() {
        if (listener_) {
            listener_->terminate();
            listener_->waitForFinished(5000);
        }
    }

    // Starts parlane-listen and waits until it listens, or returns why it could not.
    QString Listen() {
        listener_ = std::make_unique<QProcess>();
        listener_->start(u"ip"_s, Inside(ns_, host_, {kTools + u"/parlane-listen"_s}));
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && listener_->state() != QProcess::NotRunning) {
            listener_->waitForReadyRead(100);
            errors_ += QString::fromLocal8Bit(listener_->readAllStandardError());
            if (errors_.contains(u"listening;"_s)) {
                return {};
            }
        }
        listener_->waitForFinished(1000);
        errors_ += QString::fromLocal8Bit(listener_->readAllStandardError());
        return errors_.isEmpty() ? u"no output"_s : errors_;
    }

    int Send(const QString& to, const QString& text, QString* error = nullptr) const {
        QProcess send;
        send.start(u"ip"_s,
                   Inside(ns_, host_, {kTools + u"/parlane-send"_s, u"--from"_s, host_, to, text}));
        send.waitForFinished(10000);
        if (error) {
            *error = QString::fromLocal8Bit(send.readAllStandardError());
        }
        return send.exitCode();
    }

    // Waits for a printed message with the text, and returns its line.
    QString Received(const QString& text) {
        QDeadlineTimer deadline(5000);
        while (true) {
            for (const QString& line : printed_.split(u'\n')) {
                if (line.endsWith(u"Text: "_s + text)) {
                    return line;
                }
            }
            if (deadline.hasExpired()) {
                return {};
            }
            listener_->waitForReadyRead(100);
            printed_ += QString::fromLocal8Bit(listener_->readAllStandardOutput());
        }
    }

    QString Printed() {
        listener_->waitForReadyRead(300);
        return printed_ += QString::fromLocal8Bit(listener_->readAllStandardOutput());
    }

    const QString& Namespace() const { return ns_; }

private:
    QString ns_;
    QString host_;
    std::unique_ptr<QProcess> listener_;
    QString printed_;
    QString errors_;
};

}  // namespace

TEST_F(NetworkNamespaces, TwoMachinesExchangeMessagesByNameWorkgroupStarAndAddress) {
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
}

TEST_F(NetworkNamespaces, ASecondListenerOnTheSameMachineCannotOpenTheMailslot) {
    Machine alpha(nsA_, u"alpha"_s), beta(nsB_, u"beta"_s);
    ASSERT_EQ(alpha.Listen(), QString());
    ASSERT_EQ(beta.Listen(), QString());

    Machine alphaAgain(nsA_, u"alpha"_s);
    const QString why = alphaAgain.Listen();
    EXPECT_TRUE(why.contains(u"cannot open the mailslot"_s)) << why;
    EXPECT_TRUE(why.contains(u"in use"_s)) << why;

    QString error;
    EXPECT_EQ(beta.Send(u"no such machine!"_s, u"x"_s, &error), 3);
    EXPECT_TRUE(error.contains(u"NetBIOS"_s)) << error;
    EXPECT_EQ(beta.Send(u"alpha"_s, u"still listening"_s), 0);
    EXPECT_FALSE(alpha.Received(u"still listening"_s).isEmpty());
}

namespace {

// The calling thread works in the named network namespace while this lives; sockets it makes
// stay there.
class InNamespace {
public:
    explicit InNamespace(const QString& ns) {
        home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target =
            ::open(QFile::encodeName(u"/run/netns/"_s + ns).constData(), O_RDONLY | O_CLOEXEC);
        entered_ = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0) {
            ::close(target);
        }
    }
    ~InNamespace() {
        if (entered_) {
            ::setns(home_, CLONE_NEWNET);
        }
        if (home_ >= 0) {
            ::close(home_);
        }
    }
    bool Entered() const { return entered_; }

private:
    int home_ = -1;
    bool entered_ = false;
};

struct RoutingHost : MailslotListenerHost {
    QList<MailSlotMessage> routed;
    void SetStatusText(const QString&) override {}
    void ShowErrorHelp(int) override {}
    void RouteMessage(const MailSlotMessage& message) override { routed << message; }
};

// A third machine, gamma at 10.99.1.1, joined to beta by a veth pair of its own.
class ThreeMachines : public NetworkNamespaces {
protected:
    void SetUp() override {
        NetworkNamespaces::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        const QString id = QString::number(getpid());
        nsC_ = u"parlane-c-"_s + id;
        const QString vethC = u"plc"_s + id, vethB = u"pld"_s + id;
        ASSERT_TRUE(RunIp({u"netns"_s, u"add"_s, nsC_}));
        ASSERT_TRUE(Join({nsC_, vethC, u"10.99.1.1/24"_s}, {nsB_, vethB, u"10.99.1.2/24"_s}));
    }
    void TearDown() override {
        if (!nsC_.isEmpty()) {
            RunIp({u"netns"_s, u"del"_s, nsC_});
        }
        NetworkNamespaces::TearDown();
    }

    QString nsC_;
};

}  // namespace

// Alpha floods beta's listener; a message from gamma still reaches beta's window within a few
// ticks, and what the flood could not queue is counted as dropped.
TEST_F(ThreeMachines, AFloodFromOneMachineDoesNotSilenceAnother) {
    SharedState state;
    state.AppName = u"Parlane"_s;
    platform::netbios::SetMailslotNetwork({138, u"beta"_s, {}});
    RoutingHost host;
    RecordingPrompts prompts;
    MailslotListener listener(state, prompts, host);
    {
        InNamespace beta(nsB_);
        ASSERT_TRUE(beta.Entered());
        listener.OpenMailSlot();
    }
    ASSERT_GT(state.MailSlotHandle, 0);

    constexpr int kFlood = 100000;
    std::thread flood([&] {
        InNamespace alpha(nsA_);
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (!alpha.Entered() || fd < 0) {
            return;
        }
        platform::netbios::MailslotWrite write;
        write.source = {"ALPHA", 0};
        write.destination = {"BETA", platform::netbios::kMessengerSuffix};
        write.mailslot = "\\MAILSLOT\\MESSNGR";
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(138);
        to.sin_addr.s_addr = htonl(0x0A630002);  // 10.99.0.2
        for (int i = 0; i < kFlood; ++i) {
            write.body = "alpha" + QByteArray(1, 0) + "beta" + QByteArray(1, 0) + "flood " +
                         QByteArray::number(i) + QByteArray(2, 0);
            const QByteArray packet = platform::netbios::EncodeMailslotWrite(write);
            ::sendto(fd, packet.constData(), std::size_t(packet.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
        }
        ::close(fd);
    });
    flood.join();

    QElapsedTimer delay;
    delay.start();
    QProcess send;
    send.start(u"ip"_s, Inside(nsC_, u"gamma"_s,
                               {kTools + u"/parlane-send"_s, u"--from"_s, u"gamma"_s,
                                u"10.99.1.2"_s, u"quiet"_s}));
    ASSERT_TRUE(send.waitForFinished(10000));
    ASSERT_EQ(send.exitCode(), 0) << send.readAllStandardError().constData();
    const auto quietRouted = [&] {
        return std::any_of(host.routed.cbegin(), host.routed.cend(),
                           [](const MailSlotMessage& m) { return m.Text == u"quiet"_s; });
    };
    QDeadlineTimer deadline(10000);
    while (!quietRouted() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const qint64 waited = delay.elapsed();
    std::cout << "quiet message routed after " << waited << " ms\n";
    EXPECT_TRUE(quietRouted());
    EXPECT_LT(waited, 5000);

    platform::DWORD waiting = 0;
    platform::GetMailslotInfo(state.MailSlotHandle, nullptr, nullptr, &waiting, nullptr);
    EXPECT_GT(waiting, 0u);  // the flood still waits: gamma did not just come last
    EXPECT_GT(platform::DroppedMailslotMessages(state.MailSlotHandle), 0u);
    EXPECT_LT(platform::DWORD(host.routed.size()) + waiting, platform::DWORD(kFlood));
    listener.StopListening();
    platform::netbios::SetMailslotNetwork({});
}

namespace {

// A Samba client run in the namespace, the text on its standard input; what it printed.
QString Samba(const QString& ns, const QStringList& command, const QByteArray& input = {}) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(u"ip"_s, QStringList{u"netns"_s, u"exec"_s, ns} + command);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished(20000);
    return QString::fromLocal8Bit(tool.readAll());
}

}  // namespace

// Samba's client reaches parlane-listen over a session, by address and by a broadcast name query,
// short and in several blocks; the single-block command, which it never sends, is sent by hand.
TEST_F(NetworkNamespaces, SambaClientsReachTheListenerOverASessionAndFindItsName) {
    if (QStandardPaths::findExecutable(u"smbclient"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"nmblookup"_s).isEmpty()) {
        GTEST_SKIP() << "needs smbclient and nmblookup (scripts/deps.sh --test)";
    }
    Machine alpha(nsA_, u"alpha"_s);
    ASSERT_EQ(alpha.Listen(), QString());
    QTemporaryDir dir;
    const QString conf = dir.filePath(u"smb.conf"_s);
    QFile file(conf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[global]\n  name resolve order = bcast\n");
    file.close();
    const QStringList smbclient{u"smbclient"_s, u"-s"_s,   conf,   u"-N"_s,
                                u"-U"_s,        u"bob%"_s, u"-M"_s};

    Samba(nsB_, smbclient + QStringList{u"ALPHA"_s, u"-I"_s, u"10.99.0.1"_s}, "short one");
    EXPECT_TRUE(alpha.Received(u"short one"_s).contains(u"From: bob  To: ALPHA"_s))
        << alpha.Printed();
    // smbclient sends at most 127 bytes a block.
    const QString text = u"long "_s + QString(300, u'l') + u" end"_s;
    Samba(nsB_, smbclient + QStringList{u"alpha"_s, u"-I"_s, u"10.99.0.1"_s}, text.toLatin1());
    EXPECT_FALSE(alpha.Received(text).isEmpty()) << alpha.Printed();
    Samba(nsB_, smbclient + QStringList{u"ALPHA"_s}, "found by name");
    EXPECT_FALSE(alpha.Received(u"found by name"_s).isEmpty()) << alpha.Printed();

    const QStringList nmblookup{u"nmblookup"_s, u"-s"_s, conf};
    const QString broadcast = Samba(nsB_, nmblookup + QStringList{u"ALPHA#03"_s});
    EXPECT_TRUE(broadcast.contains(u"10.99.0.1 ALPHA<03>"_s)) << broadcast;
    const QString unicast =
        Samba(nsB_, nmblookup + QStringList{u"-U"_s, u"10.99.0.1"_s, u"alpha#00"_s});
    EXPECT_TRUE(unicast.contains(u"10.99.0.1 alpha<00>"_s)) << unicast;

    InNamespace beta(nsB_);
    ASSERT_TRUE(beta.Entered());
    SessionClient carol(139, 0x0A630001);  // 10.99.0.1
    ASSERT_TRUE(carol.Open("ALPHA"));
    EXPECT_EQ(carol.Send("one block by hand", "ALPHA", "carol"), 0);
    EXPECT_TRUE(alpha.Received(u"one block by hand"_s).contains(u"From: carol  To: ALPHA"_s));
}
