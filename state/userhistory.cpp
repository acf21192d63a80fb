#include "userhistory.h"

#include "clientlists.h"
#include "packet.h"
#include "tradetexts.h"
#include "units.h"

namespace {

QString symbolOf(TClientLists *lists, quint16 currencyId)
{
    const TUserCurrency *instrument = lists ? lists->Instruments.FindRecord(currencyId) : nullptr;
    return instrument ? instrument->Name : QString();
}

} // namespace

void TUserHistoryAccount::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    const uint8_t *p = data.data();
    Id = qint32(GetU32(p));
    Time = GetU32(p + 4);
    OpenPrice = qint32(GetU32(p + 8));
    CloseTime = GetU32(p + 12);
    ClosePrice = qint32(GetU32(p + 16));
    Lots = p[20];
    CurrencyId = GetU16(p + 21);
    Profit = qint32(GetU32(p + 23));
    Swap = qint32(GetU32(p + 27));
    StopLoss = qint32(GetU32(p + 31));
    TakeProfit = qint32(GetU32(p + 35));
    OperationType = p[39];
    Symbol = symbolOf(Lists(), CurrencyId);
    ShowInView();
}

void TUserHistoryAccount::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(QString::number(Id));
    Item->SetImage(Profit > 0 ? 0 : 1);
    Item->SetSubItem(0, MinuteTimeText(qint32(Time), false));
    Item->SetSubItem(1, HistoryOperationText(OperationType));
    if (IsTrade()) {
        Item->SetSubItem(2, Symbol);
        Item->SetSubItem(3, CountText(Lots));
        Item->SetSubItem(4, PriceText(OpenPrice));
        Item->SetSubItem(5, MinuteTimeText(qint32(CloseTime), false));
        Item->SetSubItem(6, PriceText(ClosePrice));
        Item->SetSubItem(7, PriceText(StopLoss));
        Item->SetSubItem(8, PriceText(TakeProfit));
        Item->SetSubItem(9, MoneyText(SwapValue(), true));
    } else {
        for (int column = 2; column <= 9; ++column)
            Item->SetSubItem(column, QString());
    }
    Item->SetSubItem(10, MoneyText(ProfitValue()));
}

void TUserHistoryOrder::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    const uint8_t *p = data.data();
    Id = qint32(GetU32(p));
    Group = p[4];
    CurrencyId = GetU16(p + 5);
    OrderType = p[8];
    OpenTime = GetU32(p + 9);
    CloseTime = GetU32(p + 13);
    Lots = p[17];
    TakeProfit = qint32(GetU32(p + 18));
    StopLoss = qint32(GetU32(p + 22));
    Price = qint32(GetU32(p + 26));
    Status = p[30];
    Symbol = symbolOf(Lists(), CurrencyId);
    ShowInView();
}

void TUserHistoryOrder::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(QString::number(Id));
    Item->SetImage(-1);
    Item->SetSubItem(0, MinuteTimeText(qint32(OpenTime), false));
    Item->SetSubItem(1, OrderTypeText(OrderType));
    Item->SetSubItem(2, Symbol);
    Item->SetSubItem(3, PriceText(Price));
    Item->SetSubItem(4, CountText(Lots));
    Item->SetSubItem(5, PriceText(StopLoss));
    Item->SetSubItem(6, PriceText(TakeProfit));
    Item->SetSubItem(7, MinuteTimeText(qint32(CloseTime), false));
    Item->SetSubItem(8, OrderStateText(Status));
}
