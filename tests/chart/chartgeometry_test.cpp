#include <gtest/gtest.h>

#include <cstring>

#include <QPainter>

#include "chartfixture.h"
#include "pendingslot.h"
#include "zoomelement.h"

namespace {

TEST(ChartScales, NiceStepRoundsUpToOneTwoFiveSteps)
{
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.0007), 0.0010);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.0023), 0.0025);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.0055), 0.0060);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.012), 0.015);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.073), 0.080);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0.00012), 0.0001);
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(0), 0.0001);
    // Absurd inputs end quickly with a finite step.
    EXPECT_TRUE(std::isfinite(TChartPanel::NiceStep(1e300)));
    EXPECT_DOUBLE_EQ(TChartPanel::NiceStep(std::nan("")), 0.0001);
}

TEST(ChartScales, VisibleCountStaysWithinThreeAndBarsPlusMargin)
{
    PanelFixture f(5);
    f.panel->SetVisibleCount(1);
    EXPECT_EQ(f.panel->VisibleCount, 3);
    f.panel->SetVisibleCount(20);
    EXPECT_EQ(f.panel->VisibleCount, 15);
    EXPECT_EQ(f.panel->FirstVisible, 0);
    // Zooming beyond the limits neither scrolls nor changes the count.
    f.panel->SetVisibleCount(3);
    const int first = f.panel->FirstVisible;
    f.panel->ZoomKeepRight(1);
    EXPECT_EQ(f.panel->VisibleCount, 3);
    EXPECT_EQ(f.panel->FirstVisible, first);
}

TEST(ChartScales, BarsAreCentredInTheirSlots)
{
    EnsureGuiApp();
    PanelFixture f(300);
    const int axis = f.panel->Settings.AxisWidth;
    f.panel->SetClientSize(QSize(500 + 2 * axis, 400));
    ASSERT_EQ(f.panel->ChartRect().width(), 500);
    ASSERT_EQ(f.panel->VisibleCount, 100);
    const TAxisTransform &t = f.area().RightAxis->T;
    EXPECT_DOUBLE_EQ(t.Kx, 5.0);
    EXPECT_DOUBLE_EQ(t.X0, 2.5);
    EXPECT_EQ(t.BarToX(f.panel->FirstVisible), 2);  // 2.5 rounds to even
    EXPECT_EQ(t.BarToX(f.panel->FirstVisible + 1), 8);
    EXPECT_NEAR(t.XToBar(7), f.panel->FirstVisible + 0.9, 1e-9);
}

TEST(ChartScales, VerticalScaleLeavesATenthFreeAboveAndBelow)
{
    PanelFixture f(200);
    TOxyYArea &axis = *f.area().RightAxis;
    const int h = f.area().Height();
    ASSERT_TRUE(axis.ScaleValid());
    EXPECT_EQ(axis.T.ValueToY(axis.Max), roundPixel(h / 12.0));
    EXPECT_EQ(axis.T.ValueToY(axis.Min), roundPixel(h - h / 12.0));
    // The left axis holds nothing and shows the right one's range.
    EXPECT_DOUBLE_EQ(f.area().LeftAxis->Min, axis.Min);
    EXPECT_DOUBLE_EQ(f.area().LeftAxis->Max, axis.Max);

    // A stretched scale keeps the middle: y0 = h + (H - h) div 2.
    axis.VScale = 1.5;
    axis.CalcScale(101, 12);
    EXPECT_DOUBLE_EQ(axis.T.Y0, 101 + (152 - 101) / 2);

    // Ticks sit on multiples of the step, the first one the multiple at or
    // below the value one line above the bottom (prices are positive).
    axis.VScale = 1.0;
    f.panel->CalcScales();
    ASSERT_GT(axis.TickCount, 1);
    const double units = axis.FirstTick * 10000 / std::nearbyint(axis.Step * 10000);
    EXPECT_NEAR(units, std::nearbyint(units), 1e-6);
    const double bottom = axis.T.YToValue(h - f.panel->Settings.LineHeight);
    EXPECT_LE(axis.FirstTick, bottom);
    EXPECT_GT(axis.FirstTick, bottom - axis.Step);
}

TEST(ChartScales, IndicatorsWithoutValuesInViewLeaveTheRangeAlone)
{
    PanelFixture f(200);
    const double min = f.area().RightAxis->Min, max = f.area().RightAxis->Max;
    ASSERT_GT(min, 1.0);
    f.panel->AttachIndicator(&f.area(), std::make_unique<FakeIndicator>(1000), 0);
    f.panel->Refresh();
    EXPECT_DOUBLE_EQ(f.area().RightAxis->Min, min);
    EXPECT_DOUBLE_EQ(f.area().RightAxis->Max, max);
}

TEST(ChartScales, FlatRangeDrawsWithoutTicks)
{
    EnsureGuiApp();
    auto series = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    for (int i = 0; i < 50; ++i)
        AppendBar(*series, 1.2, 1.2, 1.2, 1.2);
    TPatternMenager store;
    TChartPanel panel(series.get(), [] { return std::make_unique<FakePrice>(); }, &store);
    panel.SetClientSize(QSize(600, 400));
    EXPECT_FALSE(panel.Area(0)->RightAxis->ScaleValid());
    EXPECT_EQ(panel.Area(0)->RightAxis->TickCount, 0);
    EXPECT_FALSE(panel.Render().isNull());
}

TEST(ChartScales, DegenerateSizesAndScalesNeverDivideByZero)
{
    PanelFixture f(50);
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(30, 10), QSize(100000, 3)}) {
        f.panel->SetClientSize(size);
        f.panel->Refresh();
        QImage image(100, 100, QImage::Format_RGB32);
        QPainter p(&image);
        f.panel->Paint(p);
        f.panel->MouseMove(QPoint(5, 5));
    }
    f.panel->SetClientSize(QSize(600, 400));
    TOxyYArea *axis = f.area().RightAxis.get();
    f.panel->SetAxisScale(axis, 1e12);
    EXPECT_DOUBLE_EQ(axis->VScale, TOxyYArea::MaxVScale);
    f.panel->SetAxisScale(axis, 0);  // ignored
    EXPECT_DOUBLE_EQ(axis->VScale, TOxyYArea::MaxVScale);
    f.panel->CalcScales();
    EXPECT_FALSE(f.panel->Render().isNull());
    f.panel->SetAxisScale(axis, 1e-12);
    EXPECT_DOUBLE_EQ(axis->VScale, TOxyYArea::MinVScale);
    f.panel->CalcScales();
    EXPECT_FALSE(f.panel->Render().isNull());
}

TEST(ChartLayout, AreasShareTheHeightAndGiveItBack)
{
    PanelFixture f(200);
    const int chartHeight = f.panel->ChartRect().height();
    TGraphArea *second = f.panel->AddArea();
    f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1000, std::vector<double>(200, 1.0)), 0);
    ASSERT_EQ(f.panel->AreaCount(), 2);
    ASSERT_EQ(f.panel->SplitterCount(), 1);
    EXPECT_DOUBLE_EQ(f.area(0).RelHeight, 0.5);
    EXPECT_EQ(f.panel->Splitter(0)->Top, f.area(0).Bottom);
    EXPECT_EQ(f.area(1).Top, f.area(0).Bottom + TSplitterArea::Thickness);
    EXPECT_NEAR(f.area(0).Height() + f.area(1).Height(), chartHeight - TSplitterArea::Thickness, 1);

    // Its last indicator leaving takes the area; the first gets its height.
    f.panel->Select(second->Indicators[0].get());
    f.panel->DeleteElement(second->Indicators[0].get());
    EXPECT_EQ(f.panel->AreaCount(), 1);
    EXPECT_EQ(f.panel->SplitterCount(), 0);
    EXPECT_EQ(f.panel->Selected(), nullptr);
    EXPECT_DOUBLE_EQ(f.area(0).RelHeight, 1.0);
    EXPECT_EQ(f.area(0).Height(), chartHeight);
}

TEST(ChartLayout, RemovingTheFirstAreaGivesItsHeightToTheNext)
{
    PanelFixture f(200);
    f.panel->AddArea();
    f.panel->AddArea();
    const double first = f.area(0).RelHeight;
    const double second = f.area(1).RelHeight;
    f.panel->RemoveArea(f.panel->Area(0));
    ASSERT_EQ(f.panel->AreaCount(), 2);
    EXPECT_DOUBLE_EQ(f.area(0).RelHeight, first + second);
    // The only area stays.
    f.panel->RemoveArea(f.panel->Area(1));
    f.panel->RemoveArea(f.panel->Area(0));
    EXPECT_EQ(f.panel->AreaCount(), 1);
}

TEST(ChartLayout, HiddenLeftAxesWidenAreasAndTimeAxis)
{
    PanelFixture f(200);
    const int axis = f.panel->Settings.AxisWidth;
    ASSERT_GT(axis, 0);
    EXPECT_EQ(f.area().Left, axis);
    f.panel->Settings.LeftVisible = 0;
    f.panel->Layout();
    EXPECT_EQ(f.area().Left, 0);
    EXPECT_EQ(f.panel->XAxis()->Left, 0);
    EXPECT_EQ(f.area().LeftAxis->Width(), 0);
    EXPECT_EQ(f.area().Width(), 800 - axis);
    // The time axis is three lines high with dates, two without.
    const int lh = f.panel->Settings.LineHeight;
    EXPECT_EQ(f.panel->XAxis()->Height(), 3 * lh);
    f.panel->XAxis()->ShowDate = 0;
    f.panel->Layout();
    EXPECT_EQ(f.panel->XAxis()->Height(), 2 * lh);
    EXPECT_EQ(f.panel->ChartRect().bottom() + 1, 600 - 2 * lh);
}

TEST(ChartLayout, SplitterKeepsBothNeighboursAboveTwentyPixels)
{
    PanelFixture f(200);
    f.panel->AddArea();
    const TSplitterArea &s = *f.panel->Splitter(0);
    const int above = f.area(0).Height();
    const QPoint grip(s.Left + 10, s.Top + 1);

    // Too far up: the splitter stays, no band is drawn.
    f.panel->MouseDown(grip);
    f.panel->MouseMove(grip - QPoint(0, above - 20));
    EXPECT_FALSE(s.Dragging);
    f.panel->MouseUp(grip - QPoint(0, above - 20));
    EXPECT_EQ(f.area(0).Height(), above);

    // Within the limits: the band follows, the release moves the splitter.
    QRegion overlay;
    f.panel->OnOverlay = [&](const QRect &r) { overlay += r; };
    f.panel->MouseDown(grip);
    f.panel->MouseMove(grip - QPoint(0, 50));
    EXPECT_TRUE(f.panel->Splitter(0)->Dragging);
    EXPECT_TRUE(overlay.contains(QPoint(s.Left + 10, s.Top - 50)));
    f.panel->MouseUp(grip - QPoint(0, 50));
    EXPECT_NEAR(f.area(0).Height(), above - 50, 1);
    EXPECT_EQ(f.panel->Captured(), nullptr);
}

TEST(ChartFollowing, ScrolledBackStaysAndAtTheEndFollows)
{
    PanelFixture f(200);
    // 200 bars + 10 margin - 100 visible.
    EXPECT_EQ(f.panel->ScrollMaximum(), 110);
    EXPECT_EQ(f.panel->FirstVisible, 110);
    EXPECT_EQ(f.panel->ScrollPosition(), 110);

    AppendBar(*f.series, 1.2, 1.21, 1.19, 1.2);
    f.panel->Refresh();
    EXPECT_EQ(f.panel->FirstVisible, 111);
    EXPECT_EQ(f.panel->ScrollMaximum(), 111);

    f.panel->ScrollBarChanged(50);
    EXPECT_EQ(f.panel->FirstVisible, 50);
    AppendBar(*f.series, 1.2, 1.21, 1.19, 1.2);
    f.panel->Refresh();
    EXPECT_EQ(f.panel->FirstVisible, 50);
    EXPECT_EQ(f.panel->ScrollMaximum(), 112);
}

TEST(ChartFollowing, NewChartFollowsItsArrivingHistory)
{
    EnsureGuiApp();
    auto series = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    TPatternMenager store;
    TChartPanel panel(series.get(), [] { return std::make_unique<FakePrice>(); }, &store);
    panel.SetClientSize(QSize(800, 600));
    EXPECT_EQ(panel.FirstVisible, 0);
    auto history = MakeSeries(300);
    for (int i = 0; i <= history->Last; ++i) {
        const TSerData::BarRecord r = history->Bar(i);
        int32_t v[5];
        std::memcpy(v, r.data(), 20);
        series->AddBar(v[0], v[3], v[1], v[2], v[4]);
    }
    panel.Refresh();
    EXPECT_EQ(panel.FirstVisible, 210);
}

TEST(ChartFollowing, ScrollBarUpdatesAreMutedAndMirrored)
{
    PanelFixture f(200);
    int notified = 0;
    bool mutedSeen = false;
    f.panel->OnScrollChanged = [&] {
        ++notified;
        mutedSeen |= f.panel->ScrollUpdating();
    };
    f.panel->SetFirstVisible(20);
    EXPECT_GT(notified, 0);
    EXPECT_FALSE(mutedSeen);
    EXPECT_EQ(f.panel->ScrollPosition(), 20);
    EXPECT_EQ(f.panel->ScrollPageStep(), 100);
}

TEST(ChartRefresh, RecalculatesEveryIndicatorAndKeepsFailuresInside)
{
    PanelFixture f(100);
    auto *price = static_cast<FakeIndicator *>(f.area().Indicators[0].get());
    TGraphArea *second = f.panel->AddArea();
    auto *failing = static_cast<FakeIndicator *>(
        f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1001, std::vector<double>(100, 2.0)), 0));
    failing->Throw = true;
    const int before = price->Recalcs;
    EXPECT_NO_THROW(f.panel->Refresh());
    EXPECT_EQ(price->Recalcs, before + 1);
    EXPECT_EQ(price->FirstComputed, 0);
    EXPECT_EQ(price->LastComputed, 99);
}

TEST(ChartRefresh, SkippedOnlyWhileAnElementIsBeingPlacedHere)
{
    PanelFixture f(100);
    auto *price = static_cast<FakeIndicator *>(f.area().Indicators[0].get());
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    int before = price->Recalcs;
    f.panel->Refresh();  // armed, not placing
    EXPECT_EQ(price->Recalcs, before + 1);

    f.panel->MouseDown(f.pointAt(50, 100));
    before = price->Recalcs;
    f.panel->Refresh();
    EXPECT_EQ(price->Recalcs, before);

    // Another panel keeps refreshing meanwhile.
    PanelFixture other(100);
    auto *otherPrice = static_cast<FakeIndicator *>(other.area().Indicators[0].get());
    before = otherPrice->Recalcs;
    other.panel->Refresh();
    EXPECT_EQ(otherPrice->Recalcs, before + 1);
}

TEST(ChartRefresh, SwitchingSeriesShowsTheNewestBars)
{
    PanelFixture f(200);
    f.panel->ScrollBarChanged(10);
    auto other = MakeSeries(500, 2);
    f.panel->SetSeries(other.get());
    EXPECT_EQ(f.panel->Series(), other.get());
    EXPECT_EQ(f.area().Indicators[0]->Series, other.get());
    EXPECT_EQ(f.panel->FirstVisible, 410);
    f.panel->SetSeries(f.series.get());  // before `other` goes
}

} // namespace
