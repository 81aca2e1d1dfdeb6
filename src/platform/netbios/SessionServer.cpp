#include "platform/netbios/SessionServer.h"

#include "platform/Ipv4.h"
#include "platform/netbios/PortError.h"
#include "platform/netbios/SessionPacket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <list>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

using Clock = std::chrono::steady_clock;

struct Session {
    int fd;
    std::uint32_t address;
    MessageSession session;
    Clock::time_point opened;
    Clock::time_point heard;  // the last packet that was not a keep-alive
};

// A refused client's socket, kept a moment: the answer goes after its request, since a client
// may take a socket that is readable before it has asked as one that was closed; and the rest is
// read, so that closing does not reset the answer away.
struct Refused {
    int fd;
    Clock::time_point until;
    bool answered = false;
};

// Replies are a few dozen bytes: a client that cannot take them at once is not reading.
bool WriteAll(int fd, const QByteArray& bytes) {
    return bytes.isEmpty() || ::send(fd, bytes.constData(), std::size_t(bytes.size()),
                                     MSG_NOSIGNAL | MSG_DONTWAIT) == bytes.size();
}

}  // namespace

std::unique_ptr<SessionServer> SessionServer::Open(std::uint16_t port, QByteArray ownName,
                                                   Deliver deliver, QString* error,
                                                   SessionTiming timing) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = PortError(u"TCP"_s, port, errno, u"smbd"_s);
        return nullptr;
    }
    // Lets a reopened listener bind while closed sessions linger; never shares a live port.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        const int why = errno;
        *error = PortError(u"TCP"_s, port, why, u"smbd"_s);
        ::close(fd);
        errno = why;  // the caller tells a port in use from other failures
        return nullptr;
    }
    std::unique_ptr<SessionServer> server(
        new SessionServer(std::move(ownName), std::move(deliver), timing));
    if (!server->served_.Adopt(fd)) {
        *error = PortError(u"TCP"_s, port, errno, u"smbd"_s);
        return nullptr;
    }
    server->served_.Start([s = server.get()] { s->Run(); });
    return server;
}

SessionServer::SessionServer(QByteArray ownName, Deliver deliver, SessionTiming timing)
    : ownName_(std::move(ownName)), deliver_(std::move(deliver)), timing_(timing) {}

SessionServer::~SessionServer() {
    served_.Stop();
}

void SessionServer::Run() {
    std::list<Session> sessions;
    std::list<Refused> refused;
    std::vector<pollfd> fds;
    char buffer[4096];
    const auto close = [&](std::list<Session>::iterator session) {
        ::close(session->fd);
        const auto next = sessions.erase(session);
        sessions_ = int(sessions.size());
        return next;
    };
    const auto expired = [&](const Session& session, Clock::time_point now) {
        return now >= session.heard + timing_.idle || now >= session.opened + timing_.life;
    };
    // Frees a place for a newcomer from the address: the oldest session past its grace gives
    // way, one of the address's own when it holds its share already.
    const auto makeRoom = [&](std::uint32_t address, Clock::time_point now) {
        const bool crowded = std::count_if(sessions.begin(), sessions.end(), [&](const Session& s) {
                                 return s.address == address;
                             }) >= kMaxPerAddress;
        if (!crowded && int(sessions.size()) < kMaxSessions) {
            return true;
        }
        auto oldest = sessions.end();
        for (auto s = sessions.begin(); s != sessions.end(); ++s) {
            if ((!crowded || s->address == address) && now >= s->opened + timing_.grace &&
                (oldest == sessions.end() || s->opened < oldest->opened)) {
                oldest = s;
            }
        }
        if (oldest == sessions.end()) {
            return false;
        }
        close(oldest);
        return true;
    };
    while (true) {
        fds.assign({{served_.Wake(), POLLIN, 0}, {served_.Socket(), POLLIN, 0}});
        auto deadline = Clock::time_point::max();
        for (const Session& session : sessions) {
            fds.push_back({session.fd, POLLIN, 0});
            deadline =
                std::min({deadline, session.heard + timing_.idle, session.opened + timing_.life});
        }
        for (const Refused& r : refused) {
            fds.push_back({r.fd, POLLIN, 0});
            deadline = std::min(deadline, r.until);
        }
        int timeout = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = int(std::max<std::int64_t>(0, left.count()));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents) {
            break;
        }
        const auto now = Clock::now();
        std::size_t index = 2;
        for (auto session = sessions.begin(); session != sessions.end(); ++index) {
            if (fds[index].revents == 0) {
                session = expired(*session, now) ? close(session) : std::next(session);
                continue;
            }
            const ssize_t size = ::recv(session->fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (size < 0 && (errno == EAGAIN || errno == EINTR)) {
                ++session;
                continue;
            }
            if (size <= 0) {
                session = close(session);
                continue;
            }
            const auto step = session->session.Feed(QByteArrayView(buffer, size));
            if (step.progress) {
                session->heard = now;
            }
            if (!WriteAll(session->fd, step.reply) || step.close) {
                ::shutdown(session->fd, SHUT_WR);
                session = close(session);
                continue;
            }
            session = expired(*session, now) ? close(session) : std::next(session);
        }
        for (auto r = refused.begin(); r != refused.end(); ++index) {
            bool done = now >= r->until;
            if (fds[index].revents) {
                const ssize_t size = ::recv(r->fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (size > 0 && !r->answered) {
                    WriteAll(r->fd,
                             EncodeSessionPacket(kNegativeSessionResponse,
                                                 QByteArray(1, char(kInsufficientResources))));
                    ::shutdown(r->fd, SHUT_WR);
                    r->answered = true;
                }
                done = done || size == 0 || (size < 0 && errno != EAGAIN && errno != EINTR);
            }
            if (done) {
                ::close(r->fd);
                r = refused.erase(r);
            } else {
                ++r;
            }
        }
        // Every waiting connection, so that none waits for the client's retry.
        while (fds[1].revents) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            const int fd = ::accept4(served_.Socket(), reinterpret_cast<sockaddr*>(&peer), &length,
                                     SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == ECONNABORTED || errno == EINTR) {
                    continue;
                }
                break;
            }
            const std::uint32_t sender = ntohl(peer.sin_addr.s_addr);
            if (!makeRoom(sender, now)) {
                if (int(refused.size()) < kMaxSessions) {
                    refused.push_back({fd, now + timing_.grace});
                } else {
                    ::close(fd);
                }
                continue;
            }
            sockaddr_in local{};
            socklen_t localLength = sizeof local;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength);
            const QByteArray localAddress = ipv4::Text(ntohl(local.sin_addr.s_addr));
            MessageSession session(ownName_, localAddress,
                                   [this, sender](const SessionMessage& message) {
                                       return deliver_(message, sender);
                                   });
            sessions.push_back({fd, sender, std::move(session), now, now});
            sessions_ = int(sessions.size());
        }
    }
    for (const Session& session : sessions) {
        ::close(session.fd);
    }
    for (const Refused& r : refused) {
        ::close(r.fd);
    }
    sessions_ = 0;
}

}  // namespace platform::netbios
