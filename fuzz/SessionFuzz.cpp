// Bytes from a session client, fed whole and in two pieces: a session never fails, answers the same
// either way, keeps nothing over the limit, and once closed stays closed.
#include "platform/netbios/MessageSession.h"
#include "platform/netbios/SessionPacket.h"

#include <QList>

#include <cstdint>
#include <cstdlib>

using namespace platform::netbios;

namespace {

struct Outcome {
    QByteArray replies;
    QList<QByteArray> texts;
    bool closed = false;
};

Outcome Run(QByteArrayView input, qsizetype split) {
    Outcome outcome;
    MessageSession session("PC7", "10.0.0.7", [&](const SessionMessage& message) {
        if (message.text.size() > MessageSession::kMaxTextBytes) {
            std::abort();
        }
        outcome.texts << message.text;
        return true;
    });
    for (const QByteArrayView piece : {input.first(split), input.sliced(split)}) {
        const auto step = session.Feed(piece);
        if (outcome.closed && (!step.close || !step.reply.isEmpty())) {
            std::abort();
        }
        outcome.replies += step.reply;
        outcome.closed = outcome.closed || step.close;
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const Outcome whole = Run(input, input.size());
    const Outcome split = Run(input, input.size() / 2);
    if (whole.replies != split.replies || whole.texts != split.texts ||
        whole.closed != split.closed) {
        std::abort();
    }
    if (const auto command = ParseSmbMessageCommand(input)) {
        const auto again = ParseSmbMessageCommand(EncodeSmbMessageCommand(*command));
        if (!again || again->command != command->command || again->text != command->text ||
            again->originator != command->originator ||
            again->destination != command->destination || again->groupId != command->groupId) {
            std::abort();
        }
    }
    return 0;
}
