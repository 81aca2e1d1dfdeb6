#include "Wire.h"

#include "Desktop.h"

#include <QFile>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace wire {
namespace {

const QString kSend = QStringLiteral(PARLANE_TOOLS_DIR) + u"/parlane-send"_s;

int Bound138() {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(138);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (s >= 0 && bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return -1;
    }
    return s;
}

}  // namespace

int Send(const QString& from, const QString& to, const QString& text) {
    int code = -1;
    desktop::Run(kSend, {u"--from"_s, from, to, text}, &code);
    return code;
}

int SendFromPeer(const QString& peerHost, const QString& from, const QString& to,
                 const QString& text) {
    int code = -1;
    desktop::Run(u"ip"_s,
                 {u"netns"_s, u"exec"_s, desktop::PeerNamespace(), u"unshare"_s, u"--uts"_s,
                  u"sh"_s, u"-c"_s, u"hostname \"$0\" && exec \"$@\""_s, peerHost, kSend,
                  u"--from"_s, from, to, text},
                 &code);
    return code;
}

// The socket is made inside the peer's namespace by this thread, which then returns home; a
// socket keeps the namespace it was made in.
Capture::Capture() {
    const int home = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int peer =
        open(QFile::encodeName(u"/run/netns/"_s + desktop::PeerNamespace()).constData(),
             O_RDONLY | O_CLOEXEC);
    if (home >= 0 && peer >= 0 && setns(peer, CLONE_NEWNET) == 0) {
        socket_ = Bound138();
        setns(home, CLONE_NEWNET);
    }
    for (int fd : {home, peer}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

Capture::~Capture() {
    if (socket_ >= 0) {
        close(socket_);
    }
}

QByteArray Capture::Next(int ms) {
    pollfd waiting{socket_, POLLIN, 0};
    if (socket_ < 0 || poll(&waiting, 1, ms) != 1) {
        return {};
    }
    QByteArray datagram(65536, Qt::Uninitialized);
    const ssize_t n = recv(socket_, datagram.data(), datagram.size(), 0);
    return datagram.left(qMax<ssize_t>(0, n));
}

// Read from the kernel's table, so that asking never holds the port from a copy.
bool PortFree() {
    QFile table(u"/proc/net/udp"_s);
    static const QRegularExpression local138(u"^\\s*\\d+: [0-9A-F]+:008A "_s,
                                             QRegularExpression::MultilineOption);
    return table.open(QIODevice::ReadOnly) &&
           !local138.match(QString::fromLatin1(table.readAll())).hasMatch();
}

}  // namespace wire
