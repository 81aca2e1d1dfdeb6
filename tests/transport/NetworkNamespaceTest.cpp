// Two machines in two network namespaces joined by a veth pair, each with a host name of its own,
// talking through parlane-send and parlane-listen on the real port 138. Needs root.
#include "platform/mailslot/MailslotNames.h"
#include "platform/netbios/NameQuery.h"
#include "platform/netbios/PortOwners.h"
#include "support/Files.h"
#include "support/NetworkNamespaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;
using namespace platform::netbios;

namespace {

const QString kTools = QStringLiteral(PARLANE_TOOLS_DIR);

void Stop(QProcess& process) {
    process.terminate();
    process.waitForFinished(5000);  // else QProcess's destructor kills it
}

struct Machine {
    Machine(QString ns, QString host) : ns_(std::move(ns)), host_(std::move(host)) {}
    ~Machine() { Stop(listener_); }

    // Starts parlane-listen (from the tools given, through the command before it) and waits until
    // it listens, or returns why it could not.
    QString Listen(const QString& tools = kTools, const QStringList& before = {}) {
        listener_.start(u"ip"_s,
                        Inside(ns_, host_, before + QStringList{tools + u"/parlane-listen"_s}));
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && listener_.state() != QProcess::NotRunning) {
            if (Told().contains(u"listening;"_s)) {
                return {};
            }
        }
        listener_.waitForFinished(1000);
        return u"stopped: "_s + Told();
    }

    // What it said on standard error so far.
    QString Told() {
        listener_.waitForReadyRead(100);
        return told_ += QString::fromLocal8Bit(listener_.readAllStandardError());
    }

    int Send(const QString& to, const QString& text) const {
        return RunTool(
                   Inside(ns_, host_, {kTools + u"/parlane-send"_s, u"--from"_s, host_, to, text}))
            .first;
    }

    // Waits for a printed message with the text, and returns its line.
    QString Received(const QString& text, int ms = 5000) {
        const QDeadlineTimer deadline(ms);
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
    QString told_;
};

// Debian's Samba daemon in namespace A, in the foreground on the test's smb.conf, stopped by its
// process id whatever happens; it ends by signalling its process group, so it has its own session.
struct SambaDaemon {
    SambaDaemon(const QString& ns, const QString& program, const QString& conf) : conf(conf) {
        process.setStandardOutputFile(conf + u'.' + program);
        process.setStandardErrorFile(conf + u'.' + program);
        process.start(u"ip"_s, {u"netns"_s, u"exec"_s, ns, u"setsid"_s, program, u"--foreground"_s,
                                u"--no-process-group"_s, u"--debug-stdout"_s, u"-s"_s, conf});
        process.waitForStarted();
    }
    ~SambaDaemon() {
        Stop(process);
        // smbd starts samba-dcerpcd on demand, in a session of its own: it goes by its smb.conf.
        for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (ReadBytes(u"/proc/"_s + pid + u"/cmdline"_s).contains(conf.toUtf8())) {
                ::kill(pid.toInt(), SIGKILL);
            }
        }
    }
    QString conf;
    QProcess process;
};

// What the capture helper keeps once done dropping ("Uid:... NoNewPrivs:..."); then signalled.
QString CaptureHelperOf(qint64 listener, int signal = 0) {
    static const QRegularExpression caps(u"^(Uid|Cap(Prm|Eff|Amb)|NoNewPrivs):.*$"_s,
                                         QRegularExpression::MultilineOption);
    QStringList held;
    [[maybe_unused]] const bool found = QTest::qWaitFor([&] {
        held.clear();
        for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
            const QString status = QString::fromLatin1(ReadBytes(u"/proc/"_s + pid + u"/status"_s));
            if (status.contains(u"Name:\tparlane-capture\n"_s) &&
                status.contains(u"PPid:\t%1\n"_s.arg(listener))) {
                for (auto m = caps.globalMatch(status); m.hasNext();) {
                    held << m.next().captured();
                }
                if (signal && held.endsWith(u"NoNewPrivs:\t1"_s)) {  // and waits until it is gone
                    ::kill(pid.toInt(), signal);
                    EXPECT_TRUE(QTest::qWaitFor([&] { return !QDir(u"/proc/"_s + pid).exists(); }));
                }
            }
        }
        return held.value(held.size() - 1) == u"NoNewPrivs:\t1"_s;
    });
    return held.join(u' ');
}

// A socket of the namespace, made on a thread that enters it, so that it belongs there.
int SocketIn(const QString& ns, int type = SOCK_DGRAM, int protocol = 0) {
    int fd = -1;
    std::thread([&] {
        const int netns = ::open(qPrintable(u"/run/netns/"_s + ns), O_RDONLY | O_CLOEXEC);
        if (netns >= 0 && ::setns(netns, CLONE_NEWNET) == 0) {
            fd = ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
        }
        ::close(netns);
    }).join();
    return fd;
}

// The answers to one query for ALPHA<03>, `trailing` bytes after it, sent from the namespace to
// UDP port 137 of the address, from the source given (a raw socket's, as root may) or the route's.
QByteArrayList NameAnswers(const QString& ns, const char* to, const char* from = nullptr,
                           int trailing = 0) {
    const int fd = SocketIn(ns);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in at{AF_INET, 0, {INADDR_ANY}, {}};
    socklen_t size = sizeof at;
    ::bind(fd, reinterpret_cast<const sockaddr*>(&at), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);  // where the answers come
    const bool broadcast = QByteArray(to).endsWith(".255");
    QByteArray packet =
        EncodeNameQuery({7, broadcast, false, {"ALPHA", 3}, {}}) + QByteArray(trailing, '\0');
    const int sender = from ? SocketIn(ns, SOCK_RAW, IPPROTO_RAW) : fd;
    if (from) {  // IPv4, its length and checksum left to the kernel, and UDP without a checksum
        const std::uint32_t addresses[] = {::inet_addr(from), ::inet_addr(to)};
        const std::uint16_t udp[] = {at.sin_port, htons(137), htons(8 + packet.size()), 0};
        packet.prepend(reinterpret_cast<const char*>(udp), 8)
            .prepend(reinterpret_cast<const char*>(addresses), 8)
            .prepend(QByteArray::fromHex("450000000000400040110000"));
    }
    const sockaddr_in target{AF_INET, htons(137), {::inet_addr(to)}, {}};
    ::sendto(sender, packet.constData(), std::size_t(packet.size()), 0,
             reinterpret_cast<const sockaddr*>(&target), sizeof target);
    QByteArrayList answers;
    pollfd ready{fd, POLLIN, 0};
    // A second answer would come with the first: both answer the one query.
    for (char buffer[600]; ::poll(&ready, 1, answers.isEmpty() ? 1000 : 300) > 0;) {
        // Who answered shows in the header's flags; nmbd's TTL further on counts down.
        answers << QByteArray(buffer, qsizetype(std::max<ssize_t>(0, ::recv(fd, buffer, 600, 0))))
                       .left(4);
    }
    ::close(fd);
    if (sender != fd) {
        ::close(sender);
    }
    return answers;
}

}  // namespace

// The listener beside Samba's daemons, or none, as an unprivileged user with only the package's
// capabilities: each kind of message arrives, or it says which cannot, whichever starts first;
// names are answered once, by nmbd where it runs; nmbd goes on answering and smbd serving shares.
TEST_F(NetworkNamespaces, BesideSambaEveryMessageArrivesOrIsToldAndSambaKeepsWorking) {
    if (QStandardPaths::findExecutable(u"nmbd"_s, {u"/usr/sbin"_s}).isEmpty()) {
        GTEST_SKIP() << "needs Samba (scripts/deps.sh --test)";
    }
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    for (const QString& program :
         {u"parlane-listen"_s, u"parlane-capture"_s, u"parlane-samba-message"_s}) {
        ASSERT_TRUE(QFile::copy(kTools + u'/' + program, dir.filePath(program)));
    }
    const auto setcap = [&](const QString& what, const QString& program) {
        return QProcess::execute(u"setcap"_s, {what, dir.filePath(program)}) == 0;
    };
    if (!setcap(u"cap_net_bind_service=+ep"_s, u"parlane-listen"_s)) {
        GTEST_SKIP() << "this file system keeps no capabilities";
    }
    const QStringList nobody{u"setpriv"_s, u"--reuid=65534"_s, u"--regid=65534"_s,
                             u"--clear-groups"_s};
    const QString clientConf = dir.filePath(u"client.conf"_s);
    WriteBytes(clientConf, "[global]\n  name resolve order = bcast\n");
    const auto inB = [&](QStringList command, const QString& input = {}) {
        command.insert(1, u"-s"_s), command.insert(2, clientConf);
        return RunTool(QStringList{u"netns"_s, u"exec"_s, nsB_} + command, input.toUtf8());
    };
    const QDir tmp = QDir::temp();
    const QStringList messageFiles = tmp.entryList({u"msg.*"_s});

    enum { Nmbd = 1, Smbd = 2, HandsOn = 4, ParlaneFirst = 8, NoRaw = 16, AsRoot = 32 };
    const QStringList kinds{u"name"_s, u"group"_s, u"star"_s, u"address"_s, u"session"_s};
    // The daemons and settings; the kind of message that does not arrive; what the listener says.
    const std::tuple<int, QString, QString> rows[] = {
        {0, {}, u"Ready for communication."_s},
        {Nmbd | Smbd | HandsOn, {}, u"Ready for communication."_s},
        {Nmbd | Smbd | HandsOn | ParlaneFirst, {}, u"Ready for communication."_s},
        {Nmbd, {}, u"Ready for communication."_s},
        {Nmbd | AsRoot, {}, u"Ready for communication."_s},  // its capture helper becomes nobody
        {Smbd, u"session"_s,  // named, though nobody cannot read root's descriptors
         u"messages from Windows NT-family and smbclient will not arrive|port 139 is held by smbd,"_s},
        // A name is found by broadcast; only the address goes to this machine alone.
        {Nmbd | Smbd | HandsOn | NoRaw, u"address"_s,
         u"messages sent to this computer alone will not arrive"_s},
    };
    int index = 0;
    for (const auto& [setup, lost, status] : rows) {
        SCOPED_TRACE(++index);
        if (setup & NoRaw) {
            setcap(u"-r"_s, u"parlane-capture"_s);
        } else {
            ASSERT_TRUE(setcap(u"cap_net_raw=+ep"_s, u"parlane-capture"_s));
        }
        const QString state = dir.filePath(QString::number(index));
        QByteArray conf =
            "[global]\n netbios name = ALPHA\n load printers = no\n"
            " printcap name = /dev/null\n disable spoolss = yes\n";
        for (const char* place : {"lock directory", "state directory", "cache directory",
                                  "pid directory", "private dir", "ncalrpc dir", "log file"}) {
            conf += " " + QByteArray(place) + " = " + state.toUtf8() + "/" +
                    QByteArray(place).replace(' ', '-') + "\n";
            QDir().mkpath(state + u'/' + QString::fromLatin1(place).replace(u' ', u'-'));
        }
        if (setup & HandsOn) {
            conf += " server min protocol = NT1\n message command = " +
                    dir.filePath(u"parlane-samba-message"_s).toUtf8() + " %I %f %L %s\n";
        }
        WriteBytes(state + u"/smb.conf"_s, conf);
        std::optional<SambaDaemon> smbd, nmbd;
        // Answers to a broadcast and a unicast query: nmbd's once registered, else the listener's.
        const char* names[] = {"10.99.0.255", "10.99.0.1"};
        QByteArrayList nmbdAlone[2];
        QByteArray listenerAnswer;  // until the listener sees nmbd, it answers too
        const auto startSamba = [&, setup = setup] {
            if (setup & Smbd) {
                smbd.emplace(nsA_, u"smbd"_s, state + u"/smb.conf"_s);
                EXPECT_TRUE(QTest::qWaitFor([&] {  // it listens on TCP 445
                    return RunTool({u"netns"_s, u"exec"_s, nsA_, u"ss"_s, u"-Hltn"_s})
                        .second.contains(u":445 "_s);
                }));
            }
            if (setup & Nmbd) {
                nmbd.emplace(nsA_, u"nmbd"_s, state + u"/smb.conf"_s);
                for (int i = 0; i < 2; ++i) {  // nmbd answers once it has registered
                    EXPECT_TRUE(QTest::qWaitFor(
                        [&] {
                            nmbdAlone[i] = NameAnswers(nsB_, names[i]);
                            return !nmbdAlone[i].isEmpty() &&
                                   !nmbdAlone[i].contains(listenerAnswer);
                        },
                        20000));
                }
            }
        };
        Machine alpha(nsA_, u"alpha"_s), beta(nsB_, u"beta"_s);
        if (!(setup & ParlaneFirst)) {
            startSamba();
        }
        ASSERT_EQ(alpha.Listen(dir.path(), setup & AsRoot ? QStringList() : nobody), QString());
        if (setup & ParlaneFirst) {
            listenerAnswer = NameAnswers(nsB_, names[1]).value(0);
            startSamba();
        }
        // The listener holds TCP 139 of its namespace, none of this one's.
        EXPECT_EQ(ProcessesHolding(u"parlane-listen"_s, Transport::Tcp, 139), QStringList());
        if ((setup & Nmbd) && !(setup & NoRaw)) {
            // Started once nmbd shares the port, as nobody holding no privilege at all; and again
            // when it ends, before anything below is sent.
            for (const int signal : {SIGKILL, 0}) {
                EXPECT_EQ(CaptureHelperOf(alpha.listener_.processId(), signal),
                          u"Uid:\t65534\t65534\t65534\t65534 CapPrm:\t%1 CapEff:\t%1 CapAmb:\t%1 "
                          u"NoNewPrivs:\t1"_s.arg(u"0000000000000000"_s));
            }
        }
        const QString to[] = {u"ALPHA"_s, QString::fromLatin1(platform::netbios::OwnWorkgroup()),
                              u"*"_s, u"10.99.0.1"_s};
        for (int kind = 0; kind < 4; ++kind) {
            EXPECT_EQ(beta.Send(to[kind], kinds[kind]), 0) << kind;
        }
        // Found by a broadcast name query; smbclient sends at most 127 bytes a block.
        inB({u"smbclient"_s, u"-N"_s, u"-U"_s, u"bob%"_s, u"-M"_s, u"ALPHA"_s},
            u"session "_s + QString(300, u'l'));
        // Everything was sent by now: what comes at all comes within a second.
        for (const QString& kind : kinds) {
            EXPECT_EQ(alpha
                          .Received(kind + (kind == u"session"_s ? u" "_s + QString(300, u'l')
                                                                 : QString()),
                                    kind == lost ? 1000 : 5000)
                          .isEmpty(),
                      kind == lost)
                << kind.toStdString() << alpha.Printed().toStdString();
        }
        for (const QString& said : status.split(u'|')) {
            EXPECT_TRUE(alpha.Told().contains(said)) << alpha.Told().toStdString();
        }
        for (int i = 0; i < 2; ++i) {
            const QByteArrayList answers = NameAnswers(nsB_, names[i]);
            EXPECT_TRUE(
                nmbd ? std::all_of(answers.begin(), answers.end(),
                                   [&](const QByteArray& a) { return nmbdAlone[i].contains(a); })
                     : answers.size() == 1)
                << names[i] << answers.join(" ").toHex(' ').constData();
        }
        if (nmbd) {
            EXPECT_EQ(nmbd->process.state(), QProcess::Running);
        }
        if (smbd) {
            const auto [code, shares] = inB({u"smbclient"_s, u"-N"_s, u"-L"_s, u"10.99.0.1"_s});
            EXPECT_TRUE(code == 0 && shares.contains(u"IPC$"_s)) << shares.toStdString();
        }
        if (index == 2) {
            // However the ports are shared with Samba, a second listener is refused.
            Machine again(nsA_, u"alpha"_s);
            EXPECT_TRUE(again.Listen(dir.path(), nobody).contains(u"in use"_s));
        }
    }
    EXPECT_EQ(tmp.entryList({u"msg.*"_s}), messageFiles);  // smbd's files are taken away
    // Where it cannot become nobody (root of a user namespace that has no nobody), the capture
    // helper ends rather than capture as root.
    EXPECT_TRUE(RunTool({u"netns"_s, u"exec"_s, nsA_, u"unshare"_s, u"-Urn"_s,
                         dir.filePath(u"parlane-capture"_s), u"138"_s})
                    .second.contains(u"cannot filter or give up privileges"_s));
}

// What a machine sends cannot turn the listener against its user or the LAN. parlane-listen writes
// none of its control characters: each shows as an escape, in names and text alike, so a message
// cannot clear or retitle the terminal or fake a line of its own. A name answer goes to the one
// machine that asked, never to a broadcast address or loopback, whatever source the query claims.
TEST_F(NetworkNamespaces, TheListenerShowsNoControlCharacterAndAnswersNoBroadcast) {
    Machine alpha(nsA_, u"alpha"_s);
    ASSERT_EQ(alpha.Listen(), QString());
    // ESC, BEL, CR, LF, DEL, and 0x81 and 0x9D, which Windows-1252 leaves to C1 controls.
    const QStringList send{kTools + u"/parlane-send"_s, u"--from=B\x1b[8m"_s, u"10.99.0.1"_s,
                           u"\x1b[2J\x1b]0;title\x07\r\nFrom: Boss\x7f\u0081\u009d"_s};
    ASSERT_EQ(RunTool(Inside(nsB_, u"beta"_s, send)).first, 0);
    EXPECT_TRUE(alpha.Received(u"\\x1b[2J\\x1b]0;title\\x07\\x0d\\x0aFrom: Boss\\x7f\\x81\\x9d"_s)
                    .contains(u"From: B\\x1b[8m  To: 10.99.0.1  "_s))
        << alpha.Printed().toStdString();
    EXPECT_FALSE(
        alpha.Printed().contains(QRegularExpression(u"[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]"_s)));
    EXPECT_EQ(alpha.Told().count(u"Ready for communication."_s), 1);  // once, not at every look
    EXPECT_EQ(QProcess::execute(kTools + u"/parlane-send"_s, {u"--help"_s}), 0);  // no error

    const QString pid = QString::number(getpid());
    ASSERT_TRUE(RunIp(u"-n %1 addr add 10.98.0.1/16 brd + dev pla%2"_s.arg(nsA_, pid)) &&
                RunIp(u"-n %1 addr add 10.98.0.2/16 brd + dev plb%2"_s.arg(nsB_, pid)));
    const std::tuple<QString, const char*, const char*, bool> queries[] = {
        {nsB_, "10.99.0.2", "10.99.0.1", true},
        {nsB_, "10.99.0.255", "10.99.0.1", false},
        {nsB_, "10.98.255.255", "10.99.0.1", false},
        {nsA_, "127.0.0.1", "127.0.0.1", false}};
    for (const auto& [ns, from, to, answered] : queries) {
        EXPECT_EQ(NameAnswers(ns, to, from).size(), answered ? 1 : 0) << from;
    }
    EXPECT_EQ(NameAnswers(nsB_, "10.99.0.1", nullptr, 2000).size(), 0);  // cut: no query
}
