#include "cmlistview.h"

#include <algorithm>

#include <QHeaderView>
#include <QTimer>

#include "languagetables.h"
#include "listrowdelegate.h"
#include "smartcompare.h"

TCMListView::TCMListView(QWidget *parent)
    : QTreeView(parent), rowModel(new TListRowModel(this)), delegate(new TListRowDelegate(this))
{
    setModel(rowModel);
    setItemDelegate(delegate);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);

    connect(rowModel, &TListRowModel::footerChanged, this, &TCMListView::spanFooter);
    connect(rowModel, &QAbstractItemModel::rowsInserted, this, [this] {
        spanFooter();
        scheduleAutoSize();
    });
    connect(rowModel, &QAbstractItemModel::dataChanged, this, &TCMListView::scheduleAutoSize);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        TListRow *row = rowModel->Row(index.row());
        if (row && !row->IsFooter())
            emit rowActivated(row);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit selectedRowChanged(SelectedRow()); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectedRowChanged(SelectedRow()); });
}

TCMListView::~TCMListView()
{
    // The records must not keep pointers into rows that are going away.
    if (attached && detachList)
        detachList();
    // The base classes' destruction must not call back into this one.
    selectionModel()->disconnect(this);
    rowModel->disconnect(this);
}

void TCMListView::SetColumns(std::vector<TListColumn> columns)
{
    rowModel->SetColumns(std::move(columns));
    RetranslateColumns();
    for (int c = 0; c < int(rowModel->Columns().size()); ++c) {
        const TListColumn &col = rowModel->Columns()[size_t(c)];
        setColumnWidth(c, col.autoSize ? std::max(col.minWidth, 1) : col.width);
    }
    AutoSizeColumns();
}

void TCMListView::RetranslateColumns()
{
    QStringList texts;
    for (const TListColumn &c : rowModel->Columns())
        texts.append(CaptionTextIn(IsEnglish(), c.captionIndex));
    rowModel->SetHeaderTexts(texts);
    AutoSizeColumns();
}

void TCMListView::SetSmallImages(std::vector<QIcon> images) { rowModel->SetImages(std::move(images)); }

void TCMListView::SetDataList(std::function<void(TRowView *)> attach, std::function<void()> detach)
{
    attachList = std::move(attach);
    detachList = std::move(detach);
}

void TCMListView::Attach()
{
    if (attached)
        return;
    if (hasFooter)
        rowModel->AddFooter();
    attached = true;
    if (attachList)
        attachList(this);
    AutoSizeColumns();
}

void TCMListView::Detach()
{
    if (!attached)
        return;
    attached = false;
    if (detachList)
        detachList();
    rowModel->DeleteAll();
}

TRowItem *TCMListView::AddRow() { return rowModel->AddRow(); }

TListRow *TCMListView::AddFooter()
{
    hasFooter = true;
    return rowModel->AddFooter();
}

void TCMListView::DeleteRow(TRowItem *row) { rowModel->DeleteRow(static_cast<TListRow *>(row)); }

void TCMListView::DeleteRowsButFooter()
{
    BeginUpdate();
    rowModel->DeleteRowsButFooter();
    EndUpdate();
}

TRowItem *TCMListView::FooterRow() { return hasFooter ? rowModel->FooterRow() : nullptr; }

void TCMListView::BeginUpdate()
{
    if (updateDepth++ == 0)
        setUpdatesEnabled(false);
}

void TCMListView::EndUpdate()
{
    if (updateDepth == 0 || --updateDepth > 0)
        return;
    setUpdatesEnabled(true);
    AutoSizeColumns();
}

void TCMListView::Repaint() { viewport()->update(); }

void TCMListView::ShowRow(TRowItem *item)
{
    auto *row = static_cast<TListRow *>(item);
    if (!row || row->Index() < 0 || row->IsFooter())
        return;
    const QModelIndex index = rowModel->index(row->Index(), 0);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    Repaint();
}

TListRow *TCMListView::SelectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return nullptr;
    TListRow *row = rowModel->Row(selected.first().row());
    return row && !row->IsFooter() ? row : nullptr;
}

TUserViewObject *TCMListView::SelectedRecord() const
{
    const TListRow *row = SelectedRow();
    return row ? row->Data() : nullptr;
}

void TCMListView::scheduleAutoSize()
{
    if (autoSizePending)
        return;
    autoSizePending = true;
    QTimer::singleShot(0, this, [this] { AutoSizeColumns(); });
}

void TCMListView::AutoSizeColumns()
{
    autoSizePending = false;
    const QFontMetrics metrics(font());
    const QFontMetrics headerMetrics(header()->font());
    const auto &columns = rowModel->Columns();
    for (int c = 0; c < int(columns.size()); ++c) {
        const TListColumn &col = columns[size_t(c)];
        if (!col.autoSize) {
            setColumnWidth(c, col.width);
            continue;
        }
        int width = headerMetrics.horizontalAdvance(rowModel->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    2 * TListRowDelegate::TextPadding;
        for (int r = 0; r < rowModel->RowCount(); ++r) {
            const TListRow *row = rowModel->Row(r);
            if (row->IsFooter())
                continue;  // spans the row; it does not widen a column
            const QFontMetrics rowMetrics = RowFont ? QFontMetrics(RowFont(*row, font())) : metrics;
            // +2: elision measures in fractions of a pixel.
            int w = rowMetrics.horizontalAdvance(rowModel->CellText(r, c)) + 2 * TListRowDelegate::TextPadding + 2;
            if (c == 0 && row->Image() >= 0)
                w += TListRowDelegate::IconLeft + iconSize().width();
            width = std::max(width, w);
        }
        width = std::max(width, col.minWidth);
        if (col.maxWidth > 0)
            width = std::min(width, col.maxWidth);
        if (columnWidth(c) != width)
            setColumnWidth(c, width);
    }
}

void TCMListView::spanFooter()
{
    for (int r = 0; r < rowModel->RowCount(); ++r)
        setFirstColumnSpanned(r, QModelIndex(), rowModel->Row(r)->IsFooter());
}

void TCMListView::SortBy(int column, bool ascending, bool smart, RowCompare compare)
{
    const int direction = ascending ? 1 : -1;
    const auto text = [column](const TListRow &r) { return column <= 0 ? r.Caption() : r.SubItem(column - 1); };
    rowModel->SortRows([&](const TListRow &a, const TListRow &b) {
        const int c = compare ? compare(a, b, column)
                              : (smart ? SmartCompare(text(a), text(b)) : PlainCompare(text(a), text(b)));
        return c * direction < 0;
    });
    spanFooter();
}

void TCMListView::focusInEvent(QFocusEvent *e)
{
    QTreeView::focusInEvent(e);
    viewport()->update();  // the selection colour shows only with the focus
}

void TCMListView::focusOutEvent(QFocusEvent *e)
{
    QTreeView::focusOutEvent(e);
    viewport()->update();
}
