#include "platform/netbios/NameServer.h"

#include "platform/netbios/NameQuery.h"
#include "platform/netbios/PortError.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::netbios {

std::unique_ptr<NameServer> NameServer::Open(std::uint16_t port, QByteArray ownName,
                                             QString* error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        ::close(fd);
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<NameServer> server(new NameServer(fd, wake, std::move(ownName)));
    server->thread_ = std::thread(&NameServer::Run, server.get());
    return server;
}

NameServer::NameServer(int socket, int wake, QByteArray ownName)
    : socket_(socket), wake_(wake), ownName_(std::move(ownName)) {}

NameServer::~NameServer() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    thread_.join();
    ::close(socket_);
    ::close(wake_);
}

void NameServer::Run() {
    char buffer[1024];  // queries are about 50 bytes; anything cut is not one
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents) {
            return;
        }
        iovec io{buffer, sizeof buffer};
        sockaddr_in from{};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(socket_, &message, MSG_DONTWAIT);
        if (size < 0 || (message.msg_flags & MSG_TRUNC)) {
            continue;
        }
        // The interface's own address, also when the query was a broadcast.
        std::uint32_t local = 0;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                local = ntohl(info.ipi_spec_dst.s_addr);
            }
        }
        if (local == 0) {
            continue;
        }
        if (const auto answer = AnswerNameQuery(QByteArrayView(buffer, size), ownName_, local)) {
            ::sendto(socket_, answer->constData(), std::size_t(answer->size()), MSG_DONTWAIT,
                     reinterpret_cast<const sockaddr*>(&from), sizeof from);
        }
    }
}

}  // namespace platform::netbios
