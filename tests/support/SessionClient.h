#pragma once

#include "platform/netbios/SessionPacket.h"

#include <QByteArray>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

// A messenger client speaking to a session port packet by packet, as Windows' messenger or
// smbclient would; from a loopback address of its own when given one.
class SessionClient {
public:
    explicit SessionClient(std::uint16_t port, std::uint32_t address = INADDR_LOOPBACK,
                           std::uint32_t from = INADDR_ANY) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const timeval wait{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in to{AF_INET, 0, {htonl(from)}, {}};
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }
    ~SessionClient() { ::close(fd_); }
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;

    bool Connected() const { return connected_; }
    // Whether the service says nothing for the time, as it must until it is asked.
    bool Silent(int milliseconds) {
        pollfd ready{fd_, POLLIN, 0};
        return ::poll(&ready, 1, milliseconds) == 0;
    }

    void Write(const QByteArray& bytes) {
        ::send(fd_, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // Sends the packet; the type of the answer and its payload, or "closed" if the service hung up.
    QByteArray Ask(const QByteArray& packet) {
        Write(packet);
        return Answer();
    }
    QByteArray Answer() {
        using namespace platform::netbios;
        char buffer[1024];
        while (true) {
            const Frame frame = NextFrame(pending_);
            if (frame.status == Frame::Complete) {
                QByteArray answer = frame.payload.toByteArray().prepend(char(frame.type));
                pending_.remove(0, frame.size);
                return answer;
            }
            const ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0);
            if (size <= 0) {
                return "closed";
            }
            pending_.append(buffer, size);
        }
    }
    bool Open(const QByteArray& name) {
        using namespace platform::netbios;
        return Ask(EncodeSessionPacket(
                       kSessionRequest,
                       EncodeSessionRequest({{name, kMessengerSuffix}, {"BOB", 0}})))
            .startsWith(char(kPositiveSessionResponse));
    }
    // The DOS error class of the reply to a single-block message: 0 when it was taken, -1 when
    // no reply came. A start takes no text; a block, the group the start was given.
    int Send(const QByteArray& text, const QByteArray& to = "TESTHOST",
             const QByteArray& from = "bob",
             std::uint8_t kind = platform::netbios::kSmbSendMessage) {
        using namespace platform::netbios;
        const QByteArray answer = Ask(EncodeSessionPacket(
            kSessionMessage, EncodeSmbMessageCommand({{}, kind, from, to, group_, text})));
        const auto reply = ParseSmbReply(QByteArrayView(answer).sliced(1));
        group_ = reply && reply->groupId ? *reply->groupId : group_;
        return reply && reply->command == kind ? reply->error.errorClass : -1;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    QByteArray pending_;
    std::uint16_t group_ = 0;
};
