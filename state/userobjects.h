#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include <QtGlobal>

#include "rowview.h"

class TClientLists;
class TUserBaseList;

// Root of every record kept in a sorted list: the numeric sort key.
class TUserBaseobject {
public:
    TUserBaseobject() = default;
    explicit TUserBaseobject(qint32 id) : Id(id) {}
    virtual ~TUserBaseobject() = default;
    TUserBaseobject(const TUserBaseobject &) = delete;
    TUserBaseobject &operator=(const TUserBaseobject &) = delete;

    qint32 Id = 0;
};

// A record that shows itself as one row of its list's view.
class TUserViewObject : public TUserBaseobject {
public:
    explicit TUserViewObject(TUserBaseList *owner) : Owner(owner) {}
    // Deletes the record's row from its list's view.
    ~TUserViewObject() override;

    // Rewrites the row's changing columns (nothing while there is no row).
    virtual void RefreshItem() = 0;
    // Binds the record to a new row and writes all its columns.
    virtual void FillItem(TRowItem *row);
    // Reads the record from its wire layout, then shows it: a new row when
    // the list has a view and the record none yet, else a refresh. Raises
    // "Not valid packet is recieved" when the data is shorter than the layout.
    virtual void LoadFrom(std::span<const uint8_t> data);

    TUserBaseList *Owner = nullptr;
    TRowItem *Item = nullptr;

protected:
    // The base step that ends every load.
    void ShowInView();
    // Size check of a wire layout.
    static void RequireSize(std::span<const uint8_t> data, size_t size);
    // Data of the client this record belongs to (none for a list on its own).
    TClientLists *Lists() const;

    // False for a record bound to a view's footer row, which is not its own.
    bool RowIsOwned = true;
};

// An owning list of records in ascending order of Id (signed comparison);
// lookup is a binary search. Removing or clearing frees the records.
class TSortedObjectList {
public:
    TSortedObjectList() = default;
    virtual ~TSortedObjectList();
    TSortedObjectList(const TSortedObjectList &) = delete;
    TSortedObjectList &operator=(const TSortedObjectList &) = delete;

    int Count() const { return int(items.size()); }
    TUserBaseobject *At(int index) const { return items.at(size_t(index)).get(); }

    TUserBaseobject *Find(qint32 id) const;
    // True when a record with the id is present; index is where it is or
    // would be inserted.
    bool FindIndex(qint32 id, int &index) const;
    // Inserts in id order and returns the index. A duplicate id raises
    // "try add duplicate item"; the rejected record is freed.
    int Add(std::unique_ptr<TUserBaseobject> record);
    void Remove(TUserBaseobject *record);
    void Delete(int index);
    virtual void Clear();

protected:
    // A deque: records that arrive in descending id order go to the front
    // in constant time, as ascending ones go to the back.
    std::deque<std::unique_ptr<TUserBaseobject>> items;
};

// A sorted list of view records with the view (if any) that shows it.
class TUserBaseList : public TSortedObjectList {
public:
    explicit TUserBaseList(TClientLists *lists = nullptr) : ClientLists(lists) {}
    ~TUserBaseList() override;

    int Add(std::unique_ptr<TUserViewObject> record) { return TSortedObjectList::Add(std::move(record)); }
    TUserViewObject *Record(int index) const { return static_cast<TUserViewObject *>(At(index)); }

    // Detaches, then fills the view with one row per record in list order.
    virtual void AttachView(TRowView *view);
    // Forgets the view and every record's row.
    virtual void DetachView();
    // Selects the row and scrolls it into view, when there is a view and a row.
    void ShowItem(TRowItem *row);

    TRowView *View = nullptr;
    TClientLists *ClientLists = nullptr;
};

// Typed access to a list of one record class.
template <class T>
class TRecordList : public TUserBaseList {
public:
    using TUserBaseList::TUserBaseList;
    T *Item(int index) const { return static_cast<T *>(At(index)); }
    T *FindRecord(qint32 id) const { return static_cast<T *>(Find(id)); }
};
