#pragma once

#include <memory>
#include <vector>

#include "rowview.h"

// A list view that keeps nothing: attached to a list, it makes the records
// write every column text, as the windows make them.
namespace fuzz {

class RowSink : public TRowView {
public:
    TRowItem *AddRow() override { return rows.emplace_back(std::make_unique<Row>()).get(); }
    void DeleteRow(TRowItem *row) override
    {
        std::erase_if(rows, [row](const std::unique_ptr<Row> &r) { return r.get() == row; });
    }
    void DeleteRowsButFooter() override { rows.clear(); }
    TRowItem *FooterRow() override { return &footer; }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Repaint() override {}
    void ShowRow(TRowItem *) override {}

private:
    struct Row : TRowItem {
        void SetCaption(const QString &) override {}
        void SetImage(int) override {}
        void SetSubItem(int, const QString &) override {}
        void SetData(TUserViewObject *) override {}
    };
    std::vector<std::unique_ptr<Row>> rows;
    Row footer;
};

} // namespace fuzz
