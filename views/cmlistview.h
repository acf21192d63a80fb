#pragma once

#include <functional>
#include <vector>

#include <QTreeView>

#include "listcolumn.h"
#include "listrowmodel.h"
#include "rowview.h"

class TListRowDelegate;

// The report list of every account window: rows bound to one data list, an
// optional footer row that stays last and spans the row, striped rows. The
// windows never sort by column click; SortBy is there for callers that do.
class TCMListView : public QTreeView, public TRowView {
    Q_OBJECT
public:
    explicit TCMListView(QWidget *parent = nullptr);
    ~TCMListView() override;

    void SetColumns(std::vector<TListColumn> columns);
    // Header captions from the language table (again after a language switch).
    Q_INVOKABLE void RetranslateColumns();
    void SetSmallImages(std::vector<QIcon> images);
    void SetHasFooter(bool on) { hasFooter = on; }
    bool HasFooter() const { return hasFooter; }

    // The data list binding: attach fills the rows, detach forgets them.
    void SetDataList(std::function<void(TRowView *)> attach, std::function<void()> detach);
    void Attach();
    void Detach();
    bool Attached() const { return attached; }

    // TRowView
    TRowItem *AddRow() override;
    void DeleteRow(TRowItem *row) override;
    void DeleteRowsButFooter() override;
    TRowItem *FooterRow() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void Repaint() override;
    void ShowRow(TRowItem *row) override;

    TListRow *AddFooter();
    void ClearRows() { DeleteRowsButFooter(); }
    TListRowModel &Rows() { return *rowModel; }
    int RowCount() const { return rowModel->RowCount(); }
    TListRow *Row(int i) const { return rowModel->Row(i); }
    // The selected row, never the footer; its record.
    TListRow *SelectedRow() const;
    TUserViewObject *SelectedRecord() const;

    // Column widths from their texts, clamped to each column's limits.
    void AutoSizeColumns();
    // The font a row is drawn in when its delegate changes it (unread mail
    // in bold), so that the widths fit what is drawn; unset: the view's font.
    std::function<QFont(const TListRow &row, const QFont &base)> RowFont;
    // Orders the rows (footer stays last) by a column: captions for 0,
    // sub-items after; smart or plain comparison, or the owner's.
    using RowCompare = std::function<int(const TListRow &, const TListRow &, int column)>;
    void SortBy(int column, bool ascending, bool smart = true, RowCompare compare = nullptr);

signals:
    // A double click or Enter on a row (never the footer).
    void rowActivated(TListRow *row);
    void selectedRowChanged(TListRow *row);

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void scheduleAutoSize();
    void spanFooter();

    TListRowModel *rowModel;
    TListRowDelegate *delegate;
    bool hasFooter = false;
    bool attached = false;
    bool autoSizePending = false;
    int updateDepth = 0;
    std::function<void(TRowView *)> attachList;
    std::function<void()> detachList;
};
