#include "textview.h"

#include <algorithm>

class TTextView::Row : public TRowItem {
public:
    void SetCaption(const QString &text) override { caption = text; }
    void SetImage(int) override {}
    void SetSubItem(int column, const QString &text) override
    {
        if (column < 0)
            return;
        while (sub.size() <= column)
            sub.append(QString());
        sub[column] = text;
    }
    void SetData(TUserViewObject *) override {}

    QString caption;
    QStringList sub;
};

TTextView::TTextView(bool withFooter)
{
    if (withFooter)
        footer = std::make_unique<Row>();
}

TTextView::~TTextView() = default;

TRowItem *TTextView::AddRow()
{
    rows.push_back(std::make_unique<Row>());
    return rows.back().get();
}

void TTextView::DeleteRow(TRowItem *row)
{
    rows.erase(std::remove_if(rows.begin(), rows.end(), [row](const auto &r) { return r.get() == row; }), rows.end());
}

void TTextView::DeleteRowsButFooter() { rows.clear(); }

TRowItem *TTextView::FooterRow() { return footer.get(); }

QStringList TTextView::Lines() const
{
    QStringList lines;
    for (const auto &row : rows)
        lines << (QStringList{row->caption} + row->sub).join(QLatin1Char('\t'));
    return lines;
}

QString TTextView::FooterText() const { return footer ? footer->caption : QString(); }
