#pragma once

#include "platform/capture/CaptureHelper.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/netbios/ListeningGap.h"
#include "platform/netbios/ServedSocket.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

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
// A datagram's source address proves nothing, so turns alone do not protect a contact from a
// flood of forged addresses: messages from known senders (the contacts, by address or by the
// sender name the conversations match) queue apart, are read first, and have half the queue that
// the others cannot fill.
class MailslotReceiver {
public:
    static constexpr qsizetype kMaxMessages = 16384;
    static constexpr qsizetype kMaxBytes = 8 * 1024 * 1024;
    static constexpr qsizetype kSenderShare = 16;  // of messages and of bytes
    // Unknown senders together may hold this share of the queue.
    static constexpr qsizetype kUnknownShare = 2;
    // Known senders' messages read in a row before an unknown one waiting gets a turn.
    static constexpr int kKnownRun = 4;
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

    // The contacts' addresses: IPv4 addresses, or names that a message's sender field may carry.
    void SetKnownSenders(const QStringList& addresses);

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
    // The senders of one kind, known or not, taking turns.
    struct Lane {
        std::unordered_map<std::uint32_t, Sender> senders;  // only those with messages waiting
        std::deque<std::uint32_t> turns;                    // each of them once, the next first
        qsizetype messages = 0;
        qsizetype bytes = 0;
    };

    MailslotReceiver(std::uint16_t port, OwnNames own, QString captureProgram);
    void Run();
    // Starts the capture helper when another program holds the port, and says what is lost.
    void Review();
    void Take(QByteArrayView packet, std::uint32_t source, std::uint32_t destination);
    // The lane the next read takes from; nothing while none waits. Under the lock.
    const Lane* NextLane() const;
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
    Lane known_;
    Lane unknown_;
    int knownRun_ = 0;  // known senders' messages read since an unknown one
    QSet<std::uint32_t> knownAddresses_;
    QSet<QByteArray> knownNames_;  // upper case, as UpperName makes them
    std::uint64_t dropped_ = 0;
    std::vector<ListeningGap> gaps_;
    std::atomic<std::uint64_t> refused_ = 0;
    ServedSocket served_;  // the local delivery socket
};

}  // namespace platform::netbios
