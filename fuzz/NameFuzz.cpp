// Name service packets from the LAN: parsing never fails, a query that parses comes back the same
// after being written out again, and only this machine's names are answered.
#include "platform/netbios/NameQuery.h"

#include <cstdint>
#include <cstdlib>

using namespace platform::netbios;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView packet(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto query = ParseNameQuery(packet);
    const auto answer = AnswerNameQuery(packet, "PC7", 0x0A000007);
    if (answer && !query) {
        std::abort();
    }
    // An answer carries the query's id and its name as it came, and ends with the address.
    if (answer && (!answer->startsWith(packet.first(2)) || !answer->contains(query->wireName) ||
                   !answer->endsWith(QByteArrayView("\x0a\x00\x00\x07", 4)) ||
                   UpperName(query->name.name) != "PC7")) {
        std::abort();
    }
    if (query) {
        const auto again = ParseNameQuery(EncodeNameQuery(*query));
        if (!again || again->id != query->id || again->name != query->name ||
            again->broadcast != query->broadcast || again->wireName != query->wireName) {
            std::abort();
        }
    }
    return 0;
}
