// Message bodies as any sender may write them: splitting never fails and gives fields that travel
// unchanged.
#include "transport/modMailSlots.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView body(reinterpret_cast<const char*>(data), qsizetype(size));
    const MailSlotMessage message = modMailSlots::SplitMailSlotFields(body);
    if (message.From.size() + message.To.size() + message.Text.size() > body.size()) {
        std::abort();
    }
    if (modMailSlots::SplitMailSlotFields(modMailSlots::JoinMailSlotFields(message)) != message) {
        std::abort();
    }
    return 0;
}
