#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

#include "listcolumn.h"
#include "rowview.h"

class TListRowModel;

// One row of a list control as its record writes it.
class TListRow : public TRowItem {
public:
    explicit TListRow(TListRowModel &model, bool footer) : model(model), footer(footer) {}
    void SetCaption(const QString &text) override;
    void SetImage(int index) override;
    void SetSubItem(int column, const QString &text) override;
    void SetData(TUserViewObject *record) override { data = record; }

    QString Caption() const { return caption; }
    int Image() const { return image; }
    QString SubItem(int column) const { return column >= 0 && column < sub.size() ? sub[column] : QString(); }
    TUserViewObject *Data() const { return data; }
    bool IsFooter() const { return footer; }
    int Index() const { return index; }

private:
    friend class TListRowModel;
    TListRowModel &model;
    QString caption;
    int image = -1;
    QStringList sub;
    TUserViewObject *data = nullptr;
    bool footer = false;
    int index = -1;
};

// The rows of a list control in display order; the footer, when there is
// one, is always the last. Only the cells that really changed are reported.
class TListRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { FooterRole = Qt::UserRole + 1, ImageIndexRole };

    explicit TListRowModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    void SetColumns(std::vector<TListColumn> columns);
    const std::vector<TListColumn> &Columns() const { return columns; }
    // Widens a column's upper limit (an auto-sized column whose design limit
    // is too narrow for its texts in the font of this machine).
    void SetColumnMaxWidth(int column, int maxWidth)
    {
        if (column >= 0 && column < int(columns.size()))
            columns[size_t(column)].maxWidth = maxWidth;
    }
    void SetHeaderTexts(const QStringList &texts);
    void SetImages(std::vector<QIcon> images);
    const std::vector<QIcon> &Images() const { return images; }

    TListRow *AddRow();
    TListRow *AddFooter();  // none when the footer exists
    void DeleteRow(TListRow *row);
    void DeleteRowsButFooter();
    void DeleteAll();
    TListRow *FooterRow() const;
    int RowCount() const { return int(rows.size()); }
    TListRow *Row(int i) const { return i >= 0 && i < RowCount() ? rows[size_t(i)].get() : nullptr; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Reorders the rows (the footer stays last) with a strict weak order.
    void SortRows(const std::function<bool(const TListRow &, const TListRow &)> &less);

    // The text shown in a cell: the caption in column 0, else a sub-item.
    QString CellText(int row, int column) const;

signals:
    void footerChanged();

private:
    friend class TListRow;
    void cellChanged(TListRow *row, int column);
    void renumber(int from);

    std::vector<TListColumn> columns;
    QStringList headerTexts;
    std::vector<QIcon> images;
    std::vector<std::unique_ptr<TListRow>> rows;
};
