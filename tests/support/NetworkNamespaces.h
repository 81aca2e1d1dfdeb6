#pragma once

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

// Runs ip with the arguments and the input; its exit code (-1 when it did not end of itself) and
// what it printed.
inline std::pair<int, QString> RunTool(const QStringList& ip, const QByteArray& input = {}) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral("ip"), ip);
    tool.write(input);
    tool.closeWriteChannel();
    const bool ended = tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit;
    return {ended ? tool.exitCode() : -1, QString::fromLocal8Bit(tool.readAll())};
}
// Runs ip with the arguments, separated by spaces; true when it succeeded.
inline bool RunIp(const QString& args) {
    return RunTool(args.split(u' ')).first == 0;
}

// A command run inside a namespace under its own host name.
inline QStringList Inside(const QString& ns, const QString& host, const QStringList& command) {
    return QStringLiteral("netns exec %1 unshare --uts sh -c").arg(ns).split(u' ') +
           QStringList{QStringLiteral("hostname \"$0\" && exec \"$@\""), host} + command;
}

// Two network namespaces joined by a veth pair, 10.99.0.1 in A and 10.99.0.2 in B, made for each
// test and removed after it. Skips the test without root, ip or unshare.
class NetworkNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty()) {
            GTEST_SKIP() << "needs root, ip and unshare";
        }
        const QString id = QString::number(getpid());
        nsA_ = QStringLiteral("parlane-a-") + id;
        nsB_ = QStringLiteral("parlane-b-") + id;
        if (!RunIp(QStringLiteral("netns add ") + nsA_)) {
            nsA_.clear();
            GTEST_SKIP() << "this machine cannot make network namespaces";
        }
        ASSERT_TRUE(RunIp(QStringLiteral("netns add ") + nsB_));
        ASSERT_TRUE(Join({nsA_, QStringLiteral("pla") + id, QStringLiteral("10.99.0.1/24")},
                         {nsB_, QStringLiteral("plb") + id, QStringLiteral("10.99.0.2/24")}));
    }

    // One end of a link between two namespaces: the namespace, its interface and its address.
    struct End {
        QString ns, veth, address;
    };
    // A veth pair between the two namespaces, both ends and both loopbacks up.
    static bool Join(const End& a, const End& b) {
        if (!RunIp(QStringLiteral("link add %1 netns %2 type veth peer name %3 netns %4")
                       .arg(a.veth, a.ns, b.veth, b.ns))) {
            return false;
        }
        for (const End& end : {a, b}) {
            if (!RunIp(QStringLiteral("-n %1 addr add %2 brd + dev %3")
                           .arg(end.ns, end.address, end.veth)) ||
                !RunIp(QStringLiteral("-n %1 link set %2 up").arg(end.ns, end.veth)) ||
                !RunIp(QStringLiteral("-n %1 link set lo up").arg(end.ns))) {
                return false;
            }
        }
        return true;
    }

    void TearDown() override {
        for (const QString& ns : {nsA_, nsB_}) {
            if (!ns.isEmpty()) {
                RunIp(QStringLiteral("netns del ") + ns);
            }
        }
    }

    QString nsA_;
    QString nsB_;
};
