#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"
#include "support/Files.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

const QString kLocalSlot = u"\\\\.\\mailslot\\messngr"_s;

HANDLE Listen(DWORD readTimeout = 0) {
    return CreateMailslotA(kLocalSlot, 0, readTimeout, nullptr);
}

bool Send(const QString& server, const QByteArray& body) {
    const HANDLE file =
        CreateFileA(u"\\\\"_s + server + u"\\mailslot\\messngr"_s, GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, body.constData(), DWORD(body.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == DWORD(body.size());
}

QByteArray Take(HANDLE slot) {
    QByteArray buffer(65536, '\0');
    DWORD read = 0;
    if (!ReadFile(slot, buffer.data(), DWORD(buffer.size()), &read, nullptr)) {
        return "<nothing>";
    }
    return buffer.left(read);
}

}  // namespace

TEST(Mailslot, OneListenerPerPortAndTheReasonWhenTheOpenFails) {
    ScopedMailslotNetwork network;
    const HANDLE first = Listen();
    ASSERT_GT(first, 0) << LastErrorText();

    EXPECT_EQ(Listen(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(LastErrorText().contains(u"in use"_s)) << LastErrorText();

    EXPECT_EQ(CreateMailslotA(u"\\\\PC7\\mailslot\\messngr"_s, 0, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_FALSE(CloseHandle(first));
    DWORD next = 0;
    EXPECT_FALSE(GetMailslotInfo(first, nullptr, &next, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    const HANDLE again = Listen();  // the port is free once the slot is closed
    EXPECT_GT(again, 0) << LastErrorText();
    CloseHandle(again);
}

TEST(Mailslot, DeliversWritesOnLoopbackOneReadPerMessageInArrivalOrder) {
    ScopedMailslotNetwork network;
    const HANDLE slot = Listen();
    ASSERT_GT(slot, 0) << LastErrorText();

    DWORD next = 0, count = 0;
    ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, &count, nullptr));
    EXPECT_EQ(next, MAILSLOT_NO_MESSAGE);
    EXPECT_EQ(count, 0u);

    // This machine by ".", by its name in any case and by its address.
    ASSERT_TRUE(Send(u"."_s, "one")) << LastErrorText();
    ASSERT_TRUE(Send(u"TestHost"_s, "two")) << LastErrorText();
    ASSERT_TRUE(Send(u"127.0.0.1"_s, "three")) << LastErrorText();
    ASSERT_TRUE(WaitForMessages(slot, 3));

    ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, &count, nullptr));
    EXPECT_EQ(next, 3u);
    EXPECT_EQ(count, 3u);
    // A buffer too small fails the read and leaves the message waiting.
    char small[2];
    DWORD read = 0;
    EXPECT_FALSE(ReadFile(slot, small, sizeof small, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(Take(slot), "one");
    EXPECT_EQ(Take(slot), "two");
    EXPECT_EQ(Take(slot), "three");
    EXPECT_EQ(Take(slot), "<nothing>");  // the read time-out of 0 does not wait
    EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
    CloseHandle(slot);
}

TEST(Mailslot, RefusesWritesThatCannotGoOutAndSaysWhy) {
    ScopedMailslotNetwork network;
    for (const QString& path :
         {u"\\\\bad|name\\mailslot\\messngr"_s, u"\\\\SIXTEEN-LETTERS!\\mailslot\\messngr"_s,
          u"\\\\a.b\\mailslot\\messngr"_s, u"\\\\ \\mailslot\\messngr"_s,
          u"\\\\PC7\\pipe\\messngr"_s, u"\\\\PC7\\x\\mailslot\\messngr"_s}) {
        EXPECT_EQ(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0),
                  INVALID_HANDLE_VALUE)
            << path;
        EXPECT_FALSE(LastErrorText().isEmpty()) << path;
    }

    const HANDLE slot = Listen();
    ASSERT_GT(slot, 0);
    EXPECT_TRUE(Send(u"."_s, QByteArray(424, 'x')));
    EXPECT_FALSE(Send(u"."_s, QByteArray(425, 'x')));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(LastErrorText().contains(u"424"_s)) << LastErrorText();
    ASSERT_TRUE(WaitForMessages(slot, 1));
    EXPECT_EQ(Take(slot).size(), 424);
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
    WriteBytes(conf, "[global]\nnetbios name = x\n");
    EXPECT_EQ(netbios::WorkgroupFromSmbConf(conf), QByteArray());
}
