#include "platform/netbios/ServedSocket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::netbios {

bool ServedSocket::Adopt(int socket) {
    if (socket < 0) {
        return false;  // errno still tells why it could not be had
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    if (wake_ < 0) {
        const int why = errno;
        ::close(socket);
        errno = why;
        return false;
    }
    socket_ = socket;
    return true;
}

void ServedSocket::Stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
        thread_.join();
    }
    for (int* fd : {&socket_, &wake_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

bool ServedSocket::WaitForInput() const {
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return fds[1].revents == 0;
}

int OpenUdpPort(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return -1;
    }
    return fd;
}

ReceivedDatagram ReceiveDatagram(int socket, char* buffer, std::size_t size) {
    ReceivedDatagram received;
    iovec io{buffer, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &received.from;
    message.msg_namelen = sizeof received.from;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    received.size = ::recvmsg(socket, &message, MSG_DONTWAIT);
    if (received.size < 0) {
        return received;
    }
    received.truncated = (message.msg_flags & MSG_TRUNC) != 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            received.destination = ntohl(info.ipi_addr.s_addr);
            received.interfaceLocal = ntohl(info.ipi_spec_dst.s_addr);
        }
    }
    return received;
}

}  // namespace platform::netbios
