#include "platform/netbios/MessageSession.h"

#include "platform/netbios/SessionPacket.h"

#include <utility>

namespace platform::netbios {

MessageSession::MessageSession(QByteArray ownName, QByteArray localAddress, Deliver deliver)
    : ownName_(UpperName(ownName)),
      localAddress_(std::move(localAddress)),
      deliver_(std::move(deliver)) {}

MessageSession::Step MessageSession::Feed(QByteArrayView bytes) {
    Step step;
    if (state_ == State::Closed) {
        step.close = true;
        return step;
    }
    pending_.append(bytes);
    qsizetype used = 0;
    while (state_ != State::Closed) {
        const Frame frame = NextFrame(QByteArrayView(pending_).sliced(used));
        if (frame.status == Frame::Incomplete) {
            break;
        }
        if (frame.status == Frame::Garbled) {
            state_ = State::Closed;
            break;
        }
        step.progress = step.progress || frame.type != kSessionKeepAlive;
        Packet(frame.type, frame.payload, step.reply);
        used += frame.size;
    }
    pending_.remove(0, used);
    step.close = state_ == State::Closed;
    return step;
}

void MessageSession::Packet(std::uint8_t type, QByteArrayView payload, QByteArray& reply) {
    if (type == kSessionKeepAlive) {
        return;
    }
    if (state_ == State::AwaitingRequest) {
        const auto request = type == kSessionRequest ? ParseSessionRequest(payload) : std::nullopt;
        state_ = State::Closed;
        if (!request) {
            return;
        }
        const QByteArray called = UpperName(request->called.name);
        if (called != ownName_ && called != localAddress_) {
            reply += EncodeSessionPacket(kNegativeSessionResponse,
                                         QByteArray(1, char(kCalledNameNotPresent)));
        } else if (request->called.suffix != kMessengerSuffix) {
            reply += EncodeSessionPacket(kNegativeSessionResponse,
                                         QByteArray(1, char(kNotListeningOnCalledName)));
        } else {
            reply += EncodeSessionPacket(kPositiveSessionResponse, {});
            state_ = State::Open;
        }
        return;
    }
    if (type != kSessionMessage) {
        state_ = State::Closed;
        return;
    }
    Command(payload, reply);
}

void MessageSession::Command(QByteArrayView smb, QByteArray& reply) {
    const auto command = ParseSmbMessageCommand(smb);
    if (!command) {
        state_ = State::Closed;
        return;
    }
    const auto answer = [&](SmbError error, std::optional<std::uint16_t> groupId = {}) {
        reply += EncodeSessionPacket(kSessionMessage, EncodeSmbReply(*command, error, groupId));
    };
    const auto refuse = [&] {
        answer(kSmbServerError);
        state_ = State::Closed;
    };
    const auto finish = [&](SessionMessage message) {
        state_ = State::Open;
        if (message.text.isEmpty() || deliver_(message)) {
            answer(kSmbSuccess);
        } else {
            refuse();
        }
    };

    // The reader gets the text as one field ended by a zero, as a datagram carries it: a zero
    // inside would cut it short or hide it, so the sender hears it was not taken.
    const bool cut = command->text.contains('\0');
    // Both are NetBIOS names; a longer one is no name, and would only flood the window it shows in.
    const bool named =
        command->originator.size() <= kNameBytes && command->destination.size() <= kNameBytes;
    switch (command->command) {
        case kSmbSendMessage:
            if (state_ != State::Open || !named || cut || command->text.size() > kMaxTextBytes) {
                return refuse();
            }
            return finish({command->originator, command->destination, command->text});
        case kSmbSendStartMbMessage:
            if (state_ != State::Open || !named) {
                return refuse();
            }
            message_ = {command->originator, command->destination, {}};
            ++groupId_;
            state_ = State::InMessage;
            return answer(kSmbSuccess, groupId_);
        case kSmbSendTextMbMessage:
            if (state_ != State::InMessage || command->groupId != groupId_ || cut ||
                message_.text.size() + command->text.size() > kMaxTextBytes) {
                message_ = {};
                return refuse();
            }
            message_.text += command->text;
            return answer(kSmbSuccess);
        case kSmbSendEndMbMessage:
            if (state_ != State::InMessage || command->groupId != groupId_) {
                message_ = {};
                return refuse();
            }
            return finish(std::exchange(message_, {}));
        default:
            state_ = State::Closed;
    }
}

}  // namespace platform::netbios
