#include "platform/Ipv4.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

namespace platform::ipv4 {
namespace {

std::uint32_t HostOrder(const sockaddr* address) {
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

std::optional<std::uint32_t> ParseTerminated(const char* text) {
    in_addr v4{};
    if (::inet_pton(AF_INET, text, &v4) != 1) {
        return std::nullopt;
    }
    return ntohl(v4.s_addr);
}

}  // namespace

std::optional<std::uint32_t> Parse(QStringView text) {
    if (text.size() >= INET_ADDRSTRLEN || text.contains(QChar(0))) {
        return std::nullopt;
    }
    return ParseTerminated(text.toLatin1().constData());
}

std::optional<std::uint32_t> ParseMaybeMapped(QByteArrayView text) {
    if (text.contains('\0')) {
        return std::nullopt;
    }
    const QByteArray terminated = text.toByteArray();
    in6_addr v6{};
    if (::inet_pton(AF_INET6, terminated.constData(), &v6) == 1 && IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::uint32_t last = 0;
        std::memcpy(&last, &v6.s6_addr[12], sizeof last);
        return ntohl(last);
    }
    return ParseTerminated(terminated.constData());
}

QByteArray Text(std::uint32_t address) {
    const in_addr v4{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &v4, text, sizeof text);
    return QByteArray(text);
}

std::vector<Interface> Interfaces() {
    std::vector<Interface> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        Interface nic;
        nic.address = HostOrder(i->ifa_addr);
        if ((i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr) {
            nic.broadcast = HostOrder(i->ifa_broadaddr);
        }
        nic.up = (i->ifa_flags & IFF_UP) != 0;
        nic.loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
        found.push_back(nic);
    }
    ::freeifaddrs(list);
    return found;
}

}  // namespace platform::ipv4
