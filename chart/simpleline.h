#pragma once

#include <array>
#include <vector>

#include <QLine>

#include "drawedelement.h"

// A straight line through two points, by default extended to both edges of
// its area. The Fibonacci retracement, fan and arc are drawn from the same
// two points and share its record.
class TSimpleLine : public TGraphItem {
public:
    explicit TSimpleLine(int typeId = GraphTypeId::SimpleLine);

    std::array<TItemPoint, 2> Points;
    uint8_t LeftExtension = 1;
    uint8_t RightExtension = 1;

    TItemPoint &P1() { return Points[0]; }
    TItemPoint &P2() { return Points[1]; }
    const TItemPoint &P1() const { return Points[0]; }
    const TItemPoint &P2() const { return Points[1]; }

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    std::span<TItemPoint> TimedPoints() override { return Points; }

    bool HitTest(double y, double bar) const override;
    // 1 or 2 when the press is on the short diagonal through that point.
    int HandleAt(QPoint p) const override;
    void SnapHook() override;
    // Both points shift with the mouse, or the one being moved takes the
    // mouse position; moved points snap when the line is bound.
    void SetPoint(QPoint previous, QPoint current) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    QRect OverlayBounds(const TGraphArea &area) const override;
    QRegion OverlayRegion(const TGraphArea &area) const override;

    // What the line covers in its area: the segment with its extensions.
    QLine Geometry(const TGraphArea &area) const;

protected:
    void DragStarted() override;
    // The lines drawn while the element is dragged or placed (the overlay's
    // pixels). Arcs give polylines.
    virtual std::vector<QLine> Outline(const TGraphArea &area) const;
    bool SegmentHitBetweenPoints(double px, double py) const;
    void DrawSelectionHandles(QPainter &painter) const;
    bool Shown() const;   // both points placed and an axis to draw on

private:
    // Where the points would be without snapping while the whole line is
    // dragged: small mouse moves add up instead of snapping back each time.
    std::array<QPoint, 2> dragPixels;
};
