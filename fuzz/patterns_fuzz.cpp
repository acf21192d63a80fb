// The pattern file: the styles it stores applied to a new chart's axes,
// area and price, to the drawn items and catalogue indicators it has
// styles for, then the chart painted. What it read, written and read
// again is the same file.
#include <cstdlib>

#include "chartscene.h"
#include "fuzzsupport.h"
#include "itemfactory.h"
#include "patternstore.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TPatternMenager patterns;
    patterns.Deserialize(fuzz::Bytes({data, size}));
    const QByteArray file = patterns.Serialize();
    TPatternMenager reread;
    if (!reread.Deserialize(file) || reread.Serialize() != file)
        std::abort();

    const auto series = fuzz::ChartSeries();
    const auto panel = fuzz::ChartPanel(series.get(), &patterns, TChartPanel::Creation::NewChart);
    // Drawn items take their style when the tool makes them; only the
    // types the file holds a style for are made.
    for (int id = GraphTypeId::SimpleLine; id <= GraphTypeId::FibbZone; ++id)
        if (patterns.Has(id))
            patterns.Apply(*CreateDrawnItem(id));
    for (int n = 0; n < CatalogueCount; ++n)
        if (patterns.Has(GraphTypeId::FirstCatalogue + n))
            panel->AttachIndicator(n % 2 ? panel->Area(0) : panel->AddArea(), CreateIndicator(n), 0);
    panel->Refresh();
    fuzz::PaintChart(*panel);
    return 0;
}
