#include "platform/netbios/SessionPacket.h"

namespace platform::netbios {
namespace {

constexpr std::uint8_t kLengthExtension = 0x01;  // the 17th bit of the length
constexpr std::uint8_t kReplyFlag = 0x80;
constexpr std::uint16_t kNtStatusFlag = 0x4000;
constexpr char kDialectString = 0x04;  // buffer format of a name
constexpr char kDataBlock = 0x01;      // buffer format of text

std::uint16_t Little16(QByteArrayView bytes, qsizetype at) {
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

void AppendLittle16(QByteArray& bytes, std::uint16_t value) {
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

// Reads the bytes of an SMB's byte block in order; any read past the end fails the parse.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}

    bool Byte(char expected) { return pos_ < bytes_.size() && bytes_[pos_++] == expected; }

    std::optional<QByteArray> String() {
        const qsizetype end = bytes_.indexOf('\0', pos_);
        if (end < 0) {
            return std::nullopt;
        }
        QByteArray value = bytes_.sliced(pos_, end - pos_).toByteArray();
        pos_ = end + 1;
        return value;
    }

    std::optional<QByteArray> Block() {
        if (!Byte(kDataBlock) || pos_ + 2 > bytes_.size()) {
            return std::nullopt;
        }
        const qsizetype length = Little16(bytes_, pos_);
        pos_ += 2;
        if (pos_ + length > bytes_.size()) {
            return std::nullopt;
        }
        QByteArray value = bytes_.sliced(pos_, length).toByteArray();
        pos_ += length;
        return value;
    }

    std::optional<std::pair<QByteArray, QByteArray>> Names() {
        if (!Byte(kDialectString)) {
            return std::nullopt;
        }
        auto originator = String();
        if (!originator || !Byte(kDialectString)) {
            return std::nullopt;
        }
        auto destination = String();
        if (!destination) {
            return std::nullopt;
        }
        return std::pair{*originator, *destination};
    }

private:
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

struct SmbParts {
    std::uint8_t command = 0;
    QByteArrayView words;
    QByteArrayView bytes;
};

std::optional<SmbParts> SplitSmb(QByteArrayView smb) {
    if (smb.size() < kSmbHeaderBytes + 3 || !smb.startsWith("\xFFSMB")) {
        return std::nullopt;
    }
    const qsizetype wordBytes = 2 * std::uint8_t(smb[kSmbHeaderBytes]);
    const qsizetype countAt = kSmbHeaderBytes + 1 + wordBytes;
    if (countAt + 2 > smb.size()) {
        return std::nullopt;
    }
    const qsizetype byteCount = Little16(smb, countAt);
    if (countAt + 2 + byteCount > smb.size()) {
        return std::nullopt;
    }
    return SmbParts{std::uint8_t(smb[4]), smb.sliced(kSmbHeaderBytes + 1, wordBytes),
                    smb.sliced(countAt + 2, byteCount)};
}

}  // namespace

Frame NextFrame(QByteArrayView bytes) {
    Frame frame;
    if (bytes.size() < 4) {
        return frame;
    }
    const auto flags = std::uint8_t(bytes[1]);
    if (flags & ~kLengthExtension) {
        frame.status = Frame::Garbled;
        return frame;
    }
    const qsizetype length = qsizetype(flags & kLengthExtension) << 16 |
                             std::uint8_t(bytes[2]) << 8 | std::uint8_t(bytes[3]);
    if (length > kMaxSessionPacket) {
        frame.status = Frame::Garbled;
        return frame;
    }
    if (bytes.size() < 4 + length) {
        return frame;
    }
    frame.status = Frame::Complete;
    frame.type = std::uint8_t(bytes[0]);
    frame.payload = bytes.sliced(4, length);
    frame.size = 4 + length;
    return frame;
}

QByteArray EncodeSessionPacket(std::uint8_t type, QByteArrayView payload) {
    QByteArray packet;
    packet.reserve(4 + payload.size());
    packet.append(char(type));
    packet.append(char((payload.size() >> 16) & kLengthExtension));
    packet.append(char((payload.size() >> 8) & 0xFF));
    packet.append(char(payload.size() & 0xFF));
    packet.append(payload);
    return packet;
}

std::optional<SessionRequest> ParseSessionRequest(QByteArrayView payload) {
    const auto called = DecodeName(payload, 0);
    if (!called) {
        return std::nullopt;
    }
    const auto calling = DecodeName(payload, called->end);
    if (!calling || calling->end != payload.size()) {
        return std::nullopt;
    }
    return SessionRequest{called->name, calling->name};
}

QByteArray EncodeSessionRequest(const SessionRequest& request) {
    return EncodeName(request.called).append(EncodeName(request.calling));
}

std::optional<SmbMessageCommand> ParseSmbMessageCommand(QByteArrayView smb) {
    const auto parts = SplitSmb(smb);
    if (!parts) {
        return std::nullopt;
    }
    SmbMessageCommand command;
    command.header = smb.first(kSmbHeaderBytes).toByteArray();
    command.command = parts->command;
    Reader reader(parts->bytes);
    switch (parts->command) {
        case kSmbSendMessage:
        case kSmbSendStartMbMessage: {
            if (!parts->words.isEmpty()) {
                return std::nullopt;
            }
            const auto names = reader.Names();
            if (!names) {
                return std::nullopt;
            }
            command.originator = names->first;
            command.destination = names->second;
            if (parts->command == kSmbSendMessage) {
                const auto text = reader.Block();
                if (!text) {
                    return std::nullopt;
                }
                command.text = *text;
            }
            return command;
        }
        case kSmbSendTextMbMessage:
        case kSmbSendEndMbMessage: {
            if (parts->words.size() != 2) {
                return std::nullopt;
            }
            command.groupId = Little16(parts->words, 0);
            if (parts->command == kSmbSendTextMbMessage) {
                const auto text = reader.Block();
                if (!text) {
                    return std::nullopt;
                }
                command.text = *text;
            }
            return command;
        }
        default:
            return std::nullopt;
    }
}

QByteArray EncodeSmbMessageCommand(const SmbMessageCommand& command) {
    QByteArray smb(kSmbHeaderBytes, '\0');
    smb.replace(0, 4, "\xFFSMB");
    smb[4] = char(command.command);
    QByteArray bytes;
    const bool named =
        command.command == kSmbSendMessage || command.command == kSmbSendStartMbMessage;
    if (named) {
        smb.append('\0');
        for (const QByteArray& name : {command.originator, command.destination}) {
            bytes.append(kDialectString).append(name).append('\0');
        }
    } else {
        smb.append('\1');
        AppendLittle16(smb, command.groupId);
    }
    if (command.command == kSmbSendMessage || command.command == kSmbSendTextMbMessage) {
        bytes.append(kDataBlock);
        AppendLittle16(bytes, std::uint16_t(command.text.size()));
        bytes.append(command.text);
    }
    AppendLittle16(smb, std::uint16_t(bytes.size()));
    return smb.append(bytes);
}

QByteArray EncodeSmbReply(const SmbMessageCommand& request, SmbError error,
                          std::optional<std::uint16_t> groupId) {
    QByteArray smb = request.header;
    smb[4] = char(request.command);
    smb[5] = char(error.errorClass);
    smb[6] = '\0';
    smb[7] = char(error.code & 0xFF);
    smb[8] = char(error.code >> 8);
    smb[9] = char(std::uint8_t(smb[9]) | kReplyFlag);
    // The status is a DOS error, not an NT status.
    smb[11] = char(std::uint8_t(smb[11]) & ~(kNtStatusFlag >> 8));
    if (groupId && error.errorClass == 0) {
        smb.append('\1');
        AppendLittle16(smb, *groupId);
    } else {
        smb.append('\0');
    }
    AppendLittle16(smb, 0);
    return smb;
}

std::optional<SmbReply> ParseSmbReply(QByteArrayView smb) {
    const auto parts = SplitSmb(smb);
    if (!parts || !(std::uint8_t(smb[9]) & kReplyFlag)) {
        return std::nullopt;
    }
    SmbReply reply;
    reply.command = parts->command;
    reply.error = {std::uint8_t(smb[5]), Little16(smb, 7)};
    if (parts->words.size() == 2) {
        reply.groupId = Little16(parts->words, 0);
    }
    return reply;
}

}  // namespace platform::netbios
