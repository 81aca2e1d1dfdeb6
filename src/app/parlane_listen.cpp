// parlane-listen: prints every message that reaches this machine's mailslot, by datagram or over
// a NetBIOS session, until interrupted.
#include "platform/mailslot/Mailslot.h"
#include "transport/MailslotDrops.h"
#include "transport/MailslotListener.h"
#include "transport/NetbiosServices.h"
#include "transport/modMailSlots.h"

#include <QCoreApplication>
#include <QTime>

#include <csignal>
#include <cstdio>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

volatile std::sig_atomic_t stopping = 0;

void Stop(int) {
    stopping = 1;
}

// How long one read waits before the loop looks at the interrupt flag again.
constexpr platform::DWORD kReadTimeoutMs = 200;

void Print(const QString& text) {
    const QString line = QTime::currentTime().toString(u"hh:mm:ss"_s) + u"  "_s + text + u'\n';
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// Nothing from the network reaches the terminal as a control character: an escape sequence in a
// datagram would otherwise clear the screen, retitle the window or fake a line of its own.
void Print(const MailSlotMessage& message) {
    using modMailSlots::EscapeControls;
    Print(u"From: %1  To: %2  Text: %3"_s.arg(
        EscapeControls(message.From), EscapeControls(message.To), EscapeControls(message.Text)));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (QCoreApplication::arguments().size() > 1) {
        std::fputs(
            "usage: parlane-listen\n  prints each message sent to this machine's "
            "messenger mailslot, or over a NetBIOS session, until interrupted (Ctrl+C)\n",
            stderr);
        return 64;
    }
    struct sigaction action {};
    action.sa_handler = Stop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const platform::HANDLE slot =
        platform::CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, kReadTimeoutMs, nullptr);
    if (slot == platform::INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "parlane-listen: cannot open the mailslot messngr: %s\n",
                     qPrintable(platform::LastErrorText()));
        return 1;
    }
    std::optional<NetbiosServices> netbios(slot);
    std::vector<platform::netbios::ListeningGap> gaps;
    // Standard error says what cannot arrive, at the start and whenever that changes.
    const auto tellGaps = [&](bool always) {
        auto now = platform::MailslotGaps(slot);
        now.insert(now.end(), netbios->Gaps().begin(), netbios->Gaps().end());
        if (always || now != gaps) {
            gaps = std::move(now);
            for (const auto& gap : gaps) {
                std::fprintf(stderr, "parlane-listen: %s\n", qPrintable(gap.why));
            }
            std::fprintf(stderr, "parlane-listen: %s\n", qPrintable(GapsText(gaps)));
        }
    };
    tellGaps(true);
    std::fprintf(stderr, "parlane-listen: listening; Ctrl+C stops\n");

    // No message is longer than a datagram, so one read always takes it whole.
    std::vector<char> buffer(65536);
    MailslotDrops drops;
    MailslotDrops refusals(MailslotDrops::Why::NamesTooLong);
    while (!stopping) {
        tellGaps(false);
        for (const auto& lost : {drops.Check(platform::DroppedMailslotMessages(slot)),
                                 refusals.Check(platform::RefusedMailslotMessages(slot))}) {
            if (lost) {
                Print(*lost);
            }
        }
        platform::DWORD read = 0;
        if (platform::ReadFile(slot, buffer.data(), platform::DWORD(buffer.size()), &read,
                               nullptr)) {
            const MailSlotMessage message =
                modMailSlots::SplitMailSlotFields(QByteArrayView(buffer.data(), read));
            if (!message.Text.isEmpty()) {
                Print(message);
            }
        }
    }
    netbios.reset();
    platform::CloseHandle(slot);
    return 0;
}
