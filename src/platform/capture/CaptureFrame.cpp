#include "platform/capture/CaptureFrame.h"

namespace platform::capture {
namespace {

std::uint32_t Get(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    }
    return value;
}

void Put(std::string& out, std::uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) {
        out.push_back(char(value >> (8 * i) & 0xFF));
    }
}

}  // namespace

std::optional<Datagram> ParseIpv4Udp(std::string_view packet, std::uint16_t port) {
    if (packet.size() < 20 || (Get(packet, 0, 1) >> 4) != 4) {
        return std::nullopt;
    }
    const std::size_t headerBytes = (Get(packet, 0, 1) & 0x0F) * 4u;
    const std::size_t total = Get(packet, 2, 2);
    const bool fragment = (Get(packet, 6, 2) & 0x3FFF) != 0;  // more fragments, or an offset
    if (headerBytes < 20 || total < headerBytes + 8 || total > packet.size() || fragment ||
        Get(packet, 9, 1) != 17) {
        return std::nullopt;
    }
    const std::string_view udp = packet.substr(headerBytes, total - headerBytes);
    if (Get(udp, 4, 2) != udp.size() || Get(udp, 2, 2) != port) {
        return std::nullopt;
    }
    Datagram datagram;
    datagram.source = Get(packet, 12, 4);
    datagram.destination = Get(packet, 16, 4);
    datagram.sourcePort = std::uint16_t(Get(udp, 0, 2));
    datagram.payload = udp.substr(8);
    return datagram;
}

std::string EncodeFrame(const Datagram& datagram) {
    std::string frame;
    frame.reserve(kHeaderBytes + datagram.payload.size());
    Put(frame, std::uint32_t(datagram.payload.size()), 4);
    Put(frame, datagram.source, 4);
    Put(frame, datagram.sourcePort, 2);
    Put(frame, datagram.destination, 4);
    frame.append(datagram.payload);
    return frame;
}

std::optional<Datagram> FrameReader::Next() {
    if (broken_ || pending_.size() < kHeaderBytes) {
        return std::nullopt;
    }
    const std::size_t size = Get(pending_, 0, 4);
    if (size > kMaxPayload) {
        broken_ = true;
        return std::nullopt;
    }
    if (pending_.size() < kHeaderBytes + size) {
        return std::nullopt;
    }
    current_.assign(pending_, 0, kHeaderBytes + size);
    pending_.erase(0, kHeaderBytes + size);
    Datagram datagram;
    datagram.source = Get(current_, 4, 4);
    datagram.sourcePort = std::uint16_t(Get(current_, 8, 2));
    datagram.destination = Get(current_, 10, 4);
    datagram.payload = std::string_view(current_).substr(kHeaderBytes);
    return datagram;
}

}  // namespace platform::capture
