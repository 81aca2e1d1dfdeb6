// Packets as a raw socket reads them, and frames as a pipe delivers them in pieces: a datagram
// taken lies within its packet and comes back whole through a frame.
#include "platform/capture/CaptureFrame.h"

#include <cstdint>
#include <cstdlib>

using namespace platform::capture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto datagram = ParseIpv4Udp(input, 138)) {
        if (datagram->payload.data() < input.data() ||
            datagram->payload.data() + datagram->payload.size() > input.data() + input.size()) {
            std::abort();
        }
        FrameReader reader;
        reader.Append(EncodeFrame(*datagram));
        const auto back = reader.Next();
        if (!back || back->payload != datagram->payload || back->source != datagram->source) {
            std::abort();
        }
    }
    // The same bytes as a stream, cut at every seventh byte.
    FrameReader reader;
    for (std::size_t at = 0; at < size; at += 7) {
        reader.Append(input.substr(at, 7));
        while (const auto frame = reader.Next()) {
            if (frame->payload.size() > kMaxPayload) {
                std::abort();
            }
        }
    }
    return 0;
}
