#include "listrowdelegate.h"

#include <QAbstractItemView>
#include <QPainter>

#include "listrowmodel.h"
#include "theme.h"

QColor TListRowDelegate::RowBackground(int row, bool footer, bool selected, bool listHasFocus,
                                       const QPalette &palette)
{
    if (footer)
        return ListFooterColor(palette);
    if (selected && listHasFocus)
        return palette.color(QPalette::Active, QPalette::Highlight);
    if (row % 2 == 1)
        return ListStripeColor(palette);
    return palette.color(QPalette::Base);
}

void TListRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const bool focused = view && view->hasFocus();
    const bool footer = index.data(TListRowModel::FooterRole).toBool();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QColor background = RowBackground(index.row(), footer, selected, focused, option.palette);
    const bool highlighted = !footer && selected && focused;

    painter->save();
    painter->fillRect(option.rect, background);
    QRect textRect = option.rect;
    if (index.column() == 0) {
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull()) {
            const QSize size = option.decorationSize.isValid() ? option.decorationSize : QSize(16, 16);
            const QRect iconRect(option.rect.left() + IconLeft, option.rect.top() + (option.rect.height() - size.height()) / 2,
                                 size.width(), size.height());
            icon.paint(painter, iconRect);
            textRect.setLeft(iconRect.right() + 1);
        }
    }
    textRect.adjust(TextPadding, 0, -TextPadding, 0);
    const QString text = index.data(Qt::DisplayRole).toString();
    const Qt::Alignment alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    painter->setPen(option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(textRect, int(alignment) | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

QSize TListRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), std::max(option.fontMetrics.height() + 4, 18)));
    return size;
}
