#include "mailicons.h"

#include <QPainter>
#include <QPixmap>

namespace {

// An envelope; open shows the flap raised, a dot marks a new one.
QIcon envelope(QColor paper, bool open, bool dot)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 90), 1));
    p.setBrush(paper);
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    if (open)
        p.drawPolyline(QPolygonF({QPointF(1.5, 4.5), QPointF(8, 0.5), QPointF(14.5, 4.5)}));
    p.drawPolyline(QPolygonF({QPointF(1.5, 4.5), QPointF(8, 9.5), QPointF(14.5, 4.5)}));
    if (dot) {
        p.setBrush(QColor(220, 40, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(10, 9, 6, 6));
    }
    p.end();
    return QIcon(pixmap);
}

QIcon tray()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(40, 90, 190), 1.5));
    p.drawPolyline(QPolygonF({QPointF(2, 8), QPointF(2, 13), QPointF(14, 13), QPointF(14, 8)}));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    p.end();
    return QIcon(pixmap);
}

} // namespace

std::vector<QIcon> MailIcons()
{
    const QColor paper(255, 250, 225);
    return {envelope(paper, false, true), QIcon(), envelope(Qt::white, true, false),
            envelope(paper, false, false), QIcon(), QIcon(), tray()};
}
