#pragma once

#include "platform/netbios/MessageSession.h"
#include "platform/netbios/ServedSocket.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::netbios {

// The NetBIOS session service on a TCP port, for messenger clients only: a thread of its own
// serves every session and hands each whole message to the deliverer, with the client's IPv4
// address (host order). A session that fails in any way is closed alone.
class SessionServer {
public:
    static constexpr int kMaxSessions = 16;
    static constexpr std::chrono::seconds kIdleTimeout{30};

    using Deliver = std::function<bool(const SessionMessage&, std::uint32_t sender)>;

    // Binds the port; nothing and a reason when that fails. Tests shorten the idle time.
    static std::unique_ptr<SessionServer> Open(std::uint16_t port, QByteArray ownName,
                                               Deliver deliver, QString* error,
                                               std::chrono::milliseconds idle = kIdleTimeout);
    ~SessionServer();
    SessionServer(const SessionServer&) = delete;
    SessionServer& operator=(const SessionServer&) = delete;

    int OpenSessions() const { return sessions_; }

private:
    SessionServer(QByteArray ownName, Deliver deliver, std::chrono::milliseconds idle);
    void Run();

    const QByteArray ownName_;
    const Deliver deliver_;
    const std::chrono::milliseconds idle_;
    std::atomic<int> sessions_{0};
    ServedSocket served_;
};

}  // namespace platform::netbios
