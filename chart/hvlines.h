#pragma once

#include <array>
#include <vector>

#include "drawedelement.h"

// A horizontal line across its area at a value. It never snaps.
class THLine : public TGraphItem {
public:
    THLine();

    double Value = 0;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    bool HitTest(double y, double bar) const override;
    void SetPoint(QPoint previous, QPoint current) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    QRect OverlayBounds(const TGraphArea &area) const override;
    int Row() const;
};

// A vertical line at a bar, over the whole height. It is kept in the
// panel's list of items drawn on every area; "show in all areas" decides
// whether it really appears outside its own area.
class TVLine : public TGraphItem {
public:
    explicit TVLine(int typeId = GraphTypeId::VLine);

    TItemPoint Point;   // its bar (the value is not used)
    uint8_t ShowInAllAreas = 1;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    std::span<TItemPoint> TimedPoints() override { return {&Point, 1}; }
    bool HitTest(double y, double bar) const override;
    // The bar under the mouse, a whole one when snapping is on.
    void SetPoint(QPoint previous, QPoint current) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    QRect OverlayBounds(const TGraphArea &area) const override;
    QRegion OverlayRegion(const TGraphArea &area) const override;

    int Column() const;
    // Whether it appears in `area` at all.
    bool ShownIn(const TGraphArea &area) const;

protected:
    // The columns of its lines in an area (the start line first).
    virtual std::vector<int> Columns(const TGraphArea &area) const;
    void DrawStartHandles(QPainter &painter, const TGraphArea &area) const;
};

// Time zones: a dotted start line, then lines 1, 2, 4, 7, 12, 20, 33, …
// bars after it (the gaps grow as the Fibonacci numbers).
class TFibbZone : public TVLine {
public:
    TFibbZone() : TVLine(GraphTypeId::FibbZone) {}

    void Draw(QPainter &painter, const TGraphArea &area) override;

protected:
    std::vector<int> Columns(const TGraphArea &area) const override;
};
