#include "platform/mailslot/MailslotReceiver.h"

#include <QHostAddress>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform::netbios {

std::unique_ptr<MailslotReceiver> MailslotReceiver::Open(std::uint16_t port, const OwnNames& own,
                                                         QString* error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = u"No UDP socket can be made: %1."_s.arg(QString::fromLocal8Bit(strerror(errno)));
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    // Past the system's limit where the process may (root), else as far as the limit allows.
    const int buffer = kReceiveBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EADDRINUSE) {
            *error =
                u"UDP port %1 is in use: another copy of Parlane or Samba's nmbd is "
                "listening."_s.arg(port);
        } else if (why == EACCES) {
            *error =
                u"No permission to bind UDP port %1: it needs root or the capability "
                "cap_net_bind_service on the program."_s.arg(port);
        } else {
            *error = u"UDP port %1 cannot be bound: %2."_s.arg(port).arg(
                QString::fromLocal8Bit(strerror(why)));
        }
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        *error =
            u"No event descriptor can be made: %1."_s.arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<MailslotReceiver> receiver(new MailslotReceiver(fd, wake, own));
    receiver->thread_ = std::thread(&MailslotReceiver::Run, receiver.get());
    return receiver;
}

MailslotReceiver::MailslotReceiver(int socket, int wake, OwnNames own)
    : socket_(socket), wake_(wake), own_(std::move(own)) {}

MailslotReceiver::~MailslotReceiver() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    thread_.join();
    ::close(socket_);
    ::close(wake_);
}

void MailslotReceiver::Run() {
    // Larger than any UDP payload, so no datagram is ever cut.
    std::vector<char> buffer(65536);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents) {
            return;
        }
        iovec io{buffer.data(), buffer.size()};
        sockaddr_in from{};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(socket_, &message, MSG_DONTWAIT);
        if (size < 0) {
            continue;
        }
        OwnNames own = own_;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                own.localAddress = QHostAddress(ntohl(info.ipi_addr.s_addr)).toString().toLatin1();
            }
        }
        if (auto body = TakeBody(QByteArrayView(buffer.data(), size), own)) {
            Deliver(std::move(*body), ntohl(from.sin_addr.s_addr));
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
