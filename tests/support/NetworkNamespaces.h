#pragma once

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

#include <tuple>

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
        ASSERT_TRUE(
            RunIp({QStringLiteral("link"), QStringLiteral("add"), vethA, QStringLiteral("netns"),
                   nsA_, QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
                   QStringLiteral("name"), vethB, QStringLiteral("netns"), nsB_}));
        for (const auto& [ns, veth, address] :
             {std::tuple{nsA_, vethA, QStringLiteral("10.99.0.1/24")},
              {nsB_, vethB, QStringLiteral("10.99.0.2/24")}}) {
            ASSERT_TRUE(RunIp({QStringLiteral("-n"), ns, QStringLiteral("addr"),
                               QStringLiteral("add"), address, QStringLiteral("brd"),
                               QStringLiteral("+"), QStringLiteral("dev"), veth}));
            ASSERT_TRUE(RunIp({QStringLiteral("-n"), ns, QStringLiteral("link"),
                               QStringLiteral("set"), veth, QStringLiteral("up")}));
            ASSERT_TRUE(RunIp({QStringLiteral("-n"), ns, QStringLiteral("link"),
                               QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}));
        }
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
