// The mailslot on the LAN: datagram encoding and parsing, the listener's tick with a short and a
// long queue, the memory a flood of datagrams leaves behind, one message end to end by datagram
// and over a NetBIOS session, and what idle sessions cost.
#include "core/SharedState.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"
#include "platform/netbios/SessionPacket.h"
#include "platform/netbios/SessionServer.h"
#include "support/SilentPrompts.h"
#include "transport/MailslotListener.h"
#include "transport/NetbiosServices.h"
#include "transport/modMailSlots.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QFile>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace platform::netbios;

namespace {

MailslotWrite Message() {
    MailslotWrite write;
    write.id = 7;
    write.sourceIp = 0x0A000005;
    write.source = {"PARLANE-HOST", kWorkstationSuffix};
    write.destination = {"BENCHHOST", kMessengerSuffix};
    write.mailslot = "\\MAILSLOT\\MESSNGR";
    write.body = QByteArray("Quarnby\0BENCHHOST\0", 18) + QByteArray(100, 'x') + QByteArray(2, 0);
    return write;
}

void BM_EncodeMailslotWrite(benchmark::State& state) {
    const MailslotWrite write = Message();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeMailslotWrite(write));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeMailslotWrite);

void BM_TakeBody(benchmark::State& state) {
    const QByteArray packet = EncodeMailslotWrite(Message());
    const OwnNames own{"BENCHHOST", "WORKGROUP", "\\MAILSLOT\\MESSNGR", {}};
    for (auto _ : state) {
        benchmark::DoNotOptimize(TakeBody(packet, own));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TakeBody);

std::uint16_t FreePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

struct NullHost : MailslotListenerHost {
    int routed = 0;
    void SetStatusText(const QString&) override {}
    void ShowErrorHelp(int) override {}
    void RouteMessage(const MailSlotMessage&) override { ++routed; }
};

// One tick reads the oldest message; the queue is refilled outside the timing so it keeps its
// length.
void BM_ListenerTick(benchmark::State& state) {
    SetMailslotNetwork({FreePort(), u"benchhost"_s, u"WORKGROUP"_s});
    NullHost host;
    SharedState shared;
    SilentPrompts prompts;
    MailslotListener listener(shared, prompts, host);
    listener.OpenMailSlot();
    const auto slot = shared.MailSlotHandle;
    const QByteArray body("Quarnby\0BENCHHOST\0hello there\0\0", 32);
    // From many machines, as no one sender may hold a long queue.
    const auto sender = [](std::int64_t i) { return std::uint32_t(0x0A000000 + i % 64); };
    for (int i = 0; i < state.range(0); ++i) {
        platform::DeliverToMailslot(slot, body, sender(i));
    }
    std::int64_t refills = 0;
    for (auto _ : state) {
        listener.tmrMailSlot_Timer();
        state.PauseTiming();
        platform::DeliverToMailslot(slot, body, sender(refills++));
        state.ResumeTiming();
    }
    listener.StopListening();
    if (host.routed != state.iterations()) {
        state.SkipWithError("a tick routed nothing");
    }
}
BENCHMARK(BM_ListenerTick)->Arg(1)->Arg(10000);

double ResidentMiB() {
    QFile status(u"/proc/self/status"_s);
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// 100,000 datagrams on loopback into a slot that nobody reads.
void BM_Flood(benchmark::State& state) {
    for (auto _ : state) {
        const std::uint16_t port = FreePort();
        SetMailslotNetwork({port, u"benchhost"_s, u"WORKGROUP"_s});
        const auto slot = platform::CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, 0, nullptr);
        const double before = ResidentMiB();
        QUdpSocket sender;
        const QByteArray packet = EncodeMailslotWrite(Message());
        for (int i = 0; i < 100000; ++i) {
            while (sender.writeDatagram(packet, QHostAddress::LocalHost, port) < 0) {
                QThread::usleep(50);
            }
        }
        QThread::msleep(200);
        platform::DWORD queued = 0;
        platform::GetMailslotInfo(slot, nullptr, nullptr, &queued, nullptr);
        state.counters["queued"] = queued;
        state.counters["rss_growth_MiB"] = ResidentMiB() - before;
        platform::CloseHandle(slot);
    }
}
BENCHMARK(BM_Flood)->Iterations(1)->Unit(benchmark::kMillisecond);

// A loopback network of free ports and a listening slot with its session and name services;
// beside another program that shares the slot's port and takes its loopback datagrams, as nmbd
// does, the slot hears them through the capture helper.
struct LoopbackListener {
    explicit LoopbackListener(bool besideNmbd = false) {
        QTcpServer probe;
        probe.listen(QHostAddress::AnyIPv4, 0);
        MailslotNetwork network{FreePort(), u"benchhost"_s, u"WORKGROUP"_s};
        network.sessionPort = probe.serverPort();
        network.namePort = FreePort();
        probe.close();
        SetMailslotNetwork(network);
        sessionPort = network.sessionPort;
        if (besideNmbd) {
            const int on = 1;
            nmbd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            ::setsockopt(nmbd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            sockaddr_in at{AF_INET, htons(network.port), {htonl(INADDR_LOOPBACK)}, {}};
            ::bind(nmbd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
        }
        slot = platform::CreateMailslotA(u"\\\\.\\mailslot\\messngr"_s, 0, 5000, nullptr);
        services = std::make_unique<NetbiosServices>(slot);
    }
    ~LoopbackListener() {
        services.reset();
        platform::CloseHandle(slot);
        if (nmbd >= 0) {
            ::close(nmbd);
        }
        SetMailslotNetwork({});
    }
    bool Read() {
        char buffer[1024];
        platform::DWORD read = 0;
        return platform::ReadFile(slot, buffer, sizeof buffer, &read, nullptr) && read > 0;
    }
    std::uint16_t sessionPort = 0;
    int nmbd = -1;
    platform::HANDLE slot = 0;
    std::unique_ptr<NetbiosServices> services;
};

// A client's session: connected and past the session request, or -1.
// From a loopback address of its own, since one address holds only a few sessions.
int OpenSession(std::uint16_t port, std::uint32_t from = INADDR_LOOPBACK) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{AF_INET, 0, {htonl(from)}, {}};
    ::bind(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const QByteArray request = EncodeSessionPacket(
        kSessionRequest, EncodeSessionRequest({{"BENCHHOST", kMessengerSuffix}, {"BENCH", 0}}));
    char answer[64];
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 ||
        ::send(fd, request.constData(), std::size_t(request.size()), 0) != request.size() ||
        ::recv(fd, answer, sizeof answer, 0) != 4 ||
        std::uint8_t(answer[0]) != kPositiveSessionResponse) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One message from the sender's call until the listener's read returns it: a datagram on
// loopback, or a whole session as smbclient makes one (connect, request, one command, close), or
// a datagram through the capture helper while another program shares the port.
void BM_EndToEnd(benchmark::State& state) {
    const bool session = state.range(0) == 1, captured = state.range(0) == 2;
    LoopbackListener listener(captured);
    if (captured && (listener.slot <= 0 || !platform::MailslotGaps(listener.slot).empty())) {
        state.SkipWithError("the capture helper needs root or cap_net_raw");
        return;
    }
    SmbMessageCommand command;
    command.command = kSmbSendMessage;
    command.originator = "Quarnby";
    command.destination = "BENCHHOST";
    command.text = "hello there";
    const QByteArray packet =
        EncodeSessionPacket(kSessionMessage, EncodeSmbMessageCommand(command));
    for (auto _ : state) {
        if (session) {
            const int fd = OpenSession(listener.sessionPort);
            char answer[128];
            if (fd < 0 ||
                ::send(fd, packet.constData(), std::size_t(packet.size()), 0) != packet.size() ||
                ::recv(fd, answer, sizeof answer, 0) <= 0) {
                state.SkipWithError("the session failed");
                break;
            }
            ::close(fd);
        } else {
            MailSlotMessage message{u"Quarnby"_s, u"."_s, u"hello there"_s};
            modMailSlots::SendMailSlotMessage(u"messngr"_s, message);
        }
        if (!listener.Read()) {
            state.SkipWithError("nothing arrived");
            break;
        }
    }
    state.SetLabel(session ? "session" : captured ? "datagram, captured" : "datagram");
}
BENCHMARK(BM_EndToEnd)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// As many sessions as may be open, all idle: what they hold, and the processor time the service
// spends over five seconds of them.
void BM_IdleSessions(benchmark::State& state) {
    for (auto _ : state) {
        LoopbackListener listener;
        const double before = ResidentMiB();
        std::vector<int> sessions;
        for (int i = 0; i < SessionServer::kMaxSessions; ++i) {
            sessions.push_back(OpenSession(listener.sessionPort, INADDR_LOOPBACK + 1 + i));
        }
        if (listener.services->OpenSessions() != SessionServer::kMaxSessions) {
            state.SkipWithError("not every session opened");
        }
        state.counters["rss_growth_KiB"] = (ResidentMiB() - before) * 1024;
        const double cpu = CpuSeconds();
        QThread::sleep(5);
        state.counters["cpu_ms_in_5s"] = (CpuSeconds() - cpu) * 1000;
        for (const int fd : sessions) {
            ::close(fd);
        }
    }
}
BENCHMARK(BM_IdleSessions)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// The listener's timer needs an application object, as in the program.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
