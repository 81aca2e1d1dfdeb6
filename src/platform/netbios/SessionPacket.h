#pragma once

#include "platform/mailslot/NetbiosName.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

// The NetBIOS session service on TCP (RFC 1002, 4.3) and the SMB messenger commands it carries
// ([MS-MSRP] 2.2.3): framing, the session request and the four message commands with replies.
namespace platform::netbios {

inline constexpr std::uint8_t kSessionMessage = 0x00;
inline constexpr std::uint8_t kSessionRequest = 0x81;
inline constexpr std::uint8_t kPositiveSessionResponse = 0x82;
inline constexpr std::uint8_t kNegativeSessionResponse = 0x83;
inline constexpr std::uint8_t kSessionKeepAlive = 0x85;

// Why a session request is refused.
inline constexpr std::uint8_t kNotListeningOnCalledName = 0x80;
inline constexpr std::uint8_t kCalledNameNotPresent = 0x82;
inline constexpr std::uint8_t kInsufficientResources = 0x83;

// A message session never needs more in one packet; a larger length is garbage or an attack.
inline constexpr qsizetype kMaxSessionPacket = 4096;

inline constexpr std::uint8_t kSmbSendMessage = 0xD0;
inline constexpr std::uint8_t kSmbSendStartMbMessage = 0xD5;
inline constexpr std::uint8_t kSmbSendEndMbMessage = 0xD6;
inline constexpr std::uint8_t kSmbSendTextMbMessage = 0xD7;

inline constexpr qsizetype kSmbHeaderBytes = 32;

struct Frame {
    enum Status { Incomplete, Complete, Garbled } status = Incomplete;
    std::uint8_t type = 0;
    QByteArrayView payload;
    qsizetype size = 0;  // header and payload
};

// The first session packet at the start of the bytes.
Frame NextFrame(QByteArrayView bytes);
QByteArray EncodeSessionPacket(std::uint8_t type, QByteArrayView payload);

struct SessionRequest {
    Name called;
    Name calling;
};

std::optional<SessionRequest> ParseSessionRequest(QByteArrayView payload);
QByteArray EncodeSessionRequest(const SessionRequest& request);

// One message command as a client sends it. The fields a command does not carry stay empty.
struct SmbMessageCommand {
    QByteArray header;  // the request's header, which the reply echoes
    std::uint8_t command = 0;
    QByteArray originator;
    QByteArray destination;
    std::uint16_t groupId = 0;
    QByteArray text;
};

// Nothing when the bytes are not a well-formed message command.
std::optional<SmbMessageCommand> ParseSmbMessageCommand(QByteArrayView smb);
// The request as a client puts it on the wire, header fields zero.
QByteArray EncodeSmbMessageCommand(const SmbMessageCommand& command);

// DOS error class and code of a refused command.
struct SmbError {
    std::uint8_t errorClass = 0;
    std::uint16_t code = 0;
};
inline constexpr SmbError kSmbSuccess{};
inline constexpr SmbError kSmbServerError{0x02, 0x0001};  // ERRSRV / ERRerror

// The reply to a command: its header with the reply bit and the status, then the group id for a
// successful start, else no words.
QByteArray EncodeSmbReply(const SmbMessageCommand& request, SmbError error,
                          std::optional<std::uint16_t> groupId = std::nullopt);

struct SmbReply {
    std::uint8_t command = 0;
    SmbError error;
    std::optional<std::uint16_t> groupId;
};
std::optional<SmbReply> ParseSmbReply(QByteArrayView smb);

}  // namespace platform::netbios
