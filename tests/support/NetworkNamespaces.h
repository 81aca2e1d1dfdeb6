#pragma once

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

// Runs ip with the arguments; true when it succeeded.
inline bool RunIp(const QStringList& args) {
    QProcess ip;
    ip.start(QStringLiteral("ip"), args);
    return ip.waitForFinished(10000) && ip.exitStatus() == QProcess::NormalExit &&
           ip.exitCode() == 0;
}

// A command run inside a namespace under its own host name.
inline QStringList Inside(const QString& ns, const QString& host, const QStringList& command) {
    return QStringList{QStringLiteral("netns"),
                       QStringLiteral("exec"),
                       ns,
                       QStringLiteral("unshare"),
                       QStringLiteral("--uts"),
                       QStringLiteral("sh"),
                       QStringLiteral("-c"),
                       QStringLiteral("hostname \"$0\" && exec \"$@\""),
                       host} +
           command;
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
        const QString vethA = QStringLiteral("pla") + id, vethB = QStringLiteral("plb") + id;
        if (!RunIp({QStringLiteral("netns"), QStringLiteral("add"), nsA_})) {
            nsA_.clear();
            GTEST_SKIP() << "this machine cannot make network namespaces";
        }
        ASSERT_TRUE(RunIp({QStringLiteral("netns"), QStringLiteral("add"), nsB_}));
        ASSERT_TRUE(Join({nsA_, vethA, QStringLiteral("10.99.0.1/24")},
                         {nsB_, vethB, QStringLiteral("10.99.0.2/24")}));
    }

    // One end of a link between two namespaces: the namespace, its interface and its address.
    struct End {
        QString ns, veth, address;
    };
    // A veth pair between the two namespaces, both ends and both loopbacks up.
    static bool Join(const End& a, const End& b) {
        if (!RunIp({QStringLiteral("link"), QStringLiteral("add"), a.veth, QStringLiteral("netns"),
                    a.ns, QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
                    QStringLiteral("name"), b.veth, QStringLiteral("netns"), b.ns})) {
            return false;
        }
        for (const End& end : {a, b}) {
            if (!RunIp({QStringLiteral("-n"), end.ns, QStringLiteral("addr"), QStringLiteral("add"),
                        end.address, QStringLiteral("brd"), QStringLiteral("+"),
                        QStringLiteral("dev"), end.veth}) ||
                !RunIp({QStringLiteral("-n"), end.ns, QStringLiteral("link"), QStringLiteral("set"),
                        end.veth, QStringLiteral("up")}) ||
                !RunIp({QStringLiteral("-n"), end.ns, QStringLiteral("link"), QStringLiteral("set"),
                        QStringLiteral("lo"), QStringLiteral("up")})) {
                return false;
            }
        }
        return true;
    }

    void TearDown() override {
        for (const QString& ns : {nsA_, nsB_}) {
            if (!ns.isEmpty()) {
                RunIp({QStringLiteral("netns"), QStringLiteral("del"), ns});
            }
        }
    }

    QString nsA_;
    QString nsB_;
};
