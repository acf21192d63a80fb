#pragma once

#include <cstdint>

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QRect>

class QPainter;

// A colour as stored in element records: 0x00BBGGRR (0x0000FF is red).
// Values with the high byte 0x80 name a system colour (index in the low byte).
using TColor = uint32_t;

namespace ChartColors {
constexpr TColor Black = 0x000000;
constexpr TColor White = 0xFFFFFF;
constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x008000;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Silver = 0xC0C0C0;
// System colours an element may carry.
constexpr TColor BtnFace = 0x8000000F;
constexpr TColor BtnShadow = 0x80000010;
constexpr TColor BtnHighlight = 0x80000014;
} // namespace ChartColors

QColor toQColor(TColor c);
TColor fromQColor(const QColor &c);

// Stored pen styles: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot,
// 5 no line; anything else draws solid.
Qt::PenStyle toQtPenStyle(int style);

// A cosmetic pen with flat caps: widths below 1 draw one pixel wide, very
// wide pens are capped so a damaged record cannot stall the painter.
QPen chartPen(TColor color, int style = 0, int width = 1);

// The chart's text font: the application's sans-serif at 8 points.
QFont chartFont();

// Line primitives with the end pixel excluded, as the element geometry is
// written: a segment one pixel long is a point, a zero-length one nothing.
void drawSegment(QPainter &p, QPoint a, QPoint b);
void drawSegment(QPainter &p, int x1, int y1, int x2, int y2);
// A rectangle covering [x1, x2) × [y1, y2) after normalising the corners:
// filled with the brush, outlined with the pen; nothing when empty.
void drawBox(QPainter &p, int x1, int y1, int x2, int y2);
// The pixels a box covers, [x1, x2) × [y1, y2) in either corner order; an
// empty rectangle when it has no width or no height.
QRect boxRect(int x1, int y1, int x2, int y2);

// Rounds halves to the even neighbour and clips to a range where pixel
// arithmetic cannot overflow; not-a-number gives 0.
int roundPixel(double v);
// Same rounding, clipped to the int32 range (bar indexes, counts).
int roundInt(double v);
