// A chart's stored record ("GR01") as the chart window opens it: loaded
// into an empty panel, laid out, computed and painted. A record that loads
// is saved again, and that record loads to the same record.
#include <cstdlib>

#include "chartscene.h"
#include "chartstate.h"
#include "fuzzsupport.h"

namespace {

// The record of the panel the record builds; empty when it does not load.
QByteArray reload(QByteArrayView record, bool paint)
{
    const auto series = fuzz::ChartSeries();
    const auto panel = fuzz::ChartPanel(series.get(), nullptr, TChartPanel::Creation::Empty);
    TChartWindowState window;
    try {
        window = LoadChart(*panel, record);
    } catch (const std::exception &) {
        return {};
    }
    panel->Loaded();
    if (paint)
        fuzz::PaintChart(*panel);
    return SaveChart(*panel, window);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray saved = reload(QByteArrayView(data, qsizetype(size)), true);
    if (!saved.isEmpty() && reload(saved, false) != saved)
        std::abort();
    return 0;
}
