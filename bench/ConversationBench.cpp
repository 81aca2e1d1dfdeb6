#include "ui/conversations/ConversationView.h"

#include "WidgetBenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTextEdit>

#include <chrono>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 100000;
constexpr int kBlock = 10000;

// One long conversation in a shown view, as the listener writes it: a name and a text per line,
// the window getting its turn after each. The first and the last ten thousand lines are timed
// apart, so a cost that grows with the conversation shows as their ratio.
void BM_AppendIncomingLines(benchmark::State& state) {
    for (auto _ : state) {
        QTextEdit view;
        view.resize(319, 80);
        view.setReadOnly(true);
        view.show();
        using Clock = std::chrono::steady_clock;
        Clock::duration first{}, last{};
        Clock::time_point blockStart = Clock::now();
        for (int i = 1; i <= kLines; ++i) {
            ConversationView::AppendIncomingLine(view, u"Anna"_s,
                                                 u"Message number "_s + QString::number(i) +
                                                     u", about as long as most of them are."_s);
            QCoreApplication::processEvents();
            if (i % kBlock == 0) {
                const Clock::time_point now = Clock::now();
                if (i == kBlock) {
                    first = now - blockStart;
                } else if (i == kLines) {
                    last = now - blockStart;
                }
                blockStart = now;
            }
        }
        const auto ms = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        state.counters["first_10k_ms"] = ms(first);
        state.counters["last_10k_ms"] = ms(last);
        state.counters["last_over_first"] = ms(last) / ms(first);
    }
}
BENCHMARK(BM_AppendIncomingLines)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
