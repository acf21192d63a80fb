#include "userdeal.h"

#include <algorithm>

#include "clientlists.h"
#include "packet.h"
#include "profit.h"
#include "tradetexts.h"
#include "units.h"

void TUserDeal::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    std::copy_n(data.begin(), WireSize, Image.begin());
    const uint8_t *p = Image.data();
    Id = qint32(GetU32(p));
    CurrencyId = GetU16(p + 4);
    Operation = p[6];
    OpenTime = GetU32(p + 7);
    OpenPrice = qint32(GetU32(p + 11));
    Swap = qint32(GetU32(p + 23));
    Lots = p[27];
    TakeProfit = qint32(GetU32(p + 28));
    StopLoss = qint32(GetU32(p + 32));

    TClientLists *lists = Lists();
    const TUserCurrency *instrument = lists ? lists->Instruments.FindRecord(CurrencyId) : nullptr;
    crossMissing = false;
    if (instrument) {
        if (instrument->Kind == 3 && !lists->Instruments.Find(instrument->CrossId)) {
            crossMissing = true;
            return;
        }
        Symbol = instrument->Name;
        Ask = instrument->Ask;
        Bid = instrument->Bid;
        Kind = instrument->Kind;
        CrossId = instrument->CrossId;
        revalue();
    }
    ShowInView();
}

void TUserDeal::UpdatePrices(qint32 ask, qint32 bid)
{
    Ask = ask;
    Bid = bid;
    // Without its kind and cross the position would be valued unconverted
    // and that wrong profit would go into the equity.
    if (crossMissing)
        return;
    if (revalue())
        RefreshItem();
}

bool TUserDeal::revalue()
{
    TClientLists *lists = Lists();
    qint32 crossPrice = 0;
    int crossKind = 0;
    if (Kind == 3) {
        const TUserCurrency *cross = lists ? lists->Instruments.FindRecord(CrossId) : nullptr;
        if (!cross)
            return false;
        crossKind = cross->Kind;
        crossPrice = CrossPrice(cross->Kind, cross->Ask, cross->Bid);
    }
    const qint64 lotSize = lists ? lists->SysVars.LotSize : 0;
    Profit = ::Profit(Operation, Kind, OpenPrice, crossPrice, crossKind, qint64(Lots) * lotSize, CurrentPrice());
    return true;
}

qint32 TUserDeal::CurrentPrice() const { return PriceForSide(CloseSide(Operation), Ask, Bid); }

void TUserDeal::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(QString::number(Id));
    Item->SetImage(ImageIndex());
    Item->SetSubItem(0, MinuteTimeText(qint32(OpenTime), false));
    Item->SetSubItem(1, Symbol);
    Item->SetSubItem(2, OperationText(Operation));
    Item->SetSubItem(3, PriceText(OpenPrice));
    Item->SetSubItem(4, PriceText(CurrentPrice()));
    Item->SetSubItem(5, CountText(Lots));
    Item->SetSubItem(6, PriceText(StopLoss));
    Item->SetSubItem(7, PriceText(TakeProfit));
    Item->SetSubItem(8, MoneyText(SwapValue()));
    Item->SetSubItem(9, MoneyText(Profit));
}

void TUserDeal::RefreshItem()
{
    if (!Item)
        return;
    Item->SetImage(ImageIndex());
    Item->SetSubItem(4, PriceText(CurrentPrice()));
    Item->SetSubItem(5, CountText(Lots));
    Item->SetSubItem(6, PriceText(StopLoss));
    Item->SetSubItem(7, PriceText(TakeProfit));
    Item->SetSubItem(9, MoneyText(Profit));
}
