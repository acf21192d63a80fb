#include <gtest/gtest.h>

#include <QPainter>

#include "chartfixture.h"
#include "elementstream.h"
#include "hvlines.h"
#include "mainindicator.h"
#include "pendingslot.h"
#include "simpleline.h"
#include "units.h"

namespace {

constexpr TColor Green = 0x00FF00;
constexpr TColor Red = 0x0000FF;

// A chart of the price alone, `kx` pixels per bar, grids off unless asked.
struct PriceChart {
    explicit PriceChart(int kx, int bars = 200, bool grids = false)
    {
        EnsureGuiApp();
        series = MakeSeries(bars);
        panel = std::make_unique<TChartPanel>(series.get(), MakeMainIndicator, &patterns);
        panel->SetClientSize(QSize(100, 100));
        const int axis = panel->Settings.AxisWidth;
        panel->SetClientSize(QSize(100 * kx + 2 * axis, 500));
        price = static_cast<TMainIndicator *>(panel->Area(0)->Indicators[0].get());
        price->RisingFill = Green;
        price->FallingFill = Red;
        for (TOxyArea *a : {static_cast<TOxyArea *>(panel->XAxis()), static_cast<TOxyArea *>(area().LeftAxis.get()),
                            static_cast<TOxyArea *>(area().RightAxis.get())})
            a->GridVisible = grids;
    }
    TGraphArea &area() { return *panel->Area(0); }
    const TAxisTransform &t() { return area().RightAxis->T; }
    QPoint bodyCentre(int bar)
    {
        const int yo = t().ValueToY(series->Open()[bar]);
        const int yc = t().ValueToY(series->Close()[bar]);
        return QPoint(area().Left + t().BarToX(bar) - 1, area().Top + (yo + yc) / 2);
    }
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
    TMainIndicator *price = nullptr;
};

QColor at(const QImage &image, QPoint p)
{
    return image.pixelColor(p);
}

TEST(PricePainting, CandlesRiseAndFallInTheirColours)
{
    PriceChart c(4);
    ASSERT_DOUBLE_EQ(c.t().Kx, 4.0);
    const QImage image = c.panel->Render();
    const int rising = 150, falling = 151;  // even bars rise
    ASSERT_LT(c.series->Open()[rising], c.series->Close()[rising]);
    ASSERT_GT(c.series->Open()[falling], c.series->Close()[falling]);
    EXPECT_EQ(at(image, c.bodyCentre(rising)), toQColor(Green));
    EXPECT_EQ(at(image, c.bodyCentre(falling)), toQColor(Red));
    // The outline left of the body is the bar colour.
    EXPECT_EQ(at(image, c.bodyCentre(rising) - QPoint(1, 0)), QColor(Qt::white));
}

TEST(PricePainting, BodiesNeedFourPixelsPerBar)
{
    PriceChart c(3);
    ASSERT_DOUBLE_EQ(c.t().Kx, 3.0);
    const QImage image = c.panel->Render();
    const QPoint centre = c.bodyCentre(150);
    EXPECT_EQ(at(image, centre), QColor(Qt::black));
    // Only the High-Low line.
    EXPECT_EQ(at(image, centre + QPoint(1, 0)), QColor(Qt::white));

    EXPECT_EQ(TMainIndicator::CandleHalfWidth(4), 2);
    EXPECT_EQ(TMainIndicator::CandleHalfWidth(3), 0);
    EXPECT_EQ(TMainIndicator::CandleHalfWidth(100), 20);
    EXPECT_EQ(TMainIndicator::BarTick(3), 1);
    EXPECT_EQ(TMainIndicator::BarTick(1), 0);
}

TEST(PricePainting, OtherStylesDrawTheCloses)
{
    for (uint8_t style : {TMainIndicator::Bars, TMainIndicator::Line, TMainIndicator::Points}) {
        PriceChart c(8);
        c.price->ChartStyle = style;
        c.price->FallingColor = Red;
        c.price->RisingColor = Red;
        const QImage image = c.panel->Render();
        const int bar = 151;
        const QPoint close(c.area().Left + c.t().BarToX(bar), c.area().Top + c.t().ValueToY(c.series->Close()[bar]));
        const QPoint probe = style == TMainIndicator::Bars ? close + QPoint(2, 0) : close;
        EXPECT_EQ(at(image, probe), toQColor(Red)) << int(style);
    }
}

TEST(PricePainting, CurrentPriceMarkOnlyBesideThePrice)
{
    PriceChart c(4);
    // A second area whose values are the closes, so a mark would show there.
    std::vector<double> closes(c.series->Close(), c.series->Close() + c.series->Count());
    TGraphArea *second = c.panel->AddArea();
    c.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1000, closes), 0);
    c.panel->Refresh();
    const QImage image = c.panel->Render();

    const double last = c.series->Close()[c.series->Last];
    const TOxyYArea &right = *c.area().RightAxis;
    const int y = right.Top + right.T.ValueToY(last);
    EXPECT_EQ(at(image, QPoint(right.Left + 6, y)), QColor(Qt::white));
    // The label sits in the line colour beside the triangle.
    EXPECT_EQ(at(image, QPoint(right.Left + 10, y - c.panel->Settings.LineHeight / 2)), QColor(Qt::white));

    const TOxyYArea &other = *second->RightAxis;
    const int otherY = other.Top + other.T.ValueToY(last);
    ASSERT_TRUE(other.Rect().contains(QPoint(other.Left + 6, otherY)));
    EXPECT_EQ(at(image, QPoint(other.Left + 6, otherY)), QColor(Qt::black));
}

TEST(PricePainting, GridDotsLieOnTickRows)
{
    PriceChart c(4, 200, true);
    const QImage image = c.panel->Render();
    const TOxyYArea &axis = *c.area().RightAxis;
    ASSERT_GT(axis.TickCount, 2);
    const QColor grid = toQColor(axis.GridColor);
    const auto countRow = [&](int y) {
        int n = 0;
        for (int x = c.area().Left; x < c.area().Right; ++x)
            n += at(image, QPoint(x, y)) == grid;
        return n;
    };
    const int width = c.area().Width();
    for (int k = 0; k < axis.TickCount; ++k) {
        const int y = c.area().Top + axis.T.ValueToY(axis.FirstTick + k * axis.Step);
        if (y < c.area().Top || y + 1 >= c.area().Bottom)
            continue;
        EXPECT_GT(countRow(y), width / 8) << k;
        EXPECT_LT(countRow(y + 1), width / 10) << k;
    }
}

TEST(PricePainting, SelectionMarkersInvertTheCloses)
{
    PriceChart c(4);
    const QImage plain = c.panel->Render();
    c.panel->Select(c.price);
    const QImage selected = c.panel->Render();
    const int first = c.t().First;
    const QPoint marker(c.area().Left + c.t().BarToX(first) + 2,
                        c.area().Top + c.t().ValueToY(c.series->Close()[first]) - 2);
    const QRgb before = plain.pixel(marker), after = selected.pixel(marker);
    EXPECT_EQ(after & 0xFFFFFF, ~before & 0xFFFFFF);
}

TEST(PriceHint, NewestBarEndsAtTheServerTime)
{
    PriceChart c(4);
    const int last = c.series->Last;
    const qint32 lastTime = c.series->Time()[last];
    c.price->SetServerTime([&] { return lastTime - 23; });

    const auto expected = [&](int bar, qint32 end) {
        return QStringLiteral("Price\r%1\rOpen:  %2\rLow:    %3\rHigh:   %4\rClose:  %5")
            .arg(BarPeriodText(3, c.series->Time()[bar], end), DoublePriceText(c.series->Open()[bar]),
                 DoublePriceText(c.series->Low()[bar]), DoublePriceText(c.series->High()[bar]),
                 DoublePriceText(c.series->Close()[bar]));
    };
    EXPECT_EQ(c.price->HintText(last), expected(last, lastTime - 23));
    EXPECT_TRUE(c.price->HintText(last).contains(QStringLiteral("-") + formatDateTime(QStringLiteral("hh:nn"), MinutesToDateTime(lastTime - 23))));
    EXPECT_EQ(c.price->HintText(last - 1), expected(last - 1, c.series->Time()[last - 1]));
    EXPECT_EQ(c.price->HintText(last + 1), QString());
    EXPECT_EQ(c.price->HintText(-1), QString());

    // Hovering a candle shows it.
    c.panel->MouseMove(c.bodyCentre(last - 1));
    EXPECT_TRUE(c.panel->HintVisible());
    EXPECT_EQ(c.panel->HintText(), expected(last - 1, c.series->Time()[last - 1]));
}

TEST(PriceHitTest, CandlesHitOnTheirBodyAndWick)
{
    PriceChart c(10);
    const TAxisTransform &t = c.t();
    const int bar = 150;
    const double yBody = (t.ValueToY(c.series->Open()[bar]) + t.ValueToY(c.series->Close()[bar])) / 2.0;
    const auto barAt = [&](int dx) { return t.XToBar(t.BarToX(bar) + dx); };
    EXPECT_TRUE(c.price->HitTest(yBody, barAt(0)));
    EXPECT_TRUE(c.price->HitTest(yBody, barAt(4)));   // w = 4, h = 1
    EXPECT_FALSE(c.price->HitTest(yBody, barAt(-6)));  // beyond w + h, rounds to this bar still
    const double yHigh = t.ValueToY(c.series->High()[bar]);
    EXPECT_TRUE(c.price->HitTest(yHigh, barAt(1)));
    EXPECT_FALSE(c.price->HitTest(yHigh, barAt(2)));
    EXPECT_FALSE(c.price->HitTest(yHigh - 3, barAt(0)));
    EXPECT_FALSE(c.price->HitTest(yBody, c.series->Last + 5.0));

    c.price->ChartStyle = TMainIndicator::Line;
    const double mid = (c.series->Close()[bar] + c.series->Close()[bar + 1]) / 2;
    EXPECT_TRUE(c.price->HitTest(t.ValueToY(mid), bar + 0.5));
    EXPECT_FALSE(c.price->HitTest(t.ValueToY(mid) + 3, bar + 0.5));
    EXPECT_FALSE(c.price->HitTest(0, double(c.series->Last)));  // needs the next bar
}

TEST(PriceValues, SnapMinMaxAndRecalculation)
{
    auto series = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    // Binary fractions, so "halfway" is exact.
    AppendBar(*series, 1.25, 1.75, 1.0, 1.125);
    AppendBar(*series, 1.2004, 1.2030, 1.1980, 1.2001);
    TMainIndicator price;
    double lo = 1, hi = 1;
    EXPECT_FALSE(price.MinMax(0, 1, lo, hi));  // never computed
    price.SetSeries(series.get());
    price.Recalculate(0, series->Last);
    EXPECT_EQ(price.FirstComputed, 0);
    EXPECT_EQ(price.LastComputed, 1);

    ASSERT_TRUE(price.MinMax(0, 5, lo, hi));
    EXPECT_DOUBLE_EQ(hi, 1.75);
    EXPECT_DOUBLE_EQ(lo, 1.0);
    EXPECT_FALSE(price.MinMax(2, 5, lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);

    double bar = 0.4, value = 1.5;  // halfway between Open and High
    price.Snap(bar, value);
    EXPECT_EQ(bar, 0);
    EXPECT_DOUBLE_EQ(value, 1.25);
    bar = 0.6, value = 1.2002;
    price.Snap(bar, value);
    EXPECT_EQ(bar, 1);
    EXPECT_DOUBLE_EQ(value, 1.2001);
    bar = 7.2, value = 5;
    price.Snap(bar, value);
    EXPECT_EQ(bar, 7);
    EXPECT_EQ(value, 5);

    // An empty series computes nothing and answers nothing.
    TSerData empty(3, 2, QStringLiteral("GBPUSD"));
    price.SetSeries(&empty);
    price.Recalculate(0, -1);
    EXPECT_FALSE(price.MinMax(0, 10, lo, hi));
    EXPECT_EQ(price.HintText(0), QString());
}

TEST(PriceStream, RecordRoundTripsEveryField)
{
    TMainIndicator price;
    price.FallingColor = 1;
    price.RisingColor = 2;
    price.FallingFill = 3;
    price.RisingFill = 4;
    price.ChartStyle = TMainIndicator::Points;
    price.Color = 5;
    price.PenWidth = 3;
    price.AxisSide = 1;
    TElementWriter full, style;
    price.Save(full, true);
    price.Save(style, false);
    EXPECT_EQ(full.Data(), style.Data());  // nothing per chart
    EXPECT_EQ(full.Data().size(), 4 + 7 + 4 + 1 + 4 + 1 + 4 * 4 + 1);
    EXPECT_EQ(full.Data().mid(4, 7), QByteArray("ID: 999"));

    TMainIndicator copy;
    TElementReader r(full.Data());
    copy.Load(r, true);
    EXPECT_EQ(copy.FallingColor, 1u);
    EXPECT_EQ(copy.RisingFill, 4u);
    EXPECT_EQ(copy.ChartStyle, TMainIndicator::Points);
    EXPECT_EQ(copy.PenWidth, 3);
    EXPECT_EQ(copy.AxisSide, 1);
    copy.ResetDefaults();
    EXPECT_EQ(copy.PenWidth, 1);
    EXPECT_EQ(copy.ChartStyle, TMainIndicator::Candles);
    EXPECT_EQ(copy.FallingFill, ChartColors::Black);
    EXPECT_EQ(copy.DisplayName(), QStringLiteral("Price"));
}

} // namespace

namespace {

TEST(PriceSnap, DrawnLinesSnapToTheNearestPriceOfTheirBars)
{
    PriceChart c(8);
    TGraphArea &area = c.area();
    const int hiRow = c.t().ValueToY(c.series->High()[150]) - 1;
    const int loRow = c.t().ValueToY(c.series->Low()[170]) + 1;
    auto owned = std::make_unique<TSimpleLine>();
    TSimpleLine *line = owned.get();
    TPendingSlot::Set(std::move(owned));
    c.panel->MouseDown(area.ToPanel(QPoint(c.t().BarToX(150) + 2, hiRow)));
    c.panel->MouseUp(area.ToPanel(QPoint(c.t().BarToX(170) - 2, loRow)));
    ASSERT_EQ(area.Items.size(), 1u);
    EXPECT_EQ(line->Bound, c.price);
    EXPECT_DOUBLE_EQ(line->P1().Bar, 150);
    EXPECT_DOUBLE_EQ(line->P1().Value, c.series->High()[150]);

    // Placing moved point 2 only at the press; a move takes it to bar 170.
    line->SetState(ElementState::Selected, true);
    line->SetState(ElementState::Dragging, true);
    line->SetState(ElementState::MovePoint2, true);
    line->SetPoint(QPoint(), QPoint(c.t().BarToX(170) - 2, loRow));
    line->SetState(ElementState::Dragging, false);
    EXPECT_DOUBLE_EQ(line->P2().Bar, 170);
    EXPECT_DOUBLE_EQ(line->P2().Value, c.series->Low()[170]);

    // Dragged as a whole, both points snap at their new bars.
    const QPoint middle((c.t().BarToX(150) + c.t().BarToX(170)) / 2, (hiRow + loRow) / 2);
    line->MouseDown(area, middle);
    line->MouseMove(area, middle + QPoint(3 * 8, 0));
    line->MouseUp(area, middle + QPoint(3 * 8, 0));
    EXPECT_DOUBLE_EQ(line->P1().Bar, 153);
    EXPECT_DOUBLE_EQ(line->P2().Bar, 173);
    const double *o = c.series->Open(), *h = c.series->High(), *l = c.series->Low(), *cl = c.series->Close();
    const auto isPrice = [&](int bar, double v) { return v == o[bar] || v == h[bar] || v == l[bar] || v == cl[bar]; };
    EXPECT_TRUE(isPrice(153, line->P1().Value));
    EXPECT_TRUE(isPrice(173, line->P2().Value));

    // A horizontal line never snaps.
    THLine hline;
    hline.OwnerAxis = area.RightAxis.get();
    hline.Bound = c.price;
    hline.SetPoint(QPoint(), QPoint(10, hiRow));
    EXPECT_DOUBLE_EQ(hline.Value, c.t().YToValue(hiRow));
}

} // namespace
