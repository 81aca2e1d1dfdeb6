#pragma once

#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUdpSocket>

// A mailslot network of the test's own: a free UDP port instead of 138 and fixed names, so tests
// run side by side on loopback without root.
class ScopedMailslotNetwork {
public:
    ScopedMailslotNetwork() {
        QUdpSocket probe;
        probe.bind(QHostAddress::AnyIPv4, 0);
        network_.port = probe.localPort();
        network_.machineName = QStringLiteral("testhost");
        network_.workgroup = QStringLiteral("TESTGROUP");
        platform::netbios::SetMailslotNetwork(network_);
    }
    ~ScopedMailslotNetwork() { platform::netbios::SetMailslotNetwork({}); }
    ScopedMailslotNetwork(const ScopedMailslotNetwork&) = delete;
    ScopedMailslotNetwork& operator=(const ScopedMailslotNetwork&) = delete;

    std::uint16_t Port() const { return network_.port; }

private:
    platform::netbios::MailslotNetwork network_;
};

// Waits until the slot holds the count of messages; datagrams on loopback take a moment.
inline bool WaitForMessages(platform::HANDLE slot, platform::DWORD count) {
    QDeadlineTimer deadline(5000);
    platform::DWORD waiting = 0;
    while (platform::GetMailslotInfo(slot, nullptr, nullptr, &waiting, nullptr) &&
           waiting < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return waiting >= count;
}
