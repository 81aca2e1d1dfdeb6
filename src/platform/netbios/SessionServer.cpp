#include "platform/netbios/SessionServer.h"

#include "platform/netbios/PortError.h"

#include <QHostAddress>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

using Clock = std::chrono::steady_clock;

struct Session {
    int fd;
    MessageSession session;
    Clock::time_point heard;
};

// Replies are a few dozen bytes: a client that cannot take them at once is not reading.
bool WriteAll(int fd, const QByteArray& bytes) {
    return bytes.isEmpty() || ::send(fd, bytes.constData(), std::size_t(bytes.size()),
                                     MSG_NOSIGNAL | MSG_DONTWAIT) == bytes.size();
}

}  // namespace

std::unique_ptr<SessionServer> SessionServer::Open(std::uint16_t port, QByteArray ownName,
                                                   Deliver deliver, QString* error,
                                                   std::chrono::milliseconds idle) {
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
        ::listen(fd, kMaxSessions) != 0) {
        const int why = errno;
        *error = PortError(u"TCP"_s, port, why, u"smbd"_s);
        ::close(fd);
        errno = why;  // the caller tells a port in use from other failures
        return nullptr;
    }
    std::unique_ptr<SessionServer> server(
        new SessionServer(std::move(ownName), std::move(deliver), idle));
    if (!server->served_.Adopt(fd)) {
        *error = PortError(u"TCP"_s, port, errno, u"smbd"_s);
        return nullptr;
    }
    server->served_.Start([s = server.get()] { s->Run(); });
    return server;
}

SessionServer::SessionServer(QByteArray ownName, Deliver deliver, std::chrono::milliseconds idle)
    : ownName_(std::move(ownName)), deliver_(std::move(deliver)), idle_(idle) {}

SessionServer::~SessionServer() {
    served_.Stop();
}

void SessionServer::Run() {
    std::list<Session> sessions;
    std::vector<pollfd> fds;
    char buffer[4096];
    const auto close = [&](std::list<Session>::iterator session) {
        ::close(session->fd);
        sessions_ = int(sessions.size()) - 1;
        return sessions.erase(session);
    };
    while (true) {
        fds.assign({{served_.Wake(), POLLIN, 0}, {served_.Socket(), POLLIN, 0}});
        auto deadline = Clock::time_point::max();
        for (const Session& session : sessions) {
            fds.push_back({session.fd, POLLIN, 0});
            deadline = std::min(deadline, session.heard + idle_);
        }
        int timeout = -1;
        if (!sessions.empty()) {
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
            const short events = fds[index].revents;
            if (events == 0) {
                session = session->heard + idle_ <= now ? close(session) : std::next(session);
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
            session->heard = now;
            const auto step = session->session.Feed(QByteArrayView(buffer, size));
            if (!WriteAll(session->fd, step.reply) || step.close) {
                ::shutdown(session->fd, SHUT_WR);
                session = close(session);
                continue;
            }
            ++session;
        }
        if (fds[1].revents) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            const int fd = ::accept4(served_.Socket(), reinterpret_cast<sockaddr*>(&peer), &length,
                                     SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0 && int(sessions.size()) >= kMaxSessions) {
                ::close(fd);
            } else if (fd >= 0) {
                sockaddr_in local{};
                socklen_t localLength = sizeof local;
                ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength);
                const QByteArray localAddress =
                    QHostAddress(ntohl(local.sin_addr.s_addr)).toString().toLatin1();
                const std::uint32_t sender = ntohl(peer.sin_addr.s_addr);
                MessageSession session(ownName_, localAddress,
                                       [this, sender](const SessionMessage& message) {
                                           return deliver_(message, sender);
                                       });
                sessions.push_back({fd, std::move(session), now});
                sessions_ = int(sessions.size());
            }
        }
    }
    for (const Session& session : sessions) {
        ::close(session.fd);
    }
    sessions_ = 0;
}

}  // namespace platform::netbios
