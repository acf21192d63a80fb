// The computed indicators: every recalculation one tick causes with ten
// chart windows of five indicators each, and a full repaint of a large chart
// with those five.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "catalogue.h"
#include "chartpanel.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "patternstore.h"
#include "serdata.h"

namespace {

QGuiApplication &app()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "indicators_bench";
    static char *argv[] = {name, nullptr};
    static QGuiApplication instance(argc, argv);
    return instance;
}

std::unique_ptr<TSerData> makeSeries(int bars, int seed)
{
    auto s = std::make_unique<TSerData>(1, seed, QStringLiteral("EURUSD"));
    int32_t price = 12000;
    for (int i = 0; i < bars; ++i) {
        const int32_t open = price;
        price += (i * 7919 + seed * 31) % 23 - 11;
        const int32_t close = price;
        s->AddBar(6000000 + i, open, std::max(open, close) + 5, std::min(open, close) - 5, close);
    }
    return s;
}

// A chart with a moving average and Bollinger Bands over the price, RSI,
// MACD and Stochastic in areas of their own.
struct Chart {
    Chart(int bars, QSize size, int visible, int seed = 1)
    {
        app();
        series = makeSeries(bars, seed);
        panel = std::make_unique<TChartPanel>(series.get(), MakeMainIndicator, &patterns);
        panel->SetClientSize(size);
        panel->SetVisibleCount(visible);
        panel->AttachIndicator(panel->Area(0), CreateIndicator(0), 0);
        panel->AttachIndicator(panel->Area(0), CreateIndicator(3), 0);
        for (int entry : {22, 29, 30})
            panel->AttachIndicator(panel->AddArea(), CreateIndicator(entry), 0);
        panel->Refresh();
    }
    ~Chart() { panel.reset(); }
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
};

// One tick: each of the ten charts recomputes its indicators from bar 0,
// then its ranges and scales (what the refresh does before it repaints).
void BM_TickRecalculation10Charts5Indicators5000Bars(benchmark::State &state)
{
    std::vector<std::unique_ptr<Chart>> charts;
    for (int i = 0; i < 10; ++i)
        charts.push_back(std::make_unique<Chart>(5000, QSize(800, 600), 100, i + 1));
    for (auto _ : state)
        for (const auto &c : charts)
            c->panel->Recalculate();
}
BENCHMARK(BM_TickRecalculation10Charts5Indicators5000Bars)->Unit(benchmark::kMillisecond);

void BM_FullRepaint1920x1080With500CandlesAnd5Indicators(benchmark::State &state)
{
    Chart c(5000, QSize(1920, 1080), 500);
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        c.panel->Paint(p);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FullRepaint1920x1080With500CandlesAnd5Indicators)->Unit(benchmark::kMillisecond);

} // namespace
