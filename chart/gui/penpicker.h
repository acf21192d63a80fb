#pragma once

#include <QComboBox>
#include <QStyledItemDelegate>

// Selects the item of `box` whose data is `value`. A value none of the
// first `listed` items has gets an entry of its own after them (replacing
// an earlier one), shown as `text`.
void SelectByData(QComboBox *box, int value, int listed, const QString &text);

// A pen style picker (items "1" to "5": styles 0 to 4) or width picker
// (items "1" to "4": widths 1 to 4). Every item, and the closed box, shows a
// sample line instead of its text. A value the list does not have gets an
// entry of its own, so a picker left alone gives back what it got.
class TPenPicker : public QComboBox {
    Q_OBJECT
public:
    enum Kind { Style, Width };

    explicit TPenPicker(Kind kind, QWidget *parent = nullptr);

    Kind PickerKind() const { return kind; }
    void SetValue(int value);   // a pen style or a pen width
    int Value() const;

    // A sample of `value` across the middle of `rect`, 10 pixels in from
    // its left and 12 from its right.
    static void DrawSample(QPainter &painter, const QRect &rect, Kind kind, int value, const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind kind;
};

// Draws the items of a pen picker: the sample line, black, white on the
// selection.
class TPenSampleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TPenSampleDelegate(TPenPicker::Kind kind, QObject *parent) : QStyledItemDelegate(parent), kind(kind) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TPenPicker::Kind kind;
};
