#pragma once

#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QUdpSocket>

// A mailslot network of the test's own: free ports instead of 138, 139 and 137 and fixed names,
// so tests run side by side on loopback without root.
class ScopedMailslotNetwork {
public:
    ScopedMailslotNetwork() {
        QUdpSocket probe;
        probe.bind(QHostAddress::AnyIPv4, 0);
        network_.port = probe.localPort();
        QTcpServer sessions;
        sessions.listen(QHostAddress::AnyIPv4, 0);
        network_.sessionPort = sessions.serverPort();
        QUdpSocket names;
        names.bind(QHostAddress::AnyIPv4, 0);
        network_.namePort = names.localPort();
        network_.machineName = QStringLiteral("testhost");
        network_.workgroup = QStringLiteral("TESTGROUP");
        platform::netbios::SetMailslotNetwork(network_);
    }
    ~ScopedMailslotNetwork() { platform::netbios::SetMailslotNetwork({}); }
    ScopedMailslotNetwork(const ScopedMailslotNetwork&) = delete;
    ScopedMailslotNetwork& operator=(const ScopedMailslotNetwork&) = delete;

    // The capture helper a listener starts while another program shares its port.
    void CaptureWith(const QString& program) {
        network_.captureProgram = program;
        platform::netbios::SetMailslotNetwork(network_);
    }

    std::uint16_t Port() const { return network_.port; }
    std::uint16_t SessionPort() const { return network_.sessionPort; }
    std::uint16_t NamePort() const { return network_.namePort; }

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
