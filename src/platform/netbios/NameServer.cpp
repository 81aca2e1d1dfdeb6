#include "platform/netbios/NameServer.h"

#include "platform/Ipv4.h"
#include "platform/netbios/NameQuery.h"
#include "platform/netbios/PortError.h"
#include "platform/netbios/PortOwners.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform::netbios {

namespace {

// The broadcast addresses of this machine's IPv4 interfaces.
std::vector<std::uint32_t> InterfaceBroadcasts() {
    std::vector<std::uint32_t> broadcasts;
    for (const ipv4::Interface& nic : ipv4::Interfaces()) {
        if (nic.broadcast) {
            broadcasts.push_back(*nic.broadcast);
        }
    }
    return broadcasts;
}

// An answer goes to one machine that asked. A query "from" a broadcast or multicast address
// would have it reach many (anyone may forge the source and aim the answers of every machine at
// the LAN); one from 0.0.0.0 or loopback came from nobody that can be answered.
bool MayAnswer(std::uint32_t source, const std::vector<std::uint32_t>& broadcasts) {
    const std::uint32_t first = source >> 24;
    return source != 0 && source != 0xFFFFFFFF && first != 127 && (first & 0xF0) != 0xE0 &&
           std::find(broadcasts.begin(), broadcasts.end(), source) == broadcasts.end();
}

}  // namespace

std::unique_ptr<NameServer> NameServer::Open(std::uint16_t port, QByteArray ownName,
                                             QString* error) {
    std::unique_ptr<NameServer> server(new NameServer(port, std::move(ownName)));
    if (!server->served_.Adopt(OpenUdpPort(port))) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    server->served_.Start([s = server.get()] { s->Run(); });
    return server;
}

NameServer::NameServer(std::uint16_t port, QByteArray ownName)
    : port_(port), ownName_(std::move(ownName)) {}

NameServer::~NameServer() {
    served_.Stop();
}

void NameServer::Run() {
    char buffer[1024];  // queries are about 50 bytes; anything cut is not one
    using Clock = std::chrono::steady_clock;
    auto looked = Clock::now() - std::chrono::seconds(1);
    bool shared = false;
    std::vector<std::uint32_t> broadcasts;
    while (served_.WaitForInput()) {
        const ReceivedDatagram received = ReceiveDatagram(served_.Socket(), buffer, sizeof buffer);
        // The interface's own address, also when the query was a broadcast.
        if (received.size < 0 || received.truncated || received.interfaceLocal == 0) {
            continue;
        }
        // Who shares the port and the interfaces' addresses change rarely; a flood of queries looks
        // at most once a second.
        if (const auto now = Clock::now(); now - looked >= std::chrono::seconds(1)) {
            looked = now;
            shared = OthersHoldPort(Transport::Udp, port_, {served_.Socket()});
            broadcasts = InterfaceBroadcasts();
        }
        if (shared || !MayAnswer(ntohl(received.from.sin_addr.s_addr), broadcasts)) {
            continue;
        }
        if (const auto answer = AnswerNameQuery(QByteArrayView(buffer, received.size), ownName_,
                                                received.interfaceLocal)) {
            ::sendto(served_.Socket(), answer->constData(), std::size_t(answer->size()),
                     MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&received.from),
                     sizeof received.from);
        }
    }
}

}  // namespace platform::netbios
