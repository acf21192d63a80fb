#include "listrowmodel.h"

#include <algorithm>

void TListRow::SetCaption(const QString &text)
{
    if (caption == text)
        return;
    caption = text;
    model.cellChanged(this, 0);
}

void TListRow::SetImage(int index)
{
    if (image == index)
        return;
    image = index;
    model.cellChanged(this, 0);
}

void TListRow::SetSubItem(int column, const QString &text)
{
    if (column < 0)
        return;
    if (column < sub.size() && sub[column] == text)
        return;
    while (sub.size() <= column)
        sub.append(QString());
    sub[column] = text;
    model.cellChanged(this, column + 1);
}

void TListRowModel::SetColumns(std::vector<TListColumn> newColumns)
{
    beginResetModel();
    columns = std::move(newColumns);
    headerTexts.clear();
    endResetModel();
}

void TListRowModel::SetHeaderTexts(const QStringList &texts)
{
    headerTexts = texts;
    if (!columns.empty())
        emit headerDataChanged(Qt::Horizontal, 0, int(columns.size()) - 1);
}

void TListRowModel::SetImages(std::vector<QIcon> newImages)
{
    images = std::move(newImages);
    if (!rows.empty())
        emit dataChanged(index(0, 0), index(RowCount() - 1, 0), {Qt::DecorationRole});
}

void TListRowModel::renumber(int from)
{
    for (int i = from; i < RowCount(); ++i)
        rows[size_t(i)]->index = i;
}

TListRow *TListRowModel::AddRow()
{
    const int at = FooterRow() ? RowCount() - 1 : RowCount();
    beginInsertRows({}, at, at);
    rows.insert(rows.begin() + at, std::make_unique<TListRow>(*this, false));
    renumber(at);
    endInsertRows();
    return rows[size_t(at)].get();
}

TListRow *TListRowModel::AddFooter()
{
    if (FooterRow())
        return nullptr;
    const int at = RowCount();
    beginInsertRows({}, at, at);
    rows.push_back(std::make_unique<TListRow>(*this, true));
    renumber(at);
    endInsertRows();
    emit footerChanged();
    return rows.back().get();
}

void TListRowModel::DeleteRow(TListRow *row)
{
    if (!row || row->index < 0 || row->index >= RowCount() || rows[size_t(row->index)].get() != row)
        return;
    const int at = row->index;
    const bool wasFooter = row->footer;
    beginRemoveRows({}, at, at);
    rows.erase(rows.begin() + at);
    renumber(at);
    endRemoveRows();
    if (wasFooter)
        emit footerChanged();
}

void TListRowModel::DeleteRowsButFooter()
{
    TListRow *footer = FooterRow();
    const int keep = footer ? 1 : 0;
    if (RowCount() <= keep)
        return;
    beginRemoveRows({}, 0, RowCount() - 1 - keep);
    rows.erase(rows.begin(), rows.end() - keep);
    renumber(0);
    endRemoveRows();
    if (footer)
        emit footerChanged();  // it moved to row 0
}

void TListRowModel::DeleteAll()
{
    if (rows.empty())
        return;
    const bool hadFooter = FooterRow() != nullptr;
    beginResetModel();
    rows.clear();
    endResetModel();
    if (hadFooter)
        emit footerChanged();
}

TListRow *TListRowModel::FooterRow() const
{
    return !rows.empty() && rows.back()->footer ? rows.back().get() : nullptr;
}

void TListRowModel::cellChanged(TListRow *row, int column)
{
    if (row->index < 0 || column >= columnCount())
        return;
    const QModelIndex cell = index(row->index, column);
    emit dataChanged(cell, cell);
}

int TListRowModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : RowCount(); }

int TListRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns.size());
}

QString TListRowModel::CellText(int row, int column) const
{
    const TListRow *r = Row(row);
    if (!r)
        return {};
    return column <= 0 ? r->caption : r->SubItem(column - 1);
}

QVariant TListRowModel::data(const QModelIndex &index, int role) const
{
    const TListRow *r = Row(index.row());
    if (!r)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(index.row(), index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && r->image >= 0 && size_t(r->image) < images.size())
            return images[size_t(r->image)];
        return {};
    case Qt::TextAlignmentRole: {
        if (r->footer || size_t(index.column()) >= columns.size())
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(columns[size_t(index.column())].alignment | Qt::AlignVCenter);
    }
    case FooterRole:
        return r->footer;
    case ImageIndexRole:
        return r->image;
    default:
        return {};
    }
}

QVariant TListRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return section < headerTexts.size() ? headerTexts[section] : QString();
    if (role == Qt::TextAlignmentRole)
        return int(columns[size_t(section)].alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TListRowModel::flags(const QModelIndex &index) const
{
    const TListRow *r = Row(index.row());
    if (!r)
        return Qt::NoItemFlags;
    // The footer is shown, never selected.
    return r->footer ? Qt::ItemIsEnabled : (Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

void TListRowModel::SortRows(const std::function<bool(const TListRow &, const TListRow &)> &less)
{
    const auto end = FooterRow() ? rows.end() - 1 : rows.end();
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<TListRow *> rowOf;
    for (const QModelIndex &i : before)
        rowOf.push_back(Row(i.row()));
    std::stable_sort(rows.begin(), end, [&](const auto &a, const auto &b) { return less(*a, *b); });
    renumber(0);
    QModelIndexList after;
    for (size_t k = 0; k < rowOf.size(); ++k)
        after.append(rowOf[k] ? index(rowOf[k]->index, before[qsizetype(k)].column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged();
}
