#pragma once

#include "simpleline.h"

// Retracement: a horizontal line per level between the two points' rows
// (level 0 at point 2, level 1.0 at point 1), carried to the right edge.
class TFibbLine : public TSimpleLine {
public:
    TFibbLine() : TSimpleLine(GraphTypeId::FibbLine) {}

    bool HitTest(double y, double bar) const override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    // The row of a level (r = 0.618 for 61.8%).
    int LevelRow(double level) const;

protected:
    std::vector<QLine> Outline(const TGraphArea &area) const override;
};

// Fan: lines from the left point through the ratios of the rise to the
// right point, carried to the area's top or bottom.
class TFibbFan : public TSimpleLine {
public:
    TFibbFan() : TSimpleLine(GraphTypeId::FibbFan) {}

    bool HitTest(double y, double bar) const override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    // The fan's lines (without the base between the points).
    std::vector<QLine> FanLines(const TGraphArea &area) const;

protected:
    std::vector<QLine> Outline(const TGraphArea &area) const override;
};

// Arcs: half ellipses around point 2 with the ratios of the points'
// distance as radii, upright on screens with non-square pixels.
class TFibbArc : public TSimpleLine {
public:
    static constexpr int MaxSpan = 20480;  // pixels; beyond it nothing is drawn

    TFibbArc() : TSimpleLine(GraphTypeId::FibbArc) {}

    bool HitTest(double y, double bar) const override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    // Horizontal radii of the three arcs (0 when none is drawn).
    std::array<int, 3> Radii() const;
    double Aspect() const;
    bool UpperHalf() const;   // point 2 below point 1 on the screen

protected:
    std::vector<QLine> Outline(const TGraphArea &area) const override;
};
