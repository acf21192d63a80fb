#include "itemgeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QPainter>

#include "chartdraw.h"

namespace ItemGeometry {

bool SegmentHit(double px, double py, double x1, double y1, double x2, double y2,
                bool leftExtension, bool rightExtension, double t)
{
    if (x1 == x2)
        return std::fabs(px - x1) <= t;
    if (y1 == y2)
        return std::fabs(py - y1) <= t;
    if (!leftExtension && px < std::min(x1, x2))
        return false;
    if (!rightExtension && px > std::max(x1, x2))
        return false;
    const double k = (y1 - y2) / (x2 - x1);
    return std::fabs((py - y2) / k - (x2 - px)) <= t || std::fabs((x2 - px) * k - (py - y2)) <= t;
}

QRect HandleRect(QPoint c)
{
    return QRect(c.x() - 3, c.y() - 3, 6, 6);
}

void DrawHandles(QPainter &painter, std::initializer_list<QPoint> centres)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (QPoint c : centres)
        painter.fillRect(HandleRect(c), Qt::white);
    painter.restore();
}

QRegion SegmentBand(QPoint a, QPoint b, int pad)
{
    // Longer pieces mean fewer rectangles to blit, shorter ones fewer
    // pixels; 64 keeps a screen-wide diagonal at a few dozen small ones.
    constexpr int Chunk = 64;
    const int64_t dx = int64_t(b.x()) - a.x(), dy = int64_t(b.y()) - a.y();
    const int64_t major = std::max(std::llabs(dx), std::llabs(dy));
    QRegion band;
    if (major <= Chunk || dx == 0 || dy == 0) {
        band += QRect(a, b).normalized().adjusted(-pad, -pad, pad + 1, pad + 1);
        return band;
    }
    // Beyond a few thousand pieces the region costs more than it saves.
    const int64_t pieces = std::min<int64_t>((major + Chunk - 1) / Chunk, 4096);
    QPoint from = a;
    for (int64_t i = 1; i <= pieces; ++i) {
        const QPoint to(int(a.x() + dx * i / pieces), int(a.y() + dy * i / pieces));
        band += QRect(from, to).normalized().adjusted(-pad, -pad, pad + 1, pad + 1);
        from = to;
    }
    return band;
}

QPoint ExtendToColumn(QPoint start, QPoint through, int x)
{
    const double dx = double(through.x()) - start.x();
    if (dx == 0)
        return through;
    const double slope = (double(through.y()) - start.y()) / dx;
    return QPoint(x, roundPixel(start.y() + slope * (double(x) - start.x())));
}

} // namespace ItemGeometry
