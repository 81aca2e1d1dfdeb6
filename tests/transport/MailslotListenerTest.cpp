#include "core/SharedState.h"
#include "platform/RuntimeError.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/netbios/MessageSession.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/SessionClient.h"
#include "transport/MailslotListener.h"
#include "transport/modMailSlots.h"

#include <gtest/gtest.h>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QUdpSocket>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct RecordingHost : MailslotListenerHost {
    QStringList statusTexts;
    QStringList routed;  // "From|To|Text"
    void SetStatusText(const QString& text) override { statusTexts << text; }
    int errorHelp = -1;
    void ShowErrorHelp(int code) override { errorHelp = code; }
    void RouteMessage(const MailSlotMessage& m) override {
        routed << m.From + u'|' + m.To + u'|' + m.Text;
    }
    QStringList known;
    QStringList KnownSenders() const override { return known; }
};

class MailslotListenerTest : public ::testing::Test {
protected:
    void TearDown() override { listener.StopListening(); }

    ScopedMailslotNetwork network;
    RecordingHost host;
    SharedState state;
    RecordingPrompts prompts;
    MailslotListener listener{state, prompts, host};
};

using platform::netbios::MessageSession;
using namespace modMailSlots;

// What a send gave: the error it raised, else its result and why a failed one failed.
QString Outcome(MailSlotMessage message) {
    try {
        const int result = SendMailSlotMessage(u"messngr"_s, message);
        return u"result %1 "_s.arg(result) + (result ? platform::LastErrorText() : QString());
    } catch (const platform::RuntimeError& e) {
        return u"error %1 "_s.arg(e.Number()) + e.Description();
    }
}

}  // namespace

// Listening again asks first (No keeps the slot), but not after Disable; stopping frees the port.
TEST_F(MailslotListenerTest, AsksBeforeListeningAgainAndStoppingFreesThePort) {
    prompts = RecordingPrompts({false, true});
    listener.OpenMailSlot();
    const auto first = state.MailSlotHandle;
    ASSERT_GT(first, 0);
    listener.EnableCommunications();  // No
    EXPECT_EQ(state.MailSlotHandle, first);
    listener.EnableCommunications();  // Yes: closes and listens again on the same port
    EXPECT_TRUE(state.MailSlotHandle > 0 && state.MailSlotHandle != first);

    listener.DisableCommunications();
    EXPECT_TRUE(state.MailSlotHandle == 0 && !listener.tmrMailSlot.isActive());
    listener.EnableCommunications();
    EXPECT_TRUE(prompts.questions.size() == 2 && listener.tmrMailSlot.isActive());

    listener.StopListening();
    EXPECT_FALSE(listener.tmrMailSlot.isActive());
    EXPECT_EQ(CloseMailSlot(CreateMailSlot(u"messngr"_s)), 0) << "the port is still held";
}

// The tick routes one message at a time, oldest first, datagrams and session messages alike; a
// session that misbehaves is closed without touching the others or the queue.
TEST_F(MailslotListenerTest, SessionMessagesJoinTheQueueAndABadSessionIsClosedAlone) {
    listener.OpenMailSlot();
    ASSERT_EQ(Outcome({u"bob"_s, u"."_s, u"datagram"_s}), u"result 0 "_s);
    ASSERT_TRUE(WaitForMessages(state.MailSlotHandle, 1));
    ASSERT_TRUE(platform::DeliverToMailslot(state.MailSlotHandle, "no text"));
    host.statusTexts.clear();
    std::vector<std::unique_ptr<SessionClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<SessionClient>(network.SessionPort()));
        ASSERT_TRUE(clients.back()->Open("testhost")) << i;
    }
    EXPECT_EQ(clients[0]->Ask(QByteArray::fromHex("817e0000")), "closed");  // garbled
    EXPECT_GT(clients[1]->Send(QByteArray(MessageSession::kMaxTextBytes + 1, 'x')), 0);
    EXPECT_EQ(clients[1]->Answer(), "closed");
    EXPECT_TRUE(clients[2]->Send("hello\r\nthere") == 0 && clients[2]->Send("again") == 0);
    SessionClient next(network.SessionPort());
    EXPECT_TRUE(next.Open("TESTHOST"));
    EXPECT_EQ(next.Send(QByteArray(MessageSession::kMaxTextBytes, 'y')), 0);

    listener.tmrMailSlot_Timer();
    EXPECT_EQ(host.routed, QStringList{u"bob|.|datagram"_s});  // one a tick
    for (int tick = 0; tick < 5; ++tick) {
        listener.tmrMailSlot_Timer();
    }
    EXPECT_EQ(
        host.routed,
        (QStringList{u"bob|.|datagram"_s, u"bob|TESTHOST|hello\r\nthere"_s, u"bob|TESTHOST|again"_s,
                     u"bob|TESTHOST|"_s + QString(MessageSession::kMaxTextBytes, u'y')}));
    // A datagram without text routes nothing and leaves the status alone.
    ASSERT_EQ(host.statusTexts.size(), 4);
    EXPECT_TRUE(host.statusTexts[3].startsWith(u"Message received at "_s)) << host.statusTexts[3];

    listener.DisableCommunications();
    EXPECT_FALSE(listener.Netbios() || SessionClient(network.SessionPort()).Connected());
}

// A datagram's address proves nothing: the host's contacts (by address or sender name) are read
// first, and forged floods leave them room. A change of contacts reaches the slot by the next tick.
TEST_F(MailslotListenerTest, TheHostsContactsAreReadFirstAndNeverCrowdedOut) {
    host.known = {u"10.0.0.9"_s};
    listener.OpenMailSlot();
    const auto deliver = [&](const char* from, std::uint32_t address) {
        const QByteArray body = QByteArray(from) + QByteArray("\0.\0hi\0\0", 7);
        return platform::DeliverToMailslot(state.MailSlotHandle, body, address);
    };
    for (std::uint32_t forged = 1; deliver("eve", forged); ++forged) {
    }
    ASSERT_TRUE(deliver("carol", 0x0A000009));
    host.known = {u"Dave"_s};
    listener.tmrMailSlot_Timer();
    EXPECT_TRUE(deliver("dave", 0x0A00000A));
    listener.tmrMailSlot_Timer();
    EXPECT_EQ(host.routed, (QStringList{u"carol|.|hi"_s, u"dave|.|hi"_s}));
}

// Programs that share nothing holding the ports: the mailslot listens as ever, and the strip and
// standard error say that some messages cannot arrive and who holds each port.
TEST_F(MailslotListenerTest, TakenSessionAndNamePortsLeaveTheMailslotListening) {
    QTcpServer smbd;
    ASSERT_TRUE(smbd.listen(QHostAddress::AnyIPv4, network.SessionPort()));
    QUdpSocket nmbd;
    ASSERT_TRUE(
        nmbd.bind(QHostAddress::AnyIPv4, network.NamePort(), QAbstractSocket::DontShareAddress));
    listener.OpenMailSlot();
    ASSERT_TRUE(state.MailSlotHandle > 0 && listener.tmrMailSlot.isActive() && listener.Netbios());
    QString problems;
    for (const auto& gap : listener.Netbios()->Gaps()) {
        problems += gap.why;
    }
    EXPECT_TRUE(
        problems.contains(u"TCP port %1 is held by transport_tests"_s.arg(network.SessionPort())) &&
        problems.contains(u"UDP port %1 is held by transport_tests"_s.arg(network.NamePort())))
        << problems;
    EXPECT_EQ(host.statusTexts.last(), u"Listening, but some messages will not arrive."_s);
    EXPECT_EQ(host.errorHelp, MailslotListener::ErrorHelpSomeMessagesLost);
}

TEST(MailslotDrops, TellsAtTheFirstDropThenAtMostOnceAMinuteWhileTheCountGrows) {
    MailslotDrops drops;
    const std::tuple<int, std::uint64_t, bool> cases[] = {{0, 0, false},   {1, 5, true},
                                                          {60, 9, false},  {61, 9, true},
                                                          {400, 9, false}, {401, 10, true}};
    for (const auto& [second, dropped, told] : cases) {
        const auto said =
            drops.Check(dropped, MailslotDrops::Clock::time_point() + std::chrono::seconds(second));
        EXPECT_EQ(said.has_value(), told) << second;
        EXPECT_TRUE(!said || said->startsWith(u"%1 incoming messages dropped"_s.arg(dropped)));
    }
    MailslotDrops refused(MailslotDrops::Why::NamesTooLong);
    EXPECT_TRUE(refused.Check(2).value_or(QString()).startsWith(u"2 incoming messages refused"_s));
}

TEST(SendMailSlotMessage, WritesTheFieldsOrSendsNothingAndSaysWhy) {
    ScopedMailslotNetwork network;
    const auto slot = CreateMailSlot(u"messngr"_s);
    ASSERT_GT(slot, 0) << platform::LastErrorText();

    MailSlotMessage message{u"bob"_s, u"."_s, u"hi"_s};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, message), SendWritten);
    ASSERT_TRUE(WaitForMessages(slot, 1));
    QByteArray raw(100, '\0');
    platform::DWORD read = 0;
    ASSERT_TRUE(platform::ReadFile(slot, raw.data(), 100, &read, nullptr));
    EXPECT_EQ(raw.left(read), QByteArray("bob\0.\0hi\0\0", 10));

    // The body between machines holds 424 bytes: two names, three zeros and a fourth.
    const std::array<QString, 4> cases[] = {
        {u"."_s, u"a"_s + QChar(0) + u"b"_s, u"error 5"_s, u"zero"_s},
        {u"."_s, QChar(0) + u"b"_s, u"error 5"_s, u"zero"_s},
        {u"."_s, QString(65530, u'x'), u"error 9"_s, u"65538"_s},
        {u"."_s, QString(65529, u'x'), u"result 3"_s, u"424"_s},
        {u"."_s, QString(424 - 8 + 1, u'x'), u"result 3"_s, u"424"_s},
        {u"two words|"_s, u"hi"_s, u"result 3"_s, u"NetBIOS"_s},
        {u".\\mailslot"_s, u"hi"_s, u"result 3"_s, u"not a mailslot path"_s},  // no other slot
        {u"."_s, {}, u"result 1"_s, {}},
        {u"."_s, QString(424 - 8, u'x'), u"result 0"_s, {}},
    };
    for (const auto& [to, text, expected, why] : cases) {
        SCOPED_TRACE(text.left(20));
        const QString outcome = Outcome({u"bob"_s, to, text});
        EXPECT_TRUE(outcome.startsWith(expected + u' ') && outcome.contains(why)) << outcome;
    }
    EXPECT_EQ(Outcome({u"\u0151b"_s, u"."_s, u"hi"_s}).left(8), u"error 5 "_s);
    EXPECT_EQ(Outcome({QString(254, u'x'), u"."_s, u"hi"_s}).left(8), u"error 5 "_s);  // too long
    EXPECT_EQ(Outcome({QString(253, u'x'), u"two words|"_s, u"hi"_s}).left(9), u"result 3 "_s);

    ASSERT_TRUE(WaitForMessages(slot, 1));  // only the longest message reached the slot
    EXPECT_TRUE(ReadMailSlot(slot).Text.size() == 416 && ReadMailSlot(slot) == MailSlotMessage{});

    // Unset fields: from "Parlane User" to everyone (sent or not, as this machine can broadcast).
    MailSlotMessage defaults{{}, {}, u"x"_s};
    SendMailSlotMessage(u"messngr"_s, defaults);
    EXPECT_EQ(defaults, (MailSlotMessage{u"Parlane User"_s, u"*"_s, u"x"_s}));
    CloseMailSlot(slot);
    // To another machine, the header names the address the datagram leaves from.
    QUdpSocket peer;
    ASSERT_TRUE(peer.bind(QHostAddress::LocalHost, network.Port()));
    EXPECT_EQ(Outcome({u"bob"_s, u"127.0.0.1"_s, u"hi"_s}), u"result 0 "_s);
    ASSERT_TRUE(peer.waitForReadyRead(5000));
    EXPECT_EQ(peer.receiveDatagram().data().mid(4, 4), QByteArray("\x7f\0\0\x01", 4));
}

TEST(ReadMailSlot, SplitsOneDatagramPerReadAndDropsWhatTheBufferCannotHold) {
    ScopedMailslotNetwork network;
    const auto slot = CreateMailSlot(u"messngr"_s);
    ASSERT_GT(slot, 0);
    const std::pair<QByteArray, MailSlotMessage> cases[] = {
        {QByteArray("A\0B\0C\0\0", 7), {u"A"_s, u"B"_s, u"C"_s}},
        {QByteArray("A\0B\0C", 5), {u"A"_s, u"B"_s, u"C"_s}},
        {QByteArray("\0B\0C\0\0", 6), {{}, u"B"_s, u"C"_s}},
        {QByteArray("hello"), {u"hello"_s, {}, {}}},
        {QByteArray(65536, 'x'), {QString(65536, u'x'), {}, {}}},
        {QByteArray(65537, 'x'), {}},  // too large for the buffer: dropped
        {QByteArray("\x80\0\xFF\0\x9D\0extra\0", 13), {u"\u20ac"_s, u"\u00ff"_s, u"\u009d"_s}},
    };
    for (const auto& [body, expected] : cases) {
        ASSERT_TRUE(platform::DeliverToMailslot(slot, body));
    }
    for (const auto& [body, expected] : cases) {
        SCOPED_TRACE(QString::fromLatin1(body.left(20)));
        EXPECT_EQ(ReadMailSlot(slot), expected);
    }
    EXPECT_EQ(ReadMailSlot(slot), MailSlotMessage{});

    EXPECT_TRUE(CloseMailSlot(slot) == 0 && ReadMailSlot(slot) == MailSlotMessage{});
    EXPECT_EQ(CloseMailSlot(-1), -1);
    EXPECT_EQ(ReadMailSlot(-1), MailSlotMessage{});  // what a failed open leaves
}
