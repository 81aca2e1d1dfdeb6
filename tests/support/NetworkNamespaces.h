#pragma once

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <unistd.h>

// Runs ip with the arguments and input; its exit code (-1 if it did not end itself) and output.
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
        // A veth pair between the two, both ends and both loopbacks up.
        ASSERT_TRUE(
            RunIp(QStringLiteral("link add pla%1 netns %2 type veth peer name plb%1 netns %3")
                      .arg(id, nsA_, nsB_)));
        for (const auto& [ns, end, address] :
             {std::tuple(nsA_, u'a', "10.99.0.1/24"), std::tuple(nsB_, u'b', "10.99.0.2/24")}) {
            const QString veth = QStringLiteral("pl") + end + id;
            ASSERT_TRUE(RunIp(QStringLiteral("-n %1 addr add %2 brd + dev %3")
                                  .arg(ns, QLatin1StringView(address), veth)) &&
                        RunIp(QStringLiteral("-n %1 link set %2 up").arg(ns, veth)) &&
                        RunIp(QStringLiteral("-n %1 link set lo up").arg(ns)));
        }
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
