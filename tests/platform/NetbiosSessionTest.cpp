// The session service and name service packets: golden bytes written by hand from the RFC and
// the messenger commands' layout, then what a session and the name service make of each input.
#include "platform/netbios/MessageSession.h"
#include "platform/netbios/NameQuery.h"
#include "platform/netbios/SessionPacket.h"
#include "platform/netbios/SessionServer.h"
#include "support/QtPrinters.h"
#include "support/SessionClient.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <QTcpServer>

#include <thread>

#include <functional>

using namespace platform::netbios;
using namespace Qt::StringLiterals;

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).simplified().replace(' ', ""));
}

// PC7<03> called by BOB<00>.
const QByteArray kRequest = Hex(R"(81 00 00 44
    20 46 41 45 44 44 48 43 41 43 41 43 41 43 41 43 41 43
    41 43 41 43 41 43 41 43 41 43 41 43 41 41 44 00
    20 45 43 45 50 45 43 43 41 43 41 43 41 43 41 43 41 43
    41 43 41 43 41 43 41 43 41 43 41 43 41 41 41 00)");

// "hi" from bob to PC7 in one block, message id 1.
const QByteArray kSingleBlock = Hex(R"(00 00 00 32
    ff 53 4d 42 d0 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00
    00 0f 00 04 62 6f 62 00 04 50 43 37 00 01 02 00 68 69)");

const QByteArray kSingleBlockReply = Hex(R"(00 00 00 23
    ff 53 4d 42 d0 00 00 00 00 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00
    00 00 00)");

// What came back, one word or two for each packet.
QStringList Replies(QByteArrayView bytes) {
    QStringList replies;
    while (true) {
        const Frame frame = NextFrame(bytes);
        if (frame.status != Frame::Complete) {
            if (!bytes.isEmpty()) {
                replies << u"unframed"_s;
            }
            return replies;
        }
        if (frame.type == kPositiveSessionResponse) {
            replies << u"positive"_s;
        } else if (frame.type == kNegativeSessionResponse && frame.payload.size() == 1) {
            replies << u"negative %1"_s.arg(std::uint8_t(frame.payload[0]), 0, 16);
        } else if (const auto smb = ParseSmbReply(frame.payload)) {
            replies << (smb->error.errorClass ? u"error"_s : smb->groupId ? u"group"_s : u"ok"_s);
        } else {
            replies << u"unknown"_s;
        }
        bytes = bytes.sliced(frame.size);
    }
}

}  // namespace

TEST(NetbiosSession, ReadsAndWritesTheHandWrittenPackets) {
    const Frame request = NextFrame(kRequest);
    ASSERT_EQ(request.status, Frame::Complete);
    EXPECT_EQ(request.type, kSessionRequest);
    const auto names = ParseSessionRequest(request.payload);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->called, (Name{"PC7", kMessengerSuffix}));
    EXPECT_EQ(names->calling, (Name{"BOB", kWorkstationSuffix}));
    EXPECT_EQ(EncodeSessionPacket(kSessionRequest, EncodeSessionRequest(*names)), kRequest);

    const Frame single = NextFrame(kSingleBlock);
    ASSERT_EQ(single.status, Frame::Complete);
    const auto command = ParseSmbMessageCommand(single.payload);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->command, kSmbSendMessage);
    EXPECT_EQ(command->originator, "bob");
    EXPECT_EQ(command->destination, "PC7");
    EXPECT_EQ(command->text, "hi");
    SmbMessageCommand plain = *command;
    plain.header = {};
    QByteArray encoded = EncodeSmbMessageCommand(plain);
    encoded[30] = 1;  // the message id the hand-written packet carries
    EXPECT_EQ(EncodeSessionPacket(kSessionMessage, encoded), kSingleBlock);
    EXPECT_EQ(EncodeSessionPacket(kSessionMessage, EncodeSmbReply(*command, kSmbSuccess)),
              kSingleBlockReply);
}

TEST(NetbiosSession, AnswersEachInputAndClosesAtTheFirstFault) {
    const QByteArray limit(MessageSession::kMaxTextBytes, 'x');
    struct Step {
        enum Kind { Request, Single, Start, Text, End, KeepAlive, Raw } kind;
        QByteArray arg = {};
        char suffix = kMessengerSuffix;
        bool otherGroup = false;
    };
    using S = Step;
    const QByteArray open = kRequest;
    struct Case {
        const char* what;
        std::vector<Step> steps;
        QStringList replies;
        QList<QByteArray> delivered;
        bool closed;
    };
    const Case cases[] = {
        {"a request for this machine", {{S::Raw, open}}, {u"positive"_s}, {}, false},
        {"the address it was reached at", {{S::Request, "10.0.0.7"}}, {u"positive"_s}, {}, false},
        {"another machine", {{S::Request, "PC8"}}, {u"negative 82"_s}, {}, true},
        {"this machine's file server", {{S::Request, "PC7", 0x20}}, {u"negative 80"_s}, {}, true},
        {"a message before the request", {{S::Single, "hi"}}, {}, {}, true},
        {"a second request", {{S::Raw, open}, {S::Raw, open}}, {u"positive"_s}, {}, true},
        {"a single block",
         {{S::Raw, open}, {S::Raw, kSingleBlock}},
         {u"positive"_s, u"ok"_s},
         {"bob|PC7|hi"},
         false},
        {"keep-alives and two messages",
         {{S::Raw, open}, {S::KeepAlive}, {S::Single, "a"}, {S::KeepAlive}, {S::Single, "b"}},
         {u"positive"_s, u"ok"_s, u"ok"_s},
         {"bob|PC7|a", "bob|PC7|b"},
         false},
        {"a single block over the limit",
         {{S::Raw, open}, {S::Single, limit + 'x'}},
         {u"positive"_s, u"error"_s},
         {},
         true},
        {"several blocks",
         {{S::Raw, open}, {S::Start}, {S::Text, "one\r\n"}, {S::Text, "two"}, {S::End}},
         {u"positive"_s, u"group"_s, u"ok"_s, u"ok"_s, u"ok"_s},
         {"bob|PC7|one\r\ntwo"},
         false},
        {"blocks up to the limit",
         {{S::Raw, open},
          {S::Start},
          {S::Text, limit.first(1000)},
          {S::Text, limit.sliced(1000)},
          {S::End}},
         {u"positive"_s, u"group"_s, u"ok"_s, u"ok"_s, u"ok"_s},
         {"bob|PC7|" + limit},
         false},
        {"blocks past the limit",
         {{S::Raw, open}, {S::Start}, {S::Text, limit}, {S::Text, "x"}, {S::End}},
         {u"positive"_s, u"group"_s, u"ok"_s, u"error"_s},
         {},
         true},
        {"text before the start",
         {{S::Raw, open}, {S::Text, "x"}},
         {u"positive"_s, u"error"_s},
         {},
         true},
        {"a start inside a message",
         {{S::Raw, open}, {S::Start}, {S::Start}},
         {u"positive"_s, u"group"_s, u"error"_s},
         {},
         true},
        {"another group's text",
         {{S::Raw, open}, {S::Start}, {S::Text, "x", kMessengerSuffix, true}},
         {u"positive"_s, u"group"_s, u"error"_s},
         {},
         true},
        {"a message with no text",
         {{S::Raw, open}, {S::Start}, {S::End}},
         {u"positive"_s, u"group"_s, u"ok"_s},
         {},
         false},
        {"a truncated command",
         {{S::Raw, open}, {S::Raw, Hex("00 00 00 05 ff 53 4d 42 d0")}},
         {u"positive"_s},
         {},
         true},
        {"a byte count past the packet",
         {{S::Raw, open},
          {S::Raw,
           [] {
               QByteArray p = kSingleBlock;
               p[4 + 33] = 0x10;
               return p;
           }()}},
         {u"positive"_s},
         {},
         true},
        {"garbled session flags", {{S::Raw, Hex("81 7e 00 00")}}, {}, {}, true},
        {"a packet longer than any message",
         {{S::Raw, open},
          {S::Raw, EncodeSessionPacket(kSessionMessage, QByteArray(kMaxSessionPacket + 1, 'x'))}},
         {u"positive"_s},
         {},
         true},
        {"another SMB command",
         {{S::Raw, open},
          {S::Raw,
           [] {
               QByteArray p = kSingleBlock;
               p[8] = 0x72;  // negotiate
               return p;
           }()}},
         {u"positive"_s},
         {},
         true},
    };

    for (const bool byteByByte : {false, true}) {
        for (const Case& c : cases) {
            QList<QByteArray> delivered;
            MessageSession session("pc7", "10.0.0.7", [&](const SessionMessage& m) {
                delivered << m.from + '|' + m.to + '|' + m.text;
                return true;
            });
            QByteArray replies;
            bool closed = false;
            std::uint16_t group = 0;
            for (const Step& step : c.steps) {
                SmbMessageCommand command;
                command.originator = "bob";
                command.destination = "PC7";
                command.groupId = group + (step.otherGroup ? 1 : 0);
                command.text = step.arg;
                QByteArray bytes;
                switch (step.kind) {
                    case S::Request:
                        bytes = EncodeSessionPacket(
                            kSessionRequest,
                            EncodeSessionRequest({{step.arg, step.suffix}, {"BOB", 0}}));
                        break;
                    case S::Single:
                    case S::Start:
                    case S::Text:
                    case S::End: {
                        const std::uint8_t codes[] = {kSmbSendMessage, kSmbSendStartMbMessage,
                                                      kSmbSendTextMbMessage, kSmbSendEndMbMessage};
                        command.command = codes[step.kind - S::Single];
                        bytes =
                            EncodeSessionPacket(kSessionMessage, EncodeSmbMessageCommand(command));
                        break;
                    }
                    case S::KeepAlive:
                        bytes = EncodeSessionPacket(kSessionKeepAlive, {});
                        break;
                    case S::Raw:
                        bytes = step.arg;
                }
                const qsizetype piece = byteByByte ? 1 : bytes.size();
                for (qsizetype at = 0; at < bytes.size(); at += piece) {
                    const auto fed = session.Feed(QByteArrayView(bytes).sliced(at, piece));
                    replies += fed.reply;
                    closed = closed || fed.close;
                    if (const auto smb = ParseSmbReply(NextFrame(fed.reply).payload);
                        smb && smb->groupId) {
                        group = *smb->groupId;
                    }
                }
            }
            const QString what =
                QString::fromLatin1(c.what) + (byteByByte ? u" (byte by byte)"_s : u""_s);
            EXPECT_EQ(Replies(replies), c.replies) << what;
            EXPECT_EQ(delivered, c.delivered) << what;
            EXPECT_EQ(closed, c.closed) << what;
        }
    }
}

TEST(NetbiosSession, TellsTheSenderWhenTheMessageCannotBeKept) {
    MessageSession session("PC7", {}, [](const SessionMessage&) { return false; });
    EXPECT_EQ(Replies(session.Feed(kRequest).reply), QStringList{u"positive"_s});
    const auto step = session.Feed(kSingleBlock);
    EXPECT_EQ(Replies(step.reply), QStringList{u"error"_s});
    EXPECT_TRUE(step.close);
}

TEST(NetbiosNameQuery, AnswersOnlyThisMachinesMessengerAndWorkstationNames) {
    // As nmblookup broadcasts a query for PC7<03>, and the answer with 10.0.0.7.
    const QByteArray query = Hex(R"(12 34 01 10 00 01 00 00 00 00 00 00
        20 46 41 45 44 44 48 43 41 43 41 43 41 43 41 43 41 43
    41 43 41 43 41 43 41 43 41 43 41 43 41 41 44 00
        00 20 00 01)");
    const QByteArray answer = Hex(R"(12 34 85 00 00 00 00 01 00 00 00 00
        20 46 41 45 44 44 48 43 41 43 41 43 41 43 41 43 41 43
    41 43 41 43 41 43 41 43 41 43 41 43 41 41 44 00
        00 20 00 01 00 04 93 e0 00 06 00 00 0a 00 00 07)");
    EXPECT_EQ(AnswerNameQuery(query, "pc7", 0x0A000007).value_or(QByteArray()).toHex(' '),
              answer.toHex(' '));
    const auto parsed = ParseNameAnswer(answer);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->address, 0x0A000007u);
    EXPECT_EQ(parsed->name, (Name{"PC7", kMessengerSuffix}));

    struct Case {
        const char* what;
        std::function<void(NameQuery&)> query;
        std::function<void(QByteArray&)> packet;
        bool answered;
    };
    const auto same = [](auto&) {};
    const Case cases[] = {
        {"unicast", [](NameQuery& q) { q.broadcast = false; }, same, true},
        {"the workstation name", [](NameQuery& q) { q.name.suffix = 0; }, same, true},
        {"the name in lower case", [](NameQuery& q) { q.name.name = "pc7"; }, same, true},
        {"the file server name", [](NameQuery& q) { q.name.suffix = 0x20; }, same, false},
        {"the domain master name", [](NameQuery& q) { q.name.suffix = 0x1B; }, same, false},
        {"another machine", [](NameQuery& q) { q.name.name = "PC8"; }, same, false},
        {"a response", same, [](QByteArray& p) { p[2] = char(0x85); }, false},
        {"a registration", same, [](QByteArray& p) { p[2] = 0x29; }, false},
        {"a node status request", same, [](QByteArray& p) { p[p.size() - 3] = 0x21; }, false},
        {"two questions", same, [](QByteArray& p) { p[5] = 2; }, false},
        {"cut short", same, [](QByteArray& p) { p.chop(1); }, false},
        {"a broken name", same, [](QByteArray& p) { p[14] = 'Z'; }, false},
    };
    for (const Case& c : cases) {
        NameQuery q = *ParseNameQuery(query);
        c.query(q);
        q.wireName.clear();
        QByteArray packet = EncodeNameQuery(q);
        c.packet(packet);
        const auto reply = AnswerNameQuery(packet, "PC7", 0x0A000007);
        EXPECT_EQ(reply.has_value(), c.answered) << c.what;
        if (reply) {
            const auto got = ParseNameAnswer(*reply);
            ASSERT_TRUE(got) << c.what;
            EXPECT_EQ(got->id, 0x1234) << c.what;
            EXPECT_EQ(got->name, q.name) << c.what;
            EXPECT_EQ(got->address, 0x0A000007u) << c.what;
        }
    }
}

// The idle time is shortened here; what is tested is that silence, and only silence, ends a
// session.
TEST(NetbiosSessionServer, ClosesASilentSessionAndKeepsOneThatTalks) {
    using namespace std::chrono_literals;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const std::uint16_t port = probe.serverPort();
    probe.close();
    QString error;
    const auto server = SessionServer::Open(
        port, "PC7", [](const SessionMessage&, std::uint32_t) { return true; }, &error, 1s);
    ASSERT_TRUE(server) << error;

    SessionClient silent(port), talking(port);
    const QByteArray keepAlive = EncodeSessionPacket(kSessionKeepAlive, {});
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 2500ms) {
        talking.Write(keepAlive);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(silent.Answer(), "closed");
    EXPECT_TRUE(talking.Open("PC7"));
}
