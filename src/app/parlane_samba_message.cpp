// parlane-samba-message ADDRESS SENDER RECIPIENT FILE: Samba's `message command`. smbd writes each
// message it takes over a NetBIOS session to FILE and runs this as its guest user; it hands the
// message to the Parlane that listens on this machine, exactly as Parlane's own session service
// would, and removes the file. smbd and the sender wait for it, so it never waits itself.
#include "platform/Ipv4.h"
#include "platform/Windows1252.h"
#include "platform/mailslot/LocalDelivery.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/netbios/MessageSession.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace platform;

namespace {

void Complain(const QString& text) {
    std::fprintf(stderr, "parlane-samba-message: %s\n", qPrintable(text));
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        const QString self = QFileInfo(u"/proc/self/exe"_s).symLinkTarget();
        std::fprintf(stderr,
                     "usage: parlane-samba-message ADDRESS SENDER RECIPIENT FILE\n"
                     "  in smb.conf's [global]: message command = %s %%I %%f %%L %%s\n",
                     qPrintable(self));
        return 64;
    }
    QFile file(QString::fromLocal8Bit(argv[4]));
    if (!file.open(QIODevice::ReadOnly)) {
        Complain(u"cannot read %1: %2"_s.arg(file.fileName(), file.errorString()));
        return 1;
    }
    // Samba stores the text with Unix line ends; the sender's were CR LF.
    QString text = QString::fromUtf8(file.read(netbios::MessageSession::kMaxTextBytes * 4 + 1));
    file.remove();
    text.replace(u"\r\n"_s, u"\n"_s).replace(u'\n', u"\r\n"_s);
    const QByteArray encoded = Windows1252::EncodeReplacing(text);
    if (encoded.size() > netbios::MessageSession::kMaxTextBytes) {
        Complain(u"the message is longer than %1 bytes and is refused whole"_s.arg(
            netbios::MessageSession::kMaxTextBytes));
        return 1;
    }
    const std::uint32_t sender = platform::ipv4::ParseMaybeMapped(argv[1]).value_or(0);
    QByteArray body = Windows1252::EncodeReplacing(QString::fromUtf8(argv[2]));
    // The name the client called, which smbd gives in lower case; NetBIOS names go upper case.
    body.append('\0').append(Windows1252::EncodeReplacing(QString::fromUtf8(argv[3]).toUpper()));
    body.append('\0').append(encoded).append('\0').append('\0');
    QString why;
    if (!netbios::SendLocalDelivery(netbios::CurrentMailslotNetwork().port, sender, body, &why)) {
        Complain(why);
        return 1;
    }
    return 0;
}
