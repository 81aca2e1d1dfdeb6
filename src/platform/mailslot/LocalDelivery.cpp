#include "platform/mailslot/LocalDelivery.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

socklen_t Address(std::uint16_t port, sockaddr_un* address) {
    *address = {};
    address->sun_family = AF_UNIX;
    const QByteArray name = "parlane-mailslot-" + QByteArray::number(port);
    std::memcpy(address->sun_path + 1, name.constData(), std::size_t(name.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(name.size()));
}

}  // namespace

int BindLocalDelivery(std::uint16_t port) {
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_un address;
    const socklen_t length = Address(port, &address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return -1;
    }
    return fd;
}

bool SendLocalDelivery(std::uint16_t port, std::uint32_t sender, const QByteArray& body,
                       QString* why) {
    QByteArray datagram;
    for (int shift = 24; shift >= 0; shift -= 8) {
        datagram.append(char(sender >> shift & 0xFF));
    }
    datagram.append(body);
    if (datagram.size() > kMaxLocalDelivery) {
        *why = u"the message is too long (%1 bytes)"_s.arg(body.size());
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = Address(port, &address);
    const bool sent =
        fd >= 0 && ::sendto(fd, datagram.constData(), std::size_t(datagram.size()), MSG_DONTWAIT,
                            reinterpret_cast<const sockaddr*>(&address), length) == datagram.size();
    if (!sent) {
        *why = errno == ECONNREFUSED ? u"no copy of Parlane is listening on this machine"_s
                                     : QString::fromLocal8Bit(strerror(errno));
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return sent;
}

std::optional<LocalMessage> ParseLocalDelivery(QByteArrayView datagram) {
    if (datagram.size() <= 4 || datagram.size() > kMaxLocalDelivery) {
        return std::nullopt;
    }
    LocalMessage message;
    for (int i = 0; i < 4; ++i) {
        message.sender = message.sender << 8 | static_cast<unsigned char>(datagram[i]);
    }
    message.body = datagram.sliced(4).toByteArray();
    return message;
}

}  // namespace platform::netbios
