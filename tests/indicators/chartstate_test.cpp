#include <gtest/gtest.h>

#include <random>

#include <QtEndian>

#include "catalogue.h"
#include "chartfixture.h"
#include "chartstate.h"
#include "elementstream.h"
#include "fibbelements.h"
#include "hvlines.h"
#include "itemfactory.h"
#include "mainindicator.h"
#include "multiindicators.h"
#include "periodindicators.h"

namespace {

std::unique_ptr<TChartPanel> emptyPanel(TSerData *series)
{
    auto panel = std::make_unique<TChartPanel>(series, MakeMainIndicator, nullptr, TChartPanel::Creation::Empty);
    panel->SetElementFactory([](int id) -> std::unique_ptr<TDrawedElement> {
        if (id >= GraphTypeId::FirstCatalogue)
            return CreateIndicator(id - GraphTypeId::FirstCatalogue);
        return nullptr;
    });
    panel->SetClientSize(QSize(900, 600));
    return panel;
}

std::unique_ptr<TChartPanel> load(TSerData *series, QByteArrayView record, TChartWindowState *window = nullptr)
{
    std::unique_ptr<TChartPanel> panel = emptyPanel(series);
    const TChartWindowState w = LoadChart(*panel, record);
    if (window)
        *window = w;
    panel->Loaded();
    return panel;
}

// Price, MA and Bollinger bands over the price, a stochastic below; one
// item of every kind; scrolled back, zoomed, left axes hidden.
struct RichChart {
    RichChart()
    {
        EnsureGuiApp();
        series = MakeSeries(400);
        panel = std::make_unique<TChartPanel>(series.get(), MakeMainIndicator, &patterns);
        panel->SetClientSize(QSize(900, 600));
        TGraphArea *price = panel->Area(0);
        auto ma = std::make_unique<T_MA_Indicator>();
        ma->TimePeriod = 21;
        ma->Method = 1;
        ma->Levels = {1.2, 1.205};
        ma->Color = 0x00FFFF;
        maRaw = panel->AttachIndicator(price, std::move(ma), 0);
        auto bands = std::make_unique<T_BBANDS_Indicator>();
        bands->UpMultiplier = 1.5;
        bands->DownMultiplier = 2.5;
        panel->AttachIndicator(price, std::move(bands), 1);
        auto stoch = std::make_unique<T_STOCH_Indicator>();
        stoch->FastKPeriod = 9;
        stoch->Levels = {20, 80};
        panel->AttachIndicator(panel->AddArea(), std::move(stoch), 0);
        for (int id = GraphTypeId::SimpleLine; id <= GraphTypeId::FibbZone; ++id) {
            std::unique_ptr<TGraphItem> item = CreateDrawnItem(id);
            if (auto *line = dynamic_cast<TSimpleLine *>(item.get())) {
                line->P1().SetBar(300 + id);
                line->P1().Value = 1.201;
                line->P2().SetBar(330.5 + id);
                line->P2().Value = 1.207;
                line->Bound = maRaw;
                line->OwnerAxis = maRaw->OwnerAxis;
            } else if (auto *h = dynamic_cast<THLine *>(item.get())) {
                h->Value = 1.204;
            } else if (auto *v = dynamic_cast<TVLine *>(item.get())) {
                v->Point.SetBar(310);
                v->ShowInAllAreas = id == GraphTypeId::VLine;
            }
            item->Color = 0x0000FF + uint32_t(id);
            panel->AttachItem(price, std::move(item), false);
        }
        panel->Settings.LeftVisible = 0;
        panel->RightMargin = 7;
        panel->Layout();
        panel->Refresh();
        panel->ZoomTo(250, 120);
        panel->Area(0)->RightAxis->VScale = 1.7;
        panel->Refresh();
    }
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
    TGraphIndicator *maRaw = nullptr;
};

TEST(ChartState, RichChartComesBackByteForByteAndPixelForPixel)
{
    RichChart c;
    const TChartWindowState window{2, 480, 700};
    const QByteArray record = SaveChart(*c.panel, window);
    EXPECT_EQ(record.left(4), QByteArray("GR01"));

    TChartWindowState read;
    std::unique_ptr<TChartPanel> again = load(c.series.get(), record, &read);
    EXPECT_EQ(read.WindowState, 2);
    EXPECT_EQ(read.Height, 480);
    EXPECT_EQ(read.Width, 700);
    EXPECT_EQ(SaveChart(*again, window), record);
    EXPECT_EQ(again->FirstVisible, 250);
    EXPECT_EQ(again->VisibleCount, 120);
    ASSERT_EQ(again->AreaCount(), 2);
    const TGraphArea &price = *again->Area(0);
    ASSERT_EQ(price.Indicators.size(), 3u);
    EXPECT_EQ(price.Indicators[2]->AxisSide, 1);
    auto *ma = dynamic_cast<T_MA_Indicator *>(price.Indicators[1].get());
    ASSERT_TRUE(ma);
    EXPECT_EQ(ma->TimePeriod, 21);
    EXPECT_EQ(ma->Levels, (std::vector<double>{1.2, 1.205}));
    ASSERT_EQ(price.Items.size(), 7u);
    EXPECT_EQ(price.Items[0]->Bound, ma);
    EXPECT_EQ(again->EverywhereItems().size(), 2u);
    EXPECT_EQ(again->Render(), c.panel->Render());

    // Another instrument's chart takes the same record without complaint.
    auto other = MakeSeries(400);
    other->InstrumentId = 7;
    EXPECT_EQ(load(other.get(), record)->AreaCount(), 2);
}

TEST(ChartState, PriceOnlyChartAndBoundIndexes)
{
    EnsureGuiApp();
    auto series = MakeSeries(100);
    TChartPanel plain(series.get(), MakeMainIndicator, nullptr);
    plain.SetClientSize(QSize(600, 400));
    const QByteArray record = SaveChart(plain, {});
    std::unique_ptr<TChartPanel> again = load(series.get(), record);
    ASSERT_EQ(again->AreaCount(), 1);
    ASSERT_EQ(again->Area(0)->Indicators.size(), 1u);
    EXPECT_EQ(again->Area(0)->Indicators[0]->TypeId, GraphTypeId::MainIndicator);
    EXPECT_TRUE(again->Area(0)->Items.empty());

    // A line bound to the MA: its stored index, then one beyond the list.
    RichChart c;
    QByteArray bound = SaveChart(*c.panel, {});
    const qsizetype line = bound.indexOf("ID:  11") - 4;
    ASSERT_GT(line, 0);
    const qsizetype indexAt = line + 11 + 4 + 1 + 4 + 1;
    EXPECT_EQ(qFromLittleEndian<qint32>(bound.constData() + indexAt), 1);
    for (const qint32 index : {7, -1}) {
        qToLittleEndian<qint32>(index, bound.data() + indexAt);
        std::unique_ptr<TChartPanel> p = load(c.series.get(), bound);
        const TGraphItem *item = p->Area(0)->Items[0].get();
        EXPECT_EQ(item->Bound, nullptr);
        EXPECT_EQ(item->OwnerAxis, p->Area(0)->RightAxis.get());
    }
}

// Every prefix of a real record, and a thousand random mutations: each
// loads or raises one of the two texts, never anything else.
TEST(ChartState, DamagedRecordsLoadClampedOrRaise)
{
    RichChart c;
    const QByteArray record = SaveChart(*c.panel, {});
    const auto tryLoad = [&](const QByteArray &bytes) {
        std::unique_ptr<TChartPanel> panel = emptyPanel(c.series.get());
        try {
            LoadChart(*panel, bytes);
            panel->Loaded();
            panel->Render();
            return QString();
        } catch (const EChartLoadError &e) {
            return QString::fromUtf8(e.what());
        }
    };
    EXPECT_EQ(tryLoad(QByteArray("GR02") + record.mid(4)), QStringLiteral("Invalid file"));
    for (qsizetype n = 0; n < record.size(); ++n) {
        const QString text = tryLoad(record.left(n));
        ASSERT_TRUE(text == QStringLiteral("load error") || (n < 4 && text == QStringLiteral("Invalid file")))
            << n << " " << text.toStdString();
    }
    std::mt19937 random(20261209);
    for (int round = 0; round < 1000; ++round) {
        QByteArray bytes = record;
        for (int k = 0, edits = 1 + int(random() % 4); k < edits; ++k)
            bytes[qsizetype(random() % uint32_t(bytes.size()))] = char(random());
        const QString text = tryLoad(bytes);
        ASSERT_TRUE(text.isNull() || text == QStringLiteral("load error") || text == QStringLiteral("Invalid file"))
            << text.toStdString();
    }

    // Values no chart can have are brought into range.
    QByteArray absurd = record;
    const auto patch = [&](qsizetype at, auto value) { qToLittleEndian(value, absurd.data() + at); };
    const qsizetype firstVisibleAt = absurd.indexOf("ID:   9") - 4 - 8;
    patch(firstVisibleAt, qint32(-5));
    const qsizetype line = absurd.indexOf("ID:  11") - 4;
    patch(line + 11 + 4 + 1, qint32(1000000000));  // the line's pen width
    const qsizetype area = absurd.indexOf("ID:   9") - 4;
    const qsizetype rightScale = absurd.indexOf("ID:   7", absurd.indexOf("ID:   7", area) + 1) + 7 + 10;
    patch(rightScale, -1.0);
    std::unique_ptr<TChartPanel> p = load(c.series.get(), absurd);
    EXPECT_EQ(p->FirstVisible, 0);
    EXPECT_EQ(p->Area(0)->Items[0]->PenWidth, TDrawedElement::MaxPenWidth);
    EXPECT_GT(p->Area(0)->RightAxis->VScale, 0);
    // A line's id where an area belongs.
    QByteArray misplaced = record;
    misplaced.replace(area, 11, QByteArray("\x0b\0\0\0ID:  11", 11));
    EXPECT_EQ(tryLoad(misplaced), QStringLiteral("load error"));
}

} // namespace
