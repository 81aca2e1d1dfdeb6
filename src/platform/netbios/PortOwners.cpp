#include "platform/netbios/PortOwners.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

constexpr char kListening[] = "0A";

QStringList Tables(Transport transport, const QString& pid) {
    const QString net = pid.isEmpty() ? u"/proc/net/"_s : u"/proc/"_s + pid + u"/net/"_s;
    return transport == Transport::Udp ? QStringList{net + u"udp"_s, net + u"udp6"_s}
                                       : QStringList{net + u"tcp"_s, net + u"tcp6"_s};
}

}  // namespace

std::vector<unsigned long> SocketsOnPort(Transport transport, std::uint16_t port,
                                         const QString& pid) {
    const QByteArray portHex = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    std::vector<unsigned long> sockets;
    for (const QString& path : Tables(transport, pid)) {
        QFile table(path);
        if (!table.open(QIODevice::ReadOnly)) {
            continue;
        }
        table.readLine();  // the column names
        while (!table.atEnd()) {
            const QList<QByteArray> fields = table.readLine().simplified().split(' ');
            if (fields.size() < 10 || !fields[1].endsWith(portHex) ||
                (transport == Transport::Tcp && fields[3] != kListening)) {
                continue;
            }
            sockets.push_back(fields[9].toULong());
        }
    }
    return sockets;
}

unsigned long SocketInode(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode) ? status.st_ino : 0;
}

bool OthersHoldPort(Transport transport, std::uint16_t port, const std::vector<int>& own) {
    std::vector<unsigned long> mine;
    for (const int fd : own) {
        mine.push_back(SocketInode(fd));
    }
    const auto sockets = SocketsOnPort(transport, port);
    return std::any_of(sockets.begin(), sockets.end(), [&](unsigned long inode) {
        return std::find(mine.begin(), mine.end(), inode) == mine.end();
    });
}

QStringList ProcessesHolding(const QString& program, Transport transport, std::uint16_t port) {
    const auto ours = SocketsOnPort(transport, port);
    QStringList holding;
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(u"/proc/"_s + pid + u"/comm"_s);
        if (ours.empty() || !comm.open(QIODevice::ReadOnly) ||
            comm.readAll().trimmed() != program.toLocal8Bit()) {
            continue;
        }
        // Another network namespace's table holds other sockets.
        const auto theirs = SocketsOnPort(transport, port, pid);
        if (std::find_first_of(theirs.begin(), theirs.end(), ours.begin(), ours.end()) !=
            theirs.end()) {
            holding << pid;
        }
    }
    return holding;
}

QString PortHolder(Transport transport, std::uint16_t port, const QString& usual) {
    const auto sockets = SocketsOnPort(transport, port);
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir fds(u"/proc/"_s + pid + u"/fd"_s);
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = fd.symLinkTarget().section(u'/', -1);
            for (const unsigned long inode : sockets) {
                if (target == u"socket:[%1]"_s.arg(inode)) {
                    QFile comm(u"/proc/"_s + pid + u"/comm"_s);
                    if (comm.open(QIODevice::ReadOnly)) {
                        return QString::fromLocal8Bit(comm.readAll().trimmed());
                    }
                }
            }
        }
    }
    return !usual.isEmpty() && !ProcessesHolding(usual, transport, port).isEmpty() ? usual
                                                                                   : QString();
}

QString HeldBy(Transport transport, std::uint16_t port, const QString& usual) {
    const QString holder = PortHolder(transport, port, usual);
    return u"%1 port %2 is held by %3"_s.arg(
        transport == Transport::Udp ? u"UDP"_s : u"TCP"_s, QString::number(port),
        holder.isEmpty() ? u"another program (usually Samba's %1)"_s.arg(usual) : holder);
}

}  // namespace platform::netbios
