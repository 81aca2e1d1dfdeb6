#pragma once

#include "platform/netbios/ServedSocket.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform::netbios {

// Answers name queries for this machine's name on a UDP port, from a thread of its own, with the
// address of the interface each query came in on. It registers nothing and defends nothing, and
// keeps silent while Samba's nmbd shares the port, since nmbd answers for this machine itself.
class NameServer {
public:
    // Binds the port; nothing and a reason when that fails.
    static std::unique_ptr<NameServer> Open(std::uint16_t port, QByteArray ownName, QString* error);
    ~NameServer();
    NameServer(const NameServer&) = delete;
    NameServer& operator=(const NameServer&) = delete;

private:
    NameServer(std::uint16_t port, QByteArray ownName);
    void Run();

    const std::uint16_t port_;
    const QByteArray ownName_;
    ServedSocket served_;
};

}  // namespace platform::netbios
