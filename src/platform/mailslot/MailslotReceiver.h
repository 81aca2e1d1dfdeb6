#pragma once

#include "platform/capture/CaptureHelper.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/netbios/ListeningGap.h"
#include "platform/netbios/ServedSocket.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace platform::netbios {

// The listening end of a mailslot: a thread that takes the datagrams addressed to this machine's
// mailslot into a bounded queue, as the system's mailslot buffer would. Reading the queue never
// touches the network, so it costs the same however full it is.
// The port is shared as Samba's nmbd shares it: both bind it with SO_REUSEADDR. While another
// program holds it, that program takes the datagrams sent to this machine alone, so the receiver
// has the capture helper see them beside it. Programs of this machine (Samba's message command)
// deliver through a local socket, which also keeps a second listener away.
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
    // How often the receiver looks again at who else holds the port.
    static constexpr std::chrono::milliseconds kReview{1000};

    // Nothing and a reason when no datagram at all could reach the slot, or another listener
    // has the port.
    static std::unique_ptr<MailslotReceiver> Open(std::uint16_t port, const OwnNames& own,
                                                  const QString& captureProgram, QString* error);
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
    // How many messages from the network were refused because a name in them is longer than
    // any name can be.
    std::uint64_t Refused() const;
    // What cannot reach the slot now; empty while every datagram can.
    std::vector<ListeningGap> Gaps() const;

private:
    struct Sender {
        std::deque<QByteArray> messages;
        qsizetype bytes = 0;
    };

    MailslotReceiver(std::uint16_t port, OwnNames own, QString captureProgram);
    void Run();
    // Starts the capture helper when another program holds the port, and says what is lost.
    void Review();
    void Take(QByteArrayView packet, std::uint32_t source, std::uint32_t destination);
    // Delivers a body from the network, or refuses it when its names are out of bounds.
    void Admit(QByteArray body, std::uint32_t sender);

    const std::uint16_t port_;
    const OwnNames own_;
    const QString captureProgram_;
    // Only the thread touches these once it runs.
    int direct_ = -1;  // the shared UDP port, while it serves
    QString directWhy_;
    std::unique_ptr<capture::CaptureHelper> capture_;
    QString captureWhy_;  // set once starting the helper failed: it is not tried again
    int roads_ = -1;      // which of the above served at the last review

    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::unordered_map<std::uint32_t, Sender> senders_;  // only those with messages waiting
    std::deque<std::uint32_t> turns_;                    // each of them once, the next first
    qsizetype queuedMessages_ = 0;
    qsizetype queuedBytes_ = 0;
    std::uint64_t dropped_ = 0;
    std::vector<ListeningGap> gaps_;
    std::atomic<std::uint64_t> refused_ = 0;
    ServedSocket served_;  // the local delivery socket
};

}  // namespace platform::netbios
