// A status bar of 255 panels: the layout alone, and Draw (layout and painting) in both looks, on
// a picture wide enough for every panel and on one 800 pixels wide, where painting stops at the
// first panel that does not fit.
#include "controls/StatusBarHost.h"
#include "controls/cNoStatusBar.h"

#include "WidgetBenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

constexpr int kAllPanelsWidth = 20000;

QPixmap Icon() {
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setBrush(Qt::darkGreen);
    p.drawEllipse(1, 1, 13, 13);
    return icon;
}

void Fill(cNoStatusBar& bar) {
    bar.SetImageList({Icon()});
    for (int i = 1; i <= cNoStatusBar::MaxPanels; ++i) {
        const int style = i % 3 == 0 ? StatusBarPainter::SBT_POPOUT : 0;
        bar.AddPanel(style, u"Panel "_s + QString::number(i), i % 5 == 0 ? 0 : -1, 40, i == 1, true,
                     0, u"p"_s + QString::number(i));
    }
    bar.SetSizeGrip(true);
}

void Layout(benchmark::State& state) {
    StatusBarPictureHost host(QSize(int(state.range(0)), 22));
    cNoStatusBar bar;
    bar.Create(&host);
    Fill(bar);
    const int width = bar.PanelIdealWidth(1);
    for (auto _ : state) {
        bar.SetPanelIdealWidth(1, width);  // stores it and lays the bar out
    }
    benchmark::DoNotOptimize(bar.GetPanelRect(255));
}

void Draw(benchmark::State& state) {
    const bool themed = state.range(0) != 0;
    StatusBarPictureHost host(QSize(int(state.range(1)), 22));
    cNoStatusBar bar;
    bar.SetAllowXPStyles(themed);
    bar.Create(&host);
    Fill(bar);
    for (auto _ : state) {
        bar.Draw();
    }
    // Painting ends with the first panel that reaches past the right edge.
    const int right = host.ClientRect().width();
    int painted = 0;
    while (painted < bar.PanelCount() && bar.GetPanelRect(++painted).right <= right) {
    }
    state.counters["panels_painted"] = painted;
    state.SetLabel(themed ? "themed" : "classic");
}

BENCHMARK(Layout)->Arg(kAllPanelsWidth)->Unit(benchmark::kMicrosecond);
BENCHMARK(Draw)
    ->ArgNames({"themed", "width"})
    ->ArgsProduct({{0, 1}, {kAllPanelsWidth, 800}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
