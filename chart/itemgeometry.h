#pragma once

#include <initializer_list>

#include <QPoint>
#include <QRect>
#include <QRegion>

class QPainter;

// Geometry shared by the drawn items: the Fibonacci tables, the segment hit
// test, selection handles and the thin regions the overlay repaints.
namespace ItemGeometry {

// Retracement levels; fans and arcs use the third to fifth of them.
constexpr double RetracementLevels[9] = {0, 0.236, 0.382, 0.5, 0.618, 1.0, 1.618, 2.618, 4.236};
constexpr double FanRatios[3] = {0.382, 0.5, 0.618};

// Whether (px, py) lies within `tolerance` of the segment (x1, y1)-(x2, y2);
// a vertical or horizontal segment is a whole column or row, the extension
// flags let a slanted one go on past its left or right end.
bool SegmentHit(double px, double py, double x1, double y1, double x2, double y2,
                bool leftExtension, bool rightExtension, double tolerance);

// White 6 × 6 squares inverting what is under them, centred on each point.
void DrawHandles(QPainter &painter, std::initializer_list<QPoint> centres);
QRect HandleRect(QPoint centre);

// The pixels near a drawn segment (within `pad`), as a few rectangles
// along it: what the overlay repaints when it moves.
QRegion SegmentBand(QPoint a, QPoint b, int pad = 2);

// The end of a segment from `start` through `through`, carried on to the
// column x (the slope rounded as pixels).
QPoint ExtendToColumn(QPoint start, QPoint through, int x);

} // namespace ItemGeometry
