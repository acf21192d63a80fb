#include "chartdraw.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>

QColor toQColor(TColor c)
{
    if ((c & 0xFF000000u) == 0x80000000u) {
        // The few system colours the chart uses; the rest read as grey.
        switch (c & 0xFF) {
        case 0x0F: return QColor(0xF0, 0xF0, 0xF0);  // button face
        case 0x10: return QColor(0xA0, 0xA0, 0xA0);  // button shadow
        case 0x14: return QColor(0xFF, 0xFF, 0xFF);  // button highlight
        case 0x05: return QColor(0xFF, 0xFF, 0xFF);  // window
        case 0x08: return QColor(0x00, 0x00, 0x00);  // window text
        default: return QColor(0xC0, 0xC0, 0xC0);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor fromQColor(const QColor &c)
{
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

Qt::PenStyle toQtPenStyle(int style)
{
    switch (style) {
    case 0: return Qt::SolidLine;
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QPen chartPen(TColor color, int style, int width)
{
    QPen pen(toQColor(color));
    pen.setStyle(toQtPenStyle(style));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (width <= 1) {
        pen.setWidth(0);  // cosmetic one pixel
    } else {
        pen.setWidth(width > 64 ? 64 : width);
    }
    pen.setCosmetic(true);
    return pen;
}

QFont chartFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    f.setBold(false);
    return f;
}

void drawSegment(QPainter &p, QPoint a, QPoint b)
{
    if (a == b)
        return;
    if (std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1) {
        p.drawPoint(a);
        return;
    }
    // A thin solid line along a row or a column is a one-pixel rectangle:
    // the raster engine fills it as one span, where its line stroker hands
    // out pixel by pixel (and farms long lines out to threads when they are
    // inverted, which makes every mouse move of a dragged item slow).
    const QPen &pen = p.pen();
    if ((a.x() == b.x() || a.y() == b.y()) && pen.style() == Qt::SolidLine && pen.widthF() <= 1 &&
        pen.brush().style() == Qt::SolidPattern && !p.testRenderHint(QPainter::Antialiasing)) {
        // The pixels of the flat-capped line: from the smaller end up to,
        // not including, the larger one, whichever way it was drawn.
        const QRect r = a.y() == b.y()
            ? QRect(std::min(a.x(), b.x()), a.y(), std::abs(a.x() - b.x()), 1)
            : QRect(a.x(), std::min(a.y(), b.y()), 1, std::abs(a.y() - b.y()));
        p.fillRect(r, pen.color());
        return;
    }
    p.drawLine(a, b);
}

void drawSegment(QPainter &p, int x1, int y1, int x2, int y2)
{
    drawSegment(p, QPoint(x1, y1), QPoint(x2, y2));
}

QRect boxRect(int x1, int y1, int x2, int y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

void drawBox(QPainter &p, int x1, int y1, int x2, int y2)
{
    const QRect r = boxRect(x1, y1, x2, y2);
    if (r.isEmpty())
        return;
    if (p.brush().style() != Qt::NoBrush)
        p.fillRect(r, p.brush());
    if (p.pen().style() != Qt::NoPen) {
        if (r.width() == 1 || r.height() == 1)
            p.drawLine(r.topLeft(), r.bottomRight());
        else
            p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

namespace {
// Pixel positions far outside any screen still draw the visible part of a
// line nearly right, and stay far from int overflow in later arithmetic.
constexpr double PixelLimit = 1 << 24;
}

int roundPixel(double v)
{
    if (std::isnan(v))
        return 0;
    if (v > PixelLimit)
        return int(PixelLimit);
    if (v < -PixelLimit)
        return -int(PixelLimit);
    return int(std::nearbyint(v));
}

int roundInt(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = std::nearbyint(v);
    if (r >= 2147483647.0)
        return 2147483647;
    if (r <= -2147483648.0)
        return -2147483647 - 1;
    return int(r);
}
