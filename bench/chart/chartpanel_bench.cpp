// The chart panel: a full repaint of a large chart, the per-tick refresh of
// a long history, and one mouse move of a zoom rectangle or of a dragged
// line (overlay only).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>

#include "catalogue.h"
#include "chartstate.h"
#include "chartpanel.h"
#include "fibbelements.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "patternstore.h"
#include "pendingslot.h"
#include "serdata.h"
#include "zoomelement.h"

namespace {

QGuiApplication &app()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "chart_panel_bench";
    static char *argv[] = {name, nullptr};
    static QGuiApplication instance(argc, argv);
    return instance;
}

std::unique_ptr<TSerData> makeSeries(int bars)
{
    auto s = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    int32_t price = 12000;
    for (int i = 0; i < bars; ++i) {
        const int32_t open = price;
        price += (i * 7919) % 23 - 11;
        const int32_t close = price;
        s->AddBar(6000000 + 60 * i, open, std::max(open, close) + 5, std::min(open, close) - 5, close);
    }
    return s;
}

struct Chart {
    explicit Chart(int bars, QSize size, int visible)
    {
        app();
        series = makeSeries(bars);
        panel = std::make_unique<TChartPanel>(series.get(), MakeMainIndicator, &patterns);
        panel->SetClientSize(size);
        panel->SetVisibleCount(visible);
        panel->Refresh();
    }
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
};

void BM_FullRepaint1920x1080With500Candles(benchmark::State &state)
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
BENCHMARK(BM_FullRepaint1920x1080With500Candles)->Unit(benchmark::kMillisecond);

void BM_Refresh100000Bars(benchmark::State &state)
{
    Chart c(100000, QSize(1920, 1080), 500);
    for (auto _ : state)
        c.panel->Refresh();
}
BENCHMARK(BM_Refresh100000Bars)->Unit(benchmark::kMicrosecond);

// What a widget does for one mouse move of the rectangle: the model moves
// it, then only the reported pixels (the old and new edges) are restored
// from the cached picture and the overlay drawn over them.
void BM_ZoomRectangleMove(benchmark::State &state)
{
    Chart c(100000, QSize(1920, 1080), 500);
    const QImage cache = c.panel->Render();
    QImage screen = cache;
    QRegion dirty;
    c.panel->OnOverlay = [&](const QRect &r) { dirty += r; };
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const TGraphArea &area = *c.panel->Area(0);
    c.panel->MouseDown(QPoint(area.Left + 400, area.Top + 200));
    int step = 0;
    for (auto _ : state) {
        const QPoint to(area.Left + 1200 + (step & 63), area.Top + 700 - (step & 31));
        ++step;
        dirty = QRegion();
        c.panel->MouseMove(to);
        QPainter p(&screen);
        for (const QRect &r : dirty)
            p.drawImage(r, cache, r);
        p.setClipRegion(dirty);
        c.panel->PaintOverlay(p);
    }
    TPendingSlot::Clear();
}
BENCHMARK(BM_ZoomRectangleMove)->Unit(benchmark::kMicrosecond);

// One mouse move while a selected line is dragged as a whole over a
// 1920 × 1080 chart with 500 candles and five indicators: the model moves
// the line, the old and new pixels along it come back from the cached
// picture and the inverted line is drawn over them.
template <class Item>
void dragItem(benchmark::State &state)
{
    Chart c(5000, QSize(1920, 1080), 500);
    TChartPanel &panel = *c.panel;
    TGraphArea *price = panel.Area(0);
    for (int n : {0, 3})  // moving average, Bollinger bands on the price
        panel.AttachIndicator(price, CreateIndicator(n), 0);
    for (int n : {22, 29, 30})  // RSI, MACD, stochastic below
        panel.AttachIndicator(panel.AddArea(), CreateIndicator(n), 0);
    panel.Layout();
    panel.Refresh();
    TGraphArea &area = *panel.Area(0);
    const TAxisTransform &t = area.RightAxis->T;
    auto owned = std::make_unique<Item>();
    Item *item = owned.get();
    item->P1().SetBar(panel.FirstVisible + 100);
    item->P1().Value = t.YToValue(area.Height() / 4);
    item->P2().SetBar(panel.FirstVisible + 300);
    item->P2().Value = t.YToValue(area.Height() * 3 / 4);
    item->SnapToPrice = 0;
    panel.AttachItem(&area, std::move(owned), false);
    panel.Select(item);
    const QImage cache = panel.Render();
    QImage screen = cache;
    QRegion dirty;
    panel.OnOverlay = [&](const QRect &r) { dirty += r; };
    QPoint mouse = area.ToPanel((QPoint(t.BarToX(item->P1().Bar), t.ValueToY(item->P1().Value)) +
                                 QPoint(t.BarToX(item->P2().Bar), t.ValueToY(item->P2().Value))) / 2);
    item->MouseDown(area, area.ToArea(mouse));
    int step = 0;
    for (auto _ : state) {
        mouse += QPoint((step & 8) ? -1 : 1, (step & 16) ? -1 : 1);
        ++step;
        dirty = QRegion();
        panel.MouseMove(mouse);
        QPainter p(&screen);
        for (const QRect &r : dirty)
            p.drawImage(r, cache, r);
        p.setClipRegion(dirty);
        panel.PaintOverlay(p);
    }
    item->MouseUp(area, area.ToArea(mouse));
}

// Start-up with ten stored charts of five indicators each on 5,000-bar
// series: every record loaded into an empty panel, computed, laid out and
// painted once (what the main window does from reading its chart list to
// the last chart on the screen).
void BM_RestoreTenCharts(benchmark::State &state)
{
    app();
    const auto factory = [](int id) -> std::unique_ptr<TDrawedElement> {
        if (id >= GraphTypeId::FirstCatalogue)
            return CreateIndicator(id - GraphTypeId::FirstCatalogue);
        return nullptr;
    };
    std::vector<std::unique_ptr<TSerData>> series;
    std::vector<QByteArray> records;
    for (int i = 0; i < 10; ++i) {
        series.push_back(makeSeries(5000));
        TPatternMenager patterns;
        TChartPanel panel(series.back().get(), MakeMainIndicator, &patterns);
        panel.SetClientSize(QSize(900, 500));
        for (int n : {0, 3})
            panel.AttachIndicator(panel.Area(0), CreateIndicator(n), 0);
        for (int n : {22, 29, 30})
            panel.AttachIndicator(panel.AddArea(), CreateIndicator(n), 0);
        panel.Refresh();
        records.push_back(SaveChart(panel, {0, 500, 900}));
    }
    QImage image(900, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        std::vector<std::unique_ptr<TChartPanel>> panels;
        for (int i = 0; i < 10; ++i) {
            auto panel = std::make_unique<TChartPanel>(series[size_t(i)].get(), MakeMainIndicator, nullptr,
                                                       TChartPanel::Creation::Empty);
            panel->SetElementFactory(factory);
            panel->SetClientSize(QSize(900, 500));
            LoadChart(*panel, records[size_t(i)]);
            panel->Loaded();
            QPainter p(&image);
            panel->Paint(p);
            panels.push_back(std::move(panel));
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RestoreTenCharts)->Unit(benchmark::kMillisecond);

void BM_DragLineMove(benchmark::State &state) { dragItem<TSimpleLine>(state); }
BENCHMARK(BM_DragLineMove)->Unit(benchmark::kMicrosecond);

void BM_DragRetracementMove(benchmark::State &state) { dragItem<TFibbLine>(state); }
BENCHMARK(BM_DragRetracementMove)->Unit(benchmark::kMicrosecond);

} // namespace
