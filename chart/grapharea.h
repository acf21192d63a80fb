#pragma once

#include <memory>
#include <vector>

#include "axes.h"
#include "graphbase.h"

class TDrawedElement;
class TGraphIndicator;
class TGraphItem;

// The 4-pixel bar between two areas; dragging it shares their heights.
class TSplitterArea : public TGraphBaseArea {
public:
    static constexpr int Thickness = 4;
    static constexpr int MinNeighbourHeight = 20;  // both neighbours keep more

    TSplitterArea(TChartPanel *panel, int index) : TGraphBaseArea(8, panel), Index(index) {}

    int Index;              // index of the area below
    int DragOffset = 0;     // tentative offset while dragged
    bool Dragging = false;  // a band is shown at DragOffset

    void MouseDown(QPoint p) override;
    void MouseMove(QPoint p) override;
    void MouseUp(QPoint p) override;
    void Paint(QPainter &painter) override;
    // Whether moving by dy keeps both neighbours above the minimum height.
    bool OffsetAllowed(int dy) const;
};

// One stacked chart area with its two price axes, its indicators and its
// drawn items (both lists owning).
class TGraphArea : public TGraphBaseArea {
public:
    explicit TGraphArea(TChartPanel *panel);
    ~TGraphArea() override;

    TGraphIndicator *Current = nullptr;  // last attached or selected indicator
    std::vector<std::unique_ptr<TGraphIndicator>> Indicators;
    std::vector<std::unique_ptr<TGraphItem>> Items;
    double RelHeight = 1.0;              // share of the height left to areas
    std::unique_ptr<TOxyYArea> LeftAxis;
    std::unique_ptr<TOxyYArea> RightAxis;
    QPoint LastPoint;                    // last mouse point, area coordinates

    TOxyYArea *Axis(uint8_t side) const { return side ? LeftAxis.get() : RightAxis.get(); }
    // Panel point to area coordinates and back.
    QPoint ToArea(QPoint panelPoint) const { return panelPoint - QPoint(Left, Top); }
    QPoint ToPanel(QPoint areaPoint) const { return areaPoint + QPoint(Left, Top); }

    // The element under an area point: the selection first, then indicators
    // in list order, then items; an indicator hit wins over the selection.
    // Nothing when the horizontal scale is zero.
    TDrawedElement *ElementAt(QPoint areaPoint) const;
    bool HoldsIndicator(const TGraphIndicator *ind) const;
    bool HoldsItem(const TGraphItem *item) const;
    bool HoldsElement(const TDrawedElement *e) const;
    int IndexOfIndicator(const TGraphIndicator *ind) const;
    // Takes an indicator or item out of its list (nullptr when absent).
    std::unique_ptr<TGraphIndicator> TakeIndicator(TGraphIndicator *ind);
    std::unique_ptr<TGraphItem> TakeItem(TGraphItem *item);
    // Widens the axes' ranges over the visible bars from every indicator
    // with computed values there; an axis without one copies its partner's
    // range.
    void CalcRanges(int first, int last);

    // The full record carries the height, both axes, the indicators and the
    // items; indicators and items are built by the panel's element factory.
    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;

    void MouseDown(QPoint p) override;
    void MouseMove(QPoint p) override;
    void MouseUp(QPoint p) override;
    // Indicators, items and the title (not the axes), with the painter's
    // origin at the area's corner and clipped to it.
    void Paint(QPainter &painter) override;
    // The names of the area's indicators (short forms), ", " separated.
    QString Title() const;
};
