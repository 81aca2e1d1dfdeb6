// parlane-capture: the only part of Parlane that may hold CAP_NET_RAW. Started by a listener
// whose UDP port another program (Samba's nmbd) holds, it opens a raw socket that the kernel
// filters to that port, gives up every privilege it can, and writes each whole datagram to
// standard output as a frame until that pipe closes.
#include "platform/capture/CaptureFrame.h"

#include <linux/capability.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <grp.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using platform::capture::Datagram;

bool Filter(int fd, std::uint16_t port) {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 6),               // flags and fragment offset
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, 0x1FFF, 4, 0),  // a later fragment: no ports
        BPF_STMT(BPF_LDX | BPF_B | BPF_MSH, 0),              // the IP header's length
        BPF_STMT(BPF_LD | BPF_H | BPF_IND, 2),               // the UDP destination port
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, port, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, 0xFFFF),
        BPF_STMT(BPF_RET | BPF_K, 0),
    };
    sock_fprog program{sizeof code / sizeof code[0], code};
    return ::setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) == 0;
}

// Root becomes nobody; every capability goes, and none can come back through exec.
bool DropPrivileges() {
    if (::geteuid() == 0 || ::getuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        const uid_t uid = nobody ? nobody->pw_uid : 65534;
        const gid_t gid = nobody ? nobody->pw_gid : 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0) {
            return false;
        }
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2]{};
    return ::syscall(SYS_capset, &header, none) == 0 &&
           ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

bool WriteAll(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    const long port = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (port < 1 || port > 65535) {
        std::fputs(
            "usage: parlane-capture PORT\n  started by parlane and parlane-listen, "
            "not by hand\n",
            stderr);
        return 64;
    }
    // Ends with its listener, whichever way that ends.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGPIPE, SIG_IGN);
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        std::fprintf(stderr, "parlane-capture: cannot open a raw socket: %s\n",
                     std::strerror(errno));
        return 1;
    }
    const int buffer = 4 * 1024 * 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    if (!Filter(fd, std::uint16_t(port)) || !DropPrivileges()) {
        std::fprintf(stderr, "parlane-capture: cannot filter or give up privileges: %s\n",
                     std::strerror(errno));
        return 1;
    }
    // An empty frame first: the listener learns that capturing has begun.
    if (!WriteAll(platform::capture::EncodeFrame(Datagram{}))) {
        return 0;
    }
    std::vector<char> packet(65536);
    pollfd fds[2] = {{fd, POLLIN, 0}, {STDOUT_FILENO, 0, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 1;
        }
        if (fds[1].revents != 0) {
            return 0;  // the listener closed its end
        }
        const ssize_t size = ::recv(fd, packet.data(), packet.size(), MSG_DONTWAIT);
        if (size <= 0) {
            continue;
        }
        const auto datagram = platform::capture::ParseIpv4Udp(
            std::string_view(packet.data(), std::size_t(size)), std::uint16_t(port));
        if (datagram && !WriteAll(platform::capture::EncodeFrame(*datagram))) {
            return 0;
        }
    }
}
