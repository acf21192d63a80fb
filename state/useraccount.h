#pragma once

#include <QString>

#include "userobjects.h"

class TListDeal;

// The account summary, owned by the position list and shown in the footer
// row of the positions view.
class TUserAccount : public TUserViewObject {
public:
    static constexpr size_t WireSize = 8;

    explicit TUserAccount(TListDeal *owner);

    // 0 i32 balance (cents), 4 i32 margin (cents); recomputed and shown,
    // then the account history footer is rewritten.
    void LoadFrom(std::span<const uint8_t> data) override;
    // Binds to the footer row, then refreshes.
    void FillItem(TRowItem *row) override;
    // Recomputes from the positions and rewrites the footer row.
    void RefreshItem() override;

    // Swap, equity, free margin and margin level from the positions.
    void Recompute();
    // " Balans: %.2f; Equty: %.2f; Free margin: %.2f" (free margin 0 when not positive).
    QString SummaryText() const;
    // 6 when the equity before the last recomputation was 0, else 4 when it
    // fell, 5 when it rose or stayed.
    int ImageIndex() const;

    double Balance = 0;
    double Margin = 0;
    double FreeMargin = 0;
    double Equity = 0;
    double TotalSwap = 0;
    double MarginLevel = 0;  // percent
    double PreviousEquity = 0;

private:
    TListDeal *deals;
};
