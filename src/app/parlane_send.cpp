// parlane-send [--from NAME] RECIPIENT TEXT...: one message, the exit status its result code.
#include "platform/RuntimeError.h"
#include "platform/mailslot/Mailslot.h"
#include "transport/modMailSlots.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kUsage = 64;

void Complain(const QString& text) {
    std::fprintf(stderr, "parlane-send: %s\n", qPrintable(text));
}

int Usage() {
    std::fputs(
        "usage: parlane-send [--from NAME] RECIPIENT TEXT...\n"
        "  RECIPIENT  a machine or user name, a domain, an IPv4 address, \".\" for this machine\n"
        "             or \"*\" for every machine of this workgroup\n"
        "  --from     the sender's name as the receiver sees it (default \"Parlane User\")\n"
        "exit status: 0 written, 1 no text, 2 written in part, 3 not sent, 64 usage\n",
        stderr);
    return kUsage;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);

    MailSlotMessage message;
    if (!args.isEmpty() && (args.first() == u"--help"_s || args.first() == u"-h"_s)) {
        Usage();
        return 0;
    }
    if (!args.isEmpty() && args.first() == u"--from"_s) {
        if (args.size() < 2) {
            return Usage();
        }
        message.From = args.at(1);
        args = args.mid(2);
    } else if (!args.isEmpty() && args.first().startsWith(u"--from="_s)) {
        message.From = args.takeFirst().mid(7);
    }
    if (args.size() < 2) {
        return Usage();
    }
    message.To = args.takeFirst();
    message.Text = args.join(u' ');

    int result = modMailSlots::SendFailed;
    try {
        result = modMailSlots::SendMailSlotMessage(u"messngr"_s, message);
    } catch (const platform::RuntimeError& e) {
        Complain(u"not sent: "_s + e.Description());
        return modMailSlots::SendFailed;
    }
    switch (result) {
        case modMailSlots::SendNoText:
            Complain(u"not sent: the message text is empty."_s);
            break;
        case modMailSlots::SendShortWrite:
            Complain(u"written in part: the network took fewer bytes than the message has."_s);
            break;
        case modMailSlots::SendFailed:
            Complain(u"not sent to %1: %2"_s.arg(message.To, platform::LastErrorText()));
            break;
        default:
            break;
    }
    return result;
}
