#pragma once

#include <QStringList>

#include <cstdint>
#include <memory>

namespace platform::netbios {
class NameServer;
class SessionServer;
}  // namespace platform::netbios

// What clients that do not write to the mailslot use to reach this machine: the session service,
// whose messages join the slot's queue exactly as datagrams would, and the name service that
// tells them where this machine is. Each opens alone; the mailslot never depends on them.
class NetbiosServices {
public:
    explicit NetbiosServices(std::intptr_t slot);
    ~NetbiosServices();
    NetbiosServices(const NetbiosServices&) = delete;
    NetbiosServices& operator=(const NetbiosServices&) = delete;

    // A sentence for each port that could not be opened.
    const QStringList& Problems() const { return problems_; }
    int OpenSessions() const;

private:
    std::unique_ptr<platform::netbios::SessionServer> sessions_;
    std::unique_ptr<platform::netbios::NameServer> names_;
    QStringList problems_;
};
