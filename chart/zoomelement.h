#pragma once

#include "drawedelement.h"

// The zoom tool's rectangle: placed like any item, it zooms into the
// rectangle on release and goes; it never joins an area.
class TZoomElement : public TGraphItem {
public:
    TZoomElement();

    QPoint Corner1;  // area pixels
    QPoint Corner2;

    void SetPoint(QPoint previous, QPoint current) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
    // Zooms when the rectangle spans at least two bars; then it is freed.
    void Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint p) override;
    QRect OverlayBounds(const TGraphArea &area) const override;
    QRegion OverlayRegion(const TGraphArea &area) const override;
    // Not stored: a zoom rectangle never becomes part of a chart.
};
