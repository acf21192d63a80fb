#include "chartstate.h"

#include <algorithm>
#include <cmath>

#include "chartpanel.h"
#include "elementstream.h"
#include "serdata.h"

namespace {

constexpr char Magic[] = "GR01";
// Far beyond any screen; a larger stored size is damage.
constexpr int32_t MaxWindowSide = 32768;
// Bars of margin or in view beyond this are damage as well.
constexpr int32_t MaxBars = 10'000'000;
// Every area record holds at least its header and its axes' headers.
constexpr qsizetype MinAreaRecord = 3 * 11;

// Relative heights must share the panel: a set that does not add up to
// about one (damage, or areas written by hand) is scaled to do so.
void normaliseHeights(TChartPanel &panel)
{
    double sum = 0;
    for (int i = 0; i < panel.AreaCount(); ++i)
        sum += panel.Area(i)->RelHeight;
    if (std::fabs(sum - 1.0) < 1e-3)
        return;
    for (int i = 0; i < panel.AreaCount(); ++i) {
        TGraphArea *a = panel.Area(i);
        a->RelHeight = sum > 1e-9 ? a->RelHeight / sum : 1.0 / panel.AreaCount();
    }
}

} // namespace

QByteArray SaveChart(const TChartPanel &panel, const TChartWindowState &window)
{
    TElementWriter w;
    w.WriteBytes(QByteArrayView(Magic, 4));
    const TSerData *series = panel.Series();
    w.WriteInt32(series ? series->InstrumentId : 0);
    w.WriteInt32(series ? series->Timeframe : 0);
    w.WriteByte(window.WindowState);
    w.WriteInt32(window.Height);
    w.WriteInt32(window.Width);
    panel.Settings.Save(w);
    panel.XAxis()->Save(w, true);
    w.WriteInt32(panel.RightMargin);
    w.WriteInt32(panel.VisibleCount);
    w.WriteInt32(panel.FirstVisible);
    w.WriteInt32(panel.AreaCount());
    for (int i = 0; i < panel.AreaCount(); ++i)
        panel.Area(i)->Save(w, true);
    return w.Take();
}

TChartWindowState LoadChart(TChartPanel &panel, QByteArrayView record)
{
    TElementReader r(record);
    if (record.size() < 4 || r.ReadBytes(4) != QByteArrayView(Magic, 4))
        throw EChartLoadError("Invalid file");
    r.ReadInt32();  // instrument and timeframe: the window knows its own
    r.ReadInt32();
    TChartWindowState window;
    window.WindowState = std::min<uint8_t>(r.ReadByte(), 2);
    window.Height = std::clamp<int32_t>(r.ReadInt32(), 0, MaxWindowSide);
    window.Width = std::clamp<int32_t>(r.ReadInt32(), 0, MaxWindowSide);
    panel.Settings.Load(r);
    panel.XAxis()->Load(r, true);
    panel.RightMargin = std::clamp<int32_t>(r.ReadInt32(), 0, MaxBars);
    const int32_t visible = r.ReadInt32();
    const int32_t first = r.ReadInt32();

    const int32_t areaCount = r.ReadInt32();
    if (areaCount < 1 || areaCount > r.Remaining() / MinAreaRecord)
        throw EChartLoadError();
    for (int32_t i = 0; i < areaCount; ++i) {
        if (r.PeekInt32() != GraphTypeId::GraphArea)
            throw EChartLoadError();
        auto area = std::make_unique<TGraphArea>(&panel);
        area->Load(r, true);
        panel.AppendArea(std::move(area));
    }
    normaliseHeights(panel);

    // The count as the panel allows it for the bars it has; with none yet
    // (the history still to come) the stored count stands.
    int32_t count = std::clamp<int32_t>(visible, TChartPanel::MinVisibleCount, MaxBars);
    if (panel.BarCount() > 0)
        count = std::min<int32_t>(count, int32_t(std::min<int64_t>(int64_t(panel.BarCount()) + panel.RightMargin, MaxBars)));
    panel.VisibleCount = std::max(count, TChartPanel::MinVisibleCount);
    panel.FirstVisible = std::clamp<int32_t>(first, 0, MaxBars);
    return window;
}
