// Datagrams from the LAN: parsing never fails, and what parses comes back the same after being
// written out again.
#include "platform/mailslot/MailslotDatagram.h"

#include <cstdint>
#include <cstdlib>

using namespace platform::netbios;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView packet(reinterpret_cast<const char*>(data), qsizetype(size));
    const OwnNames own{"PC7", "WORKGROUP", "\\MAILSLOT\\MESSNGR", "10.0.0.7"};
    const auto body = TakeBody(packet, own);
    const auto write = ParseMailslotWrite(packet);
    if (body && !write) {
        std::abort();
    }
    if (!write) {
        return 0;
    }
    if (write->body.size() > packet.size() || (body && *body != write->body)) {
        std::abort();
    }
    const auto again = ParseMailslotWrite(EncodeMailslotWrite(*write));
    if (!again || again->type != write->type || again->id != write->id ||
        again->sourceIp != write->sourceIp || again->source != write->source ||
        again->destination != write->destination || again->mailslot != write->mailslot ||
        again->body != write->body) {
        std::abort();
    }
    return 0;
}
