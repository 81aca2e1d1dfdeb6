// The wire formats: golden bytes written by hand from the RFCs and the messenger commands'
// layout, then what the datagram parser, a session and the name service make of each input.
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/netbios/MessageSession.h"
#include "platform/netbios/NameQuery.h"
#include "platform/netbios/SessionPacket.h"
#include "platform/netbios/SessionServer.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"
#include "support/SessionClient.h"

#include <gtest/gtest.h>
#include <QStringList>

#include <functional>
#include <mutex>
#include <thread>
#include <tuple>

using namespace platform::netbios;
using namespace Qt::StringLiterals;

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).simplified().replace(' ', ""));
}

const QByteArray kExample = Hex(R"(
10 02 12 34 0a 00 00 05 00 8a 00 a8 00 00 20 46 41 45 42 46 43 45 4d 45 42 45 4f 45 46 43 4e 45
49 45 50 46 44 46 45 43 41 43 41 43 41 41 41 00 20 46 41 45 44 44 48 43 41 43 41 43 41 43 41 43
41 43 41 43 41 43 41 43 41 43 41 43 41 43 41 41 44 00 ff 53 4d 42 25 00 00 00 00 18 04 00 00 00
00 00 00 00 00 00 00 00 00 00 00 00 ff fe 00 00 00 00 11 00 00 0c 00 02 00 00 00 00 00 02 00 00
00 00 00 00 00 00 00 58 00 0c 00 58 00 03 00 01 00 00 00 02 00 1f 00 5c 4d 41 49 4c 53 4c 4f 54
5c 4d 45 53 53 4e 47 52 00 00 62 6f 62 00 50 43 37 00 68 69 00 00)");

constexpr qsizetype kSmb = 82;  // where the SMB starts when no scope is used

const MailslotWrite kExampleWrite{.type = kDirectUnique,
                                  .id = 0x1234,
                                  .sourceIp = 0x0A000005,
                                  .sourcePort = 138,
                                  .source = {"PARLANE-HOST", kWorkstationSuffix},
                                  .destination = {"PC7", kMessengerSuffix},
                                  .mailslot = "\\MAILSLOT\\MESSNGR",
                                  .body = QByteArray("bob\0PC7\0hi\0\0", 12)};

const OwnNames kPc7 = {"PC7", "SALES", "\\MAILSLOT\\MESSNGR", "10.0.0.7"};

using Change = std::function<void(QByteArray&)>;

Change At(qsizetype at, char byte, Change then = {}) {
    return [=](QByteArray& p) {
        p[at] = byte;
        if (then) {
            then(p);
        }
    };
}

Change To(const Name& name, std::uint8_t type = kDirectUnique) {
    return [=](QByteArray& p) {
        p[0] = char(type);
        p.replace(48, 34, EncodeName(name));
    };
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
QString Replies(QByteArrayView bytes) {
    QStringList replies;
    while (true) {
        const Frame frame = NextFrame(bytes);
        if (frame.status != Frame::Complete) {
            return (replies << (bytes.isEmpty() ? QString() : u"unframed"_s)).join(u' ').trimmed();
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
    ASSERT_TRUE(request.status == Frame::Complete && request.type == kSessionRequest);
    const auto names = ParseSessionRequest(request.payload);
    ASSERT_TRUE(names && names->called == (Name{"PC7", kMessengerSuffix}));
    EXPECT_EQ(names->calling, (Name{"BOB", kWorkstationSuffix}));
    EXPECT_EQ(EncodeSessionPacket(kSessionRequest, EncodeSessionRequest(*names)), kRequest);

    const auto command = ParseSmbMessageCommand(NextFrame(kSingleBlock).payload);
    ASSERT_TRUE(command && command->command == kSmbSendMessage);
    EXPECT_EQ(command->originator + '|' + command->destination + '|' + command->text, "bob|PC7|hi");
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
    const Step open{S::Raw, kRequest};
    const auto changed = [](qsizetype at, char byte) {  // the single block, one byte other
        return Step{S::Raw, QByteArray(kSingleBlock).replace(at, 1, &byte, 1)};
    };
    // What came back and whether the session ended; the messages delivered.
    const struct {
        const char* what;
        std::vector<Step> steps;
        const char* outcome;
        QList<QByteArray> delivered = {};
    } cases[] = {
        {"the address it was reached at", {{S::Request, "10.0.0.7"}}, "positive"},
        {"another machine", {{S::Request, "PC8"}}, "negative 82 closed"},
        {"this machine's file server", {{S::Request, "PC7", 0x20}}, "negative 80 closed"},
        {"a message before the request", {{S::Single, "hi"}}, "closed"},
        {"a request with more than two names",
         {{S::Raw, EncodeSessionPacket(kSessionRequest, QByteArray(kRequest.sliced(4) + 'x'))}},
         "closed"},
        {"a second request", {open, open}, "positive closed"},
        {"keep-alives and two messages",
         {open, {S::KeepAlive}, {S::Single, "a"}, {S::KeepAlive}, {S::Single, "b"}},
         "positive ok ok",
         {"bob|PC7|a", "bob|PC7|b"}},
        {"a message that cannot be kept", {open, {S::Single, "unkept"}}, "positive error closed"},
        {"blocks past the limit",
         {open, {S::Start}, {S::Text, limit}, {S::Text, "x"}, {S::End}},
         "positive group ok error closed"},
        {"text before the start", {open, {S::Text, "x"}}, "positive error closed"},
        {"an end before the start", {open, {S::End}}, "positive error closed"},
        {"a start inside a message", {open, {S::Start}, {S::Start}}, "positive group error closed"},
        {"another group's text",
         {open, {S::Start}, {S::Text, "x", kMessengerSuffix, true}},
         "positive group error closed"},
        {"a message with no text", {open, {S::Start}, {S::End}}, "positive group ok"},
        {"a block with no text", {open, {S::Single, ""}}, "positive ok"},
        {"a block of another kind", {open, changed(49, char(5))}, "positive closed"},
        {"a zero first in the text",
         {open, {S::Single, QByteArray(2, '\0')}},
         "positive error closed"},
        {"a zero inside a block",
         {open, {S::Start}, {S::Text, QByteArray("a\0b", 3)}},
         "positive group error closed"},
        {"a truncated command",
         {open, {S::Raw, Hex("00 00 00 05 ff 53 4d 42 d0")}},
         "positive closed"},
        {"a byte count past the packet", {open, changed(37, char(0x10))}, "positive closed"},
        {"SMB2", {open, changed(4, char(0xFE))}, "positive closed"},
        {"another command", {open, changed(8, char(0x72))}, "positive closed"},
        {"a packet longer than any message",
         {open,
          {S::Raw, EncodeSessionPacket(kSessionMessage, QByteArray(kMaxSessionPacket + 1, 'x'))}},
         "positive closed"},
    };

    for (const bool byteByByte : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (byteByByte ? " (byte by byte)" : ""));
            QList<QByteArray> delivered;
            MessageSession session("pc7", "10.0.0.7", [&](const SessionMessage& m) {
                if (m.text != "unkept") {
                    delivered << m.from + '|' + m.to + '|' + m.text;
                }
                return m.text != "unkept";
            });
            QByteArray replies;
            bool closed = false;
            std::uint16_t group = 0;
            for (const Step& step : c.steps) {
                const auto id = std::uint16_t(group + (step.otherGroup ? 1 : 0));
                SmbMessageCommand command{{}, 0, "bob", "PC7", id, step.arg};
                QByteArray bytes = step.arg;
                if (step.kind == S::Request) {
                    bytes = EncodeSessionPacket(
                        kSessionRequest,
                        EncodeSessionRequest({{step.arg, step.suffix}, {"BOB", 0}}));
                } else if (step.kind == S::KeepAlive) {
                    bytes = EncodeSessionPacket(kSessionKeepAlive, {});
                } else if (step.kind != S::Raw) {
                    const std::uint8_t codes[] = {kSmbSendMessage, kSmbSendStartMbMessage,
                                                  kSmbSendTextMbMessage, kSmbSendEndMbMessage};
                    command.command = codes[step.kind - S::Single];
                    bytes = EncodeSessionPacket(kSessionMessage, EncodeSmbMessageCommand(command));
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
            EXPECT_EQ(QString(Replies(replies) + (closed ? u" closed"_s : QString())).trimmed(),
                      QString::fromUtf8(c.outcome));
            EXPECT_EQ(delivered, c.delivered);
        }
    }
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
    // A query of ours is nmblookup's to the byte, here sent to one machine.
    EXPECT_EQ(EncodeNameQuery({0x1234, false, true, {"PC7", 3}, {}}),
              QByteArray(query).replace(3, 1, "\0", 1));

    // nmblookup asks for the workstation name, unicast and in lower case (tests/transport).
    const std::pair<const char*, Change> cases[] = {
        {"another suffix", At(43, 'C')},
        {"another machine", At(18, 'I')},
        {"a response", At(2, char(0x85))},
        {"a registration", At(2, 0x29)},
        {"a node status request", [](QByteArray& p) { p[p.size() - 3] = 0x21; }},
        {"two questions", At(5, 2)},
        {"cut short", [](QByteArray& p) { p.chop(1); }},
        {"a broken name", At(14, 'Z')},
    };
    for (const auto& [what, change] : cases) {
        QByteArray packet = query;
        change(packet);
        EXPECT_FALSE(AnswerNameQuery(packet, "PC7", 0x0A000007)) << what;
    }
}

// Whatever others do with the places, from one address or from several, a client that sends its
// message promptly gets in, or hears why not; a text with a zero, which the reader would show cut,
// is refused. The times are shortened; the places are the server's own number.
TEST(NetbiosSessionServer, AClientThatSendsPromptlyGetsInWhateverOthersDo) {
    using namespace std::chrono_literals;
    const struct {
        const char* what;
        int holders, addresses, newcomerFrom;  // 127.0.0.2 and on; 127.0.0.x
        bool keepAlive;                        // else the holders trickle text
        std::chrono::milliseconds before;      // the holders' time before the newcomer comes
        const char* outcome;
        bool holdersClosed = false;
    } cases[] = {
        {"trickling past the idle time, from four addresses", 16, 4, 1, false, 1200ms, "ok"},
        {"from one address, at once", 16, 1, 1, false, 0ms, "ok"},
        {"from one address, for a moment, to it", 16, 1, 2, false, 700ms, "ok"},
        {"all new, from as many addresses", 16, 16, 1, false, 0ms, "negative 83"},
        {"keep-alives past the idle time", 16, 4, 1, true, 1300ms, "ok", true},
        {"trickling past a session's life", 16, 4, 1, false, 2300ms, "ok", true},
        {"a text with a zero inside", 0, 1, 1, false, 0ms, "error", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint16_t port = ScopedMailslotNetwork().SessionPort();  // a free one
        QString error;
        QByteArrayList delivered;
        std::mutex lock;
        const auto deliver = [&](const SessionMessage& m, std::uint32_t) {
            std::lock_guard guard(lock);
            return (delivered << m.text, true);
        };
        const auto server = SessionServer::Open(port, "PC7", deliver, &error,
                                                {.idle = 1000ms, .life = 2000ms, .grace = 500ms});
        ASSERT_TRUE(server) << error;
        std::vector<std::unique_ptr<SessionClient>> holders;
        for (int i = 0; i < c.holders; ++i) {
            const std::uint32_t from = INADDR_LOOPBACK + 1 + i % c.addresses;
            holders.push_back(std::make_unique<SessionClient>(port, INADDR_LOOPBACK, from));
            if (holders.back()->Open("PC7")) {
                holders.back()->Send({}, "PC7", "eve", kSmbSendStartMbMessage);
            }
        }
        for (auto waited = 0ms; waited < c.before; waited += 100ms) {
            std::this_thread::sleep_for(100ms);
            for (const auto& holder : holders) {
                c.keepAlive ? holder->Write(EncodeSessionPacket(kSessionKeepAlive, {}))
                            : void(holder->Send("x", "PC7", "eve", kSmbSendTextMbMessage));
            }
        }
        SessionClient newcomer(port, INADDR_LOOPBACK, INADDR_LOOPBACK - 1 + c.newcomerFrom);
        const QByteArray text = c.holders ? "hi" : QByteArray("a\0b", 3);
        const bool unasked = !newcomer.Silent(100);  // a client may take that as a hang-up
        const QByteArray answer = newcomer.Ask(EncodeSessionPacket(
            kSessionRequest, EncodeSessionRequest({{"PC7", kMessengerSuffix}, {"BOB", 0}})));
        const QString outcome = unasked ? u"answered unasked"_s
                                : answer.startsWith(char(kPositiveSessionResponse))
                                    ? (newcomer.Send(text, "PC7") == 0 ? u"ok"_s : u"error"_s)
                                    : Replies(EncodeSessionPacket(answer[0], answer.sliced(1)));
        EXPECT_EQ(outcome, QString::fromUtf8(c.outcome));
        std::lock_guard guard(lock);
        EXPECT_EQ(delivered, outcome == u"ok"_s ? QByteArrayList{text} : QByteArrayList{});
        EXPECT_EQ(server->OpenSessions() <= 1, c.holdersClosed);  // the newcomer's at most
    }
}

TEST(MailslotDatagram, EncodesTheExamplePacketAndRoundTripsEveryBodySizeAndNameByte) {
    EXPECT_EQ(EncodeMailslotWrite(kExampleWrite).toHex(' '), kExample.toHex(' '));
    const auto example = ParseMailslotWrite(kExample);
    ASSERT_TRUE(example && EncodeMailslotWrite(*example) == kExample);
    for (const qsizetype size : {0, 1, 3, 4, 5, 423, 424, 1000}) {
        MailslotWrite write = kExampleWrite;
        write.type = kDirectGroup;
        write.body = QByteArray(size, '\xE9');
        write.source = {"\xC9t\xE9 15 bytes!!\xFF", kWorkstationSuffix};  // Windows-1252 letters
        write.mailslot = "\\MAILSLOT\\" + QByteArray(size % 13, 'L');     // shorter or longer
        const auto parsed = ParseMailslotWrite(EncodeMailslotWrite(write));
        ASSERT_TRUE(parsed) << size;
        EXPECT_EQ(std::tie(parsed->body, parsed->source, parsed->mailslot),
                  std::tie(write.body, write.source, write.mailslot));
    }
    EXPECT_EQ(UpperName("pc7 \xE9\xFF\xDF"), QByteArray("PC7 \xC9\x9F\xDF"));
}

TEST(MailslotDatagram, TakesOnlyWholeWritesToThisMachinesMailslot) {
    const std::tuple<const char*, Change, bool> cases[] = {
        {"as sent", [](QByteArray&) {}, true},
        {"type 0x13", At(0, 0x13), false},
        {"Windows node type bits", At(1, 0x0E), true},
        {"not a first fragment", At(1, 0x00), false},
        {"more fragments follow", At(1, 0x03), false},
        {"a later fragment", At(13, 0x10), false},
        {"to another machine", To({"PC8", 3}), false},
        {"to this machine in lower case", To({"pc7", 3}), true},
        {"to this machine's workstation name", To({"PC7", 0}), true},
        {"to another suffix", To({"PC7", 0x20}), false},
        {"unique type to the workgroup", To({"SALES", 0}), false},
        {"group type to the workgroup", To({"sales", 0}, kDirectGroup), true},
        {"broadcast type to the workgroup", To({"SALES", 0}, kBroadcast), true},
        {"group type to the workgroup's browser name", To({"SALES", 0x1D}, kDirectGroup), false},
        {"group type to this machine", To({"PC7", 3}, kDirectGroup), false},
        // Each half-byte of a name is a letter from 'A' to 'P'.
        {"a high half-byte below 'A'", At(15, '@'), false},
        {"a high half-byte past 'P'", At(15, 'Q'), false},
        {"a low half-byte below 'A'", At(16, '@'), false},
        {"a low half-byte past 'P'", At(16, 'Q'), false},
        {"a destination of the wrong length", At(48, 0x1F), false},
        {"not SMB", At(kSmb + 1, 'X'), false},
        {"another command", At(kSmb + 4, 0x32), false},
        {"another word count", At(kSmb + 32, 14), false},
        {"another setup count", At(kSmb + 59, 2), false},
        {"not a mailslot write", At(kSmb + 61, 2), false},
        {"other SMB fields as Windows varies them",
         At(kSmb + 9, 0, At(kSmb + 26, 0x12, At(kSmb + 65, 1))), true},
        {"the mailslot name in lower case",
         [](QByteArray& p) { p.replace(kSmb + 69, 17, "\\mailslot\\messngr"); }, true},
        {"another mailslot", [](QByteArray& p) { p.replace(kSmb + 79, 7, "BROWSEX"); }, false},
        {"no end to the mailslot name",
         [](QByteArray& p) { p = p.first(kSmb + 86).append(17, 'A'); }, false},
        {"cut by one byte", [](QByteArray& p) { p.chop(1); }, false},
        {"shorter than any write", [](QByteArray& p) { p.truncate(150); }, false},
        {"trailing bytes after the data", [](QByteArray& p) { p.append("junk"); }, true},
        {"a data count past the end", At(kSmb + 55, 13), false},
        {"a data offset inside the name", At(kSmb + 57, 80), false},
        {"a data offset past the end", At(kSmb + 57, char(0xF0)), false},
    };
    for (const auto& [what, change, taken] : cases) {
        QByteArray packet = kExample;
        change(packet);
        const auto body = TakeBody(packet, kPc7);
        EXPECT_EQ(body.has_value(), taken) << what;
        if (body) {
            EXPECT_EQ(*body, QByteArray("bob\0PC7\0hi\0\0", 12)) << what;
        }
    }
    const QByteArray name(kMaxHostNameBytes, 'n'), end(1, '\0');  // From and To at their longest
    const auto fits = [](const QByteArray& body) { return NamesFit(body); };  // a text, longer
    EXPECT_TRUE(fits(name + end + name + end + name + name) && fits(end + end + name + name) &&
                !fits(name + 'n' + end + end) && !fits(end + name + 'n' + end));
}

TEST(MailslotDatagram, ReadsTheDataAtItsOffsetWhetherPaddedOrNotAndPastScopeLabels) {
    // A sender that does not pad puts the data straight after the mailslot name.
    QByteArray unpadded = kExample;
    unpadded.remove(kSmb + 87, 1);
    At(kSmb + 53, 87, At(kSmb + 57, 87))(unpadded);
    EXPECT_EQ(TakeBody(unpadded, kPc7), QByteArray("bob\0PC7\0hi\0\0", 12));

    QByteArray scoped = kExample;  // a scope label moves the destination name and the SMB along
    scoped.insert(47, QByteArray("\x03lan", 4));
    const auto parsed = ParseMailslotWrite(scoped);
    ASSERT_TRUE(parsed && parsed->destination == (Name{"PC7", kMessengerSuffix}));
    EXPECT_EQ(parsed->body, QByteArray("bob\0PC7\0hi\0\0", 12));

    EXPECT_FALSE(ParseMailslotWrite(kExample.first(47).append("\x3Flabel", 6)));
}
