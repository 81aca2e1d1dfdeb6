#include "platform/netbios/NameServer.h"

#include "platform/netbios/NameQuery.h"
#include "platform/netbios/PortError.h"
#include "platform/netbios/PortOwners.h"

#include <sys/socket.h>

#include <cerrno>
#include <chrono>

using namespace Qt::StringLiterals;

namespace platform::netbios {

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
    while (served_.WaitForInput()) {
        const ReceivedDatagram received = ReceiveDatagram(served_.Socket(), buffer, sizeof buffer);
        // The interface's own address, also when the query was a broadcast.
        if (received.size < 0 || received.truncated || received.interfaceLocal == 0) {
            continue;
        }
        // Who shares the port changes rarely; a flood of queries looks at most once a second.
        if (const auto now = Clock::now(); now - looked >= std::chrono::seconds(1)) {
            looked = now;
            shared = OthersHoldPort(Transport::Udp, port_, {served_.Socket()});
        }
        if (shared) {
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
