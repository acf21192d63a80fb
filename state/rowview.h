#pragma once

#include <QString>

class TUserViewObject;

// One row of a list view as the records see it: a caption, an image index
// and the texts of the sub-columns. Implemented by the list views (and by
// anything else that wants to show records, such as a text printer).
class TRowItem {
public:
    virtual ~TRowItem() = default;
    virtual void SetCaption(const QString &text) = 0;
    // -1 shows no image.
    virtual void SetImage(int index) = 0;
    // Sub-columns count from 0, the first column after the caption.
    virtual void SetSubItem(int column, const QString &text) = 0;
    // The record shown in the row (none for a footer row).
    virtual void SetData(TUserViewObject *record) = 0;
};

// A list view a record list can be attached to. Rows are owned by the view;
// a record keeps a pointer to its row until the row is deleted or the list
// is detached.
class TRowView {
public:
    virtual ~TRowView() = default;
    // A new empty row, placed before the footer row when there is one.
    virtual TRowItem *AddRow() = 0;
    virtual void DeleteRow(TRowItem *row) = 0;
    // Deletes every row except the footer row.
    virtual void DeleteRowsButFooter() = 0;
    // The footer row, or none when the view has no footer.
    virtual TRowItem *FooterRow() = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void Repaint() = 0;
    // Selects the row, scrolls it into view (partly visible is enough) and repaints.
    virtual void ShowRow(TRowItem *row) = 0;
};
