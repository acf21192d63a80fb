#include "zoomelement.h"

#include <cmath>
#include <cstdlib>

#include <QPainter>

#include "chartpanel.h"
#include "grapharea.h"

TZoomElement::TZoomElement() : TGraphItem(GraphTypeId::ZoomElement)
{
    PenStyle = 2;
}

void TZoomElement::SetPoint(QPoint, QPoint current)
{
    if (Has(ElementState::MovePoint1))
        Corner1 = current;
    if (Has(ElementState::MovePoint2))
        Corner2 = current;
}

void TZoomElement::Draw(QPainter &painter, const TGraphArea &)
{
    PreparePen(painter);
    const int x1 = std::min(Corner1.x(), Corner2.x()), x2 = std::max(Corner1.x(), Corner2.x());
    const int y1 = std::min(Corner1.y(), Corner2.y()), y2 = std::max(Corner1.y(), Corner2.y());
    // Four sides that never share a pixel, so the inverting pen leaves no
    // holes at the corners.
    if (x1 == x2 || y1 == y2) {
        if (x1 != x2 || y1 != y2)
            painter.drawLine(x1, y1, x2, y2);
    } else {
        painter.drawLine(x1, y1, x2 - 1, y1);
        painter.drawLine(x2, y1, x2, y2 - 1);
        painter.drawLine(x2, y2, x1 + 1, y2);
        painter.drawLine(x1, y2, x1, y1 + 1);
    }
    RestorePen(painter);
}

QRect TZoomElement::OverlayBounds(const TGraphArea &) const
{
    return QRect(Corner1, Corner2).normalized().adjusted(-1, -1, 2, 2);
}

QRegion TZoomElement::OverlayRegion(const TGraphArea &area) const
{
    const QRect r = OverlayBounds(area);
    if (r.width() <= 6 || r.height() <= 6)
        return QRegion(r);
    QRegion edges;
    edges += QRect(r.left(), r.top(), r.width(), 3);
    edges += QRect(r.left(), r.bottom() - 2, r.width(), 3);
    edges += QRect(r.left(), r.top(), 3, r.height());
    edges += QRect(r.right() - 2, r.top(), 3, r.height());
    return edges;
}

void TZoomElement::Place(std::unique_ptr<TDrawedElement> self, TGraphArea &area, QPoint)
{
    SetState(ElementState::Dragging, false);
    TChartPanel *panel = area.Panel;
    const TAxisTransform *t = Transform();
    const double width = std::abs(double(Corner2.x()) - Corner1.x());
    const double height = std::abs(double(Corner2.y()) - Corner1.y());
    if (t && OwnerAxis && width > 0 && height > 0 && t->Kx > 0 && width / t->Kx >= 2) {
        const int first = roundInt(t->XToBar(std::min(Corner1.x(), Corner2.x())));
        const int count = roundInt(width / t->Kx);
        panel->SetAxisScale(OwnerAxis, OwnerAxis->VScale * (area.Height() / height));
        panel->ZoomTo(first, count);
    } else {
        panel->Recalculate();
    }
    panel->Repaint();
    self.reset();  // the rectangle goes in every case
}
