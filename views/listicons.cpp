#include "listicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 16;

enum class Shape { Up, Down, Flat, Hollow, Coin, Group, Sum };

QIcon draw(Shape shape, QColor colour, bool selected = false)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (selected) {
        p.setPen(QPen(QColor(30, 30, 120), 1));
        p.setBrush(QColor(255, 255, 210));
        p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 3, 3);
    }
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    QPainterPath path;
    switch (shape) {
    case Shape::Up:
        path.moveTo(8, 2.5);
        path.lineTo(13.5, 11);
        path.lineTo(2.5, 11);
        path.closeSubpath();
        p.drawPath(path);
        break;
    case Shape::Down:
        path.moveTo(8, 13.5);
        path.lineTo(13.5, 5);
        path.lineTo(2.5, 5);
        path.closeSubpath();
        p.drawPath(path);
        break;
    case Shape::Flat:
        p.drawRoundedRect(QRectF(3, 6.5, 10, 3), 1, 1);
        break;
    case Shape::Hollow:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 4, 8, 8));
        break;
    case Shape::Coin:
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.setPen(QPen(Qt::white, 1.5));
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
        break;
    case Shape::Group:
        p.drawRect(QRectF(2.5, 2.5, 7, 7));
        p.drawRect(QRectF(6.5, 6.5, 7, 7));
        break;
    case Shape::Sum:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 2));
        path.moveTo(12, 3);
        path.lineTo(4, 3);
        path.lineTo(9, 8);
        path.lineTo(4, 13);
        path.lineTo(12, 13);
        p.drawPath(path);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

const QColor kRose(40, 160, 60);
const QColor kFell(200, 40, 40);
const QColor kSame(120, 120, 120);
const QColor kNever(150, 150, 150);
const QColor kAccount(40, 90, 190);

} // namespace

std::vector<QIcon> InstrumentIcons()
{
    std::vector<QIcon> icons;
    for (bool selected : {false, true}) {
        icons.push_back(draw(Shape::Up, kRose, selected));
        icons.push_back(draw(Shape::Down, kFell, selected));
        icons.push_back(draw(Shape::Flat, kSame, selected));
        icons.push_back(draw(Shape::Hollow, kNever, selected));
    }
    return icons;
}

std::vector<QIcon> PositionIcons()
{
    return {draw(Shape::Up, kRose),   draw(Shape::Down, kFell),  draw(Shape::Flat, kSame),
            draw(Shape::Flat, kSame), draw(Shape::Down, kFell.lighter(110)), draw(Shape::Up, kRose.lighter(110)),
            draw(Shape::Coin, kAccount)};
}

std::vector<QIcon> HistoryIcons()
{
    return {draw(Shape::Up, kRose), draw(Shape::Down, kFell), draw(Shape::Group, kAccount)};
}
