#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"
#include "platform/netbios/PortError.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

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

// Each reason points at what the user can do about it.
TEST(Mailslot, APortThatCannotBeOpenedSaysWhy) {
    const std::pair<int, QString> cases[] = {
        {EADDRINUSE, u"nmbd"_s},
        {EACCES, u"cap_net_bind_service"_s},
        {ENOBUFS, QString::fromLocal8Bit(strerror(ENOBUFS))},
    };
    for (const auto& [error, says] : cases) {
        const QString text = netbios::PortError(u"UDP"_s, 138, error, u"nmbd"_s);
        EXPECT_TRUE(text.contains(says) && text.contains(u"138"_s)) << text.toStdString();
    }
}

// Writes on loopback by name and address are the transport's (tests/transport).
TEST(Mailslot, ReadsOneMessagePerReadInArrivalOrder) {
    ScopedMailslotNetwork network;
    const HANDLE slot = Listen();
    ASSERT_GT(slot, 0) << LastErrorText();
    ASSERT_TRUE(DeliverToMailslot(slot, "one"));
    ASSERT_TRUE(DeliverToMailslot(slot, "two"));
    DWORD next = 0;
    ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, nullptr, nullptr));
    EXPECT_EQ(next, 3u);
    // A buffer one byte short fails the read and leaves the message waiting.
    EXPECT_EQ(Take(slot, 2), "<nothing>");
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(Take(slot, 3), "one");
    EXPECT_EQ(Take(slot), "two");
    EXPECT_EQ(Take(slot), "<nothing>");  // the read time-out of 0 does not wait
    EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
    CloseHandle(slot);
}

TEST(Mailslot, SendersTakeTurnsAndNoneCrowdsOutTheOthers) {
    ScopedMailslotNetwork network;
    const HANDLE slot = Listen();
    ASSERT_GT(slot, 0);
    constexpr std::uint32_t flooder = 0x0A000001, quiet = 0x0A000002, other = 0x0A000003;
    qsizetype flood = 0;
    while (DeliverToMailslot(slot, "flood " + QByteArray::number(flood), flooder)) {
        ++flood;
    }
    EXPECT_GT(flood, 3);
    EXPECT_LT(flood, netbios::MailslotReceiver::kMaxMessages);  // a share, not the whole queue
    EXPECT_EQ(DroppedMailslotMessages(slot), 1u);
    ASSERT_TRUE(DeliverToMailslot(slot, "quiet", quiet));
    ASSERT_TRUE(DeliverToMailslot(slot, "other 1", other));
    ASSERT_TRUE(DeliverToMailslot(slot, "other 2", other));
    for (const char* expected :
         {"flood 0", "quiet", "other 1", "flood 1", "other 2", "flood 2", "flood 3"}) {
        EXPECT_EQ(Take(slot), expected);
    }
    CloseHandle(slot);

    // However many senders flood together, the queue stays within its bounds.
    for (const qsizetype size : {qsizetype(1), qsizetype(60000)}) {
        const HANDLE all = Listen();
        qsizetype messages = 0;
        for (std::uint32_t sender = 1; sender <= 2000; ++sender) {
            while (DeliverToMailslot(all, QByteArray(size, 'x'), sender)) {
                ++messages;
            }
        }
        EXPECT_LE(messages, netbios::MailslotReceiver::kMaxMessages) << size;
        EXPECT_LE(messages * size, netbios::MailslotReceiver::kMaxBytes) << size;
        CloseHandle(all);
    }
}

// Asked when a contact is added, and again before a write goes out.
TEST(MailslotNames, SaysWhyARecipientCannotBeReached) {
    for (const QString& name : {u"*"_s, u"."_s, u"10.0.0.7"_s, u"FIFTEEN-LETTERS"_s, u"PC 7"_s,
                                u"Caf\u00e9"_s, u"host.example"_s}) {
        EXPECT_TRUE(netbios::RecipientProblem(name).isEmpty()) << name;
    }
    for (const QString& name : {u"SIXTEEN-LETTERS!"_s, u"PC\u001F7"_s, u" "_s, u"bad|name"_s,
                                u"Zo\u0142y"_s, u"a..b"_s, u"-a.b"_s, u"10.0.0.256"_s}) {
        EXPECT_FALSE(netbios::RecipientProblem(name).isEmpty()) << name;
    }
}

TEST(MailslotNames, OwnNamesComeFromTheHostNameAndSambasWorkgroup) {
    netbios::SetMailslotNetwork({138, u"alpha.example.com"_s, {}});
    EXPECT_EQ(netbios::OwnMachineName(), "ALPHA");
    netbios::SetMailslotNetwork({138, u"a-very-long-host-name"_s, u"sales"_s});
    EXPECT_EQ(netbios::OwnMachineName(), "A-VERY-LONG-HOS");
    EXPECT_EQ(netbios::OwnWorkgroup(), "SALES");
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
}
