#pragma once

#include <QStyledItemDelegate>

// Paints the rows of a list control: striping, the footer across the whole
// row, the selection only while the list has the focus, icons 2 pixels from
// the left and 4 pixels of text padding.
class TListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int TextPadding = 4;
    static constexpr int IconLeft = 2;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The background a row gets: footer, selected (focused list only), stripe or none.
    static QColor RowBackground(int row, bool footer, bool selected, bool listHasFocus, const QPalette &palette);
};
