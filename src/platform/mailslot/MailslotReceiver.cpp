#include "platform/mailslot/MailslotReceiver.h"

#include "platform/Ipv4.h"
#include "platform/Windows1252.h"
#include "platform/mailslot/LocalDelivery.h"
#include "platform/netbios/PortError.h"
#include "platform/netbios/PortOwners.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace platform::netbios {

using Lost = ListeningGap::Lost;

std::unique_ptr<MailslotReceiver> MailslotReceiver::Open(std::uint16_t port, const OwnNames& own,
                                                         const QString& captureProgram,
                                                         QString* error) {
    std::unique_ptr<MailslotReceiver> receiver(new MailslotReceiver(port, own, captureProgram));
    if (!receiver->served_.Adopt(BindLocalDelivery(port))) {
        *error = errno == EADDRINUSE
                     ? u"UDP port %1 is in use: another copy of Parlane is listening."_s.arg(port)
                     : PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    receiver->direct_ = OpenUdpPort(port);
    if (receiver->direct_ < 0) {
        receiver->directWhy_ = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
    } else {
        // Past the system's limit where the process may (root), else as far as the limit allows.
        const int buffer = kReceiveBufferBytes;
        if (::setsockopt(receiver->direct_, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer)) {
            ::setsockopt(receiver->direct_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        }
    }
    receiver->Review();
    const auto gaps = receiver->Gaps();
    if (std::any_of(gaps.begin(), gaps.end(),
                    [](const ListeningGap& gap) { return gap.lost == Lost::Broadcasts; })) {
        *error = gaps.back().why;
        return nullptr;
    }
    receiver->served_.Start([r = receiver.get()] { r->Run(); });
    return receiver;
}

MailslotReceiver::MailslotReceiver(std::uint16_t port, OwnNames own, QString captureProgram)
    : port_(port), own_(std::move(own)), captureProgram_(std::move(captureProgram)) {}

MailslotReceiver::~MailslotReceiver() {
    served_.Stop();
    if (direct_ >= 0) {
        ::close(direct_);
    }
}

void MailslotReceiver::Review() {
    const bool shared = direct_ < 0 || OthersHoldPort(Transport::Udp, port_, {direct_});
    if (shared && !capture_ && captureWhy_.isEmpty()) {
        capture_ = capture::CaptureHelper::Start(captureProgram_, port_, &captureWhy_);
        if (capture_ && direct_ >= 0) {
            ::close(direct_);  // the helper sees its broadcasts too
            direct_ = -1;
        }
    }
    // Naming the port's holder reads every process's descriptors: only when something changed.
    const int roads = (capture_ ? 1 : 0) | (direct_ >= 0 ? 2 : 0) | (shared ? 4 : 0);
    if (roads == roads_) {
        return;
    }
    roads_ = roads;
    std::vector<ListeningGap> gaps;
    if (!capture_ && shared) {
        const QString held = direct_ < 0 ? directWhy_
                                         : HeldBy(Transport::Udp, port_, u"nmbd"_s) +
                                               u", which takes the datagrams sent to "
                                               "this computer alone."_s;
        const QString why = held + u" And "_s + captureWhy_ + u'.';
        gaps.push_back({Lost::DirectDatagrams, why});
        if (direct_ < 0) {
            gaps.push_back({Lost::Broadcasts, why});
        }
    }
    std::lock_guard guard(lock_);
    gaps_ = std::move(gaps);
}

std::vector<ListeningGap> MailslotReceiver::Gaps() const {
    std::lock_guard guard(lock_);
    return gaps_;
}

void MailslotReceiver::Take(QByteArrayView packet, std::uint32_t source,
                            std::uint32_t destination) {
    OwnNames own = own_;
    if (destination != 0) {
        own.localAddress = ipv4::Text(destination);
    }
    if (auto body = TakeBody(packet, own)) {
        Admit(std::move(*body), source);
    }
}

void MailslotReceiver::Admit(QByteArray body, std::uint32_t sender) {
    if (NamesFit(body)) {
        Deliver(std::move(body), sender);
    } else {
        ++refused_;
    }
}

std::uint64_t MailslotReceiver::Refused() const {
    return refused_;
}

void MailslotReceiver::Run() {
    // Larger than any UDP payload, so no datagram is ever cut.
    std::vector<char> buffer(65536);
    auto reviewed = std::chrono::steady_clock::now();
    while (true) {
        pollfd fds[4] = {{served_.Wake(), POLLIN, 0},
                         {served_.Socket(), POLLIN, 0},
                         {direct_, POLLIN, 0},
                         {capture_ ? capture_->Pipe() : -1, POLLIN, 0}};
        if (::poll(fds, 4, int(kReview.count())) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents) {
            break;
        }
        if (fds[1].revents) {
            const ssize_t size = ::recv(served_.Socket(), buffer.data(), buffer.size(), 0);
            if (const auto local = ParseLocalDelivery(
                    QByteArrayView(buffer.data(), size > 0 ? qsizetype(size) : 0))) {
                Admit(local->body, local->sender);
            }
        }
        if (fds[2].revents) {
            const ReceivedDatagram received =
                ReceiveDatagram(direct_, buffer.data(), buffer.size());
            if (received.size >= 0) {
                Take(QByteArrayView(buffer.data(), received.size),
                     ntohl(received.from.sin_addr.s_addr), received.destination);
            }
        }
        if (fds[3].revents && !capture_->Read([this](const capture::Datagram& datagram) {
                Take(QByteArrayView(datagram.payload.data(), qsizetype(datagram.payload.size())),
                     datagram.source, datagram.destination);
            })) {
            capture_.reset();  // gone: the next review starts it again
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - reviewed >= kReview) {
            reviewed = now;
            if (!capture_ && direct_ < 0 && captureWhy_.isEmpty()) {
                direct_ = OpenUdpPort(port_);  // the helper ended: the port is the road again
                if (direct_ < 0) {
                    directWhy_ = PortError(u"UDP"_s, port_, errno, u"nmbd"_s);
                }
            }
            Review();
        }
    }
}

const MailslotReceiver::Lane* MailslotReceiver::NextLane() const {
    if (!known_.turns.empty() && (knownRun_ < kKnownRun || unknown_.turns.empty())) {
        return &known_;
    }
    return unknown_.turns.empty() ? nullptr : &unknown_;
}

MailslotReceiver::Info MailslotReceiver::Peek() const {
    std::lock_guard guard(lock_);
    Info info;
    info.count = known_.messages + unknown_.messages;
    if (const Lane* lane = NextLane()) {
        info.nextSize = lane->senders.at(lane->turns.front()).messages.front().size();
    }
    return info;
}

std::optional<QByteArray> MailslotReceiver::WaitAndTake(
    std::optional<std::chrono::milliseconds> timeout, qsizetype maxSize, bool* tooSmall) {
    std::unique_lock guard(lock_);
    const auto waiting = [this] { return NextLane() != nullptr; };
    if (!timeout) {
        arrived_.wait(guard, waiting);
    } else if (!arrived_.wait_for(guard, *timeout, waiting)) {
        return std::nullopt;
    }
    Lane& lane = NextLane() == &known_ ? known_ : unknown_;
    const std::uint32_t address = lane.turns.front();
    const auto sender = lane.senders.find(address);
    if (sender->second.messages.front().size() > maxSize) {
        *tooSmall = true;
        return std::nullopt;
    }
    QByteArray body = std::move(sender->second.messages.front());
    sender->second.messages.pop_front();
    sender->second.bytes -= body.size();
    --lane.messages;
    lane.bytes -= body.size();
    knownRun_ = &lane == &known_ ? knownRun_ + 1 : 0;
    lane.turns.pop_front();
    if (sender->second.messages.empty()) {
        lane.senders.erase(sender);
    } else {
        lane.turns.push_back(address);
    }
    return body;
}

bool MailslotReceiver::Deliver(QByteArray body, std::uint32_t sender) {
    {
        std::lock_guard guard(lock_);
        const qsizetype fromEnd = body.indexOf('\0');
        const bool known = knownAddresses_.contains(sender) ||
                           knownNames_.contains(UpperName(
                               QByteArrayView(body).first(fromEnd < 0 ? body.size() : fromEnd)));
        Lane& lane = known ? known_ : unknown_;
        // The unknown may fill only their share; the known, what the unknown leave.
        const qsizetype share = known ? 1 : kUnknownShare;
        const auto found = lane.senders.find(sender);
        const bool waiting = found != lane.senders.end();
        const qsizetype senderMessages = waiting ? qsizetype(found->second.messages.size()) : 0;
        const qsizetype senderBytes = waiting ? found->second.bytes : 0;
        if (known_.messages + unknown_.messages >= kMaxMessages ||
            known_.bytes + unknown_.bytes + body.size() > kMaxBytes ||
            lane.messages >= kMaxMessages / share || lane.bytes + body.size() > kMaxBytes / share ||
            senderMessages >= kMaxMessages / kSenderShare ||
            senderBytes + body.size() > kMaxBytes / kSenderShare) {
            ++dropped_;
            return false;
        }
        Sender& queue = waiting ? found->second : lane.senders[sender];
        if (!waiting) {
            lane.turns.push_back(sender);
        }
        ++lane.messages;
        lane.bytes += body.size();
        queue.bytes += body.size();
        queue.messages.push_back(std::move(body));
    }
    arrived_.notify_all();
    return true;
}

void MailslotReceiver::SetKnownSenders(const QStringList& addresses) {
    QSet<std::uint32_t> numbers;
    QSet<QByteArray> names;
    names.reserve(addresses.size());
    for (const QString& address : addresses) {
        if (const auto number = ipv4::Parse(address)) {
            numbers.insert(*number);
        }
        if (const auto bytes = Windows1252::Encode(address)) {
            names.insert(UpperName(*bytes));
        }
    }
    std::lock_guard guard(lock_);
    knownAddresses_ = std::move(numbers);
    knownNames_ = std::move(names);
}

std::uint64_t MailslotReceiver::Dropped() const {
    std::lock_guard guard(lock_);
    return dropped_;
}

}  // namespace platform::netbios
