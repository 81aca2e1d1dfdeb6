#include "core/SharedState.h"
#include "platform/gui/MessageBox.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/netbios/SessionPacket.h"
#include "platform/netbios/SessionServer.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/SessionClient.h"
#include "transport/MailSlotMessagePrinter.h"
#include "transport/MailslotListener.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QTcpServer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct RecordingHost : MailslotListenerHost {
    QStringList statusTexts;
    QList<int> helpCodes;
    QList<MailSlotMessage> routed;
    void SetStatusText(const QString& text) override { statusTexts << text; }
    void ShowErrorHelp(int code) override { helpCodes << code; }
    void RouteMessage(const MailSlotMessage& message) override { routed << message; }
};

class MailslotListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.AppName = u"Parlane"_s;
        state.MailSlotName = u"messngr"_s;
    }
    void TearDown() override { listener.StopListening(); }

    void Send(const QString& text) {
        MailSlotMessage message{u"bob"_s, u"."_s, text};
        ASSERT_EQ(modMailSlots::SendMailSlotMessage(u"messngr"_s, message), 0);
    }

    ScopedMailslotNetwork network;
    RecordingHost host;
    SharedState state;
    RecordingPrompts prompts;
    MailslotListener listener{state, prompts, host};
};

}  // namespace

TEST_F(MailslotListenerTest, OpensAsksBeforeListeningAgainAndKeepsAllOnNo) {
    listener.OpenMailSlot();
    const auto first = state.MailSlotHandle;
    EXPECT_GT(first, 0);
    EXPECT_TRUE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(host.statusTexts, QStringList{u"Ready for communication."_s});
    EXPECT_EQ(host.helpCodes, QList<int>{0});

    prompts = RecordingPrompts({false, true});
    listener.EnableCommunications();
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0],
              u"Parlane already seems to be listening. Are you sure you\r\nwant to try "
              u"listening again?"_s);
    EXPECT_EQ(state.MailSlotHandle, first);
    EXPECT_TRUE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(host.statusTexts.size(), 1);

    listener.EnableCommunications();  // Yes: closes and listens again on the same port
    EXPECT_GT(state.MailSlotHandle, 0);
    EXPECT_NE(state.MailSlotHandle, first);
    EXPECT_EQ(host.statusTexts.last(), u"Ready for communication."_s);
}

TEST_F(MailslotListenerTest, FailsToOpenWhileAnotherListenerHoldsThePort) {
    const platform::HANDLE other =
        platform::CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, 0, nullptr);
    ASSERT_GT(other, 0);
    listener.OpenMailSlot();
    EXPECT_EQ(state.MailSlotHandle, -1);
    EXPECT_FALSE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(host.statusTexts, QStringList{u"Couldn't start listening."_s});
    EXPECT_EQ(host.helpCodes, QList<int>{1});
    listener.tmrMailSlot_Timer();  // a failed handle reads nothing
    EXPECT_TRUE(host.routed.isEmpty());

    platform::CloseHandle(other);
    listener.EnableCommunications();  // -1 counts as closed: no question
    EXPECT_GT(state.MailSlotHandle, 0);
    EXPECT_EQ(host.helpCodes, (QList<int>{1, 0}));
}

TEST_F(MailslotListenerTest, RoutesOneMessagePerTickOldestFirst) {
    listener.OpenMailSlot();
    Send(u"first"_s);
    Send(u"second"_s);
    Send(u"third"_s);
    ASSERT_TRUE(WaitForMessages(state.MailSlotHandle, 3));
    ASSERT_TRUE(platform::DeliverToMailslot(state.MailSlotHandle, "hello"));
    host.statusTexts.clear();

    for (int tick = 0; tick < 5; ++tick) {
        listener.tmrMailSlot_Timer();
    }
    ASSERT_EQ(host.routed.size(), 3);
    EXPECT_EQ(host.routed[0], (MailSlotMessage{u"bob"_s, u"."_s, u"first"_s}));
    EXPECT_EQ(host.routed[1].Text, u"second"_s);
    EXPECT_EQ(host.routed[2].Text, u"third"_s);
    // "hello" has no text: nothing routed and the status stays.
    ASSERT_EQ(host.statusTexts.size(), 3);
    static const QRegularExpression received(u"^Message received at \\d\\d:\\d\\d:\\d\\d\\.$"_s);
    for (const QString& text : host.statusTexts) {
        EXPECT_TRUE(received.match(text).hasMatch()) << text;
    }
}

TEST_F(MailslotListenerTest, DisableThenEnableWithoutAQuestionAndStopFreesTheSlot) {
    listener.OpenMailSlot();
    listener.DisableCommunications();
    EXPECT_EQ(state.MailSlotHandle, 0);
    EXPECT_FALSE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(host.statusTexts.last(), u"Communications disabled."_s);
    EXPECT_EQ(host.helpCodes.size(), 1);  // the help link is left as it was

    listener.EnableCommunications();
    EXPECT_GT(state.MailSlotHandle, 0);
    EXPECT_TRUE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(host.statusTexts.last(), u"Ready for communication."_s);

    listener.StopListening();
    EXPECT_EQ(state.MailSlotHandle, 0);
    EXPECT_FALSE(listener.tmrMailSlot.isActive());
    const platform::HANDLE again =
        platform::CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, 0, nullptr);
    EXPECT_GT(again, 0);
    platform::CloseHandle(again);
}

using namespace platform::netbios;

// Session messages join the slot's queue and are routed by the tick like datagrams; the sessions
// are bounded, and one that misbehaves is closed without touching the others or the queue.
TEST_F(MailslotListenerTest, SessionMessagesJoinTheQueueAndABadSessionIsClosedAlone) {
    listener.OpenMailSlot();
    ASSERT_TRUE(listener.Netbios());
    EXPECT_TRUE(listener.Netbios()->Problems().isEmpty())
        << listener.Netbios()->Problems().join(u' ');
    std::vector<std::unique_ptr<SessionClient>> clients;
    for (int i = 0; i < SessionServer::kMaxSessions; ++i) {
        clients.push_back(std::make_unique<SessionClient>(network.SessionPort()));
        ASSERT_TRUE(clients.back()->Open("testhost")) << i;
    }
    SessionClient oneTooMany(network.SessionPort());
    EXPECT_EQ(oneTooMany.Answer(), "closed");

    EXPECT_EQ(clients[0]->Ask(QByteArray::fromHex("817e0000")), "closed");  // garbled
    EXPECT_GT(clients[1]->Send(QByteArray(MessageSession::kMaxTextBytes + 1, 'x')), 0);
    EXPECT_EQ(clients[1]->Answer(), "closed");
    EXPECT_EQ(clients[2]->Send("hello\r\nthere"), 0);
    EXPECT_EQ(clients[2]->Send("again"), 0);
    SessionClient next(network.SessionPort());  // a freed place is taken again
    EXPECT_TRUE(next.Open("TESTHOST"));
    EXPECT_EQ(next.Send(QByteArray(MessageSession::kMaxTextBytes, 'y')), 0);

    for (int tick = 0; tick < 4; ++tick) {
        listener.tmrMailSlot_Timer();
    }
    ASSERT_EQ(host.routed.size(), 3);
    EXPECT_EQ(host.routed[0], (MailSlotMessage{u"bob"_s, u"TESTHOST"_s, u"hello\r\nthere"_s}));
    EXPECT_EQ(host.routed[1].Text, u"again"_s);
    EXPECT_EQ(host.routed[2].Text, QString(MessageSession::kMaxTextBytes, u'y'));

    listener.DisableCommunications();
    EXPECT_FALSE(listener.Netbios());
    EXPECT_FALSE(SessionClient(network.SessionPort()).Connected());
}

// Samba's daemons holding the ports: the mailslot listens as ever and each port is named.
TEST_F(MailslotListenerTest, TakenSessionAndNamePortsLeaveTheMailslotListening) {
    QTcpServer smbd;
    ASSERT_TRUE(smbd.listen(QHostAddress::AnyIPv4, network.SessionPort()));
    QUdpSocket nmbd;
    ASSERT_TRUE(
        nmbd.bind(QHostAddress::AnyIPv4, network.NamePort(), QAbstractSocket::DontShareAddress));
    listener.OpenMailSlot();
    EXPECT_GT(state.MailSlotHandle, 0);
    EXPECT_EQ(host.statusTexts, QStringList{u"Ready for communication."_s});
    EXPECT_EQ(host.helpCodes, QList<int>{0});
    ASSERT_TRUE(listener.Netbios());
    const QString problems = listener.Netbios()->Problems().join(u'\n');
    EXPECT_TRUE(problems.contains(u"TCP port %1"_s.arg(network.SessionPort()))) << problems;
    EXPECT_TRUE(problems.contains(u"UDP port %1"_s.arg(network.NamePort()))) << problems;

    Send(u"by datagram"_s);
    ASSERT_TRUE(WaitForMessages(state.MailSlotHandle, 1));
    listener.tmrMailSlot_Timer();
    ASSERT_EQ(host.routed.size(), 1);
    EXPECT_EQ(host.routed[0].Text, u"by datagram"_s);
}

TEST(MailslotDrops, TellsAtTheFirstDropThenAtMostOnceAMinuteWhileTheCountGrows) {
    struct Case {
        int second;
        std::uint64_t dropped;
        bool told;
    };
    MailslotDrops drops;
    const auto start = MailslotDrops::Clock::time_point();
    for (const Case& c : {Case{0, 0, false},
                          {1, 5, true},
                          {30, 9, false},
                          {61, 9, true},
                          {62, 12, false},
                          {200, 12, true},
                          {400, 12, false},
                          {401, 13, true}}) {
        const auto told = drops.Check(c.dropped, start + std::chrono::seconds(c.second));
        EXPECT_EQ(told.has_value(), c.told) << c.second;
        if (told) {
            EXPECT_TRUE(told->startsWith(QString::number(c.dropped) + u' ')) << *told;
        }
    }
}
