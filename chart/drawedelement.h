#pragma once

#include <memory>
#include <span>

#include <QPoint>
#include <QRect>
#include <QRegion>

#include "chartdraw.h"
#include "graphbase.h"
#include "itempoint.h"

class QPainter;
class TGraphArea;
class TOxyYArea;
class TSerData;
struct TAxisTransform;

// State flags of a drawn element.
namespace ElementState {
constexpr uint32_t Selected = 0x01;
constexpr uint32_t Attached = 0x02;
constexpr uint32_t PenPrepared = 0x04;  // drawn since the pen was prepared
constexpr uint32_t Dragging = 0x08;     // being dragged or placed
constexpr uint32_t MovePoint1 = 0x10;   // first point follows the mouse
constexpr uint32_t MovePoint2 = 0x20;   // second point follows the mouse
constexpr uint32_t Everywhere = 0x40;   // drawn on every area
} // namespace ElementState

// Everything drawn on an area: indicators and the user's items. Slots after
// the base's: 4 hit test, 5 select notification, 6 delete.
class TDrawedElement : public TGraphBase {
public:
    explicit TDrawedElement(int typeId = GraphTypeId::DrawedElement) : TGraphBase(typeId) {}

    uint32_t State = 0;
    TOxyYArea *OwnerAxis = nullptr;  // reaches the area and the panel
    TColor Color = ChartColors::Blue;
    uint8_t PenStyle = 0;
    int32_t PenWidth = 1;

    bool Has(uint32_t flag) const { return (State & flag) != 0; }
    // Sets or clears flags: a change of Selected calls SelectChanged, clearing
    // Dragging also clears MovePoint1 and MovePoint2.
    void SetState(uint32_t flags, bool on);

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;

    // 4: whether the point (pixel row, fractional bar) touches the element.
    virtual bool HitTest(double y, double bar) const;
    // 5: called when Selected changes.
    virtual void SelectChanged();
    // 6: removes the element from its owner and frees it; `this` is gone
    // afterwards. Call through TChartPanel::DeleteElement, which also drops
    // every reference the panel holds.
    virtual void Delete() = 0;

    // Draws on an area; the painter's origin is the area's corner.
    virtual void Draw(QPainter &painter, const TGraphArea &area);
    // Moves the handles that follow the mouse (flags 0x10/0x20) from the
    // previous to the current mouse point, area coordinates.
    virtual void SetPoint(QPoint previous, QPoint current);
    // Dragged or placed: the inverting white pen; otherwise the element's own.
    // Sets PenPrepared.
    virtual void PreparePen(QPainter &painter);
    virtual void RestorePen(QPainter &painter);
    // Mouse hooks, area coordinates. Base: nothing.
    virtual void MouseDown(TGraphArea &area, QPoint p);
    virtual void MouseMove(TGraphArea &area, QPoint p);
    virtual void MouseUp(TGraphArea &area, QPoint p);
    // Ends placing of the pending element released in `area`: the element is
    // handed over and attaches itself, acts and goes, or is dropped. The
    // pending slot is already empty. Base: dropped.
    virtual void Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint p);
    // The part of the area (area coordinates) the element covers while it is
    // dragged or placed; the overlay repaints only that. Base: the whole area.
    virtual QRect OverlayBounds(const TGraphArea &area) const;
    // The pixels it really touches there, when fewer (an outline: its
    // edges). Base: OverlayBounds.
    virtual QRegion OverlayRegion(const TGraphArea &area) const;

    // The owner axis' area, panel and transform (nullptr without an axis).
    TGraphArea *Area() const;
    TChartPanel *Panel() const;
    const TAxisTransform *Transform() const;

    QPen OwnPen() const { return chartPen(Color, PenStyle, PenWidth); }

    // What a record may carry: styles 0 (solid) to 5 (none), widths 1 to
    // 20; anything else read from a record is damage and is brought back
    // into range.
    static constexpr int MaxPenWidth = 20;
    static uint8_t ClampPenStyle(uint8_t style) { return style <= 5 ? style : 0; }
    static int32_t ClampPenWidth(int32_t width) { return width < 1 ? 1 : width > MaxPenWidth ? MaxPenWidth : width; }
};

// Base of the indicators: the price and the computed ones. Slots 7 reset,
// 8 min/max, 9 set series, 10 snap, 11 recalculate.
class TGraphIndicator : public TDrawedElement {
public:
    explicit TGraphIndicator(int typeId) : TDrawedElement(typeId) {}

    int32_t FirstComputed = -1;
    int32_t LastComputed = -1;
    TSerData *Series = nullptr;
    uint8_t AxisSide = 0;  // 1 left axis, 0 right axis
    // The last recalculation by the panel failed (not stored): a failure is
    // reported once, when it starts.
    bool RecalcFailed = false;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    // Selected: becomes its area's current indicator.
    void SelectChanged() override;
    // Leaves its area (which may go too) and is freed.
    void Delete() override;

    // 7: width 1, solid.
    virtual void ResetDefaults();
    // 8: value range over [from, to] clamped to the computed range; false
    // (and 0, 0) when nothing of it is computed.
    virtual bool MinMax(int from, int to, double &min, double &max) const = 0;
    // 9
    virtual void SetSeries(TSerData *series);
    // 10: moves a point (fractional bar, value) onto the indicator's values.
    virtual void Snap(double &bar, double &value) const = 0;
    // 11
    virtual void Recalculate(int from, int to) = 0;

    // Placing with the indicator tool: the press marks it as being placed in
    // that area; the release hands it to the panel's placement sequence
    // (TChartPanel::PlaceNewIndicator). Nothing is drawn meanwhile.
    void MouseDown(TGraphArea &area, QPoint p) override;
    void Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint p) override;
    QRect OverlayBounds(const TGraphArea &area) const override;

    // The form shown in an area's title (base: the display name).
    virtual QString ShortName() const;
    // Lines whose values the data window lists (base: none), and line k's
    // value at a bar; false outside the computed range.
    virtual int ValueLines() const { return 0; }
    virtual bool ValueAt(int line, int bar, double &value) const;
    // The computed part of [from, to]; false when empty.
    bool ClampToComputed(int &from, int &to) const;
};

// Base of the user's drawn items. Slots 7 handle under a point, 8 hook after
// a view change (places the points tied to a time again).
class TGraphItem : public TDrawedElement {
public:
    explicit TGraphItem(int typeId = GraphTypeId::GraphItem) : TDrawedElement(typeId) {}

    TGraphIndicator *Bound = nullptr;  // its axis scales the item
    int32_t BoundIndex = -1;           // in the area's indicator list; streams only
    uint8_t SavedPenMode = 0;
    uint8_t SnapToPrice = 1;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    // Leaves its area and the panel's list of items drawn everywhere; freed.
    void Delete() override;

    // 7: 1 point 1, 2 point 2, 0 none (the whole item moves).
    virtual int HandleAt(QPoint p) const;
    // 8
    virtual void AfterViewChange();
    // Snaps the points after the snap setting changed (the properties
    // dialog). Base: nothing.
    virtual void SnapHook();

    // The points whose times the record carries (none for a horizontal line).
    virtual std::span<TItemPoint> TimedPoints() { return {}; }
    std::span<const TItemPoint> TimedPoints() const
    {
        return const_cast<TGraphItem *>(this)->TimedPoints();
    }
    // Every point can be drawn (none waits for its time to be placed).
    bool Placed() const;
    // Ties every point to its time on `series` (before the chart shows
    // another series); the next view change places them on the new one.
    void AnchorToTimes(const TSerData *series);
    // Places the points tied to a time on the panel's series.
    void ResolveTimes();

    // Placing: binds to the area's current indicator and takes its axis
    // (the area's right axis when unbound), then both points at the press.
    void MouseDown(TGraphArea &area, QPoint p) override;
    void MouseMove(TGraphArea &area, QPoint p) override;
    // Dragging ends.
    void MouseUp(TGraphArea &area, QPoint p) override;
    // Joins the area's items with the pattern store's style.
    void Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint p) override;
    // Draws in area coordinates; the base draws nothing.
    void PreparePen(QPainter &painter) override;
    void RestorePen(QPainter &painter) override;

protected:
    // Called when a drag of the attached item starts (flags already set).
    virtual void DragStarted() {}
    // Hit-test tolerance: pen width div 2 + 2 pixels.
    int Tolerance() const { return PenWidth / 2 + 2; }
    // A fractional bar as an unrounded pixel column of the owner axis.
    double BarToPixel(double bar) const;
    QPoint PixelOf(const TItemPoint &p) const;
    // The point takes the bar and value under an area pixel.
    void MoveTo(TItemPoint &p, QPoint pixel) const;
    // Through the bound indicator, when snapping is on and it is bound.
    void SnapPoint(TItemPoint &p) const;
    void WriteTime(TElementWriter &w, const TItemPoint &p) const;
    void ReadTime(TElementReader &r, TItemPoint &p);
    const TSerData *PanelSeries() const;

    QPoint lastMouse;  // previous mouse point while placing or dragging
};
