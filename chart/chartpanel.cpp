#include "chartpanel.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QFontMetrics>

#include "elementstream.h"
#include "itemfactory.h"
#include "patternstore.h"
#include "pendingslot.h"
#include "serdata.h"

// ---- TPanelSettings

void TPanelSettings::Save(TElementWriter &w) const
{
    w.WriteByte(LeftVisible);
    w.WriteByte(RightVisible);
    w.WriteInt32(LineHeight);
    w.WriteInt32(DigitWidth);
    w.WriteInt32(AxisWidth);
}

void TPanelSettings::Load(TElementReader &r)
{
    LeftVisible = r.ReadBool();
    RightVisible = r.ReadBool();
    LineHeight = r.ReadInt32();
    DigitWidth = r.ReadInt32();
    AxisWidth = r.ReadInt32();
}

// ---- construction

TChartPanel::TChartPanel(TSerData *s, IndicatorFactory price, TPatternMenager *store, Creation creation)
    : series(s), makePrice(std::move(price)), patterns(store), font(chartFont())
{
    ConfirmDelete = [](const QString &) { return true; };
    xAxis = std::make_unique<TOxyXArea>(this);
    if (creation == Creation::NewChart)
        createNew();
}

TChartPanel::~TChartPanel()
{
    // A tool element being placed here refers to this panel's axes.
    if (TPendingSlot::PlacingPanel() == this) {
        TPendingSlot::SetPlacingPanel(nullptr);  // no repaint of a panel going away
        TPendingSlot::Clear();
    }
    selected = nullptr;
    dragCandidate = nullptr;
    captured = nullptr;
    everywhere.clear();
    areas.clear();
    splitters.clear();
}

void TChartPanel::createNew()
{
    if (patterns)
        patterns->Apply(*xAxis);
    TGraphArea *area = AddArea();
    if (std::unique_ptr<TGraphIndicator> price = MakePriceIndicator())
        AttachIndicator(area, std::move(price), 0);
    RightMargin = DefaultRightMargin;
    VisibleCount = DefaultVisibleCount;
    FirstVisible = 0;
    scrollPos = scrollMax = 0;  // at the end: the first recalculation shows the newest bars
    Layout();
    Recalculate();
}

std::unique_ptr<TGraphIndicator> TChartPanel::MakePriceIndicator() const
{
    return makePrice ? makePrice() : nullptr;
}

std::unique_ptr<TDrawedElement> TChartPanel::MakeElement(int typeId) const
{
    if (elementFactory)
        if (std::unique_ptr<TDrawedElement> e = elementFactory(typeId))
            return e;
    if (typeId == GraphTypeId::MainIndicator)
        return MakePriceIndicator();
    return CreateDrawnItem(typeId);
}

void TChartPanel::SetSeries(TSerData *s)
{
    // Drawn items keep their times: tied to them on the old series, placed
    // on the new one by the recalculation.
    for (const auto &area : areas)
        for (const auto &item : area->Items)
            item->AnchorToTimes(series);
    series = s;
    for (const auto &area : areas)
        for (const auto &ind : area->Indicators)
            ind->SetSeries(s);
    scrollPos = scrollMax;  // the newest bars
    Recalculate();
    Layout();
    Repaint();
}

void TChartPanel::SetFont(const QFont &f)
{
    font = f;
    Layout();
    Repaint();
}

double TChartPanel::PixelAspectFromDpi(double dpiX, double dpiY)
{
    if (!(dpiX > 0) || !(dpiY > 0) || !std::isfinite(dpiX) || !std::isfinite(dpiY))
        return 1.0;
    const double aspect = dpiX / dpiY;
    return aspect >= 0.8 && aspect <= 1.25 ? aspect : 1.0;
}

int TChartPanel::BarCount() const
{
    return series ? std::max(0, series->Count()) : 0;
}

// ---- layout and scales

void TChartPanel::SetClientSize(QSize size)
{
    if (size == clientSize)
        return;
    clientSize = size;
    Layout();
    Repaint();
}

void TChartPanel::Layout()
{
    const QFontMetrics fm(font);
    Settings.LineHeight = fm.height();
    Settings.DigitWidth = fm.horizontalAdvance(QLatin1Char('0'));
    Settings.AxisWidth = 8 * Settings.DigitWidth;
    const int lh = Settings.LineHeight;
    const int aw = Settings.AxisWidth;
    const int w = std::max(0, clientSize.width());
    const int h = std::max(0, clientSize.height());

    const int left = std::min(w, Settings.LeftVisible ? aw : 0);
    const int right = std::max(left, w - (Settings.RightVisible ? aw : 0));
    const int xHeight = xAxis->Visible ? (xAxis->ShowDate ? 3 : 2) * lh : 0;
    const int xTop = std::max(0, h - xHeight);
    xAxis->SetBounds(left, xTop, right, h);
    xAxis->LineHeight = lh;
    xAxis->DigitWidth = Settings.DigitWidth;
    xAxis->AxisSize = h - xTop;
    xAxis->LabelWidth = fm.horizontalAdvance(xAxis->ShowDay && xAxis->ShowYear ? QStringLiteral("099.99.990")
                                                                               : QStringLiteral("099:990"));
    xAxis->UpdateDateFormat();
    chartRect = QRect(left, 0, right - left, xTop);
    layoutAreas();
    CalcScales();
}

void TChartPanel::layoutAreas()
{
    const int aw = Settings.AxisWidth;
    const int leftWidth = Settings.LeftVisible ? aw : 0;
    const int rightWidth = Settings.RightVisible ? aw : 0;
    const int left = chartRect.left();
    const int right = chartRect.left() + chartRect.width();
    const int64_t available = std::max<int64_t>(0, int64_t(chartRect.height()) - TSplitterArea::Thickness * int64_t(splitters.size()));
    int64_t y = 0;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (i > 0 && i - 1 < splitters.size()) {
            splitters[i - 1]->SetBounds(left, int(y), right, int(y + TSplitterArea::Thickness));
            splitters[i - 1]->Index = int(i);
            y += TSplitterArea::Thickness;
        }
        TGraphArea &a = *areas[i];
        const double rel = std::isfinite(a.RelHeight) ? std::max(0.0, a.RelHeight) : 0.0;
        const int64_t height = std::clamp<int64_t>(int64_t(std::nearbyint(double(available) * rel)), 0, available);
        const int top = int(std::min<int64_t>(y, INT32_MAX / 2));
        const int bottom = int(std::min<int64_t>(y + height, INT32_MAX / 2));
        a.SetBounds(left, top, right, bottom);
        for (TOxyYArea *axis : {a.LeftAxis.get(), a.RightAxis.get()}) {
            axis->LineHeight = Settings.LineHeight;
            axis->DigitWidth = Settings.DigitWidth;
            axis->AxisSize = axis->Side ? leftWidth : rightWidth;
        }
        a.LeftAxis->SetBounds(left - leftWidth, top, left, bottom);
        a.RightAxis->SetBounds(right, top, right + rightWidth, bottom);
        y += height;
    }
}

double TChartPanel::NiceStep(double s)
{
    if (!std::isfinite(s))
        s = 0;
    const double scaled = std::clamp(std::nearbyint(s * 10000.0), -1e15, 1e15);
    int64_t n = std::llabs(int64_t(scaled));
    if (n <= 1)
        return 0.0001;
    int64_t g = 5;
    bool five = true;
    while (n / g > 9) {
        g = five ? g * 2 : g * 5;
        five = !five;
    }
    n = (n + g - 1) / g * g;
    return double(n) / 10000.0;
}

void TChartPanel::CalcScales()
{
    if (VisibleCount < MinVisibleCount)
        VisibleCount = MinVisibleCount;
    TAxisTransform &t = xAxis->T;
    t.First = FirstVisible;
    t.Last = int(std::min<int64_t>(int64_t(FirstVisible) + VisibleCount - 1, INT32_MAX));
    t.Kx = double(chartRect.width()) / VisibleCount;
    t.X0 = t.Kx / 2;
    t.Bx = -double(FirstVisible);
    for (const auto &area : areas) {
        for (TOxyYArea *axis : {area->LeftAxis.get(), area->RightAxis.get()}) {
            axis->T.CopyHorizontal(t);
            axis->CalcScale(area->Height(), Settings.LineHeight);
        }
    }
}

// ---- recalculation and the scroll bar

bool TChartPanel::PlacingHere() const
{
    const TDrawedElement *pending = TPendingSlot::Get();
    return pending && TPendingSlot::PlacingPanel() == this && pending->Has(ElementState::Dragging);
}

int TChartPanel::maxVisibleCount() const
{
    return int(std::min<int64_t>(int64_t(BarCount()) + std::max(0, RightMargin), INT32_MAX));
}

void TChartPanel::updateScrollBar(bool toEndIfAtEnd)
{
    const bool atEnd = scrollPos == scrollMax;
    scrollUpdating = true;
    const int64_t computed = int64_t(BarCount()) + RightMargin - VisibleCount;
    scrollMax = computed < FirstVisible ? 0 : int(std::min<int64_t>(computed, INT32_MAX));
    scrollPos = std::clamp(FirstVisible, 0, scrollMax);
    if (toEndIfAtEnd && atEnd) {
        scrollPos = scrollMax;
        FirstVisible = scrollMax;
    }
    scrollUpdating = false;
    notifyScroll();
}

void TChartPanel::notifyScroll()
{
    if (OnScrollChanged)
        OnScrollChanged();
}

void TChartPanel::recalcIndicators()
{
    const int last = series ? series->Last : -1;
    QString failure;
    for (const auto &area : areas) {
        for (const auto &ind : area->Indicators) {
            // A failing indicator stays uncomputed and draws nothing; the
            // others and the rest of the tick go on.
            ind->FirstComputed = -1;
            bool failed = false;
            QString text;
            try {
                ind->Recalculate(0, last);
            } catch (const std::exception &e) {
                failed = true;
                text = QString::fromUtf8(e.what());
            } catch (...) {
                failed = true;
            }
            if (failed) {
                ind->FirstComputed = -1;
                // An empty series (history not in yet) is nothing to report.
                if (!ind->RecalcFailed && last >= 0 && failure.isNull())
                    failure = text.isEmpty() ? QStringLiteral("TA: Internal error") : text;
            }
            ind->RecalcFailed = failed && last >= 0;
        }
    }
    if (!failure.isNull() && OnIndicatorFailure)
        OnIndicatorFailure(failure);
}

void TChartPanel::Recalculate()
{
    if (PlacingHere())
        return;
    try {
        if (VisibleCount <= 0) {
            VisibleCount = DefaultVisibleCount;
            scrollPos = scrollMax;
        }
        updateScrollBar(true);
        recalcIndicators();
        const int first = FirstVisible;
        const int last = int(std::min<int64_t>(int64_t(FirstVisible) + VisibleCount - 1, INT32_MAX));
        for (const auto &area : areas)
            area->CalcRanges(first, last);
        CalcScales();
        for (const auto &area : areas)
            for (const auto &item : area->Items)
                item->AfterViewChange();
    } catch (...) {
        // A refresh runs inside the quote handler: nothing may escape it.
    }
}

void TChartPanel::Refresh()
{
    try {
        Recalculate();
        Layout();
        Repaint();
    } catch (...) {
    }
}

// ---- scrolling and zoom

void TChartPanel::ScrollBarChanged(int position)
{
    if (scrollUpdating)
        return;
    FirstVisible = std::max(0, position);
    scrollPos = std::clamp(FirstVisible, 0, scrollMax);
    Recalculate();
    Repaint();
}

void TChartPanel::SetFirstVisible(int n)
{
    n = std::max(0, n);
    if (n == FirstVisible && scrollPos == std::clamp(n, 0, scrollMax))
        return;
    FirstVisible = n;
    updateScrollBar(false);
    Recalculate();
    Repaint();
}

void TChartPanel::SetVisibleCount(int n)
{
    if (n == VisibleCount)
        return;
    const int maximum = maxVisibleCount();
    n = std::max(MinVisibleCount, std::min(n, maximum));
    if (int64_t(FirstVisible) + n > maximum)
        FirstVisible = maximum - n;
    FirstVisible = std::max(0, FirstVisible);
    VisibleCount = n;
    updateScrollBar(false);
    Recalculate();
    Repaint();
}

void TChartPanel::ZoomKeepRight(int n)
{
    // Clamped first, so a count the panel cannot show does not scroll instead.
    n = std::max(MinVisibleCount, std::min(n, maxVisibleCount()));
    const int delta = VisibleCount - n;
    if (delta == 0)
        return;
    FirstVisible = std::max(0, FirstVisible + delta);
    SetVisibleCount(n);
}

void TChartPanel::ZoomTo(int first, int count)
{
    const int maximum = maxVisibleCount();
    count = std::max(MinVisibleCount, std::min(count, maximum));
    first = std::max(0, first);
    if (int64_t(first) + count > maximum)
        first = std::max(0, maximum - count);
    FirstVisible = first;
    VisibleCount = count;
    updateScrollBar(false);
    Recalculate();
    Repaint();
}

void TChartPanel::ScrollBy(int bars)
{
    const int64_t target = std::clamp<int64_t>(int64_t(FirstVisible) + bars, 0, std::max(0, scrollMax));
    if (target == FirstVisible)
        return;
    SetFirstVisible(int(target));
    Repaint();
}

void TChartPanel::ZoomIn()
{
    ZoomKeepRight(roundInt(VisibleCount / 1.5));
    Repaint();
}

void TChartPanel::ZoomOut()
{
    ZoomKeepRight(std::max(VisibleCount + 1, roundInt(VisibleCount * 1.5)));
    Repaint();
}

void TChartPanel::ScrollHome()
{
    SetFirstVisible(0);
    Repaint();
}

void TChartPanel::ScrollEnd()
{
    SetFirstVisible(std::max(0, scrollMax));
    Repaint();
}

// ---- areas and indicators

int TChartPanel::IndexOfArea(const TGraphArea *a) const
{
    for (size_t i = 0; i < areas.size(); ++i)
        if (areas[i].get() == a)
            return int(i);
    return -1;
}

TGraphArea *TChartPanel::AppendArea(std::unique_ptr<TGraphArea> area)
{
    TGraphArea *raw = area.get();
    if (!areas.empty())
        splitters.push_back(std::make_unique<TSplitterArea>(this, int(areas.size())));
    areas.push_back(std::move(area));
    return raw;
}

void TChartPanel::Loaded()
{
    updateScrollBar(false);
    Layout();
    Recalculate();
    Repaint();
}

TGraphArea *TChartPanel::AddArea()
{
    auto area = std::make_unique<TGraphArea>(this);
    const size_t n = areas.size();
    if (n == 0) {
        area->RelHeight = 1.0;
    } else {
        area->RelHeight = 1.0 / double(n + 1);
        for (const auto &a : areas)
            a->RelHeight *= 1.0 - area->RelHeight;
    }
    if (patterns) {
        patterns->Apply(*area);
        patterns->Apply(*area->LeftAxis);
        patterns->Apply(*area->RightAxis);
    }
    TGraphArea *raw = AppendArea(std::move(area));
    Layout();
    Recalculate();
    Repaint();
    return raw;
}

void TChartPanel::RemoveArea(TGraphArea *area)
{
    const int i = IndexOfArea(area);
    if (i < 0 || areas.size() <= 1)
        return;
    TGraphArea *heir = areas[size_t(i > 0 ? i - 1 : 1)].get();
    heir->RelHeight += area->RelHeight;
    ForgetArea(area);
    if (captured && !splitters.empty() && captured == splitters.back().get())
        captured = nullptr;
    splitters.pop_back();
    areas.erase(areas.begin() + i);
    Layout();
    Repaint();
}

TGraphIndicator *TChartPanel::AttachIndicator(TGraphArea *area, std::unique_ptr<TGraphIndicator> ind,
                                              uint8_t side, bool applyPattern)
{
    if (!area || !ind)
        return nullptr;
    side = side ? 1 : 0;
    TGraphIndicator *raw = ind.get();
    // Items elsewhere bound to this indicator follow it.
    for (const auto &other : areas) {
        if (other.get() == area)
            continue;
        for (size_t k = 0; k < other->Items.size();) {
            if (other->Items[k]->Bound == raw) {
                std::unique_ptr<TGraphItem> item = std::move(other->Items[k]);
                other->Items.erase(other->Items.begin() + long(k));
                item->OwnerAxis = area->Axis(side);
                area->Items.push_back(std::move(item));
            } else {
                ++k;
            }
        }
    }
    area->Indicators.push_back(std::move(ind));
    area->Current = raw;
    if (applyPattern && patterns)
        patterns->Apply(*raw);
    raw->AxisSide = side;  // a stored style carries a side of its own
    raw->OwnerAxis = area->Axis(side);
    raw->SetState(ElementState::Attached, true);
    if (!raw->Series && series)
        raw->SetSeries(series);
    return raw;
}

TGraphIndicator *TChartPanel::PlaceNewIndicator(std::unique_ptr<TGraphIndicator> ind, TGraphArea *area)
{
    if (!ind || IndexOfArea(area) < 0)
        return nullptr;
    ind->SetState(ElementState::Dragging | ElementState::Selected, false);
    ind->OwnerAxis = nullptr;
    ind->SetSeries(series);
    const int choice = ChooseIndicatorPlacement ? ChooseIndicatorPlacement() : 3;
    if (choice < 1 || choice > 3)
        return nullptr;
    if (EditNewIndicator && !EditNewIndicator(ind.get()))
        return nullptr;
    // The dialogs ran an event loop: the area may have gone meanwhile.
    if (IndexOfArea(area) < 0)
        return nullptr;
    if (ind->Series != series)
        ind->SetSeries(series);
    TGraphArea *target = choice == 3 ? AddArea() : area;
    // Its style came from the pattern store when the tool made it; applying
    // it again would undo what the user just edited.
    TGraphIndicator *raw = AttachIndicator(target, std::move(ind), choice == 1 ? 1 : 0, false);
    Layout();
    Recalculate();
    Repaint();
    return raw;
}

void TChartPanel::MoveIndicator(TGraphIndicator *ind, TGraphArea *target)
{
    TGraphArea *old = ind ? ind->Area() : nullptr;
    if (!old || !target || old == target || IndexOfArea(target) < 0)
        return;
    std::unique_ptr<TGraphIndicator> owned = old->TakeIndicator(ind);
    if (!owned)
        return;
    const uint8_t side = owned->AxisSide;
    // Its items go along (the attach moves those of other areas).
    for (size_t k = 0; k < old->Items.size();) {
        if (old->Items[k]->Bound == ind) {
            std::unique_ptr<TGraphItem> item = std::move(old->Items[k]);
            old->Items.erase(old->Items.begin() + long(k));
            item->OwnerAxis = target->Axis(side);
            target->Items.push_back(std::move(item));
        } else {
            ++k;
        }
    }
    // The user's own colours stay: a move is no new indicator.
    AttachIndicator(target, std::move(owned), side, false);
    if (old->Indicators.empty() && areas.size() > 1)
        RemoveArea(old);
    Layout();
    Recalculate();
    Repaint();
}

TGraphItem *TChartPanel::AttachItem(TGraphArea *area, std::unique_ptr<TGraphItem> item, bool applyPattern)
{
    if (!area || !item)
        return nullptr;
    TGraphItem *raw = item.get();
    if (!raw->OwnerAxis)
        raw->OwnerAxis = area->RightAxis.get();
    raw->SetState(ElementState::Attached, true);
    if (applyPattern && patterns)
        patterns->Apply(*raw);
    area->Items.push_back(std::move(item));
    if (raw->Has(ElementState::Everywhere))
        everywhere.push_back(raw);
    return raw;
}

void TChartPanel::DeleteElement(TDrawedElement *e)
{
    if (!e)
        return;
    TGraphArea *area = e->Area();
    const bool indicator = dynamic_cast<TGraphIndicator *>(e) != nullptr;
    Forget(e);
    if (area && area->HoldsElement(e))
        e->Delete();
    if (indicator && area && area->Indicators.empty() && areas.size() > 1)
        RemoveArea(area);
    Recalculate();
    Repaint();
}

TGraphIndicator *TChartPanel::PriceIndicator() const
{
    for (const auto &area : areas)
        for (const auto &ind : area->Indicators)
            if (ind->TypeId == GraphTypeId::MainIndicator)
                return ind.get();
    return nullptr;
}

TGraphArea *TChartPanel::PriceArea() const
{
    const TGraphIndicator *price = PriceIndicator();
    return price ? price->Area() : nullptr;
}

// ---- selection and references

void TChartPanel::Select(TDrawedElement *e)
{
    if (e == selected)
        return;
    if (selected)
        selected->SetState(ElementState::Dragging | ElementState::Selected, false);
    selected = e;
    if (selected)
        selected->SetState(ElementState::Selected, true);
    Repaint();
}

void TChartPanel::Forget(const TDrawedElement *e)
{
    if (selected == e)
        selected = nullptr;
    if (dragCandidate == e)
        dragCandidate = nullptr;
    everywhere.erase(std::remove(everywhere.begin(), everywhere.end(), e), everywhere.end());
    for (const auto &area : areas) {
        if (area->Current == e) {
            // The last of the others takes over (new items bind to it).
            area->Current = nullptr;
            for (auto it = area->Indicators.rbegin(); it != area->Indicators.rend(); ++it)
                if (it->get() != e) {
                    area->Current = it->get();
                    break;
                }
        }
        for (const auto &item : area->Items) {
            if (item->Bound == e) {
                item->Bound = nullptr;
                item->BoundIndex = -1;
                item->OwnerAxis = area->RightAxis.get();
            }
        }
    }
    if (TDrawedElement *pending = TPendingSlot::Get())
        if (auto *item = dynamic_cast<TGraphItem *>(pending); item && item->Bound == e)
            item->Bound = nullptr;
}

void TChartPanel::ForgetArea(const TGraphArea *area)
{
    if (selected && area->HoldsElement(selected))
        selected = nullptr;
    if (dragCandidate && area->HoldsElement(dragCandidate))
        dragCandidate = nullptr;
    if (captured == area || captured == area->LeftAxis.get() || captured == area->RightAxis.get())
        captured = nullptr;
    everywhere.erase(std::remove_if(everywhere.begin(), everywhere.end(),
                                    [area](const TGraphItem *item) { return area->HoldsItem(item); }),
                     everywhere.end());
    if (TDrawedElement *pending = TPendingSlot::Get()) {
        if (pending->Area() == area)
            TPendingSlot::Clear();
        else if (auto *item = dynamic_cast<TGraphItem *>(pending); item && item->Bound && area->HoldsElement(item->Bound))
            item->Bound = nullptr;
    }
    // Nothing elsewhere may keep pointing at the area's indicators or axes.
    for (const auto &other : areas) {
        if (other.get() == area)
            continue;
        for (const auto &item : other->Items) {
            if (item->Bound && area->HoldsElement(item->Bound)) {
                item->Bound = nullptr;
                item->BoundIndex = -1;
            }
            if (item->OwnerAxis == area->LeftAxis.get() || item->OwnerAxis == area->RightAxis.get())
                item->OwnerAxis = other->RightAxis.get();
        }
    }
}

void TChartPanel::SetAxisScale(TOxyYArea *axis, double scale)
{
    if (!axis || !std::isfinite(scale) || scale <= 0)
        return;
    scale = std::clamp(scale, TOxyYArea::MinVScale, TOxyYArea::MaxVScale);
    axis->VScale = scale;
    // An axis without indicators of its own shows its partner's range: the
    // two stay aligned only with one scale.
    if (TGraphArea *area = axis->Area) {
        TOxyYArea *partner = axis == area->LeftAxis.get() ? area->RightAxis.get() : area->LeftAxis.get();
        if (!axis->HasRange || !partner->HasRange)
            partner->VScale = scale;
    }
}

// ---- parts under the mouse

TGraphBaseArea *TChartPanel::PartAt(QPoint p) const
{
    for (const auto &area : areas) {
        if (area->Contains(p))
            return area.get();
        if (area->RightAxis->Contains(p))
            return area->RightAxis.get();
        if (area->LeftAxis->Contains(p))
            return area->LeftAxis.get();
    }
    for (const auto &s : splitters)
        if (s->Contains(p))
            return s.get();
    if (xAxis->Contains(p))
        return xAxis.get();
    return nullptr;
}

TGraphArea *TChartPanel::AreaAt(QPoint p) const
{
    for (const auto &area : areas)
        if (area->Contains(p))
            return area.get();
    return nullptr;
}

TGraphArea *TChartPanel::AreaAtRow(int y) const
{
    return AreaAt(QPoint(clientSize.width() / 2, y));
}

TSplitterArea *TChartPanel::DraggedSplitter() const
{
    for (const auto &s : splitters)
        if (s->Dragging)
            return s.get();
    return nullptr;
}

// ---- notifications

void TChartPanel::Repaint()
{
    ++revision;
    if (OnRepaint)
        OnRepaint();
}

void TChartPanel::OverlayChanged(const QRegion &before)
{
    const QRegion after = OverlayRegion();
    const QRegion changed = before.united(after);
    if (OnOverlay)
        for (const QRect &r : changed)
            OnOverlay(r);
}

void TChartPanel::ShowHint(const QString &text, QPoint p)
{
    hint = text;
    hintVisible = !text.isEmpty();
    hintPoint = p;
}

void TChartPanel::HideHint()
{
    hint.clear();
    hintVisible = false;
}
