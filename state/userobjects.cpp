#include "userobjects.h"

#include <stdexcept>

#include "forexexception.h"
#include "languagetables.h"

// ---- TUserViewObject

TUserViewObject::~TUserViewObject()
{
    if (Item && RowIsOwned && Owner && Owner->View)
        Owner->View->DeleteRow(Item);
}

void TUserViewObject::FillItem(TRowItem *row)
{
    Item = row;
    if (row)
        row->SetData(this);
}

void TUserViewObject::LoadFrom(std::span<const uint8_t>) { ShowInView(); }

void TUserViewObject::ShowInView()
{
    if (!Owner || !Owner->View)
        return;
    if (!Item)
        FillItem(Owner->View->AddRow());
    else
        RefreshItem();
}

void TUserViewObject::RequireSize(std::span<const uint8_t> data, size_t size)
{
    if (data.size() < size)
        throw EForexException(MessageText(25));
}

TClientLists *TUserViewObject::Lists() const { return Owner ? Owner->ClientLists : nullptr; }

// ---- TSortedObjectList

TSortedObjectList::~TSortedObjectList() { TSortedObjectList::Clear(); }

bool TSortedObjectList::FindIndex(qint32 id, int &index) const
{
    size_t low = 0, high = items.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const qint32 midId = items[mid]->Id;
        if (midId < id)
            low = mid + 1;
        else if (midId > id)
            high = mid;
        else {
            index = int(mid);
            return true;
        }
    }
    index = int(low);
    return false;
}

TUserBaseobject *TSortedObjectList::Find(qint32 id) const
{
    int index = 0;
    return FindIndex(id, index) ? items[size_t(index)].get() : nullptr;
}

int TSortedObjectList::Add(std::unique_ptr<TUserBaseobject> record)
{
    if (!record)
        return -1;
    int index = 0;
    if (FindIndex(record->Id, index))
        throw std::runtime_error("try add duplicate item");
    items.insert(items.begin() + index, std::move(record));
    return index;
}

void TSortedObjectList::Remove(TUserBaseobject *record)
{
    if (!record)
        return;
    int index = 0;
    if (FindIndex(record->Id, index) && items[size_t(index)].get() == record)
        Delete(index);
}

void TSortedObjectList::Delete(int index)
{
    if (index < 0 || size_t(index) >= items.size())
        return;
    // Out of the list first, then freed: a destructor sees a consistent list.
    std::unique_ptr<TUserBaseobject> record = std::move(items[size_t(index)]);
    items.erase(items.begin() + index);
    record.reset();
}

void TSortedObjectList::Clear()
{
    std::deque<std::unique_ptr<TUserBaseobject>> old;
    old.swap(items);
    old.clear();
}

// ---- TUserBaseList

TUserBaseList::~TUserBaseList()
{
    // Records delete their rows while the list still knows its view.
    Clear();
}

void TUserBaseList::AttachView(TRowView *view)
{
    DetachView();
    View = view;
    if (!view)
        return;
    view->DeleteRowsButFooter();
    view->BeginUpdate();
    for (auto &record : items)
        static_cast<TUserViewObject *>(record.get())->FillItem(view->AddRow());
    view->EndUpdate();
}

void TUserBaseList::DetachView()
{
    View = nullptr;
    for (auto &record : items)
        static_cast<TUserViewObject *>(record.get())->Item = nullptr;
}

void TUserBaseList::ShowItem(TRowItem *row)
{
    if (View && row)
        View->ShowRow(row);
}
