#pragma once

#include "platform/netbios/SessionPacket.h"

#include <QByteArray>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

// A messenger client speaking to a session port packet by packet, as Windows' messenger or
// smbclient would.
class SessionClient {
public:
    explicit SessionClient(std::uint16_t port, std::uint32_t address = INADDR_LOOPBACK) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const timeval wait{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    }
    ~SessionClient() { ::close(fd_); }
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;

    bool Connected() const { return connected_; }

    void Write(const QByteArray& bytes) {
        ::send(fd_, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // Sends the packet and returns the type of the answer and its payload; "closed" when the
    // service hung up instead.
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
    // no reply came.
    int Send(const QByteArray& text, const QByteArray& to = "TESTHOST",
             const QByteArray& from = "bob") {
        using namespace platform::netbios;
        SmbMessageCommand command;
        command.command = kSmbSendMessage;
        command.originator = from;
        command.destination = to;
        command.text = text;
        const QByteArray answer =
            Ask(EncodeSessionPacket(kSessionMessage, EncodeSmbMessageCommand(command)));
        const auto reply = ParseSmbReply(QByteArrayView(answer).sliced(1));
        return reply && reply->command == kSmbSendMessage ? reply->error.errorClass : -1;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    QByteArray pending_;
};
