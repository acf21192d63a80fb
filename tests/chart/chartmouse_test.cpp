#include <gtest/gtest.h>

#include <QPainter>

#include "chartfixture.h"
#include "pendingslot.h"
#include "zoomelement.h"

namespace {

// A point on the fake price line at a bar.
QPoint onPrice(PanelFixture &f, int bar)
{
    const TAxisTransform &t = f.area().RightAxis->T;
    return f.pointAt(bar, t.ValueToY(f.series->Close()[bar]));
}

// A point in area 0 far from the price line.
QPoint offPrice(PanelFixture &f, int bar)
{
    const TAxisTransform &t = f.area().RightAxis->T;
    const int y = t.ValueToY(f.series->Close()[bar]);
    return f.pointAt(bar, y > f.area().Height() / 2 ? 5 : f.area().Height() - 5);
}

TGraphIndicator *addSecondArea(PanelFixture &f)
{
    TGraphArea *second = f.panel->AddArea();
    std::vector<double> values;
    for (int i = 0; i < 200; ++i)
        values.push_back(1.0 + 0.01 * (i % 5));
    TGraphIndicator *ind = f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1000, values), 0);
    f.panel->Refresh();
    return ind;
}

TEST(ChartMouse, HoverShowsTheHintOfTheElementUnderTheMouse)
{
    PanelFixture f(200);
    f.panel->MouseMove(onPrice(f, 150));
    EXPECT_TRUE(f.panel->HintVisible());
    EXPECT_EQ(f.panel->HintText(), QStringLiteral("Fake indicator bar 150"));
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::Drag);

    f.panel->MouseMove(offPrice(f, 150));
    EXPECT_FALSE(f.panel->HintVisible());
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::Arrow);

    const TGraphArea &a = f.area();
    f.panel->MouseMove(QPoint(a.RightAxis->Left + 2, a.Top + 10));
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::SizeNS);
    f.panel->MouseMove(QPoint(a.Left + 10, f.panel->XAxis()->Top + 2));
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::SizeEW);
    addSecondArea(f);
    f.panel->MouseMove(QPoint(a.Left + 10, f.panel->Splitter(0)->Top + 1));
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::VSplit);
}

TEST(ChartMouse, PressSelectsAndASelectedIndicatorBecomesCurrent)
{
    PanelFixture f(200);
    TGraphIndicator *fake = addSecondArea(f);
    TGraphIndicator *price = f.area(0).Indicators[0].get();
    EXPECT_EQ(f.area(1).Current, fake);

    const quint64 before = f.panel->Revision();
    f.panel->MouseDown(onPrice(f, 150));
    f.panel->MouseUp(onPrice(f, 150));
    EXPECT_EQ(f.panel->Selected(), price);
    EXPECT_TRUE(price->Has(ElementState::Selected));
    EXPECT_GT(f.panel->Revision(), before);

    // Hovering the selection: the move cursor, no hint.
    f.panel->MouseMove(onPrice(f, 150));
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::SizeAll);

    f.panel->MouseDown(offPrice(f, 150));
    f.panel->MouseUp(offPrice(f, 150));
    EXPECT_EQ(f.panel->Selected(), nullptr);
    EXPECT_FALSE(price->Has(ElementState::Selected));
}

TEST(ChartMouse, DoubleClickOpensPropertiesAndTheNextClickCounts)
{
    PanelFixture f(200);
    std::vector<TDrawedElement *> opened;
    std::vector<TOxyArea *> axes;
    f.panel->OpenElementProperties = [&](TDrawedElement *e) { opened.push_back(e); };
    f.panel->OpenAxisProperties = [&](TOxyArea *a) { axes.push_back(a); };
    const QPoint p = onPrice(f, 150);

    // Qt's order: press, release, double click (no second press), release.
    f.panel->MouseDown(p);
    f.panel->MouseUp(p);
    f.panel->DoubleClick(p);
    f.panel->MouseUp(p);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], f.area().Indicators[0].get());

    f.panel->MouseDown(offPrice(f, 150));
    f.panel->MouseUp(offPrice(f, 150));
    f.panel->MouseDown(p);  // a single click after the double click selects
    f.panel->MouseUp(p);
    EXPECT_EQ(f.panel->Selected(), f.area().Indicators[0].get());

    f.panel->DoubleClick(QPoint(f.area().RightAxis->Left + 3, 20));
    f.panel->MouseUp(QPoint(f.area().RightAxis->Left + 3, 20));
    ASSERT_EQ(axes.size(), 1u);
    EXPECT_EQ(axes[0], f.area().RightAxis.get());
}

TEST(ChartMouse, DeleteAsksForEverythingButThePrice)
{
    PanelFixture f(200);
    TGraphIndicator *fake = addSecondArea(f);
    QStringList asked;
    bool answer = false;
    f.panel->ConfirmDelete = [&](const QString &name) {
        asked << name;
        return answer;
    };
    EXPECT_FALSE(f.panel->KeyPress(Qt::Key_Delete));  // nothing selected

    f.panel->Select(f.area(0).Indicators[0].get());
    EXPECT_FALSE(f.panel->KeyPress(Qt::Key_Delete));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(f.area(0).Indicators.size(), 1u);

    f.panel->Select(fake);
    EXPECT_TRUE(f.panel->KeyDelete());  // consumed though cancelled
    EXPECT_EQ(asked, QStringList{QStringLiteral("Fake indicator")});
    EXPECT_EQ(f.panel->AreaCount(), 2);

    answer = true;
    EXPECT_TRUE(f.panel->KeyDelete());
    EXPECT_EQ(f.panel->AreaCount(), 1);
    EXPECT_EQ(f.panel->Selected(), nullptr);
    EXPECT_EQ(f.panel->DraggedIndicator(), nullptr);
}

TEST(ChartMouse, ReleasingWithAnUnplacedToolDiscardsIt)
{
    PanelFixture f(200);
    int emptied = 0;
    TPendingSlot::SetOnEmptied([&] { ++emptied; });
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const QPoint onAxis(f.area().RightAxis->Left + 3, 40);
    f.panel->MouseDown(onAxis);
    const quint64 before = f.panel->Revision();
    f.panel->MouseUp(onAxis);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(emptied, 1);
    EXPECT_GT(f.panel->Revision(), before);
}

TEST(ChartMouse, ZoomRectangleZoomsIntoItsBarsAndRows)
{
    PanelFixture f(200);
    int emptied = 0;
    TPendingSlot::SetOnEmptied([&] { ++emptied; });
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const int h = f.area().Height();
    const QPoint from = f.pointAt(130, h / 4);
    const QPoint to = f.pointAt(150, h / 4 + h / 2);
    QRegion overlay;
    f.panel->OnOverlay = [&](const QRect &r) { overlay += r; };

    f.panel->MouseDown(from);
    const quint64 revision = f.panel->Revision();
    overlay = QRegion();
    f.panel->MouseMove(to);
    EXPECT_EQ(f.panel->CursorShape(), ChartCursor::Cross);
    // Moving repaints only the rectangle's edges, never the cached picture.
    EXPECT_EQ(f.panel->Revision(), revision);
    EXPECT_TRUE(overlay.contains(from));
    EXPECT_TRUE(overlay.contains(to));
    EXPECT_FALSE(overlay.contains((from + to) / 2));
    EXPECT_LT(overlay.boundingRect().width(), f.area().Width());

    f.panel->MouseUp(to);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(f.panel->FirstVisible, 130);
    EXPECT_EQ(f.panel->VisibleCount, 20);
    EXPECT_NEAR(f.area().RightAxis->VScale, double(h) / (to.y() - from.y()), 1e-9);
    EXPECT_TRUE(f.area().Items.empty());
}

TEST(ChartMouse, ZoomRectangleNarrowerThanTwoBarsOnlyDisappears)
{
    PanelFixture f(200);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const QPoint from = f.pointAt(130, 40);
    const QPoint to = from + QPoint(int(f.area().RightAxis->T.Kx * 1.5), 60);
    f.panel->MouseDown(from);
    f.panel->MouseMove(to);
    f.panel->MouseUp(to);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(f.panel->FirstVisible, 110);
    EXPECT_EQ(f.panel->VisibleCount, 100);
    EXPECT_DOUBLE_EQ(f.area().RightAxis->VScale, 1.0);
}

TEST(ChartMouse, PlacingEndsInTheAreaItStartedIn)
{
    PanelFixture f(200);
    addSecondArea(f);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const QPoint from = f.pointAt(120, 30);
    const QPoint inside = f.pointAt(160, f.area(0).Height() - 10);
    f.panel->MouseDown(from);
    f.panel->MouseMove(inside);
    const QPoint below = f.pointAt(170, 20, 1);
    f.panel->MouseMove(below);  // over another area: the rectangle stays
    f.panel->MouseUp(below);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(f.panel->FirstVisible, 120);
    EXPECT_EQ(f.panel->VisibleCount, 40);
    EXPECT_DOUBLE_EQ(f.area(1).RightAxis->VScale, 1.0);
}

TEST(ChartMouse, OverlayDrawnTwiceLeavesThePictureAsItWas)
{
    PanelFixture f(200);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    f.panel->MouseDown(f.pointAt(120, 30));
    f.panel->MouseMove(f.pointAt(160, 200));
    const QImage cache = f.panel->Render();
    QImage shown = cache;
    {
        QPainter p(&shown);
        f.panel->PaintOverlay(p);
    }
    EXPECT_NE(shown, cache);
    const QRect r = f.panel->OverlayRect();
    const QPoint corner = f.pointAt(120, 30);
    EXPECT_TRUE(r.contains(corner));
    EXPECT_NE(shown.pixel(corner + QPoint(5, 0)), cache.pixel(corner + QPoint(5, 0)));
    {
        QPainter p(&shown);
        f.panel->PaintOverlay(p);
    }
    EXPECT_EQ(shown, cache);
}

TEST(ChartMouse, DraggingTheTimeAxisZoomsKeepingTheRightEdge)
{
    PanelFixture f(200);
    const int right = f.panel->FirstVisible + f.panel->VisibleCount;
    const QPoint down(f.area().Left + 300, f.panel->XAxis()->Top + 3);
    f.panel->MouseDown(down);
    EXPECT_EQ(f.panel->Captured(), f.panel->XAxis());
    f.panel->MouseMove(down + QPoint(30, 0));
    EXPECT_EQ(f.panel->VisibleCount, 130);
    EXPECT_EQ(f.panel->FirstVisible + f.panel->VisibleCount, right);
    f.panel->MouseMove(down - QPoint(30, 0));
    EXPECT_EQ(f.panel->VisibleCount, 70);
    EXPECT_EQ(f.panel->FirstVisible + f.panel->VisibleCount, right);
    f.panel->MouseUp(down - QPoint(30, 0));
    EXPECT_EQ(f.panel->Captured(), nullptr);
}

TEST(ChartMouse, DraggingAPriceAxisStretchesBothAxesOfTheArea)
{
    PanelFixture f(200);
    TGraphArea &a = f.area();
    const int h = a.Height();
    const QPoint down(a.LeftAxis->Left + 3, a.Top + 50);
    f.panel->MouseDown(down);
    f.panel->MouseMove(down + QPoint(0, 50));
    EXPECT_NEAR(a.LeftAxis->VScale, double(h) / (h + 50), 1e-12);
    // The left axis shows the right one's range: their scales go together.
    EXPECT_DOUBLE_EQ(a.RightAxis->VScale, a.LeftAxis->VScale);
    f.panel->MouseMove(down - QPoint(0, 50));
    EXPECT_NEAR(a.RightAxis->VScale, double(h) / (h - 50), 1e-12);
    f.panel->MouseUp(down);
}

TEST(ChartMouse, ReleasingAnIndicatorOverAnotherAreaMovesIt)
{
    PanelFixture f(200);
    TGraphIndicator *fake = addSecondArea(f);
    const TAxisTransform &t = f.area(1).RightAxis->T;
    const QPoint grip = f.pointAt(150, t.ValueToY(1.0), 1);  // bar 150 holds 1.0
    f.panel->MouseDown(grip);
    EXPECT_EQ(f.panel->DraggedIndicator(), fake);
    f.panel->MouseUp(onPrice(f, 150));
    EXPECT_EQ(f.panel->DraggedIndicator(), nullptr);
    ASSERT_EQ(f.panel->AreaCount(), 1);
    EXPECT_EQ(f.area(0).Indicators.size(), 2u);
    EXPECT_EQ(fake->Area(), &f.area(0));
    EXPECT_EQ(f.panel->SplitterCount(), 0);
}

TEST(ChartMouse, TheDragCandidateLivesForOnePressOnly)
{
    PanelFixture f(200);
    addSecondArea(f);
    TGraphIndicator *price = f.area(0).Indicators[0].get();
    f.panel->MouseDown(onPrice(f, 150));
    f.panel->MouseUp(onPrice(f, 150));
    EXPECT_EQ(f.panel->DraggedIndicator(), nullptr);

    // A later splitter drag released over the other area moves nothing.
    const TSplitterArea &s = *f.panel->Splitter(0);
    const QPoint grip(s.Left + 10, s.Top + 1);
    f.panel->MouseDown(grip);
    f.panel->MouseMove(grip + QPoint(0, 30));
    f.panel->MouseUp(grip + QPoint(0, 30));
    EXPECT_EQ(price->Area(), &f.area(0));
    EXPECT_EQ(f.panel->AreaCount(), 2);
}

TEST(ChartMouse, RemovingAnAreaDropsEveryReferenceIntoIt)
{
    PanelFixture f(200);
    TGraphIndicator *fake = addSecondArea(f);
    TGraphArea *second = &f.area(1);
    f.panel->Select(fake);
    f.panel->SetDraggedIndicator(fake);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    f.panel->MouseDown(f.pointAt(150, 20, 1));  // placing starts in the second area
    f.panel->RemoveArea(second);
    EXPECT_EQ(f.panel->Selected(), nullptr);
    EXPECT_EQ(f.panel->DraggedIndicator(), nullptr);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_FALSE(f.panel->PlacingHere());
    // Everything still works afterwards.
    f.panel->MouseMove(f.pointAt(150, 20));
    f.panel->MouseUp(f.pointAt(150, 20));
    EXPECT_FALSE(f.panel->Render().isNull());
}

TEST(ChartMouse, ChoosingAnotherToolWhilePlacingRepaintsThePanel)
{
    PanelFixture f(200);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    f.panel->MouseDown(f.pointAt(150, 20));
    f.panel->MouseMove(f.pointAt(170, 90));
    ASSERT_FALSE(f.panel->OverlayRegion().isEmpty());
    const quint64 before = f.panel->Revision();
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    EXPECT_GT(f.panel->Revision(), before);
    EXPECT_FALSE(f.panel->PlacingHere());
    EXPECT_TRUE(f.panel->OverlayRegion().isEmpty());
}

TEST(ChartMouse, DestroyingThePanelWhilePlacingEmptiesTheSlot)
{
    auto f = std::make_unique<PanelFixture>(200);
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    f->panel->MouseDown(f->pointAt(150, 20));
    f->panel.reset();
    EXPECT_TRUE(TPendingSlot::Empty());
}

TEST(ChartKeys, ScrollAndZoomGoThroughTheViewOperations)
{
    PanelFixture f(300);
    ASSERT_EQ(f.panel->FirstVisible, 210);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Left));
    EXPECT_EQ(f.panel->FirstVisible, 209);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Right));
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Right));  // not past the end
    EXPECT_EQ(f.panel->FirstVisible, 210);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_PageUp));
    EXPECT_EQ(f.panel->FirstVisible, 110);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Home));
    EXPECT_EQ(f.panel->FirstVisible, 0);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_End));
    EXPECT_EQ(f.panel->FirstVisible, 210);

    const int right = f.panel->FirstVisible + f.panel->VisibleCount;
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Plus));
    EXPECT_EQ(f.panel->VisibleCount, 67);
    EXPECT_EQ(f.panel->FirstVisible + f.panel->VisibleCount, right);
    EXPECT_TRUE(f.panel->KeyPress(Qt::Key_Minus));
    EXPECT_EQ(f.panel->VisibleCount, 100);
    EXPECT_FALSE(f.panel->KeyPress(Qt::Key_A));

    f.panel->Wheel(120);  // up: back in history
    EXPECT_EQ(f.panel->FirstVisible, 200);
    f.panel->Wheel(60);
    EXPECT_EQ(f.panel->FirstVisible, 200);
    f.panel->Wheel(60);
    EXPECT_EQ(f.panel->FirstVisible, 190);
    f.panel->Wheel(120, Qt::ControlModifier);
    EXPECT_EQ(f.panel->VisibleCount, 67);
}

} // namespace
