#include "platform/mailslot/Mailslot.h"

#include "platform/Ipv4.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"

#include <QMutex>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <variant>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

using netbios::MailslotReceiver;

struct Listening {
    std::shared_ptr<MailslotReceiver> receiver;
    DWORD readTimeout = 0;
};

struct Remote {
    QByteArray mailslot;  // "\MAILSLOT\NAME" as it goes on the wire
    netbios::DeliveryPlan plan;
};

QMutex tableLock;
std::map<HANDLE, std::variant<Listening, Remote>> table;
HANDLE nextHandle = 1;

thread_local DWORD lastError = 0;
thread_local QString lastErrorText;

bool Fail(DWORD code, const QString& text) {
    lastError = code;
    lastErrorText = text;
    return false;
}

HANDLE FailHandle(DWORD code, const QString& text) {
    Fail(code, text);
    return INVALID_HANDLE_VALUE;
}

HANDLE Insert(std::variant<Listening, Remote> slot) {
    QMutexLocker lock(&tableLock);
    const HANDLE handle = nextHandle++;
    table.emplace(handle, std::move(slot));
    return handle;
}

template <typename T>
std::optional<T> Find(HANDLE handle) {
    QMutexLocker lock(&tableLock);
    const auto found = table.find(handle);
    if (found == table.end() || !std::holds_alternative<T>(found->second)) {
        return std::nullopt;
    }
    return std::get<T>(found->second);
}

struct SlotPath {
    QString server;
    QString name;
};

// "\\SERVER\mailslot\NAME", the mailslot part in any case.
std::optional<SlotPath> ParsePath(const QString& path) {
    const QStringList parts = path.split(u'\\');
    if (parts.size() != 5 || !parts[0].isEmpty() || !parts[1].isEmpty() || parts[2].isEmpty() ||
        parts[3].compare(u"mailslot"_s, Qt::CaseInsensitive) != 0 || parts[4].isEmpty()) {
        return std::nullopt;
    }
    return SlotPath{parts[2], parts[4]};
}

QByteArray WireMailslot(const QString& name) {
    return netbios::UpperName(u"\\MAILSLOT\\"_s.append(name).toLatin1());
}

std::uint16_t NextDatagramId() {
    static std::atomic<std::uint16_t> id{
        static_cast<std::uint16_t>(QRandomGenerator::global()->generate())};
    return id++;
}

// The address a datagram to the target leaves from, as the routing table picks it.
std::uint32_t SourceFor(int fd, std::uint32_t target, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(target);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        return 0;
    }
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&from), &length);
    sockaddr_in none{};
    none.sin_family = AF_UNSPEC;
    ::connect(fd, reinterpret_cast<const sockaddr*>(&none), sizeof none);
    return ntohl(from.sin_addr.s_addr);
}

}  // namespace

HANDLE CreateMailslotA(const QString& name, DWORD /*maxMessageSize*/, DWORD readTimeout,
                       const void* /*securityAttributes*/) {
    const auto path = ParsePath(name);
    if (!path || path->server != u"."_s) {
        return FailHandle(ERROR_INVALID_NAME,
                          u"\"%1\" is not the path of a mailslot on this machine."_s.arg(name));
    }
    const auto network = netbios::CurrentMailslotNetwork();
    netbios::OwnNames own;
    own.machine = netbios::OwnMachineName();
    own.workgroup = netbios::OwnWorkgroup();
    own.mailslot = WireMailslot(path->name);
    QString why;
    const QString capture =
        network.captureProgram.isEmpty() ? capture::CaptureProgram() : network.captureProgram;
    auto receiver = MailslotReceiver::Open(network.port, own, capture, &why);
    if (!receiver) {
        return FailHandle(ERROR_ALREADY_EXISTS, why);
    }
    return Insert(Listening{std::move(receiver), readTimeout});
}

bool GetMailslotInfo(HANDLE slot, DWORD* maxMessageSize, DWORD* nextSize, DWORD* messageCount,
                     DWORD* readTimeout) {
    const auto listening = Find<Listening>(slot);
    if (!listening) {
        return Fail(ERROR_INVALID_HANDLE, u"The handle is not an open mailslot."_s);
    }
    const auto info = listening->receiver->Peek();
    if (maxMessageSize) {
        *maxMessageSize = 0;
    }
    if (nextSize) {
        *nextSize = info.nextSize ? DWORD(*info.nextSize) : MAILSLOT_NO_MESSAGE;
    }
    if (messageCount) {
        *messageCount = DWORD(info.count);
    }
    if (readTimeout) {
        *readTimeout = listening->readTimeout;
    }
    return true;
}

bool ReadFile(HANDLE file, char* buffer, DWORD bytesToRead, DWORD* bytesRead,
              void* /*overlapped*/) {
    *bytesRead = 0;
    const auto listening = Find<Listening>(file);
    if (!listening) {
        return Fail(ERROR_INVALID_HANDLE, u"The handle is not an open mailslot."_s);
    }
    std::optional<std::chrono::milliseconds> timeout;
    if (listening->readTimeout != MAILSLOT_WAIT_FOREVER) {
        timeout = std::chrono::milliseconds(listening->readTimeout);
    }
    bool tooSmall = false;
    const auto body = listening->receiver->WaitAndTake(timeout, bytesToRead, &tooSmall);
    if (tooSmall) {
        return Fail(ERROR_INSUFFICIENT_BUFFER,
                    u"The waiting message is larger than the buffer; it stays queued."_s);
    }
    if (!body) {
        return Fail(ERROR_SEM_TIMEOUT, u"No message arrived in time."_s);
    }
    std::memcpy(buffer, body->constData(), std::size_t(body->size()));
    *bytesRead = DWORD(body->size());
    return true;
}

HANDLE CreateFileA(const QString& name, DWORD /*desiredAccess*/, DWORD /*shareMode*/,
                   const void* /*securityAttributes*/, DWORD /*creationDisposition*/,
                   DWORD /*flags*/, HANDLE /*templateFile*/) {
    const auto path = ParsePath(name);
    if (!path) {
        return FailHandle(ERROR_INVALID_NAME, u"\"%1\" is not a mailslot path."_s.arg(name));
    }
    Remote remote{WireMailslot(path->name), netbios::PlanDelivery(path->server)};
    if (remote.plan.deliveries.empty()) {
        return FailHandle(ERROR_BAD_NETPATH, remote.plan.error);
    }
    return Insert(std::move(remote));
}

bool WriteFile(HANDLE file, const char* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* /*overlapped*/) {
    *bytesWritten = 0;
    const auto remote = Find<Remote>(file);
    if (!remote) {
        return Fail(ERROR_INVALID_HANDLE, u"The handle is not a mailslot opened for writing."_s);
    }
    if (bytesToWrite > netbios::kMaxRemoteBody) {
        return Fail(ERROR_INVALID_PARAMETER,
                    u"The message is %1 bytes; a mailslot write to another machine carries at "
                    "most %2."_s.arg(bytesToWrite)
                        .arg(netbios::kMaxRemoteBody));
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return Fail(ERROR_NETWORK_UNREACHABLE, u"No UDP socket can be made: %1."_s.arg(
                                                   QString::fromLocal8Bit(strerror(errno))));
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);

    const auto port = netbios::CurrentMailslotNetwork().port;
    netbios::MailslotWrite write;
    write.id = NextDatagramId();
    write.sourcePort = port;
    write.source = {netbios::OwnMachineName(), netbios::kWorkstationSuffix};
    write.mailslot = remote->mailslot;
    write.body = QByteArray(buffer, bytesToWrite);

    int sent = 0;
    QString why;
    for (const netbios::Delivery& delivery : remote->plan.deliveries) {
        write.type = delivery.type;
        write.destination = delivery.destination;
        write.sourceIp = delivery.source ? *delivery.source : SourceFor(fd, delivery.target, port);
        const QByteArray packet = netbios::EncodeMailslotWrite(write);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(delivery.target);
        if (::sendto(fd, packet.constData(), std::size_t(packet.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) == packet.size()) {
            ++sent;
        } else {
            why = u"Sending to %1 failed: %2."_s.arg(QLatin1StringView(ipv4::Text(delivery.target)),
                                                     QString::fromLocal8Bit(strerror(errno)));
        }
    }
    ::close(fd);
    if (sent == 0) {
        return Fail(ERROR_NETWORK_UNREACHABLE, why);
    }
    *bytesWritten = bytesToWrite;
    return true;
}

bool CloseHandle(HANDLE handle) {
    std::variant<Listening, Remote> slot;
    {
        QMutexLocker lock(&tableLock);
        const auto found = table.find(handle);
        if (found == table.end()) {
            return Fail(ERROR_INVALID_HANDLE, u"The handle is not open."_s);
        }
        slot = std::move(found->second);
        table.erase(found);
    }
    return true;  // the receiver, if any, stops as the slot goes
}

DWORD GetLastError() {
    return lastError;
}

QString LastErrorText() {
    return lastErrorText;
}

bool DeliverToMailslot(HANDLE slot, QByteArray body, std::uint32_t sender) {
    const auto listening = Find<Listening>(slot);
    return listening && listening->receiver->Deliver(std::move(body), sender);
}

void SetKnownSenders(HANDLE slot, const QStringList& addresses) {
    if (const auto listening = Find<Listening>(slot)) {
        listening->receiver->SetKnownSenders(addresses);
    }
}

std::vector<netbios::ListeningGap> MailslotGaps(HANDLE slot) {
    const auto listening = Find<Listening>(slot);
    return listening ? listening->receiver->Gaps() : std::vector<netbios::ListeningGap>{};
}

std::uint64_t DroppedMailslotMessages(HANDLE slot) {
    const auto listening = Find<Listening>(slot);
    return listening ? listening->receiver->Dropped() : 0;
}

std::uint64_t RefusedMailslotMessages(HANDLE slot) {
    const auto listening = Find<Listening>(slot);
    return listening ? listening->receiver->Refused() : 0;
}

}  // namespace platform
