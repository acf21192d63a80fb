#include <gtest/gtest.h>

#include <map>

#include <QPainter>

#include "catalogue.h"
#include "grapharea.h"
#include "indicatorfixture.h"
#include "kelvra/ta_api.h"
#include "mainindicator.h"
#include "pendingslot.h"
#include "periodindicators.h"
#include "units.h"

namespace {

constexpr TColor Yellow = 0x00FFFF;

// A chart of a random series with the real price display.
struct IndicatorChart {
    explicit IndicatorChart(int bars = 300, QSize size = QSize(900, 600))
    {
        EnsureGuiApp();
        series = RandomSeries(bars);
        panel = std::make_unique<TChartPanel>(series.get(), MakeMainIndicator, &patterns);
        panel->SetClientSize(size);
        for (TOxyArea *a : {static_cast<TOxyArea *>(panel->XAxis()),
                            static_cast<TOxyArea *>(area().LeftAxis.get()),
                            static_cast<TOxyArea *>(area().RightAxis.get())})
            a->GridVisible = 0;
    }
    ~IndicatorChart()
    {
        panel.reset();  // before the series the buffers live in
        TPendingSlot::Clear();
    }
    TGraphArea &area(int i = 0) { return *panel->Area(i); }
    // The indicator tool released at a point of area i.
    void place(int n, int areaIndex = 0)
    {
        TPendingSlot::Set(CreateIndicator(n));
        const TGraphArea &a = area(areaIndex);
        const QPoint p(a.Left + a.Width() / 2, a.Top + a.Height() / 2);
        panel->MouseDown(p);
        panel->MouseUp(p);
    }
    TOtherIndicator *indicator(int areaIndex, int i)
    {
        return dynamic_cast<TOtherIndicator *>(area(areaIndex).Indicators[size_t(i)].get());
    }
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
};

// How many of the indicator's outputs show, in its colour, at bar b's point.
int outputsShownAt(const QImage &image, TOtherIndicator &ind, int b)
{
    const TGraphArea &a = *ind.Area();
    const TAxisTransform &t = ind.OwnerAxis->T;
    int shown = 0;
    for (int k = 0; k < ind.OutputCount(); ++k) {
        const QPoint p(a.Left + t.BarToX(b), a.Top + t.ValueToY(ind.Output(k)[b]));
        if (a.Rect().contains(p) && image.pixelColor(p) == toQColor(ind.Color))
            ++shown;
    }
    return shown;
}

} // namespace

// The placement: a cancel leaves nothing behind; "New chart window" adds an
// area below the others, on its right axis; "left" joins the clicked area.
TEST(IndicatorPlacement, CancelNewAreaAndLeftAxis)
{
    IndicatorChart c;
    int asked = 0;
    int answer = 0;
    c.panel->ChooseIndicatorPlacement = [&] {
        ++asked;
        // The indicator has its series (and buffers) before the choice.
        return answer;
    };
    const int arrays = c.series->ArrayCount();
    c.place(22);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(c.panel->AreaCount(), 1);
    EXPECT_EQ(c.area().Indicators.size(), 1u);
    EXPECT_EQ(c.series->ArrayByIndex(arrays), nullptr);  // its buffer went with it

    // An edit step that cancels frees it too.
    answer = 3;
    bool edited = false;
    c.panel->EditNewIndicator = [&](TGraphIndicator *ind) {
        edited = true;
        EXPECT_FALSE(ind->Has(ElementState::Attached));
        EXPECT_EQ(ind->Series, c.series.get());
        return false;
    };
    c.place(22);
    EXPECT_TRUE(edited);
    EXPECT_EQ(c.panel->AreaCount(), 1);
    c.panel->EditNewIndicator = nullptr;

    c.place(22);
    ASSERT_EQ(c.panel->AreaCount(), 2);
    EXPECT_NEAR(c.area(0).RelHeight, 0.5, 1e-12);
    EXPECT_NEAR(c.area(1).RelHeight, 0.5, 1e-12);
    TOtherIndicator *rsi = c.indicator(1, 0);
    ASSERT_NE(rsi, nullptr);
    EXPECT_EQ(rsi->AxisSide, 0);
    EXPECT_EQ(rsi->OwnerAxis, c.area(1).RightAxis.get());
    EXPECT_EQ(c.area(1).Title(), QStringLiteral("RSI"));
    EXPECT_EQ(rsi->FirstComputed, 6);
    EXPECT_EQ(rsi->LastComputed, c.series->Last);

    c.place(30, 1);
    ASSERT_EQ(c.panel->AreaCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(c.area(i).RelHeight, 1.0 / 3, 1e-12) << i;

    answer = 1;
    c.place(0);
    ASSERT_EQ(c.area(0).Indicators.size(), 2u);
    TOtherIndicator *ma = c.indicator(0, 1);
    EXPECT_EQ(ma->AxisSide, 1);
    EXPECT_EQ(ma->OwnerAxis, c.area(0).LeftAxis.get());
    EXPECT_EQ(c.area(0).Current, ma);
    EXPECT_EQ(c.area(0).Title(), QStringLiteral("Price, MA"));
    EXPECT_TRUE(c.area(0).LeftAxis->HasRange);
    answer = 2;
    c.place(22, 0);
    EXPECT_EQ(c.indicator(0, 2)->OwnerAxis, c.area(0).RightAxis.get());
    EXPECT_EQ(c.area(0).Title(), QStringLiteral("Price, MA, RSI"));
}

// Every output is a polyline in the one pen: Stochastic two, Bollinger
// Bands and MACD three; the selection adds markers, levels their lines.
TEST(IndicatorPainting, EveryOutputInTheOnePen)
{
    IndicatorChart c(300, QSize(1000, 700));
    c.panel->ChooseIndicatorPlacement = [] { return 3; };
    c.place(30);
    c.place(29);
    c.place(3);
    ASSERT_EQ(c.panel->AreaCount(), 4);
    TOtherIndicator *stoch = c.indicator(1, 0);
    TOtherIndicator *macd = c.indicator(2, 0);
    TOtherIndicator *bbands = c.indicator(3, 0);
    EXPECT_EQ(c.area(1).Title(), QStringLiteral("Stoch"));
    EXPECT_EQ(stoch->OutputCount(), 2);
    EXPECT_EQ(macd->OutputCount(), 3);
    EXPECT_EQ(bbands->OutputCount(), 3);
    stoch->Color = macd->Color = bbands->Color = Yellow;
    c.panel->Refresh();
    const QImage image = c.panel->Render();
    int stochSeen = 0, macdSeen = 0, bbandsSeen = 0;
    const int last = c.series->Last;
    for (int b = last - 40; b <= last; ++b) {
        stochSeen = std::max(stochSeen, outputsShownAt(image, *stoch, b));
        macdSeen = std::max(macdSeen, outputsShownAt(image, *macd, b));
        bbandsSeen = std::max(bbandsSeen, outputsShownAt(image, *bbands, b));
    }
    EXPECT_EQ(stochSeen, 2);
    EXPECT_EQ(macdSeen, 3);
    EXPECT_EQ(bbandsSeen, 3);

    // A level line runs across the whole area in the level pen.
    stoch->Levels = {50.0};
    stoch->LevelColor = 0xFF00FF;
    const QImage levels = c.panel->Render();
    const TGraphArea &a = c.area(1);
    const int y = a.Top + stoch->OwnerAxis->T.ValueToY(50.0);
    EXPECT_EQ(levels.pixelColor(a.Left + 1, y), toQColor(0xFF00FF));
    EXPECT_EQ(levels.pixelColor(a.Right - 2, y), toQColor(0xFF00FF));

    // Hovering over a line shows its hint for the bar under the mouse.
    const TAxisTransform &t = stoch->OwnerAxis->T;
    const int x = t.BarToX(last - 5);
    const double bar = t.XToBar(x);
    const int b = int(bar);
    const double *k = stoch->Output(0);
    const QPoint on(a.Left + x, a.Top + t.ValueToY(k[b] + (k[b + 1] - k[b]) * (bar - b)));
    c.panel->MouseMove(on);
    EXPECT_TRUE(c.panel->HintText().startsWith(QStringLiteral("Stochastic\r")));
    c.panel->MouseDown(on);
    c.panel->MouseUp(on);
    EXPECT_EQ(c.panel->Selected(), stoch);
}

// A Bollinger Bands of period 20 on 15 bars has no results: nothing drawn,
// the price keeps its scale.
TEST(IndicatorPainting, NoResultsNoDrawingNoRange)
{
    IndicatorChart c(15);
    const double min = c.area().RightAxis->Min, max = c.area().RightAxis->Max;
    ASSERT_LT(min, max);
    c.panel->ChooseIndicatorPlacement = [] { return 2; };
    c.place(3);
    ASSERT_EQ(c.area().Indicators.size(), 2u);
    TOtherIndicator *bbands = c.indicator(0, 1);
    bbands->Color = Yellow;
    c.panel->Refresh();
    EXPECT_EQ(bbands->FirstComputed, -1);
    EXPECT_EQ(c.area().RightAxis->Min, min);
    EXPECT_EQ(c.area().RightAxis->Max, max);
    const QImage image = c.panel->Render();
    const QRect inside = c.area().Rect().adjusted(0, 3 * c.panel->Settings.LineHeight, 0, 0);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ASSERT_NE(image.pixelColor(x, y), toQColor(Yellow)) << x << "," << y;
}

// A failing indicator stays uncomputed and is reported once; the others
// and the refresh go on.
TEST(IndicatorFailure, StaysInsideTheChart)
{
    IndicatorChart c;
    QStringList reports;
    c.panel->OnIndicatorFailure = [&](const QString &text) { reports << text; };
    c.panel->ChooseIndicatorPlacement = [] { return 3; };
    c.place(22);
    c.panel->ChooseIndicatorPlacement = [] { return 2; };
    c.place(0, 1);
    ASSERT_EQ(c.panel->AreaCount(), 2);
    auto *rsi = static_cast<T_RSI_Indicator *>(c.indicator(1, 0));
    TOtherIndicator *ma = c.indicator(1, 1);
    rsi->TimePeriod = 1;  // TA-Lib refuses it
    c.panel->Refresh();
    c.panel->Refresh();
    EXPECT_EQ(reports, QStringList{QStringLiteral("TA: Internal error")});
    EXPECT_EQ(rsi->FirstComputed, -1);
    EXPECT_EQ(ma->FirstComputed, 9);
    EXPECT_TRUE(c.area(1).RightAxis->HasRange);  // the moving average scales the area
    EXPECT_FALSE(c.panel->Render().isNull());
    // Mended, then broken again: reported again.
    rsi->TimePeriod = 14;
    c.panel->Refresh();
    EXPECT_EQ(rsi->FirstComputed, 14);
    rsi->TimePeriod = 1;
    c.panel->Refresh();
    EXPECT_EQ(reports.size(), 2);
}

namespace {
// A two-point item standing in for a line.
class TestLine : public TGraphItem {
public:
    TestLine() : TGraphItem(GraphTypeId::SimpleLine) {}
    QPoint A, B;
    void SetPoint(QPoint, QPoint current) override
    {
        if (Has(ElementState::MovePoint1))
            A = current;
        if (Has(ElementState::MovePoint2))
            B = current;
    }
};
} // namespace

// Deleting an indicator: its items fall back to the right axis unbound, the
// last remaining indicator becomes current, and a new line binds to it.
TEST(IndicatorDelete, BoundLineFallsBackAndANewLineBindsToTheRest)
{
    IndicatorChart c;
    c.panel->ChooseIndicatorPlacement = [] { return 3; };
    c.place(22);
    c.panel->ChooseIndicatorPlacement = [] { return 1; };
    c.place(0, 1);
    TGraphArea &a = c.area(1);
    TOtherIndicator *rsi = c.indicator(1, 0);
    TOtherIndicator *ma = c.indicator(1, 1);
    ASSERT_EQ(a.Current, ma);
    const int rsiBuffer = rsi->BufferIndex;

    const auto drawLine = [&] {
        TPendingSlot::Set(std::make_unique<TestLine>());
        const QPoint p(a.Left + 50, a.Top + 40);
        c.panel->MouseDown(p);
        c.panel->MouseMove(p + QPoint(60, 20));
        c.panel->MouseUp(p + QPoint(60, 20));
        return static_cast<TestLine *>(a.Items.back().get());
    };
    TestLine *line = drawLine();
    ASSERT_EQ(line->Bound, ma);
    EXPECT_EQ(line->OwnerAxis, a.LeftAxis.get());

    c.panel->Select(ma);
    c.panel->DeleteElement(ma);
    EXPECT_EQ(c.panel->Selected(), nullptr);
    EXPECT_EQ(c.panel->DraggedIndicator(), nullptr);
    EXPECT_EQ(line->Bound, nullptr);
    EXPECT_EQ(line->OwnerAxis, a.RightAxis.get());
    EXPECT_EQ(a.Current, rsi);
    EXPECT_EQ(rsi->BufferIndex, rsiBuffer);
    EXPECT_NE(c.series->ArrayByIndex(rsiBuffer), nullptr);

    TestLine *second = drawLine();
    EXPECT_EQ(second->Bound, rsi);
    c.panel->Refresh();
    EXPECT_FALSE(c.panel->Render().isNull());
    // The last indicator of the area goes: so does the area.
    c.panel->DeleteElement(rsi);
    EXPECT_EQ(c.panel->AreaCount(), 1);
}

// The crosshair is off until switched on; then it reads the bar and the
// price under the mouse, paints its labels on the axes (never into the
// chart's own image), and the data window's rows are the series' and the
// indicators' values of that bar.
TEST(ChartCrosshair, FollowsTheMouseWithLabelsAndData)
{
    IndicatorChart c(300);
    c.place(22);  // RSI, in an area of its own
    c.place(3);   // Bollinger Bands: three lines
    ASSERT_EQ(c.panel->AreaCount(), 3);
    TOtherIndicator *rsi = c.indicator(1, 0), *bands = c.indicator(2, 0);
    int notices = 0;
    c.panel->OnCrosshair = [&] { ++notices; };

    TGraphArea &price = c.area(0);
    const int bar = c.panel->FirstVisible + 40;
    const QPoint at(price.Left + price.RightAxis->T.BarToX(bar), price.Top + price.Height() / 3);
    c.panel->MouseMove(at);
    EXPECT_FALSE(c.panel->CrosshairShown());
    EXPECT_EQ(c.panel->CrosshairBar(), -1);
    EXPECT_EQ(notices, 0);

    c.panel->SetCrosshair(true);
    c.panel->MouseMove(at);
    ASSERT_TRUE(c.panel->CrosshairShown());
    EXPECT_EQ(c.panel->CrosshairBar(), bar);
    double value = 0;
    ASSERT_TRUE(c.panel->CrosshairValue(value));
    EXPECT_DOUBLE_EQ(value, price.RightAxis->T.YToValue(at.y() - price.Top));
    EXPECT_GE(notices, 2);

    // Labels on the price axis at the mouse's row and on the time axis at
    // its column, in the axis colour; the chart's own image stays clean.
    const QImage chart = c.panel->Render();
    QImage shown = chart.copy();
    {
        QPainter painter(&shown);
        c.panel->PaintCrosshair(painter);
    }
    EXPECT_EQ(c.panel->Render(), chart);
    const QRgb axisInk = toQColor(price.RightAxis->LineColor).rgb();
    const auto inkAround = [&](QPoint p) {
        int n = 0;
        for (int dx = -4; dx <= 4; ++dx)
            n += (shown.pixel(p + QPoint(dx, 0)) & 0xFFFFFF) == (axisInk & 0xFFFFFF);
        return n;
    };
    EXPECT_GE(inkAround(QPoint(price.RightAxis->Left + 6, at.y())), 3);
    EXPECT_GE(inkAround(QPoint(at.x(), c.panel->XAxis()->Top + 3)), 3);
    EXPECT_NE(shown.copy(QRect(price.RightAxis->Left, at.y() - 3, price.RightAxis->Width(), 6)),
              chart.copy(QRect(price.RightAxis->Left, at.y() - 3, price.RightAxis->Width(), 6)));

    // The data window's rows for that bar.
    std::map<QString, QString> rows;
    for (const auto &[name, text] : c.panel->DataAt(bar))
        rows[name] = text;
    EXPECT_EQ(rows[QStringLiteral("Open")], DoublePriceText(c.series->Open()[bar]));
    EXPECT_EQ(rows[QStringLiteral("High")], DoublePriceText(c.series->High()[bar]));
    EXPECT_EQ(rows[QStringLiteral("Low")], DoublePriceText(c.series->Low()[bar]));
    EXPECT_EQ(rows[QStringLiteral("Close")], DoublePriceText(c.series->Close()[bar]));
    EXPECT_FALSE(rows[QStringLiteral("Time")].isEmpty());
    EXPECT_EQ(rows[rsi->ShortName()], DoublePriceText(rsi->Output(0)[bar]));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(rows[QStringLiteral("%1 %2").arg(bands->ShortName()).arg(k + 1)],
                  DoublePriceText(bands->Output(k)[bar]));
    // Before the RSI's first computed bar it has no row.
    const auto names = [&](int b) {
        QStringList out;
        for (const auto &row : c.panel->DataAt(b))
            out << row.first;
        return out;
    };
    EXPECT_FALSE(names(0).contains(rsi->ShortName()));
    EXPECT_TRUE(c.panel->DataAt(-1).empty());
    EXPECT_TRUE(c.panel->DataAt(c.series->Last + 1).empty());

    // Over the time axis or after leaving the panel there is no crosshair.
    c.panel->MouseMove(QPoint(at.x(), c.panel->XAxis()->Top + 2));
    EXPECT_FALSE(c.panel->CrosshairShown());
    c.panel->MouseMove(at);
    c.panel->CrosshairLeave();
    EXPECT_FALSE(c.panel->CrosshairShown());
    QImage after = chart.copy();
    {
        QPainter painter(&after);
        c.panel->PaintCrosshair(painter);
    }
    EXPECT_EQ(after, chart);
}

// At a device pixel ratio of 2 the chart has twice the pixels and the same
// layout in logical units: every logical pixel is the same colour.
TEST(ChartHiDpi, RatioTwoDoublesThePixelsAndKeepsTheLayout)
{
    IndicatorChart c(300, QSize(500, 320));
    c.place(22);
    const QImage one = c.panel->Render(1.0);
    const QImage two = c.panel->Render(2.0);
    ASSERT_EQ(two.size(), one.size() * 2);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    EXPECT_EQ(two.deviceIndependentSize().toSize(), one.size());
    // The separators of the areas and axes fall on the same logical lines.
    const TGraphArea &price = c.area(0);
    for (const QPoint logical : {QPoint(price.RightAxis->Left, price.Top + 10), QPoint(10, c.panel->XAxis()->Top),
                                 QPoint(price.Left + 5, price.Top + 5)})
        EXPECT_EQ(two.pixel(logical * 2), one.pixel(logical)) << logical.x() << "," << logical.y();
}
