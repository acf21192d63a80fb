#include "useraccount.h"

#include "clientlists.h"
#include "languagetables.h"
#include "packet.h"

TUserAccount::TUserAccount(TListDeal *owner) : TUserViewObject(owner), deals(owner)
{
    // The footer row belongs to the view, not to the account.
    RowIsOwned = false;
}

void TUserAccount::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    Balance = qint32(GetU32(data.data())) / 100.0;
    Margin = qint32(GetU32(data.data() + 4)) / 100.0;
    // The account lives in the footer row, never in a row of its own: the
    // refresh recomputes and rewrites that row when it is bound.
    RefreshItem();
    if (TClientLists *lists = Lists())
        lists->AccountHistory.RewriteFooter();
}

void TUserAccount::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    RefreshItem();
}

void TUserAccount::Recompute()
{
    PreviousEquity = Equity;
    TotalSwap = deals ? deals->SumSwap() : 0.0;
    Equity = (deals ? deals->SumProfit() : 0.0) + Balance + TotalSwap;
    FreeMargin = Equity - Margin;
    MarginLevel = Margin == 0 ? 0.0 : Equity / Margin * 100.0;
}

int TUserAccount::ImageIndex() const
{
    if (PreviousEquity == 0)
        return 6;
    return Equity < PreviousEquity ? 4 : 5;
}

QString TUserAccount::SummaryText() const
{
    const double freeMargin = FreeMargin > 0 ? FreeMargin : 0.0;
    return QString::asprintf(MessageText(3).toUtf8().constData(), Balance, Equity, freeMargin);
}

void TUserAccount::RefreshItem()
{
    Recompute();
    if (!Item)
        return;
    Item->SetCaption(SummaryText());
    Item->SetImage(ImageIndex());
    if (Owner && Owner->View)
        Owner->View->Repaint();
}
