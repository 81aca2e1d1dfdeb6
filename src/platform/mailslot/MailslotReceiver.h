#pragma once

#include "platform/mailslot/MailslotDatagram.h"
#include "platform/netbios/ServedSocket.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace platform::netbios {

// The listening end of a mailslot: a UDP socket of its own and a thread that takes the datagrams
// addressed to this machine's mailslot into a bounded queue, as the system's mailslot buffer
// would. Reading the queue never touches the network, so it costs the same however full it is.
// Senders (source addresses) take turns: a read takes the oldest message of the next sender in
// turn, and a sender may hold only a share of the queue, so a flood from one machine costs
// another's messages a few turns at most and never crowds them out.
class MailslotReceiver {
public:
    static constexpr qsizetype kMaxMessages = 16384;
    static constexpr qsizetype kMaxBytes = 8 * 1024 * 1024;
    static constexpr qsizetype kSenderShare = 16;  // of messages and of bytes
    // Bursts wait in the kernel while the thread is busy, instead of being lost there.
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
    static constexpr std::uint32_t kThisMachine = 0x7F000001;  // 127.0.0.1

    // Binds the port exclusively; nothing and a reason when that fails.
    static std::unique_ptr<MailslotReceiver> Open(std::uint16_t port, const OwnNames& own,
                                                  QString* error);
    ~MailslotReceiver();
    MailslotReceiver(const MailslotReceiver&) = delete;
    MailslotReceiver& operator=(const MailslotReceiver&) = delete;

    struct Info {
        std::optional<qsizetype> nextSize;  // nothing when no message waits
        qsizetype count = 0;
    };
    Info Peek() const;

    // The next message in turn, once one waits or the time is up.
    std::optional<QByteArray> WaitAndTake(std::optional<std::chrono::milliseconds> timeout,
                                          qsizetype maxSize, bool* tooSmall);

    // Queues a body from the sender (an IPv4 address in host order); false, and counted as
    // dropped, when the queue or the sender's share of it is full.
    bool Deliver(QByteArray body, std::uint32_t sender = kThisMachine);

    std::uint64_t Dropped() const;

private:
    struct Sender {
        std::deque<QByteArray> messages;
        qsizetype bytes = 0;
    };

    explicit MailslotReceiver(OwnNames own);
    void Run();

    const OwnNames own_;
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::unordered_map<std::uint32_t, Sender> senders_;  // only those with messages waiting
    std::deque<std::uint32_t> turns_;                    // each of them once, the next first
    qsizetype queuedMessages_ = 0;
    qsizetype queuedBytes_ = 0;
    std::uint64_t dropped_ = 0;
    ServedSocket served_;
};

}  // namespace platform::netbios
