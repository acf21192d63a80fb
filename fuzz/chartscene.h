#pragma once

#include <memory>

#include <QImage>
#include <QPainter>

#include "catalogue.h"
#include "chartpanel.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "serdata.h"

// What the chart targets load into: a fresh hourly series (the indicators
// add their buffers to it) and a panel of the chart window's kind.
namespace fuzz {

inline std::unique_ptr<TSerData> ChartSeries(int bars = 160)
{
    auto series = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    int32_t price = 12000;
    for (int i = 0; i < bars; ++i) {
        const int32_t open = price;
        price += (i * 7919) % 23 - 11;
        series->AddBar(6000000 + 3600 * i, open, std::max(open, price) + 5, std::min(open, price) - 5, price);
    }
    return series;
}

// Empty for a stored chart, else a new chart with the store's styles; the
// catalogue's indicators come back from a record as the chart window makes them.
inline std::unique_ptr<TChartPanel> ChartPanel(TSerData *series, TPatternMenager *patterns,
                                               TChartPanel::Creation creation)
{
    auto panel = std::make_unique<TChartPanel>(series, MakeMainIndicator, patterns, creation);
    panel->SetElementFactory([](int id) -> std::unique_ptr<TDrawedElement> {
        if (id >= GraphTypeId::FirstCatalogue)
            return CreateIndicator(id - GraphTypeId::FirstCatalogue);
        return nullptr;
    });
    panel->SetClientSize(QSize(320, 240));
    return panel;
}

inline void PaintChart(TChartPanel &panel)
{
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    panel.Paint(painter);
}

} // namespace fuzz
