#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

#include "chartfixture.h"
#include "elementstream.h"
#include "fibbelements.h"
#include "hvlines.h"
#include "itemfactory.h"
#include "pendingslot.h"

namespace {

constexpr QRgb Blue = 0xFF0000FF;  // the items' default colour as drawn

// Places a pending element with one press-drag-release (panel points).
template <class T>
T *place(PanelFixture &f, std::unique_ptr<T> element, QPoint from, QPoint to)
{
    T *raw = element.get();
    TPendingSlot::Set(std::move(element));
    f.panel->MouseDown(from);
    f.panel->MouseMove(to);
    f.panel->MouseUp(to);
    return raw;
}

const TAxisTransform &transform(PanelFixture &f, int area = 0)
{
    return f.area(area).RightAxis->T;
}

TGraphArea &addSecondArea(PanelFixture &f)
{
    TGraphArea *second = f.panel->AddArea();
    f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1000, std::vector<double>(200, 1.0)), 0);
    f.panel->Refresh();
    return *second;
}

// A row of area 0 at least `gap` pixels from the price's close at a bar,
// so a press there reaches the item and not the price.
int rowClearOfPrice(PanelFixture &f, int bar, int wanted, int gap = 6)
{
    const int close = transform(f).ValueToY(f.series->Close()[bar]);
    if (std::abs(wanted - close) >= gap)
        return wanted;
    return wanted < close ? close - gap : close + gap;
}

bool columnHasColour(const QImage &image, int x, int top, int bottom, QRgb colour)
{
    for (int y = top; y < bottom; ++y)
        if (image.pixel(x, y) == colour)
            return true;
    return false;
}

TEST(DrawnItems, SimpleLineCrossesTheAreaAndMovesByAHandleOrWhole)
{
    PanelFixture f(200);
    const QPoint from = f.pointAt(130, rowClearOfPrice(f, 130, 100));
    const QPoint to = f.pointAt(150, rowClearOfPrice(f, 150, 300));
    TSimpleLine *line = place(f, std::make_unique<TSimpleLine>(), from, to);
    TGraphArea &area = f.area();
    ASSERT_EQ(area.Items.size(), 1u);
    EXPECT_EQ(area.Items[0].get(), line);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_TRUE(line->Has(ElementState::Attached));
    EXPECT_FALSE(line->Has(ElementState::Dragging));
    EXPECT_EQ(line->Bound, area.Current);
    EXPECT_NEAR(line->P1().Bar, 130, 0.5);
    EXPECT_NEAR(line->P2().Bar, 150, 0.5);
    EXPECT_NEAR(line->P1().Value, transform(f).YToValue(area.ToArea(from).y()), 1e-12);

    // Both extensions are on: the line runs from edge to edge.
    const QLine l = line->Geometry(area);
    EXPECT_EQ(l.x1(), 0);
    EXPECT_EQ(l.x2(), area.Width());

    f.panel->Select(line);
    // On the short diagonal through point 1: only point 1 follows.
    const QPoint p2Before = area.ToPanel(QPoint(transform(f).BarToX(line->P2().Bar), transform(f).ValueToY(line->P2().Value)));
    f.panel->MouseDown(from + QPoint(1, 1));
    EXPECT_TRUE(line->Has(ElementState::MovePoint1));
    EXPECT_FALSE(line->Has(ElementState::MovePoint2));
    f.panel->MouseMove(from + QPoint(-19, 41));
    f.panel->MouseUp(from + QPoint(-19, 41));
    EXPECT_EQ(area.ToPanel(QPoint(transform(f).BarToX(line->P1().Bar), transform(f).ValueToY(line->P1().Value))),
              from + QPoint(-19, 41));  // the moved point takes the mouse position
    EXPECT_EQ(area.ToPanel(QPoint(transform(f).BarToX(line->P2().Bar), transform(f).ValueToY(line->P2().Value))),
              p2Before);

    // Anywhere else on the line: both points shift by the mouse movement.
    const double b1 = line->P1().Bar, b2 = line->P2().Bar;
    const int y1 = transform(f).ValueToY(line->P1().Value), y2 = transform(f).ValueToY(line->P2().Value);
    const QPoint a = area.ToPanel(QPoint(transform(f).BarToX(b1), y1));
    const QPoint b = area.ToPanel(QPoint(transform(f).BarToX(b2), y2));
    QPoint middle = (a + b) / 2;
    ASSERT_EQ(area.ElementAt(area.ToArea(middle)), line);
    f.panel->MouseDown(middle);
    EXPECT_TRUE(line->Has(ElementState::MovePoint1) && line->Has(ElementState::MovePoint2));
    for (int step = 1; step <= 10; ++step)
        f.panel->MouseMove(middle + QPoint(step, -step));  // small steps add up
    f.panel->MouseUp(middle + QPoint(10, -10));
    EXPECT_NEAR(line->P1().Bar - b1, 10 / transform(f).Kx, 1e-9);
    EXPECT_NEAR(line->P2().Bar - b2, 10 / transform(f).Kx, 1e-9);
    EXPECT_EQ(transform(f).ValueToY(line->P1().Value), y1 - 10);
    EXPECT_EQ(transform(f).ValueToY(line->P2().Value), y2 - 10);
    EXPECT_FALSE(line->Has(ElementState::Dragging));
}

TEST(DrawnItems, HandlesSitOnTheShortDiagonalsThroughThePoints)
{
    PanelFixture f(200);
    auto line = std::make_unique<TSimpleLine>();
    line->OwnerAxis = f.area().RightAxis.get();
    const TAxisTransform &t = transform(f);
    // A line at 45 degrees on the screen lies on the diagonal through point 1.
    line->P1().SetBar(t.XToBar(100));
    line->P1().Value = t.YToValue(100);
    line->P2().SetBar(t.XToBar(300));
    line->P2().Value = t.YToValue(300);
    EXPECT_EQ(line->HandleAt(QPoint(100, 100)), 1);
    EXPECT_EQ(line->HandleAt(QPoint(103, 102)), 1);
    EXPECT_EQ(line->HandleAt(QPoint(299, 300)), 2);
    EXPECT_EQ(line->HandleAt(QPoint(200, 200)), 0);  // the whole line moves
    EXPECT_EQ(line->HandleAt(QPoint(130, 130)), 0);
    // The segment test with its tolerance (pen width div 2 + 2).
    EXPECT_TRUE(line->HitTest(202, t.XToBar(200)));
    EXPECT_FALSE(line->HitTest(203 + 1, t.XToBar(200)));
    line->PenWidth = 4;
    EXPECT_TRUE(line->HitTest(204, t.XToBar(200)));
    // Without extensions nothing beyond the points counts.
    EXPECT_TRUE(line->HitTest(400, t.XToBar(400)));
    line->LeftExtension = line->RightExtension = 0;
    EXPECT_FALSE(line->HitTest(400, t.XToBar(400)));
    EXPECT_FALSE(line->HitTest(50, t.XToBar(50)));
}

TEST(DrawnItems, RetracementLevelsLabelsAndHits)
{
    PanelFixture f(200);
    TFibbLine fib;
    fib.OwnerAxis = f.area().RightAxis.get();
    const TAxisTransform &t = transform(f);
    fib.P1().SetBar(130);
    fib.P1().Value = 1.2000;
    fib.P2().SetBar(150);
    fib.P2().Value = 1.1000;
    EXPECT_EQ(fib.LevelRow(0), t.ValueToY(1.1000));
    EXPECT_EQ(fib.LevelRow(1.0), t.ValueToY(1.2000));
    EXPECT_NEAR(fib.LevelRow(0.618), t.ValueToY(1.1618), 1);
    EXPECT_NEAR(fib.LevelRow(1.618), t.ValueToY(1.2618), 1);
    // Point 1's row anywhere; the segment only while selected.
    const int row1 = t.ValueToY(1.2);
    EXPECT_TRUE(fib.HitTest(row1 + 2, 190));
    const double midBar = 140;
    const int midRow = (t.ValueToY(1.2) + t.ValueToY(1.1)) / 2;
    EXPECT_FALSE(fib.HitTest(midRow, midBar));
    fib.SetState(ElementState::Selected, true);
    EXPECT_TRUE(fib.HitTest(midRow, midBar));

    // Labels left of the levels only while neither selected nor dragged.
    PanelFixture g(200);
    auto owned = std::make_unique<TFibbLine>();
    TFibbLine *shown = owned.get();
    shown->P1().SetBar(160);
    shown->P1().Value = 1.209;
    shown->P2().SetBar(180);
    shown->P2().Value = 1.201;
    g.panel->AttachItem(&g.area(), std::move(owned), false);
    const TGraphArea &area = g.area();
    const int x = area.Left + transform(g).BarToX(160);
    const int y = area.Top + shown->LevelRow(0.5);
    const QRect labelBox(x - 80, y - 8, 70, 16);
    const QImage plain = g.panel->Render();
    g.panel->Select(shown);
    const QImage selected = g.panel->Render();
    EXPECT_NE(plain.copy(labelBox), selected.copy(labelBox));
    g.panel->Select(nullptr);
    EXPECT_EQ(g.panel->Render().copy(labelBox), plain.copy(labelBox));
}

TEST(DrawnItems, TimeZonesFollowTheFibonacciGapsAndStopAtTheEdge)
{
    PanelFixture f(200);
    f.panel->SetFirstVisible(0);
    f.panel->Refresh();
    auto owned = std::make_unique<TFibbZone>();
    TFibbZone *zone = owned.get();
    zone->Point.SetBar(10);
    f.panel->AttachItem(&f.area(), std::move(owned), false);
    const TAxisTransform &t = transform(f);
    const QImage image = f.panel->Render();
    std::vector<int> drawn;
    for (int bar = 0; bar < 100; ++bar) {
        // Lines are placed by the real bar width from the start line's
        // column: a pixel either side of the bar's own column.
        const int x = f.area().Left + t.BarToX(bar);
        for (int dx = -1; dx <= 1; ++dx) {
            if (columnHasColour(image, x + dx, f.area().Top + 1, f.area().Bottom - 1, Blue)) {
                drawn.push_back(bar);
                break;
            }
        }
    }
    EXPECT_EQ(drawn, (std::vector<int>{10, 11, 12, 14, 17, 22, 30, 43, 64, 98}));
    EXPECT_TRUE(std::find(f.panel->EverywhereItems().begin(), f.panel->EverywhereItems().end(), zone) !=
                f.panel->EverywhereItems().end());

    // No bar width, no lines beyond the start (and no endless loop).
    f.area().RightAxis->T.Kx = 0;
    EXPECT_EQ(zone->OverlayRegion(f.area()).rectCount(), 1);
}

TEST(DrawnItems, VerticalLineOutsideItsAreaOnlyWhenAskedAndVisibleWhileDragged)
{
    PanelFixture f(200);
    TGraphArea &second = addSecondArea(f);
    auto owned = std::make_unique<TVLine>();
    owned->ShowInAllAreas = 0;
    TVLine *vline = owned.get();
    TPendingSlot::Set(std::move(owned));
    const QPoint at = f.pointAt(150, 40);
    f.panel->MouseDown(at + QPoint(1, 0));
    f.panel->MouseUp(at + QPoint(1, 0));
    ASSERT_EQ(f.area().Items.size(), 1u);
    EXPECT_DOUBLE_EQ(vline->Point.Bar, 150);  // snapping rounds to a whole bar
    const auto &everywhere = f.panel->EverywhereItems();
    EXPECT_NE(std::find(everywhere.begin(), everywhere.end(), vline), everywhere.end());

    const int x = f.area().Left + transform(f).BarToX(150);
    QImage image = f.panel->Render();
    EXPECT_TRUE(columnHasColour(image, x, f.area().Top + 1, f.area().Bottom - 1, Blue));
    EXPECT_FALSE(columnHasColour(image, x, second.Top + 1, second.Bottom - 1, Blue));
    vline->ShowInAllAreas = 1;
    f.panel->Repaint();
    image = f.panel->Render();
    EXPECT_TRUE(columnHasColour(image, x, second.Top + 1, second.Bottom - 1, Blue));

    // Dragged in its own area with "show in all areas" off it stays visible.
    vline->ShowInAllAreas = 0;
    f.panel->Select(vline);
    const QImage cache = f.panel->Render();
    const QPoint press(x, f.area().Top + rowClearOfPrice(f, 150, 200));
    ASSERT_EQ(f.area().ElementAt(f.area().ToArea(press)), vline);
    f.panel->MouseDown(press);
    const int newX = f.area().Left + transform(f).BarToX(160);
    f.panel->MouseMove(QPoint(newX, press.y()));
    EXPECT_DOUBLE_EQ(vline->Point.Bar, 160);
    QImage shown = f.panel->Render();
    {
        QPainter p(&shown);
        f.panel->PaintOverlay(p);
    }
    EXPECT_NE(shown.pixel(newX, f.area().Top + 5), cache.pixel(newX, f.area().Top + 5));
    EXPECT_EQ(shown.pixel(newX, second.Top + 5), cache.pixel(newX, second.Top + 5));
    // The overlay repaints thin strips, not whole areas.
    EXPECT_LT(f.panel->OverlayRect().width(), 10);
    f.panel->MouseUp(QPoint(newX, press.y()));

    // Delete takes it out of its area and of the list drawn everywhere.
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Delete));
    EXPECT_TRUE(f.area().Items.empty());
    EXPECT_TRUE(f.panel->EverywhereItems().empty());
    EXPECT_EQ(f.panel->Selected(), nullptr);
    f.panel->Render();
}

TEST(DrawnItems, PlacedLineBelongsToTheAreaPressedAndItsCurrentIndicator)
{
    PanelFixture f(200);
    TGraphArea &second = addSecondArea(f);
    TGraphIndicator *current = f.area().Current;
    TSimpleLine *line = place(f, std::make_unique<TSimpleLine>(), f.pointAt(130, 50),
                              f.pointAt(160, 30, 1));
    ASSERT_EQ(f.area().Items.size(), 1u);
    EXPECT_TRUE(second.Items.empty());
    EXPECT_EQ(line->Bound, current);
    EXPECT_EQ(line->OwnerAxis, current->OwnerAxis);
    // A line placed in the second area scales by its indicator.
    TSimpleLine *other = place(f, std::make_unique<TSimpleLine>(), f.pointAt(130, 20, 1),
                               f.pointAt(140, 40, 1));
    EXPECT_EQ(other->Bound, second.Current);
    EXPECT_EQ(second.Items.size(), 1u);
}

TEST(DrawnItems, FanAndArcDrawLessWhenDegenerate)
{
    PanelFixture f(200);
    const TAxisTransform &t = transform(f);
    TGraphArea &area = f.area();
    TFibbFan fan;
    fan.OwnerAxis = area.RightAxis.get();
    const auto set = [&](TSimpleLine &e, int x1, int y1, int x2, int y2) {
        e.P1().SetBar(t.XToBar(x1));
        e.P1().Value = t.YToValue(y1);
        e.P2().SetBar(t.XToBar(x2));
        e.P2().Value = t.YToValue(y2);
    };
    set(fan, 200, 100, 300, 200);  // falling on the screen: the lines reach the bottom
    std::vector<QLine> lines = fan.FanLines(area);
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].p1(), QPoint(200, 100));
        EXPECT_EQ(lines[i].y2(), area.Height());
    }
    EXPECT_EQ(lines[1].x2(), 200 + std::lround((area.Height() - 100) / (1.0 * 0.5)));
    set(fan, 300, 200, 200, 200);  // horizontal: one line to the right edge
    lines = fan.FanLines(area);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], QLine(200, 200, area.Width(), 200));
    set(fan, 200, 300, 200, 100);  // vertical: one line up
    lines = fan.FanLines(area);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], QLine(200, 300, 200, 0));
    // The base counts for hits only while selected.
    set(fan, 200, 100, 300, 200);
    EXPECT_FALSE(fan.HitTest(150, t.XToBar(250)));
    fan.SetState(ElementState::Selected, true);
    EXPECT_TRUE(fan.HitTest(150, t.XToBar(250)));

    TFibbArc arc;
    arc.OwnerAxis = area.RightAxis.get();
    set(arc, 300, 100, 300, 200);  // point 2 below point 1: upper halves
    EXPECT_TRUE(arc.UpperHalf());
    EXPECT_EQ(arc.Radii(), (std::array<int, 3>{38, 50, 62}));
    EXPECT_TRUE(arc.HitTest(200 - 50, t.XToBar(300)));   // apex of the middle arc
    EXPECT_TRUE(arc.HitTest(200, t.XToBar(300 + 62)));  // end of the largest
    EXPECT_FALSE(arc.HitTest(200 + 50, t.XToBar(300)));  // the half not drawn
    f.panel->SetPixelAspect(1.2);
    EXPECT_TRUE(arc.HitTest(200 - 60, t.XToBar(300)));
    set(arc, 300, 200, 300, 200);  // one point: nothing
    EXPECT_EQ(arc.Radii(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(arc.HitTest(200, t.XToBar(300)));
    set(arc, 0, 0, 20481, 0);  // beyond the guard: nothing
    EXPECT_EQ(arc.Radii(), (std::array<int, 3>{0, 0, 0}));
}

// ---- records

TEST(DrawnItemRecords, EveryClassWritesAndReadsItsFields)
{
    PanelFixture f(200);
    for (int id = GraphTypeId::SimpleLine; id <= GraphTypeId::FibbZone; ++id) {
        SCOPED_TRACE(id);
        std::unique_ptr<TGraphItem> item = CreateDrawnItem(id);
        ASSERT_TRUE(item);
        item->Color = 0x123456;
        item->PenWidth = 3;
        item->SnapToPrice = 0;
        if (auto *line = dynamic_cast<TSimpleLine *>(item.get())) {
            line->P1().SetBar(120.25);
            line->P1().Value = 1.2031;
            line->P2().SetBar(150);
            line->P2().Value = 1.2077;
            line->RightExtension = 0;
        } else if (auto *h = dynamic_cast<THLine *>(item.get())) {
            h->Value = 1.2044;
        } else if (auto *v = dynamic_cast<TVLine *>(item.get())) {
            v->Point.SetBar(140.5);
            v->ShowInAllAreas = 0;
        }
        TGraphItem *raw = f.panel->AttachItem(&f.area(), std::move(item), false);
        TElementWriter w;
        raw->Save(w, true);
        const QByteArray record = w.Data();

        std::unique_ptr<TDrawedElement> built = f.panel->MakeElement(id);
        auto *copy = dynamic_cast<TGraphItem *>(built.get());
        ASSERT_TRUE(copy);
        copy->OwnerAxis = f.area().RightAxis.get();
        TElementReader r(record);
        copy->Load(r, true);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_TRUE(copy->Placed());
        EXPECT_EQ(copy->Color, 0x123456u);
        EXPECT_EQ(copy->SnapToPrice, 0);
        EXPECT_EQ(copy->BoundIndex, -1);
        TElementWriter again;
        copy->Save(again, true);
        EXPECT_EQ(again.Data(), record);
        if (auto *line = dynamic_cast<TSimpleLine *>(copy)) {
            EXPECT_DOUBLE_EQ(line->P1().Bar, 120.25);
            EXPECT_EQ(line->RightExtension, 0);
            EXPECT_EQ(line->LeftExtension, 1);
            // Times: the bar's time plus the fraction of a bar.
            EXPECT_EQ(record.mid(record.size() - 32, 8), [&] {
                TElementWriter t;
                t.WriteDouble(f.series->Time()[120] + 0.25);
                return t.Data();
            }());
        }
        if (auto *v = dynamic_cast<TVLine *>(copy)) {
            EXPECT_DOUBLE_EQ(v->Point.Bar, 140.5);
            EXPECT_TRUE(v->Has(ElementState::Everywhere));
        }
    }
    // A style record of a horizontal line: header, colour, style, width and
    // the snap byte, nothing else.
    THLine h;
    h.Value = 1.5;
    TElementWriter style;
    h.Save(style, false);
    TElementWriter expected;
    expected.WriteInt32(15);
    expected.WriteBytes("ID:  15");
    expected.WriteUInt32(0xFF0000);
    expected.WriteByte(0);
    expected.WriteInt32(1);
    expected.WriteByte(1);
    EXPECT_EQ(style.Data(), expected.Data());
}

TEST(DrawnItemRecords, PointsWaitForTheirTimesAndAreWrittenBackUnchanged)
{
    PanelFixture f(200);
    auto owned = std::make_unique<TSimpleLine>();
    owned->P1().SetBar(130);
    owned->P1().Value = 1.203;
    owned->P2().SetBar(150.5);
    owned->P2().Value = 1.206;
    TGraphItem *line = f.panel->AttachItem(&f.area(), std::move(owned), false);
    TElementWriter w;
    line->Save(w, true);

    // A chart reopened before its history arrives.
    TSerData empty(3, 1, QStringLiteral("EURUSD"));
    TChartPanel panel(&empty, [] { return std::make_unique<FakePrice>(); }, nullptr);
    panel.SetClientSize(QSize(800, 600));
    TSimpleLine waiting;
    waiting.OwnerAxis = panel.Area(0)->RightAxis.get();
    TElementReader r(w.Data());
    waiting.Load(r, true);
    EXPECT_FALSE(waiting.Placed());
    EXPECT_FALSE(waiting.HitTest(100, 140));
    EXPECT_EQ(panel.Render().isNull(), false);  // draws nothing, and does not fail
    TElementWriter again;
    waiting.Save(again, true);
    EXPECT_EQ(again.Data(), w.Data());

    // The bars arrive: the points land on their times.
    for (int i = 0; i <= f.series->Last; ++i)
        empty.AddBar(f.series->Time()[i], 12000, 12010, 11990, 12005);
    panel.Refresh();
    waiting.AfterViewChange();
    EXPECT_TRUE(waiting.Placed());
    EXPECT_DOUBLE_EQ(waiting.P1().Bar, 130);
    EXPECT_DOUBLE_EQ(waiting.P2().Bar, 150.5);
}

TEST(DrawnItems, AnotherTimeframeKeepsItemsAtTheirTimes)
{
    PanelFixture f(400);
    auto owned = std::make_unique<TSimpleLine>();
    owned->P1().SetBar(300);
    owned->P2().SetBar(360);
    TSimpleLine *line = static_cast<TSimpleLine *>(f.panel->AttachItem(&f.area(), std::move(owned), false));
    auto vOwned = std::make_unique<TVLine>();
    vOwned->Point.SetBar(320);
    TVLine *vline = static_cast<TVLine *>(f.panel->AttachItem(&f.area(), std::move(vOwned), false));

    // Four-hour bars over the same hours.
    TSerData h4(4, 1, QStringLiteral("EURUSD"));
    for (int i = 0; i <= f.series->Last; i += 4)
        h4.AddBar(f.series->Time()[i], 12000, 12010, 11990, 12005);
    const double t300 = f.series->IndexToTime(300), t360 = f.series->IndexToTime(360);
    f.panel->SetSeries(&h4);
    EXPECT_DOUBLE_EQ(line->P1().Bar, h4.TimeToIndex(t300));
    EXPECT_DOUBLE_EQ(line->P1().Bar, 75);
    EXPECT_DOUBLE_EQ(line->P2().Bar, 90);
    EXPECT_DOUBLE_EQ(vline->Point.Bar, 80);
    // And back: the times they were carried with bring them home.
    f.panel->SetSeries(f.series.get());
    EXPECT_DOUBLE_EQ(line->P1().Bar, 300);
    EXPECT_DOUBLE_EQ(line->P2().Bar, 360);
    EXPECT_DOUBLE_EQ(f.series->IndexToTime(line->P2().Bar), t360);
}

// ---- pattern store

TEST(PatternStore, DrawnItemStylesGoToNewItemsAndThroughTheFile)
{
    TPatternMenager store;
    TSimpleLine styled;
    styled.Color = 0x00FF00;
    styled.PenWidth = 3;
    styled.PenStyle = 2;
    styled.RightExtension = 0;
    store.Store(styled);

    PanelFixture f(200, QSize(800, 600), &store);
    TSimpleLine *line = place(f, std::make_unique<TSimpleLine>(), f.pointAt(130, 100), f.pointAt(150, 200));
    EXPECT_EQ(line->Color, 0x00FF00u);
    EXPECT_EQ(line->PenWidth, 3);
    EXPECT_EQ(line->PenStyle, 2);
    EXPECT_EQ(line->RightExtension, 0);
    EXPECT_NEAR(line->P1().Bar, 130, 0.5);  // the style leaves the points alone

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kelvra.pat"));
    ASSERT_TRUE(store.SaveFile(path));
    TPatternMenager reloaded;
    ASSERT_TRUE(reloaded.LoadFile(path));
    TSimpleLine fresh;
    reloaded.Apply(fresh);
    EXPECT_EQ(fresh.Color, 0x00FF00u);
    EXPECT_EQ(fresh.RightExtension, 0);

    // One entry against bytes built by hand: count, "  11", length, record.
    TPatternMenager one;
    one.Store(styled);
    TElementWriter expected;
    expected.WriteInt32(1);
    expected.WriteBytes("  11");
    expected.WriteUInt32(23);
    expected.WriteInt32(11);
    expected.WriteBytes("ID:  11");
    expected.WriteUInt32(0x00FF00);
    expected.WriteByte(2);
    expected.WriteInt32(3);
    expected.WriteByte(1);
    expected.WriteByte(1);
    expected.WriteByte(0);
    EXPECT_EQ(one.Serialize(), expected.Data());

    // A block that does not load is dropped; new lines keep the built-in style.
    QByteArray damaged = expected.Data();
    damaged[12 + 4] = 'X';  // the record's tag no longer matches
    TPatternMenager broken;
    ASSERT_TRUE(broken.Deserialize(damaged));
    TSimpleLine plain;
    broken.Apply(plain);
    EXPECT_EQ(plain.Color, ChartColors::Blue);
    EXPECT_EQ(plain.PenWidth, 1);
    EXPECT_EQ(plain.RightExtension, 1);
    EXPECT_FALSE(broken.Has(GraphTypeId::SimpleLine));
    // An entry longer than any style ends the load.
    QByteArray huge = expected.Data();
    huge.replace(8, 4, QByteArray("\x01\x00\x01\x00", 4));
    huge.append(QByteArray(0x10001, '\0'));
    TPatternMenager refused;
    EXPECT_FALSE(refused.Deserialize(huge));
    EXPECT_EQ(refused.Count(), 0);
}

} // namespace

namespace {

// Rows and columns are filled as rectangles: the same pixels as the flat-
// capped line, in either direction, plain or inverting.
TEST(ChartDraw, SegmentsAlongRowsAndColumnsMatchTheLineStroker)
{
    EnsureGuiApp();
    const QPoint ends[][2] = {{{5, 10}, {60, 10}}, {{60, 12}, {5, 12}}, {{7, 3}, {7, 50}}, {{9, 50}, {9, 3}}};
    for (const bool invert : {false, true}) {
        for (const auto &e : ends) {
            QImage byRect(70, 60, QImage::Format_RGB32), byLine(70, 60, QImage::Format_RGB32);
            byRect.fill(Qt::darkGreen);
            byLine.fill(Qt::darkGreen);
            QPainter r(&byRect), l(&byLine);
            for (QPainter *p : {&r, &l}) {
                p->setPen(chartPen(ChartColors::White));
                if (invert)
                    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            }
            drawSegment(r, e[0], e[1]);
            l.drawLine(e[0], e[1]);
            r.end();
            l.end();
            EXPECT_EQ(byRect, byLine) << e[0].x() << "," << e[0].y() << " - " << e[1].x() << "," << e[1].y();
        }
    }
}

} // namespace
