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
    ParseNameAnswer(packet);
    if (answer && !query) {
        std::abort();
    }
    if (answer) {
        const auto parsed = ParseNameAnswer(*answer);
        if (!parsed || parsed->id != query->id || parsed->address != 0x0A000007 ||
            UpperName(parsed->name.name) != "PC7") {
            std::abort();
        }
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
