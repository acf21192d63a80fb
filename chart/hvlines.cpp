#include "hvlines.h"

#include <cmath>

#include <QPainter>

#include "axes.h"
#include "elementstream.h"
#include "grapharea.h"
#include "itemgeometry.h"

using namespace ItemGeometry;

// ---- THLine

THLine::THLine() : TGraphItem(GraphTypeId::HLine)
{
    Name = QStringLiteral("Horizontal line");
}

void THLine::Save(TElementWriter &w, bool full) const
{
    TGraphItem::Save(w, full);
    if (full)
        w.WriteDouble(Value);
}

void THLine::Load(TElementReader &r, bool full)
{
    TGraphItem::Load(r, full);
    if (full)
        Value = r.ReadFiniteDouble();
}

int THLine::Row() const
{
    const TAxisTransform *t = Transform();
    return t ? t->ValueToY(Value) : 0;
}

bool THLine::HitTest(double y, double) const
{
    return Transform() && std::fabs(y - Row()) <= Tolerance();
}

void THLine::SetPoint(QPoint, QPoint current)
{
    if (const TAxisTransform *t = Transform())
        Value = t->YToValue(current.y());
}

void THLine::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!Transform())
        return;
    const int y = Row();
    PreparePen(painter);
    drawSegment(painter, 0, y, area.Width(), y);
    RestorePen(painter);
    if (Has(ElementState::Selected) && !Has(ElementState::Dragging))
        DrawHandles(painter, {QPoint(0, y), QPoint(area.Width(), y), QPoint(area.Width() / 2, y)});
}

QRect THLine::OverlayBounds(const TGraphArea &area) const
{
    return QRect(0, Row() - 2, area.Width() + 1, 5);
}

// ---- TVLine

TVLine::TVLine(int typeId) : TGraphItem(typeId)
{
    Name = typeId == GraphTypeId::FibbZone ? QStringLiteral("Fibonacci zone") : QStringLiteral("Vertical line");
    State |= ElementState::Everywhere;
}

void TVLine::Save(TElementWriter &w, bool full) const
{
    TGraphItem::Save(w, full);
    w.WriteByte(ShowInAllAreas);
    if (full)
        WriteTime(w, Point);
}

void TVLine::Load(TElementReader &r, bool full)
{
    TGraphItem::Load(r, full);
    ShowInAllAreas = r.ReadBool();
    if (full) {
        ReadTime(r, Point);
        ResolveTimes();
    }
}

int TVLine::Column() const
{
    const TAxisTransform *t = Transform();
    return t ? t->BarToX(Point.Bar) : 0;
}

bool TVLine::ShownIn(const TGraphArea &area) const
{
    return Transform() && Point.Placed && (ShowInAllAreas || &area == Area());
}

bool TVLine::HitTest(double, double bar) const
{
    return Transform() && Point.Placed && std::fabs(BarToPixel(bar) - Column()) <= Tolerance();
}

void TVLine::SetPoint(QPoint, QPoint current)
{
    const TAxisTransform *t = Transform();
    if (!t)
        return;
    const double bar = t->XToBar(current.x());
    Point.SetBar(SnapToPrice ? double(roundInt(bar)) : bar);
}

std::vector<int> TVLine::Columns(const TGraphArea &) const
{
    return {Column()};
}

void TVLine::DrawStartHandles(QPainter &painter, const TGraphArea &area) const
{
    if (!Has(ElementState::Selected) || Has(ElementState::Dragging) || &area != Area())
        return;
    const int x = Column();
    DrawHandles(painter, {QPoint(x, 0), QPoint(x, area.Height()), QPoint(x, area.Height() / 2)});
}

void TVLine::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!ShownIn(area))
        return;
    const int x = Column();
    PreparePen(painter);
    drawSegment(painter, x, 0, x, area.Height());
    RestorePen(painter);
    DrawStartHandles(painter, area);
}

QRegion TVLine::OverlayRegion(const TGraphArea &area) const
{
    QRegion region;
    if (!ShownIn(area))
        return region;
    for (int x : Columns(area))
        region += QRect(x - 2, 0, 5, area.Height() + 1);
    return region;
}

QRect TVLine::OverlayBounds(const TGraphArea &area) const
{
    return OverlayRegion(area).boundingRect();
}

// ---- TFibbZone

std::vector<int> TFibbZone::Columns(const TGraphArea &area) const
{
    std::vector<int> columns{Column()};
    const TAxisTransform *t = Transform();
    const double w = t ? t->Kx : 0;
    if (!(w > 0) || !std::isfinite(w))
        return columns;
    const double start = Column();
    // 1, 2, 4, 7, 12, …: each step adds the next Fibonacci number.
    double n = 0, add = 1, next = 1;
    for (;;) {
        n += add;
        const double after = add + next;
        add = next;
        next = after;
        const double x = start + w * n;
        if (!(x < area.Width()))
            break;
        columns.push_back(roundPixel(x));
    }
    return columns;
}

void TFibbZone::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!ShownIn(area))
        return;
    const std::vector<int> columns = Columns(area);
    PreparePen(painter);
    const QPen pen = painter.pen();
    QPen dotted = pen;
    if (!Has(ElementState::Dragging))  // the inverting pen stays solid
        dotted.setStyle(toQtPenStyle(2));
    painter.setPen(dotted);
    drawSegment(painter, columns.front(), 0, columns.front(), area.Height());
    painter.setPen(pen);
    for (size_t i = 1; i < columns.size(); ++i)
        drawSegment(painter, columns[i], 0, columns[i], area.Height());
    RestorePen(painter);
    DrawStartHandles(painter, area);
}
