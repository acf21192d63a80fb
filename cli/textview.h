#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

#include "rowview.h"

// A list view that keeps its rows as text, for printing: the caption and
// the sub-columns of every row, and an optional footer row.
class TTextView : public TRowView {
public:
    explicit TTextView(bool withFooter = false);
    ~TTextView() override;

    TRowItem *AddRow() override;
    void DeleteRow(TRowItem *row) override;
    void DeleteRowsButFooter() override;
    TRowItem *FooterRow() override;
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Repaint() override {}
    void ShowRow(TRowItem *) override {}

    // Each row as one line: caption and sub-columns separated by tabs.
    QStringList Lines() const;
    // The footer row's caption ("" without a footer).
    QString FooterText() const;

private:
    class Row;
    std::vector<std::unique_ptr<Row>> rows;
    std::unique_ptr<Row> footer;
};
