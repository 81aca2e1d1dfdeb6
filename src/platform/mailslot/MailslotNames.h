#pragma once

#include "platform/mailslot/NetbiosName.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Who this machine is on the NetBIOS datagram service, and where a write to a recipient goes.
namespace platform::netbios {

// What the mailslot layer runs with. Tests move the port and name the machine; users never do.
struct MailslotNetwork {
    std::uint16_t port = 138;
    QString machineName;  // empty: from the host name
    QString workgroup;    // empty: from Samba's configuration, else WORKGROUP
    // The session and name services beside the mailslot; 0 leaves one closed.
    std::uint16_t sessionPort = 139;
    std::uint16_t namePort = 137;
    // The helper that captures the port's datagrams while Samba's nmbd holds it; empty: the one
    // installed with the program.
    QString captureProgram = {};
};

void SetMailslotNetwork(const MailslotNetwork& network);
MailslotNetwork CurrentMailslotNetwork();

// The host name up to its first dot, upper-cased, at most 15 bytes.
QByteArray OwnMachineName();
QByteArray OwnWorkgroup();

// `workgroup` of the [global] section of an smb.conf, upper-cased; empty when none is set.
QByteArray WorkgroupFromSmbConf(const QString& path);

struct Delivery {
    Name destination;
    std::uint8_t type = 0;
    std::uint32_t target = 0;
    // None: whatever address the route to the target leaves from.
    std::optional<std::uint32_t> source;
};

struct DeliveryPlan {
    std::vector<Delivery> deliveries;
    QString error;  // why nothing can be sent, when deliveries is empty
};

// Why no message can ever reach that recipient, or an empty text when one can: "*", ".", an IPv4
// address, a full host name (with dots), or a NetBIOS name of 1 to 15 Windows-1252 characters.
QString RecipientProblem(const QString& recipient);

// The datagrams one write to the recipient becomes. Names are looked up with the system's
// resolver for at most a few seconds, so that a resolver that does not answer cannot hold the
// sender up for long.
DeliveryPlan PlanDelivery(const QString& recipient);

}  // namespace platform::netbios
