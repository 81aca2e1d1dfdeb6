#include "platform/RuntimeError.h"
#include "platform/mailslot/Mailslot.h"
#include "support/MailslotNetwork.h"
#include "support/QtPrinters.h"
#include "transport/MailSlotMessagePrinter.h"
#include "transport/modMailSlots.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace modMailSlots;

namespace {

QByteArray TakeRaw(std::intptr_t slot) {
    QByteArray buffer(65536, '\0');
    platform::DWORD read = 0;
    return platform::ReadFile(slot, buffer.data(), 65536, &read, nullptr) ? buffer.left(read)
                                                                          : QByteArray();
}

}  // namespace

TEST(SendMailSlotMessage, WritesTheFieldsAndStoresTheDefaultsBack) {
    ScopedMailslotNetwork network;
    const auto slot = CreateMailSlot(u"messngr"_s);
    ASSERT_GT(slot, 0) << platform::LastErrorText();

    MailSlotMessage message{u"bob"_s, u"."_s, u"hi"_s};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, message), SendWritten);
    ASSERT_TRUE(WaitForMessages(slot, 1));
    EXPECT_EQ(TakeRaw(slot), QByteArray("bob\0.\0hi\0\0", 10));

    MailSlotMessage defaults{{}, {}, u"caf\u00e9 \u20ac5"_s};
    const int result = SendMailSlotMessage(u"messngr"_s, defaults);
    EXPECT_EQ(defaults, (MailSlotMessage{u"Parlane User"_s, u"*"_s, u"caf\u00e9 \u20ac5"_s}));
    // Whether "*" goes out depends on this machine having an interface that can broadcast.
    EXPECT_TRUE(result == SendWritten || result == SendFailed) << result;

    MailSlotMessage empty{{}, {}, {}};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, empty), SendNoText);
    EXPECT_EQ(empty, MailSlotMessage{});
    CloseMailSlot(slot);
}

TEST(SendMailSlotMessage, SendsNothingThatCannotBeCarriedAndSaysWhy) {
    ScopedMailslotNetwork network;
    const auto slot = CreateMailSlot(u"messngr"_s);
    ASSERT_GT(slot, 0);

    const auto raised = [](MailSlotMessage message) -> long {
        try {
            SendMailSlotMessage(u"messngr"_s, message);
        } catch (const platform::RuntimeError& e) {
            EXPECT_FALSE(e.Description().isEmpty());
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(raised({u"bob"_s, u"."_s, u"snow \u2603"_s}), 5);
    EXPECT_EQ(raised({u"b\u0151b"_s, u"."_s, u"hi"_s}), 5);
    EXPECT_EQ(raised({u"bob"_s, u"."_s, u"a"_s + QChar(0) + u"b"_s}), 5);
    EXPECT_EQ(raised({u"bob"_s, u"."_s, QString(65534, u'x')}), 9);

    MailSlotMessage tooLong{u"bob"_s, u"."_s, QString(424 - 8 + 1, u'x')};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, tooLong), SendFailed);
    EXPECT_TRUE(platform::LastErrorText().contains(u"424"_s));
    MailSlotMessage badName{u"bob"_s, u"two words|"_s, u"hi"_s};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, badName), SendFailed);
    EXPECT_TRUE(platform::LastErrorText().contains(u"NetBIOS"_s));

    // The largest body that goes out is 424 bytes; nothing before it reached the slot.
    MailSlotMessage longest{u"bob"_s, u"."_s, QString(424 - 8, u'x')};
    EXPECT_EQ(SendMailSlotMessage(u"messngr"_s, longest), SendWritten);
    ASSERT_TRUE(WaitForMessages(slot, 1));
    EXPECT_EQ(ReadMailSlot(slot).Text.size(), 416);
    EXPECT_EQ(ReadMailSlot(slot), MailSlotMessage{});
    CloseMailSlot(slot);
}

TEST(ReadMailSlot, SplitsOneDatagramPerReadAndDropsWhatTheBufferCannotHold) {
    ScopedMailslotNetwork network;
    const auto slot = CreateMailSlot(u"messngr"_s);
    ASSERT_GT(slot, 0);
    for (const QByteArray& body :
         {QByteArray("A\0B\0C\0\0", 7), QByteArray("A\0B\0C", 5), QByteArray("hello"),
          QByteArray(70000, 'x'), QByteArray("\x80\0\xFF\0\x9D\0extra\0", 13)}) {
        ASSERT_TRUE(platform::DeliverToMailslot(slot, body));
    }
    EXPECT_EQ(ReadMailSlot(slot), (MailSlotMessage{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_EQ(ReadMailSlot(slot), (MailSlotMessage{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_EQ(ReadMailSlot(slot), (MailSlotMessage{u"hello"_s, {}, {}}));
    EXPECT_EQ(ReadMailSlot(slot), MailSlotMessage{});  // too large for the buffer: dropped
    EXPECT_EQ(ReadMailSlot(slot), (MailSlotMessage{u"\u20ac"_s, u"\u00ff"_s, u"\u009d"_s}));
    EXPECT_EQ(ReadMailSlot(slot), MailSlotMessage{});

    EXPECT_EQ(CloseMailSlot(slot), 0);
    EXPECT_EQ(ReadMailSlot(slot), MailSlotMessage{});
    EXPECT_EQ(CloseMailSlot(0), 0);
    EXPECT_EQ(CloseMailSlot(-1), -1);
}
