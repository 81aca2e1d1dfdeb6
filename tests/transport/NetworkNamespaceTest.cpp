// Two machines in two network namespaces joined by a veth pair, each with a host name of its own,
// talking through parlane-send and parlane-listen on the real port 138. Needs root.
#include "platform/mailslot/MailslotNames.h"
#include "support/NetworkNamespaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

#include <memory>

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
