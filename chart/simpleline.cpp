#include "simpleline.h"

#include <QPainter>

#include "axes.h"
#include "elementstream.h"
#include "grapharea.h"
#include "itemgeometry.h"

using namespace ItemGeometry;

TSimpleLine::TSimpleLine(int typeId) : TGraphItem(typeId)
{
    switch (typeId) {
    case GraphTypeId::FibbArc: Name = QStringLiteral("Fibonacci arc"); break;
    case GraphTypeId::FibbFan: Name = QStringLiteral("Fibonacci fan"); break;
    case GraphTypeId::FibbLine: Name = QStringLiteral("Fibonacci line"); break;
    default: Name = QStringLiteral("Simple line"); break;
    }
}

void TSimpleLine::Save(TElementWriter &w, bool full) const
{
    TGraphItem::Save(w, full);
    w.WriteByte(LeftExtension);
    w.WriteByte(RightExtension);
    if (!full)
        return;
    for (const TItemPoint &p : Points) {
        WriteTime(w, p);
        w.WriteDouble(p.Value);
    }
}

void TSimpleLine::Load(TElementReader &r, bool full)
{
    TGraphItem::Load(r, full);
    LeftExtension = r.ReadBool();
    RightExtension = r.ReadBool();
    if (!full)
        return;
    for (TItemPoint &p : Points) {
        ReadTime(r, p);
        p.Value = r.ReadFiniteDouble();
    }
    ResolveTimes();
}

bool TSimpleLine::Shown() const
{
    return Transform() && Placed();
}

bool TSimpleLine::HitTest(double y, double bar) const
{
    if (!Shown())
        return false;
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    return SegmentHit(BarToPixel(bar), y, a.x(), a.y(), b.x(), b.y(), LeftExtension, RightExtension,
                      Tolerance());
}

bool TSimpleLine::SegmentHitBetweenPoints(double px, double py) const
{
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    return SegmentHit(px, py, a.x(), a.y(), b.x(), b.y(), false, false, Tolerance());
}

int TSimpleLine::HandleAt(QPoint p) const
{
    if (!Shown())
        return 0;
    // The short diagonal through the point, widened by 3 pixels. It is not
    // extended: a line drawn at 45 degrees would otherwise lie on it over
    // its whole length and could never be moved as a whole.
    const auto near = [&](QPoint c) {
        return SegmentHit(p.x(), p.y(), c.x() - 5, c.y() - 5, c.x() + 5, c.y() + 5, false, false, 3);
    };
    if (near(PixelOf(P1())))
        return 1;
    if (near(PixelOf(P2())))
        return 2;
    return 0;
}

void TSimpleLine::SnapHook()
{
    if (!SnapToPrice || !Bound)
        return;
    for (TItemPoint &p : Points)
        if (p.Placed)
            SnapPoint(p);
}

void TSimpleLine::DragStarted()
{
    dragPixels = {PixelOf(P1()), PixelOf(P2())};
}

void TSimpleLine::SetPoint(QPoint previous, QPoint current)
{
    const bool first = Has(ElementState::MovePoint1), second = Has(ElementState::MovePoint2);
    if (first && second) {
        const QPoint shift = current - previous;
        for (size_t i = 0; i < Points.size(); ++i) {
            dragPixels[i] += shift;
            MoveTo(Points[i], dragPixels[i]);
            SnapPoint(Points[i]);
        }
        return;
    }
    if (first || second) {
        TItemPoint &p = first ? P1() : P2();
        MoveTo(p, current);
        SnapPoint(p);
    }
}

QLine TSimpleLine::Geometry(const TGraphArea &area) const
{
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    if (a.x() == b.x()) {
        // Vertical: the start stays, the end goes to the top or the bottom.
        QPoint end = b;
        if (LeftExtension)
            end.setY(0);
        if (RightExtension)
            end.setY(area.Height());
        return QLine(a, end);
    }
    QPoint start = a.x() < b.x() ? a : b;
    QPoint end = a.x() < b.x() ? b : a;
    const QPoint s0 = start, e0 = end;
    if (LeftExtension)
        start = ExtendToColumn(e0, s0, 0);
    if (RightExtension)
        end = ExtendToColumn(s0, e0, area.Width());
    return QLine(start, end);
}

std::vector<QLine> TSimpleLine::Outline(const TGraphArea &area) const
{
    return {Geometry(area)};
}

void TSimpleLine::DrawSelectionHandles(QPainter &painter) const
{
    if (!Has(ElementState::Selected) || Has(ElementState::Dragging))
        return;
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    DrawHandles(painter, {a, b, (a + b) / 2});
}

void TSimpleLine::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!Shown())
        return;
    PreparePen(painter);
    const QLine l = Geometry(area);
    drawSegment(painter, l.p1(), l.p2());
    RestorePen(painter);
    DrawSelectionHandles(painter);
}

QRegion TSimpleLine::OverlayRegion(const TGraphArea &area) const
{
    QRegion region;
    if (!Shown())
        return region;
    for (const QLine &l : Outline(area))
        region += SegmentBand(l.p1(), l.p2());
    return region;
}

QRect TSimpleLine::OverlayBounds(const TGraphArea &area) const
{
    return OverlayRegion(area).boundingRect();
}
