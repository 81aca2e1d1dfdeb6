#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the capture helper hands the listener through a pipe: whole UDP datagrams to one port,
// each as a frame of a fixed header and the payload. Plain C++, so that the helper, which holds
// a raw socket, links nothing but the C library.
namespace platform::capture {

struct Datagram {
    std::uint32_t source = 0;  // IPv4 addresses in host order
    std::uint16_t sourcePort = 0;
    std::uint32_t destination = 0;
    std::string_view payload;
};

// A datagram from an IPv4 packet as a raw socket reads it (IP header first): nothing unless it
// is a whole, unfragmented UDP datagram to the port whose lengths hold. The checksum is not
// looked at: where the sending interface computes it (veth, offloading cards) a raw socket sees
// it unfinished, and Ethernet's own check has passed.
std::optional<Datagram> ParseIpv4Udp(std::string_view packet, std::uint16_t port);

inline constexpr std::size_t kHeaderBytes = 14;
inline constexpr std::size_t kMaxPayload = 65535;

std::string EncodeFrame(const Datagram& datagram);

// Frames out of a byte stream that arrives in pieces of any size.
class FrameReader {
public:
    void Append(std::string_view bytes) { pending_.append(bytes); }
    // The next whole frame, its payload valid until the next call; nothing until one is whole.
    // A header that announces more than a datagram can hold marks the stream broken for good.
    std::optional<Datagram> Next();
    bool Broken() const { return broken_; }

private:
    std::string pending_;
    std::string current_;
    bool broken_ = false;
};

}  // namespace platform::capture
