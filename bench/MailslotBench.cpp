// The mailslot on the LAN: datagram encoding and parsing, the listener's tick with a short and a
// long queue, and the memory a flood of datagrams leaves behind.
#include "core/SharedState.h"
#include "platform/mailslot/Mailslot.h"
#include "platform/mailslot/MailslotDatagram.h"
#include "platform/mailslot/MailslotNames.h"
#include "platform/mailslot/MailslotReceiver.h"
#include "support/SilentPrompts.h"
#include "transport/MailslotListener.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QUdpSocket>

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

}  // namespace

// The listener's timer needs an application object, as in the program.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
