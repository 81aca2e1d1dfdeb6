#pragma once

#include "platform/netbios/ListeningGap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::netbios {
class NameServer;
class SessionServer;
}  // namespace platform::netbios

// What clients that do not write to the mailslot use to reach this machine: the session service,
// whose messages join the slot's queue exactly as datagrams would, and the name service that
// tells them where this machine is. Each opens alone; the mailslot never depends on them. Where
// Samba's smbd holds the session port, its message command hands messages on instead; where
// nmbd holds the name port, nmbd answers for this machine.
class NetbiosServices {
public:
    explicit NetbiosServices(std::intptr_t slot);
    ~NetbiosServices();
    NetbiosServices(const NetbiosServices&) = delete;
    NetbiosServices& operator=(const NetbiosServices&) = delete;

    // The kinds of message these services cannot bring, with why.
    const std::vector<platform::netbios::ListeningGap>& Gaps() const { return gaps_; }
    int OpenSessions() const;

private:
    std::unique_ptr<platform::netbios::SessionServer> sessions_;
    std::unique_ptr<platform::netbios::NameServer> names_;
    std::vector<platform::netbios::ListeningGap> gaps_;
};
