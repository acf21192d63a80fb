#include "grapharea.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "chartpanel.h"
#include "drawedelement.h"
#include "elementstream.h"
#include "pendingslot.h"

// ---- TSplitterArea

bool TSplitterArea::OffsetAllowed(int dy) const
{
    if (!Panel || Index <= 0 || Index >= Panel->AreaCount())
        return false;
    const int64_t above = int64_t(Panel->Area(Index - 1)->Height()) + dy;
    const int64_t below = int64_t(Panel->Area(Index)->Height()) - dy;
    return above > MinNeighbourHeight && below > MinNeighbourHeight;
}

void TSplitterArea::MouseDown(QPoint p)
{
    TGraphBaseArea::MouseDown(p);
    DragOffset = 0;
    Dragging = false;
}

void TSplitterArea::MouseMove(QPoint p)
{
    const int dy = p.y() - DownPoint.y();
    if (!OffsetAllowed(dy))
        return;
    const QRegion before = Panel->OverlayRegion();
    DragOffset = dy;
    Dragging = true;
    Panel->OverlayChanged(before);
}

void TSplitterArea::MouseUp(QPoint p)
{
    const bool wasDragging = Dragging;
    Dragging = false;
    const int dy = p.y() - DownPoint.y();
    if (dy != 0 && OffsetAllowed(dy)) {
        TGraphArea *above = Panel->Area(Index - 1);
        TGraphArea *below = Panel->Area(Index);
        const double a = above->Height();
        const double s = a + dy;
        const double old = above->RelHeight;
        above->RelHeight = old * s / a;
        below->RelHeight += old - above->RelHeight;
        Panel->Layout();
        Panel->CalcScales();
        Panel->Repaint();
    } else if (wasDragging) {
        Panel->Repaint();
    }
}

void TSplitterArea::Paint(QPainter &painter)
{
    if (Width() <= 0 || Height() <= 0)
        return;
    const QRect r = Rect();
    painter.fillRect(r, toQColor(ChartColors::BtnFace));
    painter.setBrush(Qt::NoBrush);
    QPen frame = chartPen(ChartColors::BtnShadow, 0, 2);
    frame.setJoinStyle(Qt::MiterJoin);
    painter.setPen(frame);
    painter.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
    painter.setPen(chartPen(ChartColors::BtnHighlight));
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
}

// ---- TGraphArea

TGraphArea::TGraphArea(TChartPanel *panel)
    : TGraphBaseArea(GraphTypeId::GraphArea, panel),
      LeftAxis(std::make_unique<TOxyYArea>(panel, this, 1)),
      RightAxis(std::make_unique<TOxyYArea>(panel, this, 0))
{
}

TGraphArea::~TGraphArea()
{
    // Items first: they may refer to the indicators' axes.
    Items.clear();
    Indicators.clear();
}

bool TGraphArea::HoldsIndicator(const TGraphIndicator *ind) const
{
    return IndexOfIndicator(ind) >= 0;
}

int TGraphArea::IndexOfIndicator(const TGraphIndicator *ind) const
{
    if (!ind)
        return -1;
    for (size_t i = 0; i < Indicators.size(); ++i)
        if (Indicators[i].get() == ind)
            return int(i);
    return -1;
}

bool TGraphArea::HoldsItem(const TGraphItem *item) const
{
    if (!item)
        return false;
    return std::any_of(Items.begin(), Items.end(), [item](const auto &p) { return p.get() == item; });
}

bool TGraphArea::HoldsElement(const TDrawedElement *e) const
{
    for (const auto &p : Indicators)
        if (p.get() == e)
            return true;
    for (const auto &p : Items)
        if (p.get() == e)
            return true;
    return false;
}

std::unique_ptr<TGraphIndicator> TGraphArea::TakeIndicator(TGraphIndicator *ind)
{
    const int i = IndexOfIndicator(ind);
    if (i < 0)
        return nullptr;
    std::unique_ptr<TGraphIndicator> out = std::move(Indicators[size_t(i)]);
    Indicators.erase(Indicators.begin() + i);
    if (Current == ind)
        Current = Indicators.empty() ? nullptr : Indicators.back().get();
    return out;
}

std::unique_ptr<TGraphItem> TGraphArea::TakeItem(TGraphItem *item)
{
    for (auto it = Items.begin(); it != Items.end(); ++it) {
        if (it->get() == item) {
            std::unique_ptr<TGraphItem> out = std::move(*it);
            Items.erase(it);
            return out;
        }
    }
    return nullptr;
}

TDrawedElement *TGraphArea::ElementAt(QPoint p) const
{
    const TAxisTransform &t = RightAxis->T;
    if (t.Kx == 0)
        return nullptr;
    const double y = p.y();
    const double bar = t.XToBar(p.x());
    TDrawedElement *selected = Panel ? Panel->Selected() : nullptr;
    TDrawedElement *hit = nullptr;
    if (selected && HoldsElement(selected) && selected->HitTest(y, bar))
        hit = selected;
    for (const auto &ind : Indicators)
        if (ind->HitTest(y, bar))
            return ind.get();
    if (hit)
        return hit;
    for (const auto &item : Items)
        if (item->HitTest(y, bar))
            return item.get();
    return nullptr;
}

void TGraphArea::CalcRanges(int first, int last)
{
    for (TOxyYArea *axis : {LeftAxis.get(), RightAxis.get()}) {
        axis->Min = axis->Max = 0;
        axis->HasRange = false;
    }
    for (const auto &ind : Indicators) {
        double lo = 0, hi = 0;
        // Nothing computed in view says nothing about the range: its 0/0
        // would squash everything else against zero.
        if (!ind->MinMax(first, last, lo, hi))
            continue;
        TOxyYArea *axis = Axis(ind->AxisSide);
        if (!axis->HasRange) {
            axis->Min = lo;
            axis->Max = hi;
            axis->HasRange = true;
        } else {
            axis->Min = std::min(axis->Min, lo);
            axis->Max = std::max(axis->Max, hi);
        }
    }
    if (LeftAxis->HasRange != RightAxis->HasRange) {
        const TOxyYArea *from = LeftAxis->HasRange ? LeftAxis.get() : RightAxis.get();
        TOxyYArea *to = LeftAxis->HasRange ? RightAxis.get() : LeftAxis.get();
        to->Min = from->Min;
        to->Max = from->Max;
    }
}

void TGraphArea::Save(TElementWriter &w, bool full) const
{
    TGraphBaseArea::Save(w, full);
    if (!full)
        return;
    w.WriteDouble(RelHeight);
    LeftAxis->Save(w, true);
    RightAxis->Save(w, true);
    w.WriteInt32(int32_t(Indicators.size()));
    for (const auto &ind : Indicators)
        ind->Save(w, true);
    w.WriteInt32(int32_t(Items.size()));
    for (const auto &item : Items)
        item->Save(w, true);
}

namespace {
// Every element record holds at least its type id and tag.
constexpr qsizetype MinRecordSize = 11;

int32_t readCount(TElementReader &r)
{
    const int32_t n = r.ReadInt32();
    if (n < 0 || n > r.Remaining() / MinRecordSize)
        throw EChartLoadError();
    return n;
}
} // namespace

void TGraphArea::Load(TElementReader &r, bool full)
{
    TGraphBaseArea::Load(r, full);
    if (!full)
        return;
    const double rel = r.ReadDouble();
    RelHeight = std::isfinite(rel) ? std::clamp(rel, 0.0, 1.0) : 0.0;
    LeftAxis->Load(r, true);
    RightAxis->Load(r, true);

    const int32_t indicatorCount = readCount(r);
    for (int32_t i = 0; i < indicatorCount; ++i) {
        const int32_t id = r.PeekInt32();
        if (id != GraphTypeId::MainIndicator && id < GraphTypeId::FirstCatalogue)
            throw EChartLoadError();
        std::unique_ptr<TDrawedElement> e = Panel->MakeElement(id);
        auto *ind = dynamic_cast<TGraphIndicator *>(e.get());
        if (!ind)
            throw EChartLoadError();
        e.release();
        std::unique_ptr<TGraphIndicator> owned(ind);
        owned->Load(r, true);
        Panel->AttachIndicator(this, std::move(owned), ind->AxisSide, false);
    }

    const int32_t itemCount = readCount(r);
    for (int32_t i = 0; i < itemCount; ++i) {
        const int32_t id = r.PeekInt32();
        if (id < GraphTypeId::SimpleLine || id > GraphTypeId::FibbZone)
            throw EChartLoadError();
        std::unique_ptr<TDrawedElement> e = Panel->MakeElement(id);
        auto *item = dynamic_cast<TGraphItem *>(e.get());
        if (!item)
            throw EChartLoadError();
        e.release();
        std::unique_ptr<TGraphItem> owned(item);
        owned->OwnerAxis = RightAxis.get();
        owned->Load(r, true);
        if (owned->BoundIndex >= 0 && owned->BoundIndex < int(Indicators.size())) {
            owned->Bound = Indicators[size_t(owned->BoundIndex)].get();
            owned->OwnerAxis = owned->Bound->OwnerAxis;
        }
        Panel->AttachItem(this, std::move(owned), false);
    }
}

QString TGraphArea::Title() const
{
    QStringList names;
    for (const auto &ind : Indicators)
        names << ind->ShortName();
    return names.join(QStringLiteral(", "));
}

void TGraphArea::MouseDown(QPoint p)
{
    TGraphBaseArea::MouseDown(p);
    const QPoint ap = ToArea(p);
    LastPoint = ap;
    if (TDrawedElement *pending = TPendingSlot::Get()) {
        const QRegion before = Panel->OverlayRegion();
        TPendingSlot::SetPlacingPanel(Panel);
        pending->MouseDown(*this, ap);
        Panel->OverlayChanged(before);
        return;
    }
    TDrawedElement *hit = ElementAt(ap);
    TDrawedElement *selected = Panel->Selected();
    auto *hitItem = dynamic_cast<TGraphItem *>(hit);
    if (hit && hit == selected && hitItem) {
        hitItem->MouseDown(*this, ap);
        Panel->Repaint();  // the cached chart now leaves the dragged item out
        return;
    }
    if (hit != selected)
        Panel->Select(hit);
    Panel->SetDraggedIndicator(dynamic_cast<TGraphIndicator *>(Panel->Selected()));
}

void TGraphArea::MouseMove(QPoint p)
{
    const QPoint ap = ToArea(p);
    LastPoint = ap;
    if (TDrawedElement *pending = TPendingSlot::Get()) {
        Panel->SetCursor(ChartCursor::Cross);
        Panel->HideHint();
        if (Panel->PlacingHere() && pending->Area() == this) {
            const QRegion before = Panel->OverlayRegion();
            pending->MouseMove(*this, ap);
            Panel->OverlayChanged(before);
        }
        return;
    }
    TDrawedElement *selected = Panel->Selected();
    const bool dragging = selected && selected->Has(ElementState::Dragging);
    if (dragging && HoldsItem(dynamic_cast<TGraphItem *>(selected))) {
        const QRegion before = Panel->OverlayRegion();
        selected->MouseMove(*this, ap);
        Panel->OverlayChanged(before);
    }
    TDrawedElement *hit = ElementAt(ap);
    if (hit && hit == selected) {
        Panel->HideHint();
        Panel->SetCursor(ChartCursor::SizeAll);
    } else if (hit) {
        const int bar = roundInt(RightAxis->T.XToBar(ap.x()));
        if (!dragging)
            Panel->ShowHint(hit->HintText(bar), p);
        Panel->SetCursor(ChartCursor::Drag);
    } else {
        Panel->HideHint();
        Panel->SetCursor(ChartCursor::Arrow);
    }
}

void TGraphArea::MouseUp(QPoint p)
{
    const QPoint ap = ToArea(p);
    LastPoint = ap;
    TDrawedElement *pending = TPendingSlot::Get();
    if (pending && Panel->PlacingHere() && pending->Area() == this) {
        std::unique_ptr<TDrawedElement> owned = TPendingSlot::Take();
        TDrawedElement *raw = owned.get();
        raw->Place(std::move(owned), *this, ap);
        return;
    }
    TDrawedElement *selected = Panel->Selected();
    auto *item = dynamic_cast<TGraphItem *>(selected);
    if (item && item->Has(ElementState::Dragging) && HoldsItem(item)) {
        item->MouseUp(*this, ap);
        Panel->Repaint();
    }
}

