#include "transport/NetbiosServices.h"

#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/netbios/NameServer.h"
#include "platform/netbios/PortOwners.h"
#include "platform/netbios/SambaConfig.h"
#include "platform/netbios/SessionServer.h"

#include <cerrno>

using namespace platform::netbios;
using namespace Qt::StringLiterals;

namespace {

// Why session messages cannot come while another program holds the port, or nothing when smbd
// holds it and hands them on.
QString SessionPortProblem(std::uint16_t port, const QString& bindError) {
    const QString config = RunningSmbdConfig(port);
    if (config.isEmpty()) {
        return bindError;
    }
    if (SmbConfHandsMessagesOn(config)) {
        return {};
    }
    return HeldBy(Transport::Tcp, port, u"smbd"_s) +
           u", which does not hand messages to Parlane: add \"server min protocol = NT1\" and "
           "\"message command = parlane-samba-message %I %f %L %s\" (with the helper's full path) "
           "to the [global] section of %1 and restart smbd."_s.arg(config);
}

}  // namespace

NetbiosServices::NetbiosServices(std::intptr_t slot) {
    const MailslotNetwork network = CurrentMailslotNetwork();
    const QByteArray own = OwnMachineName();
    QString why;
    if (network.sessionPort != 0) {
        // The same body a datagram carries, so the slot's reader cannot tell them apart.
        const auto deliver = [slot](const SessionMessage& message, std::uint32_t sender) {
            QByteArray body = message.from;
            body.append('\0').append(message.to).append('\0').append(message.text);
            body.append('\0').append('\0');
            return platform::DeliverToMailslot(slot, std::move(body), sender);
        };
        sessions_ = SessionServer::Open(network.sessionPort, own, deliver, &why);
        if (!sessions_) {
            why = errno == EADDRINUSE ? SessionPortProblem(network.sessionPort, why) : why;
            if (!why.isEmpty()) {
                gaps_.push_back({ListeningGap::Lost::Sessions, why});
            }
        }
    }
    if (network.namePort != 0) {
        names_ = NameServer::Open(network.namePort, own, &why);
        if (!names_) {
            gaps_.push_back({ListeningGap::Lost::NameQueries, why});
        }
    }
}

NetbiosServices::~NetbiosServices() = default;

int NetbiosServices::OpenSessions() const {
    return sessions_ ? sessions_->OpenSessions() : 0;
}
