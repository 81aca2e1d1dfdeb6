#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <functional>

// One NetBIOS session of a messenger client, network aside: the bytes it sends go in, the bytes
// to answer come out, and each whole message goes to the deliverer. The first fault closes it.
namespace platform::netbios {

struct SessionMessage {
    QByteArray from;  // Windows-1252 bytes as sent
    QByteArray to;
    QByteArray text;
};

class MessageSession {
public:
    // The most text one message may carry; a longer one is refused whole.
    static constexpr qsizetype kMaxTextBytes = 1600;

    // False from the deliverer means the message could not be kept: the sender hears so.
    using Deliver = std::function<bool(const SessionMessage&)>;

    // A session request may call this machine's name, or the text of the address the client
    // connected to, as a datagram may.
    MessageSession(QByteArray ownName, QByteArray localAddress, Deliver deliver);

    struct Step {
        QByteArray reply;
        bool close = false;     // after the reply is written
        bool progress = false;  // a packet other than a keep-alive was handled
    };
    Step Feed(QByteArrayView bytes);

    bool Closed() const { return state_ == State::Closed; }

private:
    enum class State { AwaitingRequest, Open, InMessage, Closed };

    // Handles one whole session packet, appending to the reply.
    void Packet(std::uint8_t type, QByteArrayView payload, QByteArray& reply);
    void Command(QByteArrayView smb, QByteArray& reply);

    QByteArray ownName_;
    QByteArray localAddress_;
    Deliver deliver_;
    State state_ = State::AwaitingRequest;
    QByteArray pending_;  // bytes of an incomplete packet
    SessionMessage message_;
    std::uint16_t groupId_ = 0;
};

}  // namespace platform::netbios
