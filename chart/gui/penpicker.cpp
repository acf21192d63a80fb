#include "penpicker.h"

#include <algorithm>

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "chartdraw.h"

namespace {
constexpr int kStyleItems = 5;  // styles 0..4
constexpr int kWidthItems = 4;  // widths 1..4
} // namespace

TPenPicker::TPenPicker(Kind k, QWidget *parent) : QComboBox(parent), kind(k)
{
    const int items = kind == Style ? kStyleItems : kWidthItems;
    for (int i = 0; i < items; ++i)
        addItem(QString::number(i + 1), kind == Style ? i : i + 1);
    setItemDelegate(new TPenSampleDelegate(kind, this));
    setCurrentIndex(0);
}

void SelectByData(QComboBox *box, int value, int listed, const QString &text)
{
    int index = box->findData(value);
    if (index < 0 || index >= listed) {
        while (box->count() > listed)
            box->removeItem(listed);
        box->addItem(text, value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

void TPenPicker::SetValue(int value)
{
    SelectByData(this, value, kind == Style ? kStyleItems : kWidthItems,
                 QString::number(kind == Style ? value + 1 : value));
}

int TPenPicker::Value() const
{
    return currentIndex() >= 0 ? currentData().toInt() : (kind == Style ? 0 : 1);
}

void TPenPicker::DrawSample(QPainter &painter, const QRect &rect, Kind kind, int value, const QColor &color)
{
    QPen pen(color);
    if (kind == Style) {
        pen.setStyle(toQtPenStyle(value));
    } else {
        // Wider than the item it cannot show anyway.
        pen.setWidth(std::clamp(value, 1, std::max(1, rect.height() - 2)));
    }
    pen.setCapStyle(Qt::FlatCap);
    painter.save();
    painter.setPen(pen);
    const int y = rect.top() + rect.height() / 2;
    painter.drawLine(rect.left() + 10, y, rect.right() - 12, y);
    painter.restore();
}

void TPenPicker::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawSample(painter, field, kind, Value(), isEnabled() ? Qt::black : Qt::gray);
}

void TPenSampleDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem background(option);
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : nullptr;
    if (style)
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
    const bool selected = option.state & QStyle::State_Selected;
    TPenPicker::DrawSample(*painter, option.rect, kind, index.data(Qt::UserRole).toInt(),
                           selected ? Qt::white : Qt::black);
}
