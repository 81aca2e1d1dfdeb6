#include "platform/Ipv4.h"
#include "platform/capture/CaptureFrame.h"
#include "platform/mailslot/LocalDelivery.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"
#include "platform/netbios/PortError.h"
#include "platform/netbios/SambaConfig.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QNetworkInterface>
#include <QSet>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

HANDLE Listen() {
    return CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, 0, nullptr);
}

QByteArray Take(HANDLE slot, qsizetype size = 65536) {
    QByteArray buffer(size, '\0');
    DWORD read = 0;
    if (!ReadFile(slot, buffer.data(), DWORD(buffer.size()), &read, nullptr)) {
        return "<nothing>";
    }
    return buffer.left(read);
}

}  // namespace

// Writes on loopback by name and address are the transport's (tests/transport).
TEST(Mailslot, ReadsOneMessagePerReadInArrivalOrderAndSendersTakeTurns) {
    ScopedMailslotNetwork network;
    // A slot to listen on is named "\\.\mailslot\NAME" and nothing else.
    for (const char* path : {"x\\\\.\\mailslot\\m", "\\\\.\\mailslot\\", "\\\\\\mailslot\\m",
                             "\\\\.\\slot\\m", "\\x\\.\\mailslot\\m", "\\\\pc\\mailslot\\m"}) {
        EXPECT_EQ(CreateMailslotA(QString::fromLatin1(path), 0, 0, {}), INVALID_HANDLE_VALUE)
            << path;
    }
    const HANDLE slot = Listen();
    ASSERT_GT(slot, 0) << LastErrorText();
    ASSERT_TRUE(DeliverToMailslot(slot, "one") && DeliverToMailslot(slot, "two"));
    DWORD next = 0;
    ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, nullptr, nullptr) && next == 3u);
    // A buffer one byte short fails the read and leaves the message waiting.
    EXPECT_TRUE(Take(slot, 2) == "<nothing>" && GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    EXPECT_TRUE(Take(slot, 3) == "one" && Take(slot) == "two");
    EXPECT_TRUE(Take(slot) == "<nothing>" && GetLastError() == ERROR_SEM_TIMEOUT);  // never waits

    // What smbd hands on through parlane-samba-message comes whole, up to the longest taken.
    QString why;
    const QByteArray longest(netbios::kMaxLocalDelivery - 4, '\0');  // after the sender's address
    EXPECT_FALSE(netbios::SendLocalDelivery(network.Port(), 7, longest + 'h', &why));
    ASSERT_TRUE(netbios::SendLocalDelivery(network.Port(), 7, longest, &why)) << why;
    ASSERT_TRUE(WaitForMessages(slot, 1) && Take(slot) == longest);
    // The sender's address alone, or more than is ever taken, is no message.
    for (const qsizetype size : {qsizetype(4), netbios::kMaxLocalDelivery + 1}) {
        EXPECT_FALSE(netbios::ParseLocalDelivery(QByteArray(size, 'a'))) << size;
    }

    // Senders take turns, and none crowds out the others.
    constexpr std::uint32_t flooder = 0x0A000001, quiet = 0x0A000002, other = 0x0A000003;
    qsizetype flood = 0;
    while (DeliverToMailslot(slot, "flood " + QByteArray::number(flood), flooder)) {
        ++flood;
    }
    using Queue = netbios::MailslotReceiver;
    EXPECT_EQ(flood, Queue::kMaxMessages / Queue::kSenderShare);  // a share, not the whole queue
    ASSERT_TRUE(DroppedMailslotMessages(slot) == 1u && DeliverToMailslot(slot, "quiet", quiet));
    ASSERT_TRUE(DeliverToMailslot(slot, "other 1", other) &&
                DeliverToMailslot(slot, "other 2", other));
    for (const char* expected :
         {"flood 0", "quiet", "other 1", "flood 1", "other 2", "flood 2", "flood 3"}) {
        EXPECT_EQ(Take(slot), expected);
    }
    // The host's contacts are read first, yet a stranger waiting gets a turn after each run.
    SetKnownSenders(slot, {u"10.0.0.3"_s});
    const QByteArray run(Queue::kKnownRun, 'k'), order = run + 'f' + run + "fk";
    for (const char c : order) {
        ASSERT_TRUE(c == 'f' || DeliverToMailslot(slot, "k", other));
    }
    for (const char c : order) {
        EXPECT_EQ(Take(slot).at(0), c);
    }
    EXPECT_TRUE(CloseHandle(slot));
    EXPECT_FALSE(CloseHandle(slot) || DeliverToMailslot(slot, "late", quiet) ||
                 netbios::SendLocalDelivery(network.Port(), quiet, "late", &why) ||
                 DroppedMailslotMessages(slot) || RefusedMailslotMessages(slot));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(why, u"no copy of Parlane is listening on this machine"_s);

    // However many senders flood together, the queue stays within its bounds.
    for (const qsizetype size : {qsizetype(1), qsizetype(32768)}) {  // shares of whole messages
        const HANDLE all = Listen();
        qsizetype messages = 0, first = 0;
        for (std::uint32_t sender = 1; sender <= 2000; ++sender) {
            while (DeliverToMailslot(all, QByteArray(size, 'x'), sender)) {
                first += sender == 1;
                ++messages;
            }
        }
        // The strangers' share fills to its last message or byte, each stranger's to its last byte.
        EXPECT_EQ(messages, size == 1 ? Queue::kMaxMessages / Queue::kUnknownShare
                                      : Queue::kMaxBytes / Queue::kUnknownShare / size);
        EXPECT_TRUE(size == 1 || first == Queue::kMaxBytes / Queue::kSenderShare / size);
        CloseHandle(all);
    }
}

// Asked when a contact is added, and again before a write goes out.
TEST(MailslotNames, SaysWhyARecipientCannotBeReached) {
    const QString longest = QString(63, u'a').append(u'.').repeated(3) + QString(61, u'a');  // 253
    const QStringList reachable{u"*"_s,    u"."_s,         u"10.0.0.7"_s,     u"FIFTEEN-LETTERS"_s,
                                u"PC 7"_s, u"Caf\u00e9"_s, u"host.example"_s, longest};
    for (const QString& name :
         reachable + QStringList{u"SIXTEEN-LETTERS!"_s, u"PC\u001F7"_s, u" "_s, u"bad|name"_s,
                                 u"Zo\u0142y"_s, u"a..b"_s, u"-a.b"_s, u"10.0.0.256"_s, u"pc*1"_s,
                                 u"fe80::1"_s, longest + u'a'}) {
        EXPECT_EQ(netbios::RecipientProblem(name).isEmpty(), reachable.contains(name)) << name;
    }
}

// Addresses as people type them and as smbd hands them to its message command.
TEST(Ipv4, OnlyTheFormAnAddressPrintsInIsOneAndSambasMappedFormIsReadToo) {
    using platform::ipv4::Parse;
    using platform::ipv4::ParseMaybeMapped;
    const struct {
        QString text;
        std::optional<std::uint32_t> typed, fromSamba;
    } cases[] = {
        {u"10.0.0.7"_s, 0x0A000007, 0x0A000007},
        {u"255.255.255.255"_s, 0xFFFFFFFF, 0xFFFFFFFF},
        {u"::ffff:10.0.0.7"_s, {}, 0x0A000007},
        {u"010.0.0.7"_s, {}, {}},
        {u"10.1"_s, {}, {}},
        {u" 10.0.0.7"_s, {}, {}},
        {u"10.0.0.7\u0000x"_s, {}, {}},
        {u"fe80::1"_s, {}, {}},
        {u"10.0.0.7.10.0.0.7.10.0.0.7"_s, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.text), c.typed) << c.text;
        EXPECT_EQ(ParseMaybeMapped(c.text.toLatin1()), c.fromSamba) << c.text;
        if (c.typed) {
            EXPECT_EQ(platform::ipv4::Text(*c.typed), c.text.toLatin1());
        }
    }
    // The machine's interfaces: its IPv4 addresses, none read out of another family's entry.
    QSet<quint32> machine, read;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        machine << address.toIPv4Address();  // 0 for others
    }
    for (const platform::ipv4::Interface& nic : platform::ipv4::Interfaces()) {
        read << nic.address;
    }
    EXPECT_EQ(read, machine - QSet<quint32>{0});
}

TEST(MailslotNames, OwnNamesComeFromTheHostNameAndSambasWorkgroup) {
    netbios::SetMailslotNetwork({138, u"alpha.example.com"_s, {}});
    EXPECT_EQ(netbios::OwnMachineName(), "ALPHA");
    netbios::SetMailslotNetwork({138, u"a-very-long-host-name"_s, u"sales"_s});
    EXPECT_EQ(netbios::OwnMachineName() + '|' + netbios::OwnWorkgroup(), "A-VERY-LONG-HOS|SALES");
    netbios::SetMailslotNetwork({});

    QTemporaryDir dir;
    const QString conf = dir.filePath(u"smb.conf"_s);
    EXPECT_EQ(netbios::WorkgroupFromSmbConf(conf), QByteArray());
    WriteBytes(conf,
               "# workgroup = NOT\n[global]\n   server string = x\n"
               "   WorkGroup =  accounts  \n[homes]\n workgroup = LATER\n");
    EXPECT_EQ(netbios::WorkgroupFromSmbConf(conf), "ACCOUNTS");
    WriteBytes(conf, "[homes]\nworkgroup = NOT\n[ Global ]\nworkgroup=lab\n");
    EXPECT_EQ(netbios::WorkgroupFromSmbConf(conf), "LAB");

    // smbd hands messages on only with Parlane's command and a dialect that carries them.
    const QByteArray command = "message command = /usr/libexec/parlane/parlane-samba-message %I\n";
    const std::pair<QByteArray, bool> handsOn[] = {
        {"[global]\nserver min protocol = NT1\n" + command, true},
        {" MIN PROTOCOL = lanman2\n[global]\n" + command, true},  // before any section: global
        {"[global]\n" + command, false},
        {"[global]\nserver min protocol = SMB2\n" + command, false},
        {"[global]\nserver min protocol = NT1\nmessage command = mail -s %f root < %s\n", false},
        {"[global]\nserver min protocol = NT1\n[share]\n" + command, false},
    };
    for (const auto& [text, yes] : handsOn) {
        WriteBytes(conf, text);
        EXPECT_EQ(netbios::SmbConfHandsMessagesOn(conf), yes) << text.toStdString();
    }
}

namespace {

// An IPv4 packet as a raw socket reads it: header of `words` 32-bit words, then UDP.
std::string Packet(std::uint16_t port, const std::string& payload, int words = 5,
                   int fragment = 0x4000, char protocol = 17, std::size_t udpExtra = 0) {
    const auto be16 = [](std::size_t v) { return std::string{char(v >> 8), char(v)}; };
    const std::size_t udp = 8 + payload.size();
    std::string ip = char(0x40 | words) + std::string(1, '\0') + be16(words * 4 + udp) + be16(0) +
                     be16(std::size_t(fragment)) + '\x40' + protocol + be16(0) +
                     std::string("\x0A\0\0\x02\x0A\0\0\xFF", 8);
    ip.resize(std::size_t(words) * 4);
    return ip + be16(0x8A) + be16(port) + be16(udp + udpExtra) + be16(0) + payload;
}

}  // namespace

// The capture helper passes on only whole datagrams to the port, framed so a pipe may cut them.
TEST(MailslotCapture, PassesWholeDatagramsToThePortInFrames) {
    using platform::capture::ParseIpv4Udp;
    const std::pair<std::string, bool> packets[] = {
        {Packet(138, "body"), true},
        {Packet(138, "body", 6), true},   // with IP options
        {Packet(138, "body", 4), false},  // a header shorter than IP's least
        {Packet(139, "body"), false},
        {Packet(138, "body", 5, 0x2000), false},  // more fragments follow
        {Packet(138, "body", 5, 0x0001), false},  // a later fragment
        {Packet(138, "body", 5, 0x4000, 6), false},
        {Packet(138, "body", 5, 0x4000, 17, 1), false},  // UDP longer than the packet
        {Packet(138, "body").substr(0, 30), false},
        {"\x60" + Packet(138, "body").substr(1), false},  // IPv6
    };
    for (const auto& [packet, taken] : packets) {
        const auto datagram = ParseIpv4Udp(packet, 138);
        ASSERT_EQ(datagram.has_value(), taken)
            << QByteArray::fromStdString(packet).toHex().toStdString();
        if (taken) {
            const auto& [source, port, destination, payload] = *datagram;
            EXPECT_EQ(std::tuple(source, port, destination, payload),
                      std::tuple(0x0A000002u, std::uint16_t(138), 0x0A0000FFu, "body"));
        }
    }
    platform::capture::FrameReader reader;
    const std::string one = Packet(138, "one"), empty = Packet(138, "");
    const auto first = ParseIpv4Udp(one, 138);
    const std::string stream = EncodeFrame(*first) + EncodeFrame(*ParseIpv4Udp(empty, 138));
    std::vector<std::string> read;
    for (const char byte : stream) {
        reader.Append(std::string_view(&byte, 1));
        while (const auto datagram = reader.Next()) {
            read.emplace_back(datagram->payload);
            EXPECT_EQ(datagram->source, first->source);
        }
    }
    EXPECT_EQ(read, (std::vector<std::string>{"one", ""}));
    reader.Append(std::string("\x7F\xFF\xFF\xFF", 4) + std::string(10, '\0'));
    EXPECT_TRUE(!reader.Next().has_value() && reader.Broken());
}

// Another program on the port, the capture helper missing or unable to run: a sharing one (nmbd)
// leaves the broadcasts, one that shares nothing leaves nothing. Each time the reason names the
// holder and the helper, and nothing is left open. (With the helper, the test beside Samba.)
TEST(Mailslot, AListenerBesideAnotherProgramWithoutTheHelperSaysWhatIsLost) {
    ScopedMailslotNetwork network;
    const int on = 1;
    const uint files = QDir(u"/proc/self/fd"_s).count();
    const std::tuple<QString, bool, QString> rows[] = {
        {u"/nonexistent/parlane-capture"_s, true, u"missing"_s},
        {u"/nonexistent/parlane-capture"_s, false, u"missing"_s},
        {QDir::tempPath(), true, u"cannot be started"_s},      // a folder: nothing to run
        {u"/bin/true"_s, true, u"could not capture"_s},        // ends at once
        {u"/bin/sleep"_s, true, u"did not start in time"_s}};  // "sleep PORT": silent till ended
    for (const auto& [helper, shares, told] : rows) {
        network.CaptureWith(helper);
        const int other = ::socket(AF_INET, SOCK_DGRAM, 0);
        ::setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &on, shares ? sizeof on : 0);
        sockaddr_in at{AF_INET, htons(network.Port()), {htonl(INADDR_ANY)}, {}};
        ASSERT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        // Sharing, only what comes to this machine alone is lost; else all is, and it fails.
        const HANDLE slot = Listen();
        const QString why = shares ? MailslotGaps(slot).at(0).why : LastErrorText();
        EXPECT_EQ(MailslotGaps(slot).size(), shares ? 1u : 0u);
        EXPECT_TRUE(why.contains(u"held by platform_tests"_s) && why.contains(told)) << why;
        CloseHandle(slot);
        ::close(other);
    }
    EXPECT_EQ(QDir(u"/proc/self/fd"_s).count(), files);
}
