#include "platform/mailslot/MailslotNames.h"

#include "platform/Ipv4.h"
#include "platform/Windows1252.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/netbios/SambaConfig.h"

#include <QMutex>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

QMutex networkLock;
MailslotNetwork network;

QByteArray Cut(QByteArray name) {
    return UpperName(name.left(kNameBytes));
}

std::vector<Delivery> Broadcasts(const Name& destination, std::uint8_t type) {
    std::vector<Delivery> deliveries;
    for (const ipv4::Interface& nic : ipv4::Interfaces()) {
        if (nic.up && !nic.loopback && nic.broadcast) {
            deliveries.push_back({destination, type, *nic.broadcast, nic.address});
        }
    }
    return deliveries;
}

constexpr auto kLookupBound = std::chrono::seconds(5);

std::optional<std::uint32_t> Lookup(const QByteArray& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found) {
        return {};
    }
    const std::uint32_t address =
        ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return address;
}

// getaddrinfo cannot be cancelled: a lookup past the bound finishes on its own thread, unheard.
std::optional<std::uint32_t> Resolve(const QByteArray& name) {
    auto result = std::make_shared<std::promise<std::optional<std::uint32_t>>>();
    std::future<std::optional<std::uint32_t>> answer = result->get_future();
    std::thread([name, result] { result->set_value(Lookup(name)); }).detach();
    if (answer.wait_for(kLookupBound) != std::future_status::ready) {
        return std::nullopt;
    }
    return answer.get();
}

// Characters a NetBIOS name cannot hold, besides controls.
bool IsNameByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && !QByteArrayView("\\/:*?\"<>|.").contains(c);
}

bool IsIPv4(const QString& text) {
    return ipv4::Parse(text).has_value();
}

QString HostNameProblem(const QString& name) {
    static const QRegularExpression label(u"^[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?$"_s);
    static const QRegularExpression number(u"^[0-9]+$"_s);
    const QStringList labels = name.split(u'.');
    if (name.size() > kMaxHostNameBytes ||
        !std::all_of(labels.begin(), labels.end(),
                     [](const QString& l) { return label.match(l).hasMatch(); })) {
        return u"\"%1\" is not a host name: each part between the dots holds 1 to 63 letters, "
               "digits, \"-\" or \"_\", and does not begin or end with \"-\"."_s.arg(name);
    }
    if (number.match(labels.last()).hasMatch()) {
        return u"\"%1\" is not an IPv4 address: one is four numbers from 0 to 255 between dots."_s
            .arg(name);
    }
    return {};
}

DeliveryPlan Refuse(const QString& text) {
    DeliveryPlan plan;
    plan.error = text;
    return plan;
}

DeliveryPlan Broadcast(std::vector<Delivery> deliveries) {
    if (deliveries.empty()) {
        return Refuse(u"No network interface that is up can broadcast."_s);
    }
    return {std::move(deliveries), {}};
}

}  // namespace

void SetMailslotNetwork(const MailslotNetwork& next) {
    QMutexLocker lock(&networkLock);
    network = next;
}

MailslotNetwork CurrentMailslotNetwork() {
    QMutexLocker lock(&networkLock);
    return network;
}

QByteArray OwnMachineName() {
    QString name = CurrentMailslotNetwork().machineName;
    if (name.isEmpty()) {
        name = QSysInfo::machineHostName();
    }
    return Cut(Windows1252::Encode(name.section(u'.', 0, 0)).value_or(QByteArray()));
}

QByteArray OwnWorkgroup() {
    const QString configured = CurrentMailslotNetwork().workgroup;
    if (!configured.isEmpty()) {
        return Cut(Windows1252::Encode(configured).value_or(QByteArray()));
    }
    const QByteArray fromSamba = WorkgroupFromSmbConf(u"/etc/samba/smb.conf"_s);
    return fromSamba.isEmpty() ? QByteArray("WORKGROUP") : fromSamba;
}

QByteArray WorkgroupFromSmbConf(const QString& path) {
    return Cut(Windows1252::Encode(SmbConfGlobal(path, u"workgroup"_s)).value_or(QByteArray()));
}

QString RecipientProblem(const QString& recipient) {
    if (recipient == u"*"_s || recipient == u"."_s || IsIPv4(recipient)) {
        return {};
    }
    if (recipient.contains(u'.')) {
        return HostNameProblem(recipient);
    }
    const auto bytes = Windows1252::Encode(recipient);
    if (!bytes) {
        return u"\"%1\" cannot be reached: names travel in Windows-1252, which has no code for "
               "%2."_s.arg(recipient, Windows1252::DescribeCharacter(
                                          recipient, Windows1252::FirstUnencodable(recipient)));
    }
    if (bytes->size() > kNameBytes) {
        return u"\"%1\" is longer than the 15 characters of a NetBIOS name; a machine with a "
               "longer name is reached by its full host name, with its dots."_s.arg(recipient);
    }
    if (!std::all_of(bytes->begin(), bytes->end(), IsNameByte) || bytes->trimmed().isEmpty()) {
        return u"\"%1\" is not a NetBIOS name: a name is not blank and holds none of "
               "\\ / : * ? \" < > | or control characters."_s.arg(recipient);
    }
    return {};
}

DeliveryPlan PlanDelivery(const QString& recipient) {
    if (recipient == u"*"_s) {
        return Broadcast(Broadcasts(Name{OwnWorkgroup(), kWorkstationSuffix}, kDirectGroup));
    }

    const QByteArray own = OwnMachineName();
    const auto bytes = Windows1252::Encode(recipient);
    if (recipient == u"."_s || (bytes && UpperName(*bytes) == own)) {
        return {{{Name{own, kMessengerSuffix}, kDirectUnique, ipv4::kLoopback, ipv4::kLoopback}},
                {}};
    }

    if (IsIPv4(recipient)) {
        const Name name{Cut(recipient.toLatin1()), kMessengerSuffix};
        return {{{name, kDirectUnique, *ipv4::Parse(recipient), {}}}, {}};
    }
    if (const QString problem = RecipientProblem(recipient); !problem.isEmpty()) {
        return Refuse(problem);
    }

    // A full host name names one machine: its address from the resolver, its first label as the
    // NetBIOS name, as the machine calls itself.
    if (recipient.contains(u'.')) {
        const auto address = Resolve(recipient.toLatin1());
        if (!address) {
            return Refuse(u"\"%1\" was not found: the resolver knows no IPv4 address for it."_s.arg(
                recipient));
        }
        return {{{Name{Cut(recipient.section(u'.', 0, 0).toLatin1()), kMessengerSuffix},
                  kDirectUnique,
                  *address,
                  {}}},
                {}};
    }

    const QByteArray upper = UpperName(*bytes);
    if (upper == OwnWorkgroup()) {
        return Broadcast(Broadcasts(Name{upper, kWorkstationSuffix}, kDirectGroup));
    }
    if (const auto address = Resolve(*bytes)) {
        return {{{Name{upper, kMessengerSuffix}, kDirectUnique, *address, {}}}, {}};
    }
    // A name nobody resolves may be a machine or a domain. Only one can exist on the network, and
    // each receiver takes just the form addressed to it, so both go out.
    auto deliveries = Broadcasts(Name{upper, kMessengerSuffix}, kDirectUnique);
    auto domain = Broadcasts(Name{upper, kWorkstationSuffix}, kDirectGroup);
    deliveries.insert(deliveries.end(), domain.begin(), domain.end());
    return Broadcast(std::move(deliveries));
}

}  // namespace platform::netbios
