#include "drawedelement.h"

#include <cmath>

#include <QPainter>

#include "axes.h"
#include "chartpanel.h"
#include "elementstream.h"
#include "grapharea.h"
#include "serdata.h"

// ---- TDrawedElement

void TDrawedElement::SetState(uint32_t flags, bool on)
{
    const uint32_t before = State;
    if (on) {
        State |= flags;
    } else {
        State &= ~flags;
        if (flags & ElementState::Dragging)
            State &= ~(ElementState::MovePoint1 | ElementState::MovePoint2);
    }
    if ((before ^ State) & ElementState::Selected)
        SelectChanged();
}

void TDrawedElement::Save(TElementWriter &w, bool full) const
{
    TGraphBase::Save(w, full);
    w.WriteUInt32(Color);
    w.WriteByte(PenStyle);
    w.WriteInt32(PenWidth);
}

void TDrawedElement::Load(TElementReader &r, bool full)
{
    TGraphBase::Load(r, full);
    Color = r.ReadUInt32();
    PenStyle = ClampPenStyle(r.ReadByte());
    PenWidth = ClampPenWidth(r.ReadInt32());
}

bool TDrawedElement::HitTest(double, double) const
{
    return false;
}

void TDrawedElement::SelectChanged() {}

void TDrawedElement::Draw(QPainter &, const TGraphArea &) {}

void TDrawedElement::SetPoint(QPoint, QPoint) {}

void TDrawedElement::PreparePen(QPainter &painter)
{
    painter.setPen(OwnPen());
    if (const TChartPanel *panel = Panel())
        painter.setBrush(toQColor(panel->Color));
    State |= ElementState::PenPrepared;
}

void TDrawedElement::RestorePen(QPainter &) {}

void TDrawedElement::MouseDown(TGraphArea &, QPoint) {}
void TDrawedElement::MouseMove(TGraphArea &, QPoint) {}
void TDrawedElement::MouseUp(TGraphArea &, QPoint) {}

void TDrawedElement::Place(std::unique_ptr<TDrawedElement>, TGraphArea &, QPoint) {}

QRect TDrawedElement::OverlayBounds(const TGraphArea &area) const
{
    return QRect(0, 0, area.Width(), area.Height());
}

QRegion TDrawedElement::OverlayRegion(const TGraphArea &area) const
{
    return QRegion(OverlayBounds(area));
}

TGraphArea *TDrawedElement::Area() const
{
    return OwnerAxis ? OwnerAxis->Area : nullptr;
}

TChartPanel *TDrawedElement::Panel() const
{
    return OwnerAxis ? OwnerAxis->Panel : nullptr;
}

const TAxisTransform *TDrawedElement::Transform() const
{
    return OwnerAxis ? &OwnerAxis->T : nullptr;
}

// ---- TGraphIndicator

void TGraphIndicator::Save(TElementWriter &w, bool full) const
{
    TDrawedElement::Save(w, full);
    w.WriteByte(AxisSide);
}

void TGraphIndicator::Load(TElementReader &r, bool full)
{
    TDrawedElement::Load(r, full);
    AxisSide = r.ReadBool();
}

void TGraphIndicator::SelectChanged()
{
    if (Has(ElementState::Selected))
        if (TGraphArea *area = Area())
            if (area->HoldsIndicator(this))
                area->Current = this;
}

void TGraphIndicator::Delete()
{
    TGraphArea *area = Area();
    if (area)
        area->TakeIndicator(this);  // the returned owner frees it here
}

void TGraphIndicator::ResetDefaults()
{
    PenWidth = 1;
    PenStyle = 0;
}

void TGraphIndicator::SetSeries(TSerData *series)
{
    Series = series;
    FirstComputed = -1;
    LastComputed = -1;
}

void TGraphIndicator::MouseDown(TGraphArea &area, QPoint)
{
    if (Has(ElementState::Attached))
        return;
    OwnerAxis = area.RightAxis.get();
    SetState(ElementState::Dragging, true);
}

void TGraphIndicator::Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint)
{
    SetState(ElementState::Dragging, false);
    OwnerAxis = nullptr;  // not attached until the placement is confirmed
    std::unique_ptr<TGraphIndicator> indicator(static_cast<TGraphIndicator *>(self.release()));
    area.Panel->PlaceNewIndicator(std::move(indicator), &area);
}

QRect TGraphIndicator::OverlayBounds(const TGraphArea &) const
{
    return QRect();
}

QString TGraphIndicator::ShortName() const
{
    return DisplayName();
}

bool TGraphIndicator::ValueAt(int, int, double &) const
{
    return false;
}

bool TGraphIndicator::ClampToComputed(int &from, int &to) const
{
    if (FirstComputed < 0 || !Series)
        return false;
    from = std::max({from, FirstComputed, 0});
    to = std::min({to, LastComputed, Series->Last});
    return from <= to;
}

// ---- TGraphItem

void TGraphItem::Save(TElementWriter &w, bool full) const
{
    TDrawedElement::Save(w, full);
    w.WriteByte(SnapToPrice);
    if (full) {
        const TGraphArea *area = Area();
        w.WriteInt32(area && Bound ? area->IndexOfIndicator(Bound) : -1);
    }
}

void TGraphItem::Load(TElementReader &r, bool full)
{
    TDrawedElement::Load(r, full);
    SnapToPrice = r.ReadBool();
    if (full)
        BoundIndex = r.ReadInt32();
}

void TGraphItem::Delete()
{
    TGraphArea *area = Area();
    if (area)
        area->TakeItem(this);  // the returned owner frees it here
}

int TGraphItem::HandleAt(QPoint) const
{
    return 0;
}

void TGraphItem::AfterViewChange()
{
    ResolveTimes();
}

void TGraphItem::SnapHook() {}

bool TGraphItem::Placed() const
{
    for (const TItemPoint &p : TimedPoints())
        if (!p.Placed)
            return false;
    return true;
}

const TSerData *TGraphItem::PanelSeries() const
{
    const TChartPanel *panel = Panel();
    return panel ? panel->Series() : nullptr;
}

void TGraphItem::AnchorToTimes(const TSerData *series)
{
    if (!series)
        return;
    for (TItemPoint &p : TimedPoints()) {
        if (p.TimeAnchored || !p.Placed)
            continue;
        const double t = series->IndexToTime(p.Bar);
        // A bar the old series cannot date stays where it is.
        if (t < 0)
            continue;
        p.Time = t;
        p.TimeAnchored = true;
    }
}

void TGraphItem::ResolveTimes()
{
    const TSerData *series = PanelSeries();
    for (TItemPoint &p : TimedPoints()) {
        if (!p.TimeAnchored)
            continue;
        const double bar = series ? series->TimeToIndex(p.Time) : -1;
        p.Placed = bar >= 0;
        if (p.Placed)
            p.Bar = bar;
    }
}

double TGraphItem::BarToPixel(double bar) const
{
    const TAxisTransform *t = Transform();
    return t ? (bar + t->Bx) * t->Kx + t->X0 : 0;
}

QPoint TGraphItem::PixelOf(const TItemPoint &p) const
{
    const TAxisTransform *t = Transform();
    if (!t)
        return QPoint();
    return QPoint(t->BarToX(p.Bar), t->ValueToY(p.Value));
}

void TGraphItem::MoveTo(TItemPoint &p, QPoint pixel) const
{
    const TAxisTransform *t = Transform();
    if (!t)
        return;
    p.SetBar(t->XToBar(pixel.x()));
    p.Value = t->YToValue(pixel.y());
}

void TGraphItem::SnapPoint(TItemPoint &p) const
{
    if (!SnapToPrice || !Bound)
        return;
    double bar = p.Bar, value = p.Value;
    Bound->Snap(bar, value);
    if (std::isfinite(bar) && std::isfinite(value)) {
        p.SetBar(bar);
        p.Value = value;
    }
}

void TGraphItem::WriteTime(TElementWriter &w, const TItemPoint &p) const
{
    if (p.TimeAnchored) {
        w.WriteDouble(p.Time);
        return;
    }
    const TSerData *series = PanelSeries();
    w.WriteDouble(series ? series->IndexToTime(p.Bar) : -1);
}

void TGraphItem::ReadTime(TElementReader &r, TItemPoint &p)
{
    p.Time = r.ReadFiniteDouble();
    p.TimeAnchored = true;
    p.Placed = false;
}

void TGraphItem::MouseDown(TGraphArea &area, QPoint p)
{
    lastMouse = p;
    if (!Has(ElementState::Attached)) {
        // Placing: the area's current indicator scales the new item.
        Bound = area.Current;
        OwnerAxis = Bound && Bound->OwnerAxis ? Bound->OwnerAxis : area.RightAxis.get();
        SetState(ElementState::Dragging, true);
        SetState(ElementState::MovePoint1, true);
        SetPoint(p, p);
        SetState(ElementState::MovePoint1, false);
        SetState(ElementState::MovePoint2, true);
        SetPoint(p, p);
        return;
    }
    SetState(ElementState::Dragging, true);
    switch (HandleAt(p)) {
    case 1: SetState(ElementState::MovePoint1, true); break;
    case 2: SetState(ElementState::MovePoint2, true); break;
    default: SetState(ElementState::MovePoint1 | ElementState::MovePoint2, true); break;
    }
    DragStarted();
}

void TGraphItem::MouseMove(TGraphArea &, QPoint p)
{
    if (!Has(ElementState::Dragging))
        return;
    SetPoint(lastMouse, p);
    lastMouse = p;
}

void TGraphItem::MouseUp(TGraphArea &, QPoint)
{
    SetState(ElementState::Dragging, false);
}

void TGraphItem::Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint)
{
    SetState(ElementState::Dragging, false);
    TChartPanel *panel = area.Panel;
    std::unique_ptr<TGraphItem> item(static_cast<TGraphItem *>(self.release()));
    panel->AttachItem(&area, std::move(item));
    panel->Repaint();
}

void TGraphItem::PreparePen(QPainter &painter)
{
    if (Has(ElementState::Dragging)) {
        SavedPenMode = uint8_t(painter.compositionMode());
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(chartPen(ChartColors::White));
        painter.setBrush(Qt::NoBrush);
        State |= ElementState::PenPrepared;
        return;
    }
    TDrawedElement::PreparePen(painter);
}

void TGraphItem::RestorePen(QPainter &painter)
{
    if (Has(ElementState::Dragging))
        painter.setCompositionMode(QPainter::CompositionMode(SavedPenMode));
}
