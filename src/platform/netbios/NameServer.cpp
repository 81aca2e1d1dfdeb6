#include "platform/netbios/NameServer.h"

#include "platform/netbios/NameQuery.h"
#include "platform/netbios/PortError.h"

#include <sys/socket.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace platform::netbios {

std::unique_ptr<NameServer> NameServer::Open(std::uint16_t port, QByteArray ownName,
                                             QString* error) {
    std::unique_ptr<NameServer> server(new NameServer(std::move(ownName)));
    if (!server->served_.Adopt(OpenUdpPort(port))) {
        *error = PortError(u"UDP"_s, port, errno, u"nmbd"_s);
        return nullptr;
    }
    server->served_.Start([s = server.get()] { s->Run(); });
    return server;
}

NameServer::NameServer(QByteArray ownName) : ownName_(std::move(ownName)) {}

NameServer::~NameServer() {
    served_.Stop();
}

void NameServer::Run() {
    char buffer[1024];  // queries are about 50 bytes; anything cut is not one
    while (served_.WaitForInput()) {
        const ReceivedDatagram received = ReceiveDatagram(served_.Socket(), buffer, sizeof buffer);
        // The interface's own address, also when the query was a broadcast.
        if (received.size < 0 || received.truncated || received.interfaceLocal == 0) {
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
