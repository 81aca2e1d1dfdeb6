#include "platform/netbios/PortOwners.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

constexpr char kListening[] = "0A";

QStringList Tables(Transport transport) {
    return transport == Transport::Udp ? QStringList{u"/proc/net/udp"_s, u"/proc/net/udp6"_s}
                                       : QStringList{u"/proc/net/tcp"_s, u"/proc/net/tcp6"_s};
}

bool Runs(const QString& program) {
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(pids.begin(), pids.end(), [&](const QString& pid) {
        QFile comm(u"/proc/"_s + pid + u"/comm"_s);
        return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == program.toLatin1();
    });
}

}  // namespace

std::vector<unsigned long> SocketsOnPort(Transport transport, std::uint16_t port) {
    const QByteArray portHex = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    std::vector<unsigned long> sockets;
    for (const QString& path : Tables(transport)) {
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

QString PortHolder(const std::vector<unsigned long>& sockets, const QString& usual) {
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
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
    return !usual.isEmpty() && Runs(usual) ? usual : QString();
}

QString HeldBy(Transport transport, std::uint16_t port, const QString& usual) {
    const QString holder = PortHolder(SocketsOnPort(transport, port), usual);
    return u"%1 port %2 is held by %3"_s.arg(
        transport == Transport::Udp ? u"UDP"_s : u"TCP"_s, QString::number(port),
        holder.isEmpty() ? u"another program (usually Samba's %1)"_s.arg(usual) : holder);
}

}  // namespace platform::netbios
