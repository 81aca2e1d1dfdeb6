#include "transport/NetbiosServices.h"

#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/netbios/NameServer.h"
#include "platform/netbios/SessionServer.h"

using namespace platform::netbios;

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
            problems_ << why;
        }
    }
    if (network.namePort != 0) {
        names_ = NameServer::Open(network.namePort, own, &why);
        if (!names_) {
            problems_ << why;
        }
    }
}

NetbiosServices::~NetbiosServices() = default;

int NetbiosServices::OpenSessions() const {
    return sessions_ ? sessions_->OpenSessions() : 0;
}
