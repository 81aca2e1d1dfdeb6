#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

// IPv4 addresses in host byte order, as the C library reads and writes them.
namespace platform::ipv4 {

constexpr std::uint32_t kLoopback = 0x7F000001;

// A dotted quad written the one way it prints ("192.168.0.1": four numbers of 0 to 255, no
// leading zeros); anything else is no address.
std::optional<std::uint32_t> Parse(QStringView text);
// The same, or an IPv4 address inside IPv6 ("::ffff:192.168.0.1"), as a dual-stack server
// gives its peers' addresses.
std::optional<std::uint32_t> ParseMaybeMapped(QByteArrayView text);
QByteArray Text(std::uint32_t address);

struct Interface {
    std::uint32_t address = 0;
    std::optional<std::uint32_t> broadcast;
    bool up = false;
    bool loopback = false;
};
// Every IPv4 address of this machine's interfaces.
std::vector<Interface> Interfaces();

}  // namespace platform::ipv4
