#pragma once

#include "platform/mailslot/MailslotDatagram.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform::netbios {

// The listening end of a mailslot: a UDP socket of its own and a thread that takes the datagrams
// addressed to this machine's mailslot into a bounded queue, as the system's mailslot buffer
// would. Reading the queue never touches the network, so it costs the same however full it is.
class MailslotReceiver {
public:
    static constexpr qsizetype kMaxMessages = 16384;
    static constexpr qsizetype kMaxBytes = 8 * 1024 * 1024;

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

    // The oldest message, once one waits or the time is up.
    std::optional<QByteArray> WaitAndTake(std::optional<std::chrono::milliseconds> timeout,
                                          qsizetype maxSize, bool* tooSmall);

    // Queues a body as a writer on this machine hands it over; false when the queue is full.
    bool Deliver(QByteArray body);

    std::uint64_t Dropped() const;

private:
    MailslotReceiver(int socket, int wake, OwnNames own);
    void Run();

    const int socket_;
    const int wake_;
    const OwnNames own_;
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<QByteArray> queue_;
    qsizetype queuedBytes_ = 0;
    std::uint64_t dropped_ = 0;
    std::thread thread_;
};

}  // namespace platform::netbios
