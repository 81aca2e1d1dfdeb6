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

// How long a session may take, which tests shorten.
struct SessionTiming {
    // Without a packet other than a keep-alive, a session is closed after this.
    std::chrono::milliseconds idle{10'000};
    // From the connection to the end of its message: nothing a client sends extends it.
    std::chrono::milliseconds life{20'000};
    // A session this young is not made to give way, so a newcomer cannot end one that is
    // still sending its message promptly.
    std::chrono::milliseconds grace{2'000};
};

// The NetBIOS session service on a TCP port, for messenger clients only: a thread of its own
// serves every session and hands each whole message to the deliverer, with the client's IPv4
// address (host order). A session that fails in any way is closed alone.
// A client that sends its message promptly always gets a place: one address holds only a few of
// them, a session lives a bounded time however it trickles, and when every place is taken the
// session that has held one longest gives it up, unless all are new; then the newcomer hears
// "insufficient resources".
class SessionServer {
public:
    static constexpr int kMaxSessions = 16;
    static constexpr int kMaxPerAddress = 4;
    // Connections that wait to be taken while the thread serves others.
    static constexpr int kBacklog = 128;

    using Deliver = std::function<bool(const SessionMessage&, std::uint32_t sender)>;

    // Binds the port; nothing and a reason when that fails. Tests shorten the times.
    static std::unique_ptr<SessionServer> Open(std::uint16_t port, QByteArray ownName,
                                               Deliver deliver, QString* error,
                                               SessionTiming timing = {});
    ~SessionServer();
    SessionServer(const SessionServer&) = delete;
    SessionServer& operator=(const SessionServer&) = delete;

    int OpenSessions() const { return sessions_; }

private:
    SessionServer(QByteArray ownName, Deliver deliver, SessionTiming timing);
    void Run();

    const QByteArray ownName_;
    const Deliver deliver_;
    const SessionTiming timing_;
    std::atomic<int> sessions_{0};
    ServedSocket served_;
};

}  // namespace platform::netbios
