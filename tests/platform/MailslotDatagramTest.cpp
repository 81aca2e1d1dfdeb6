#include "platform/mailslot/MailslotDatagram.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QtEndian>

#include <functional>

using namespace platform::netbios;

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

MailslotWrite ExampleWrite() {
    MailslotWrite write;
    write.type = kDirectUnique;
    write.id = 0x1234;
    write.sourceIp = 0x0A000005;
    write.sourcePort = 138;
    write.source = {"PARLANE-HOST", kWorkstationSuffix};
    write.destination = {"PC7", kMessengerSuffix};
    write.mailslot = "\\MAILSLOT\\MESSNGR";
    write.body = QByteArray("bob\0PC7\0hi\0\0", 12);
    return write;
}

OwnNames Pc7() {
    return {"PC7", "SALES", "\\MAILSLOT\\MESSNGR", "10.0.0.7"};
}

}  // namespace

TEST(MailslotDatagram, EncodesTheExamplePacketByteForByteAndParsesItBack) {
    EXPECT_EQ(EncodeName({"PC7", kMessengerSuffix}), QByteArray("\x20"
                                                                "FAEDDH"
                                                                "CACACACACACACACACACACACA"
                                                                "AD",
                                                                33) +
                                                         '\0');
    const QByteArray packet = EncodeMailslotWrite(ExampleWrite());
    ASSERT_EQ(packet.size(), 182);
    EXPECT_EQ(packet.toHex(' '), kExample.toHex(' '));

    const auto parsed = ParseMailslotWrite(packet);
    ASSERT_TRUE(parsed);
    const MailslotWrite expected = ExampleWrite();
    EXPECT_EQ(parsed->type, expected.type);
    EXPECT_EQ(parsed->id, expected.id);
    EXPECT_EQ(parsed->sourceIp, expected.sourceIp);
    EXPECT_EQ(parsed->source, expected.source);
    EXPECT_EQ(parsed->destination, expected.destination);
    EXPECT_EQ(parsed->mailslot, expected.mailslot);
    EXPECT_EQ(parsed->body, expected.body);
}

TEST(MailslotDatagram, RoundTripsEveryBodySizeAndNameByte) {
    for (const qsizetype size : {0, 1, 3, 4, 5, 423, 424, 1000}) {
        MailslotWrite write = ExampleWrite();
        write.type = kDirectGroup;
        write.body = QByteArray(size, '\xE9');
        write.source = {"\xC9t\xE9 15 bytes!!!", kWorkstationSuffix};  // Windows-1252 letters
        const auto parsed = ParseMailslotWrite(EncodeMailslotWrite(write));
        ASSERT_TRUE(parsed) << size;
        EXPECT_EQ(parsed->body, write.body);
        EXPECT_EQ(parsed->source, write.source);
    }
    // A longer mailslot name moves the data; the offsets follow it.
    MailslotWrite write = ExampleWrite();
    write.mailslot = "\\MAILSLOT\\BROWSE\\ELECTION";
    const auto parsed = ParseMailslotWrite(EncodeMailslotWrite(write));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->mailslot, write.mailslot);
    EXPECT_EQ(parsed->body, write.body);
    EXPECT_EQ(UpperName("pc7 \xE9\xFF\xDF"), QByteArray("PC7 \xC9\x9F\xDF"));
}

TEST(MailslotDatagram, TakesOnlyWholeWritesToThisMachinesMailslot) {
    const QByteArray body("bob\0PC7\0hi\0\0", 12);
    struct Case {
        const char* what;
        std::function<void(QByteArray&)> change;
        bool taken;
    };
    const auto setName = [](QByteArray& p, qsizetype at, const Name& name) {
        p.replace(at, 34, EncodeName(name));
    };
    const Case cases[] = {
        {"as sent", [](QByteArray&) {}, true},
        {"type 0x13", [](QByteArray& p) { p[0] = 0x13; }, false},
        {"Windows node type bits", [](QByteArray& p) { p[1] = 0x0E; }, true},
        {"not a first fragment", [](QByteArray& p) { p[1] = 0x00; }, false},
        {"more fragments follow", [](QByteArray& p) { p[1] = 0x03; }, false},
        {"a later fragment", [](QByteArray& p) { p[13] = 0x10; }, false},
        {"to another machine",
         [&](QByteArray& p) {
             setName(p, 48, {"PC8", 3});
         },
         false},
        {"to this machine in lower case",
         [&](QByteArray& p) {
             setName(p, 48, {"pc7", 3});
         },
         true},
        {"to this machine's workstation name",
         [&](QByteArray& p) {
             setName(p, 48, {"PC7", 0});
         },
         true},
        {"to another suffix",
         [&](QByteArray& p) {
             setName(p, 48, {"PC7", 0x20});
         },
         false},
        {"to this machine's address",
         [&](QByteArray& p) {
             setName(p, 48, {"10.0.0.7", 3});
         },
         true},
        {"unique type to the workgroup",
         [&](QByteArray& p) {
             setName(p, 48, {"SALES", 0});
         },
         false},
        {"group type to the workgroup",
         [&](QByteArray& p) {
             p[0] = kDirectGroup;
             setName(p, 48, {"sales", 0});
         },
         true},
        {"broadcast type to the workgroup",
         [&](QByteArray& p) {
             p[0] = kBroadcast;
             setName(p, 48, {"SALES", 0});
         },
         true},
        {"group type to the workgroup's browser name",
         [&](QByteArray& p) {
             p[0] = kDirectGroup;
             setName(p, 48, {"SALES", 0x1D});
         },
         false},
        {"group type to this machine", [](QByteArray& p) { p[0] = kDirectGroup; }, false},
        {"a broken source name", [](QByteArray& p) { p[20] = 'Z'; }, false},
        {"a destination of the wrong length", [](QByteArray& p) { p[48] = 0x1F; }, false},
        {"not SMB", [](QByteArray& p) { p[kSmb + 1] = 'X'; }, false},
        {"another command", [](QByteArray& p) { p[kSmb + 4] = 0x32; }, false},
        {"another word count", [](QByteArray& p) { p[kSmb + 32] = 14; }, false},
        {"another setup count", [](QByteArray& p) { p[kSmb + 59] = 2; }, false},
        {"not a mailslot write", [](QByteArray& p) { p[kSmb + 61] = 2; }, false},
        {"other SMB fields as Windows varies them",
         [](QByteArray& p) {
             p[kSmb + 9] = 0;
             p[kSmb + 26] = 0x12;
             p[kSmb + 65] = 1;
         },
         true},
        {"the mailslot name in lower case",
         [](QByteArray& p) { p.replace(kSmb + 69, 17, "\\mailslot\\messngr"); }, true},
        {"another mailslot", [](QByteArray& p) { p.replace(kSmb + 79, 7, "BROWSEX"); }, false},
        {"no end to the mailslot name",
         [](QByteArray& p) {
             p.truncate(kSmb + 86);
             p.append(17, 'A');
         },
         false},
        {"cut by one byte", [](QByteArray& p) { p.chop(1); }, false},
        {"shorter than any write", [](QByteArray& p) { p.truncate(150); }, false},
        {"trailing bytes after the data", [](QByteArray& p) { p.append("junk"); }, true},
        {"a data count past the end", [](QByteArray& p) { p[kSmb + 55] = 13; }, false},
        {"a data offset inside the name", [](QByteArray& p) { p[kSmb + 57] = 80; }, false},
        {"a data offset past the end", [](QByteArray& p) { p[kSmb + 57] = char(0xF0); }, false},
    };
    for (const Case& c : cases) {
        QByteArray packet = kExample;
        c.change(packet);
        const auto taken = TakeBody(packet, Pc7());
        EXPECT_EQ(taken.has_value(), c.taken) << c.what;
        if (taken) {
            EXPECT_EQ(*taken, body) << c.what;
        }
    }
}

TEST(MailslotDatagram, ReadsTheDataAtItsOffsetWhetherPaddedOrNotAndPastScopeLabels) {
    // A sender that does not pad puts the data straight after the mailslot name.
    QByteArray unpadded = kExample;
    unpadded.remove(kSmb + 87, 1);
    unpadded[kSmb + 53] = 87;
    unpadded[kSmb + 57] = 87;
    EXPECT_EQ(TakeBody(unpadded, Pc7()), QByteArray("bob\0PC7\0hi\0\0", 12));

    // A scope label moves the destination name and the SMB along.
    QByteArray scoped = kExample;
    scoped.insert(47, QByteArray("\x03lan", 4));
    const auto parsed = ParseMailslotWrite(scoped);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->destination, (Name{"PC7", kMessengerSuffix}));
    EXPECT_EQ(parsed->body, QByteArray("bob\0PC7\0hi\0\0", 12));

    QByteArray endless = kExample.left(47);
    endless.append(QByteArray("\x3Flabel", 6));
    EXPECT_FALSE(ParseMailslotWrite(endless));
}
