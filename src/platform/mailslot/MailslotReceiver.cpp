#include "platform/mailslot/MailslotReceiver.h"

#include "platform/netbios/PortError.h"
#include "platform/netbios/ServedSocket.h"

#include <QHostAddress>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform::netbios {

std::unique_ptr<MailslotReceiver> MailslotReceiver::Open(std::uint16_t port, const OwnNames& own,
                                                         QString* error) {
    const int fd = OpenUdpPort(port);
    if (fd < 0) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    // Past the system's limit where the process may (root), else as far as the limit allows.
    const int buffer = kReceiveBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }
    std::unique_ptr<MailslotReceiver> receiver(new MailslotReceiver(own));
    if (!receiver->served_.Adopt(fd)) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    receiver->served_.Start([r = receiver.get()] { r->Run(); });
    return receiver;
}

MailslotReceiver::MailslotReceiver(OwnNames own) : own_(std::move(own)) {}

MailslotReceiver::~MailslotReceiver() {
    served_.Stop();
}

void MailslotReceiver::Run() {
    // Larger than any UDP payload, so no datagram is ever cut.
    std::vector<char> buffer(65536);
    while (served_.WaitForInput()) {
        const ReceivedDatagram received =
            ReceiveDatagram(served_.Socket(), buffer.data(), buffer.size());
        if (received.size < 0) {
            continue;
        }
        OwnNames own = own_;
        if (received.destination != 0) {
            own.localAddress = QHostAddress(received.destination).toString().toLatin1();
        }
        if (auto body = TakeBody(QByteArrayView(buffer.data(), received.size), own)) {
            Deliver(std::move(*body), ntohl(received.from.sin_addr.s_addr));
        }
    }
}

MailslotReceiver::Info MailslotReceiver::Peek() const {
    std::lock_guard guard(lock_);
    Info info;
    info.count = queuedMessages_;
    if (!turns_.empty()) {
        info.nextSize = senders_.at(turns_.front()).messages.front().size();
    }
    return info;
}

std::optional<QByteArray> MailslotReceiver::WaitAndTake(
    std::optional<std::chrono::milliseconds> timeout, qsizetype maxSize, bool* tooSmall) {
    std::unique_lock guard(lock_);
    const auto waiting = [this] { return !turns_.empty(); };
    if (!timeout) {
        arrived_.wait(guard, waiting);
    } else if (!arrived_.wait_for(guard, *timeout, waiting)) {
        return std::nullopt;
    }
    const std::uint32_t address = turns_.front();
    const auto sender = senders_.find(address);
    if (sender->second.messages.front().size() > maxSize) {
        *tooSmall = true;
        return std::nullopt;
    }
    QByteArray body = std::move(sender->second.messages.front());
    sender->second.messages.pop_front();
    sender->second.bytes -= body.size();
    --queuedMessages_;
    queuedBytes_ -= body.size();
    turns_.pop_front();
    if (sender->second.messages.empty()) {
        senders_.erase(sender);
    } else {
        turns_.push_back(address);
    }
    return body;
}

bool MailslotReceiver::Deliver(QByteArray body, std::uint32_t sender) {
    {
        std::lock_guard guard(lock_);
        const auto found = senders_.find(sender);
        const bool known = found != senders_.end();
        const qsizetype senderMessages = known ? qsizetype(found->second.messages.size()) : 0;
        const qsizetype senderBytes = known ? found->second.bytes : 0;
        if (queuedMessages_ >= kMaxMessages || queuedBytes_ + body.size() > kMaxBytes ||
            senderMessages >= kMaxMessages / kSenderShare ||
            senderBytes + body.size() > kMaxBytes / kSenderShare) {
            ++dropped_;
            return false;
        }
        Sender& queue = known ? found->second : senders_[sender];
        if (!known) {
            turns_.push_back(sender);
        }
        ++queuedMessages_;
        queuedBytes_ += body.size();
        queue.bytes += body.size();
        queue.messages.push_back(std::move(body));
    }
    arrived_.notify_all();
    return true;
}

std::uint64_t MailslotReceiver::Dropped() const {
    std::lock_guard guard(lock_);
    return dropped_;
}

}  // namespace platform::netbios
