#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

#include "rowview.h"
#include "userobjects.h"

// A list view that records what the records write into it.
class RecordingRow : public TRowItem {
public:
    void SetCaption(const QString &text) override
    {
        caption = text;
        ++writes;
        note();
    }
    void SetImage(int index) override { image = index; }
    void SetSubItem(int column, const QString &text) override
    {
        if (column >= int(sub.size()))
            sub.resize(column + 1);
        sub[column] = text;
        written.push_back(column);
        ++writes;
        note();
    }
    void SetData(TUserViewObject *record) override { data = record; }

    QString col(int column) const { return column < int(sub.size()) ? sub[column] : QStringLiteral("<unset>"); }

    QString caption;
    int image = -100;  // never written
    QStringList sub;
    std::vector<int> written;  // sub-columns in the order they were written
    TUserViewObject *data = nullptr;
    int writes = 0;
    // Where a view with a journal notes which view was written to, in order.
    QStringList *journal = nullptr;
    QString viewName;

private:
    void note()
    {
        if (journal && (journal->isEmpty() || journal->back() != viewName))
            journal->append(viewName);
    }
};

class RecordingView : public TRowView {
public:
    explicit RecordingView(bool withFooter = false, QStringList *journal = nullptr, QString name = QString())
        : journal(journal), name(std::move(name))
    {
        if (withFooter)
            footer = newRow();
    }

    // A view detaches its list before it goes.
    ~RecordingView() override
    {
        if (list && list->View == this)
            list->DetachView();
    }
    void attach(TUserBaseList &l)
    {
        list = &l;
        l.AttachView(this);
    }

    TRowItem *AddRow() override
    {
        rows.push_back(newRow());
        return rows.back().get();
    }
    void DeleteRow(TRowItem *row) override
    {
        ++deletes;
        rows.erase(std::remove_if(rows.begin(), rows.end(), [row](const auto &r) { return r.get() == row; }),
                   rows.end());
    }
    void DeleteRowsButFooter() override { rows.clear(); }
    TRowItem *FooterRow() override { return footer.get(); }
    void BeginUpdate() override { ++updating; }
    void EndUpdate() override { --updating; }
    void Repaint() override { ++repaints; }
    void ShowRow(TRowItem *row) override { shown = row; }

    RecordingRow *row(int i) const { return rows.at(size_t(i)).get(); }
    RecordingRow *rowOf(const TUserViewObject *record) const
    {
        for (const auto &r : rows)
            if (r->data == record)
                return r.get();
        return nullptr;
    }
    int count() const { return int(rows.size()); }

    std::unique_ptr<RecordingRow> newRow() const
    {
        auto row = std::make_unique<RecordingRow>();
        row->journal = journal;
        row->viewName = name;
        return row;
    }

    TUserBaseList *list = nullptr;
    QStringList *journal = nullptr;
    QString name;
    std::vector<std::unique_ptr<RecordingRow>> rows;
    std::unique_ptr<RecordingRow> footer;
    int updating = 0;
    int repaints = 0;
    int deletes = 0;
    TRowItem *shown = nullptr;
};
