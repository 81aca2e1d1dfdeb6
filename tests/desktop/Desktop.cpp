#include "Desktop.h"

#include "StatusNotifierWatcher.h"
#include "X.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace desktop {
namespace {

const QString kBusName = u"desktop-tests"_s;

QString& Peer() {
    static QString name;
    return name;
}

QString& Bus() {
    static QString address;
    return address;
}

// Made once in main, before any thread exists; the reason when it could not be made.
QString& NoDesktopReason() {
    static QString reason;
    return reason;
}

bool Ok(const QString& program, const QStringList& args) {
    int code = -1;
    Run(program, args, &code);
    return code == 0;
}

// A first line printed on standard output within 10 s (Xvfb's display, the bus's address).
QString FirstLine(QProcess& process) {
    QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired() &&
           process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!NoDesktopReason().isEmpty()) {
            GTEST_SKIP() << NoDesktopReason().toStdString();
        }
        for (const char* tool : {"Xvfb", "openbox", "trayer", "xdotool", "wmctrl", "xwininfo",
                                 "xwd", "dbus-daemon", "ip"}) {
            if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is missing: run scripts/deps.sh --test";
            }
        }
        if (!MakeNetwork()) {
            GTEST_SKIP() << "this machine cannot make network namespaces";
        }

        // No reset when the last client goes: the probes below come and go before openbox.
        QProcess& xvfb =
            Start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s,
                              u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
        const QString display = FirstLine(xvfb);
        ASSERT_FALSE(display.isEmpty()) << "Xvfb did not start";
        qputenv("DISPLAY", (u':' + display).toUtf8());

        // Its start-up command runs once it manages windows; a window mapped before that (as soon
        // as wmctrl sees it) was now and then never managed.
        const QString ready = dir_.filePath(u"openbox-ready"_s);
        Start(u"openbox"_s, {u"--sm-disable"_s, u"--startup"_s, u"touch "_s + ready});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ready); }, 30000))
            << "openbox did not start";
        // Its panel appears once it owns the tray selection.
        Start(u"trayer"_s,
              {u"--edge"_s, u"bottom"_s, u"--align"_s, u"right"_s, u"--widthtype"_s, u"request"_s,
               u"--height"_s, u"24"_s, u"--transparent"_s, u"false"_s, u"--tint"_s, u"0xffffff"_s});
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return Run(u"wmctrl"_s, {u"-lx"_s}).contains(u"panel.trayer"_s); }, 30000))
            << "trayer did not start";

        QProcess& bus =
            Start(u"dbus-daemon"_s,
                  {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s,
                   u"--address=unix:path="_s + dir_.filePath(u"bus"_s), u"--print-address=1"_s});
        Bus() = FirstLine(bus);
        ASSERT_FALSE(Bus().isEmpty()) << "dbus-daemon did not start";
        QDBusConnection connection = QDBusConnection::connectToBus(Bus(), kBusName);
        ASSERT_TRUE(connection.isConnected());
        watcher_ = std::make_unique<StatusNotifierWatcher>();
        ASSERT_TRUE(connection.registerObject(u"/StatusNotifierWatcher"_s, watcher_.get(),
                                              QDBusConnection::ExportAllContents));
        ASSERT_TRUE(connection.registerService(u"org.kde.StatusNotifierWatcher"_s));
        watcher_->moveToThread(&watcherThread_);
        watcherThread_.start();
    }

    void TearDown() override {
        QDBusConnection(kBusName).unregisterObject(u"/StatusNotifierWatcher"_s);
        QDBusConnection::disconnectFromBus(kBusName);
        // Deleted in its own thread, as it finishes.
        if (watcher_) {
            watcher_.release()->deleteLater();
        }
        watcherThread_.quit();
        watcherThread_.wait();
        // The last started goes first: the X server after its clients.
        while (!processes_.empty()) {
            QProcess& p = *processes_.back();
            p.terminate();
            if (!p.waitForFinished(5000)) {
                p.kill();
                p.waitForFinished(5000);
            }
            processes_.pop_back();
        }
        if (!Peer().isEmpty()) {
            Ok(u"ip"_s, {u"netns"_s, u"del"_s, Peer()});
        }
    }

private:
    QProcess& Start(const QString& program, const QStringList& args) {
        auto& p = *processes_.emplace_back(std::make_unique<QProcess>());
        DieWithThisProcess(p);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(program, args);
        return p;
    }

    // lo, and a veth pair to the peer machine.
    static bool MakeNetwork() {
        const QString id = QString::number(getpid());
        Peer() = u"parlane-desk-"_s + id;
        const QString here = u"pld"_s + id, there = u"plp"_s + id;
        const QString own = QLatin1StringView(kOwnAddress) + u"/24"_s;
        const QString peer = QLatin1StringView(kPeerAddress) + u"/24"_s;
        return Ok(u"ip"_s, {u"link"_s, u"set"_s, u"lo"_s, u"up"_s}) &&
               Ok(u"ip"_s, {u"netns"_s, u"add"_s, Peer()}) &&
               Ok(u"ip"_s, {u"link"_s, u"add"_s, here, u"type"_s, u"veth"_s, u"peer"_s, u"name"_s,
                            there, u"netns"_s, Peer()}) &&
               Ok(u"ip"_s, {u"addr"_s, u"add"_s, own, u"brd"_s, u"+"_s, u"dev"_s, here}) &&
               Ok(u"ip"_s, {u"link"_s, u"set"_s, here, u"up"_s}) &&
               Ok(u"ip"_s, {u"-n"_s, Peer(), u"addr"_s, u"add"_s, peer, u"brd"_s, u"+"_s, u"dev"_s,
                            there}) &&
               Ok(u"ip"_s, {u"-n"_s, Peer(), u"link"_s, u"set"_s, there, u"up"_s}) &&
               Ok(u"ip"_s, {u"-n"_s, Peer(), u"link"_s, u"set"_s, u"lo"_s, u"up"_s});
    }

    QTemporaryDir dir_;
    std::vector<std::unique_ptr<QProcess>> processes_;
    QThread watcherThread_;
    std::unique_ptr<StatusNotifierWatcher> watcher_;
};

// The item of the process, as "service/path"; empty when it has none.
QString ItemOf(qint64 pid) {
    QDBusConnection bus(kBusName);
    QDBusInterface watcher(u"org.kde.StatusNotifierWatcher"_s, u"/StatusNotifierWatcher"_s,
                           u"org.kde.StatusNotifierWatcher"_s, bus);
    for (const QString& item : watcher.property("RegisteredStatusNotifierItems").toStringList()) {
        const QString service = item.section(u'/', 0, 0);
        if (bus.interface()->servicePid(service).value() == quint64(pid)) {
            return item;
        }
    }
    return {};
}

}  // namespace

QString PeerNamespace() {
    return Peer();
}

QString BusAddress() {
    return Bus();
}

QString Run(const QString& program, const QStringList& args, int* exitCode, int ms) {
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    const bool finished = p.waitForFinished(ms);
    if (!finished) {
        p.kill();
        p.waitForFinished(1000);
    }
    if (exitCode) {
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

void DieWithThisProcess(QProcess& child) {
    child.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

bool HasStatusNotifierItem(qint64 pid) {
    return !ItemOf(pid).isEmpty();
}

bool ActivateStatusNotifierItem(qint64 pid) {
    const QString item = ItemOf(pid);
    if (item.isEmpty()) {
        return false;
    }
    const qsizetype slash = item.indexOf(u'/');
    QDBusInterface icon(item.left(slash), item.mid(slash), u"org.kde.StatusNotifierItem"_s,
                        QDBusConnection(kBusName));
    return icon.call(u"Activate"_s, 0, 0).type() == QDBusMessage::ReplyMessage;
}

}  // namespace desktop

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens at build time, where there is no desktop.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    // Before any thread exists: namespaces of our own, so that port 138 is ours and mounts made
    // by the journeys stay private.
    QString& reason = desktop::NoDesktopReason();
    if (geteuid() != 0) {
        reason = u"the desktop journeys need root (network namespace, port 138)"_s;
    } else if (unshare(CLONE_NEWNET | CLONE_NEWNS | CLONE_NEWUTS) != 0 ||
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
               sethostname(desktop::kHostName.toLatin1().constData(),
                           std::size_t(desktop::kHostName.size())) != 0) {
        reason = u"cannot make private namespaces: "_s + QString::fromLocal8Bit(strerror(errno));
    }
    QCoreApplication app(argc, argv);
    ::testing::AddGlobalTestEnvironment(new desktop::DesktopEnvironment);
    return RUN_ALL_TESTS();
}
