#include "platform/mailslot/MailslotNames.h"

#include "platform/Windows1252.h"
#include "platform/mailslot/MailslotDatagram.h"

#include <QFile>
#include <QMutex>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>

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
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::CanBroadcast) ||
            (flags & QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull()) {
                deliveries.push_back({destination, type, entry.broadcast(), entry.ip()});
            }
        }
    }
    return deliveries;
}

QHostAddress Resolve(const QByteArray& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found) {
        return {};
    }
    QHostAddress address(found->ai_addr);
    freeaddrinfo(found);
    return address;
}

// Characters a NetBIOS name cannot hold, besides controls.
bool IsNameByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && !QByteArrayView("\\/:*?\"<>|.").contains(c);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    static const QRegularExpression section(u"^\\s*\\[\\s*([^\\]]*?)\\s*\\]"_s);
    static const QRegularExpression workgroup(u"^\\s*workgroup\\s*=\\s*(.*?)\\s*$"_s,
                                              QRegularExpression::CaseInsensitiveOption);
    bool inGlobal = true;  // settings before any section count as global
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (const auto m = section.match(line); m.hasMatch()) {
            inGlobal = m.captured(1).compare(u"global"_s, Qt::CaseInsensitive) == 0;
        } else if (const auto w = workgroup.match(line); inGlobal && w.hasMatch()) {
            return Cut(Windows1252::Encode(w.captured(1)).value_or(QByteArray()));
        }
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
        return {{{Name{own, kMessengerSuffix}, kDirectUnique, QHostAddress::LocalHost,
                  QHostAddress::LocalHost}},
                {}};
    }

    QHostAddress ip;
    if (ip.setAddress(recipient) && ip.protocol() == QAbstractSocket::IPv4Protocol &&
        ip.toString() == recipient) {
        const Name name{Cut(recipient.toLatin1()), kMessengerSuffix};
        return {{{name, kDirectUnique, ip, {}}}, {}};
    }

    if (!bytes || bytes->isEmpty() || bytes->size() > kNameBytes ||
        !std::all_of(bytes->begin(), bytes->end(), IsNameByte) || bytes->trimmed().isEmpty()) {
        return Refuse(
            u"\"%1\" is not a NetBIOS name: a name has 1 to 15 characters of "
            "Windows-1252, none of them \\ / : * ? \" < > | or a dot."_s.arg(recipient));
    }

    const QByteArray upper = UpperName(*bytes);
    if (upper == OwnWorkgroup()) {
        return Broadcast(Broadcasts(Name{upper, kWorkstationSuffix}, kDirectGroup));
    }
    if (const QHostAddress address = Resolve(*bytes); !address.isNull()) {
        return {{{Name{upper, kMessengerSuffix}, kDirectUnique, address, {}}}, {}};
    }
    // A name nobody resolves may be a machine or a domain. Only one can exist on the network, and
    // each receiver takes just the form addressed to it, so both go out.
    auto deliveries = Broadcasts(Name{upper, kMessengerSuffix}, kDirectUnique);
    auto domain = Broadcasts(Name{upper, kWorkstationSuffix}, kDirectGroup);
    deliveries.insert(deliveries.end(), domain.begin(), domain.end());
    return Broadcast(std::move(deliveries));
}

}  // namespace platform::netbios
