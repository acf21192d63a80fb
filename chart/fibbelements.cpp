#include "fibbelements.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include <QFontMetrics>
#include <QPainter>

#include "chartpanel.h"
#include "grapharea.h"
#include "itemgeometry.h"

using namespace ItemGeometry;

namespace {
bool selectedOrDragged(const TDrawedElement &e)
{
    return e.Has(ElementState::Selected) || e.Has(ElementState::Dragging);
}
} // namespace

// ---- TFibbLine

int TFibbLine::LevelRow(double level) const
{
    const int y1 = PixelOf(P1()).y(), y2 = PixelOf(P2()).y();
    const double span = double(y2) - y1;
    return roundPixel(y2 - double(roundPixel(span * level)));
}

bool TFibbLine::HitTest(double y, double bar) const
{
    if (!Shown())
        return false;
    if (std::fabs(y - PixelOf(P1()).y()) <= Tolerance())
        return true;
    return Has(ElementState::Selected) && SegmentHitBetweenPoints(BarToPixel(bar), y);
}

std::vector<QLine> TFibbLine::Outline(const TGraphArea &area) const
{
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    const int x = std::min(a.x(), b.x());
    std::vector<QLine> lines{QLine(a, b)};
    for (double level : RetracementLevels) {
        const int y = LevelRow(level);
        lines.emplace_back(x, y, area.Width(), y);
    }
    return lines;
}

void TFibbLine::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!Shown())
        return;
    PreparePen(painter);
    const QPen pen = painter.pen();
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    const int x = std::min(a.x(), b.x());
    const bool labels = !selectedOrDragged(*this);
    const QFontMetrics fm(painter.font());
    for (double level : RetracementLevels) {
        const int y = LevelRow(level);
        // The inverting pen of a drag stays solid: a dotted line inverted
        // pixel by pixel costs many times a solid one on every mouse move.
        QPen levelPen = pen;
        const bool solid = level == 0 || level == 1.0 || Has(ElementState::Dragging);
        levelPen.setStyle(solid ? Qt::SolidLine : toQtPenStyle(2));
        painter.setPen(levelPen);
        drawSegment(painter, x, y, area.Width(), y);
        if (labels) {
            const QString text = QString::asprintf("%.1f%%", level * 100);
            painter.setPen(toQColor(Color));
            painter.drawText(x - 10 - fm.horizontalAdvance(text), y - fm.height() / 2 + fm.ascent(), text);
        }
    }
    painter.setPen(pen);
    drawSegment(painter, a, b);
    RestorePen(painter);
    DrawSelectionHandles(painter);
}

// ---- TFibbFan

std::vector<QLine> TFibbFan::FanLines(const TGraphArea &area) const
{
    QPoint l = PixelOf(P1()), r = PixelOf(P2());
    if (r.x() < l.x())
        std::swap(l, r);
    const double dx = double(r.x()) - l.x();
    const double slope = dx == 0 ? 0 : (double(r.y()) - l.y()) / dx;
    const int edge = slope > 0 ? area.Height() : 0;
    if (r.x() == l.x())
        return {QLine(l, QPoint(r.x(), edge))};
    if (r.y() == l.y())
        return {QLine(l, QPoint(area.Width(), l.y()))};
    std::vector<QLine> lines;
    for (double ratio : FanRatios)
        lines.emplace_back(l, QPoint(roundPixel(l.x() + double(roundPixel((edge - l.y()) / (slope * ratio)))), edge));
    return lines;
}

std::vector<QLine> TFibbFan::Outline(const TGraphArea &area) const
{
    std::vector<QLine> lines = FanLines(area);
    lines.emplace_back(PixelOf(P1()), PixelOf(P2()));
    return lines;
}

bool TFibbFan::HitTest(double y, double bar) const
{
    const TGraphArea *area = Area();
    if (!Shown() || !area)
        return false;
    const double px = BarToPixel(bar);
    for (const QLine &l : FanLines(*area))
        if (SegmentHit(px, y, l.x1(), l.y1(), l.x2(), l.y2(), false, false, Tolerance()))
            return true;
    return selectedOrDragged(*this) && SegmentHitBetweenPoints(px, y);
}

void TFibbFan::Draw(QPainter &painter, const TGraphArea &area)
{
    if (!Shown())
        return;
    PreparePen(painter);
    for (const QLine &l : FanLines(area))
        drawSegment(painter, l.p1(), l.p2());
    if (selectedOrDragged(*this))
        drawSegment(painter, PixelOf(P1()), PixelOf(P2()));
    RestorePen(painter);
    DrawSelectionHandles(painter);
}

// ---- TFibbArc

double TFibbArc::Aspect() const
{
    const TChartPanel *panel = Panel();
    const double a = panel ? panel->PixelAspect() : 1.0;
    return a > 0 && std::isfinite(a) ? a : 1.0;
}

bool TFibbArc::UpperHalf() const
{
    return PixelOf(P2()).y() > PixelOf(P1()).y();
}

std::array<int, 3> TFibbArc::Radii() const
{
    std::array<int, 3> radii{};
    const QPoint a = PixelOf(P1()), b = PixelOf(P2());
    const int64_t dx = int64_t(b.x()) - a.x(), dy = int64_t(b.y()) - a.y();
    if (std::llabs(dx) + std::llabs(dy) > MaxSpan)
        return radii;
    const double d = std::hypot(double(dx), double(dy));
    for (size_t i = 0; i < radii.size(); ++i)
        radii[i] = roundPixel(d * FanRatios[i]);
    return radii;
}

bool TFibbArc::HitTest(double y, double bar) const
{
    if (!Shown())
        return false;
    const double px = BarToPixel(bar);
    const QPoint c = PixelOf(P2());
    const bool upper = UpperHalf();
    if (upper ? y <= c.y() : y >= c.y()) {
        const double dist = std::hypot(px - c.x(), (y - c.y()) / Aspect());
        for (int radius : Radii())
            if (radius > 0 && std::fabs(dist - radius) <= Tolerance())
                return true;
    }
    return Has(ElementState::Selected) && SegmentHitBetweenPoints(px, y);
}

std::vector<QLine> TFibbArc::Outline(const TGraphArea &) const
{
    constexpr int Steps = 24;
    const QPoint c = PixelOf(P2());
    const double sign = UpperHalf() ? -1 : 1;
    std::vector<QLine> lines{QLine(PixelOf(P1()), c)};
    for (int radius : Radii()) {
        if (radius <= 0)
            continue;
        const double ry = radius * Aspect();
        QPoint from(c.x() + radius, c.y());
        for (int i = 1; i <= Steps; ++i) {
            const double angle = std::numbers::pi * i / Steps;
            const QPoint to(roundPixel(c.x() + radius * std::cos(angle)),
                            roundPixel(c.y() + sign * ry * std::sin(angle)));
            lines.emplace_back(from, to);
            from = to;
        }
    }
    return lines;
}

void TFibbArc::Draw(QPainter &painter, const TGraphArea &)
{
    if (!Shown())
        return;
    const QPoint a = PixelOf(P1()), c = PixelOf(P2());
    const bool upper = UpperHalf();
    const std::array<int, 3> radii = Radii();
    PreparePen(painter);
    painter.setBrush(Qt::NoBrush);
    for (int radius : radii) {
        if (radius <= 0)
            continue;
        const int ry = roundPixel(radius * Aspect());
        painter.drawArc(QRect(c.x() - radius, c.y() - ry, 2 * radius, 2 * ry), upper ? 0 : 180 * 16, 180 * 16);
    }
    if (selectedOrDragged(*this))
        drawSegment(painter, a, c);
    RestorePen(painter);
    if (!Has(ElementState::Selected) || Has(ElementState::Dragging))
        return;
    DrawSelectionHandles(painter);
    for (int radius : radii) {
        if (radius <= 0)
            continue;
        const int ry = roundPixel(radius * Aspect());
        DrawHandles(painter, {QPoint(c.x() - radius, c.y()), QPoint(c.x() + radius, c.y()),
                              QPoint(c.x(), upper ? c.y() - ry : c.y() + ry)});
    }
}
