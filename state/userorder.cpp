#include "userorder.h"

#include "clientlists.h"
#include "languagetables.h"
#include "packet.h"
#include "tradetexts.h"
#include "units.h"

void TUserOrder::LoadFrom(std::span<const uint8_t> data)
{
    RequireSize(data, WireSize);
    const uint8_t *p = data.data();
    Id = qint32(GetU32(p));
    Group = p[4];
    CurrencyId = GetU16(p + 5);
    OrderType = p[8];
    Time = GetU32(p + 9);
    Reserved = GetU32(p + 13);
    Lots = p[17];
    TakeProfit = qint32(GetU32(p + 18));
    StopLoss = qint32(GetU32(p + 22));
    Price = qint32(GetU32(p + 26));
    TClientLists *lists = Lists();
    if (const TUserCurrency *instrument = lists ? lists->Instruments.FindRecord(CurrencyId) : nullptr) {
        Symbol = instrument->Name;
        Ask = instrument->Ask;
        Bid = instrument->Bid;
        Kind = instrument->Kind;
    }
    ShowInView();
}

void TUserOrder::UpdatePrices(qint32 ask, qint32 bid)
{
    Ask = ask;
    Bid = bid;
    RefreshItem();
}

qint32 TUserOrder::CurrentPrice() const { return PriceForSide(OrderSide(OrderType), Ask, Bid); }

void TUserOrder::FillItem(TRowItem *row)
{
    TUserViewObject::FillItem(row);
    if (!Item)
        return;
    Item->SetCaption(QString::number(Id));
    Item->SetImage(Group != 0 ? 2 : -1);
    Item->SetSubItem(0, CountText(Group, true));
    Item->SetSubItem(1, MinuteTimeText(qint32(Time), false));
    Item->SetSubItem(2, Symbol);
    Item->SetSubItem(3, OrderTypeText(OrderType));
    Item->SetSubItem(6, CountText(Lots));
    writeChangingColumns();
}

void TUserOrder::RefreshItem()
{
    if (Item)
        writeChangingColumns();
}

void TUserOrder::writeChangingColumns()
{
    Item->SetSubItem(4, PriceText(Price));
    Item->SetSubItem(5, PriceText(CurrentPrice()));
    Item->SetSubItem(7, PriceText(StopLoss));
    Item->SetSubItem(8, PriceText(TakeProfit));
}

QString TUserOrder::Describe() const
{
    QString stops;
    if (StopLoss > 0)
        stops = QStringLiteral("s/l=") + PriceText(StopLoss);
    if (TakeProfit > 0) {
        if (!stops.isEmpty())
            stops += QStringLiteral(" ; ");
        stops += QStringLiteral("t/p=") + PriceText(TakeProfit);
    }
    if (!stops.isEmpty())
        stops = QLatin1Char('(') + stops + QLatin1Char(')');
    return QString::asprintf(MessageText(5).toUtf8().constData(), OrderTypeText(OrderType).toUtf8().constData(),
                             Symbol.toUtf8().constData(), int(Lots), PriceText(Price).toUtf8().constData(),
                             stops.toUtf8().constData());
}

TOrderFields TUserOrder::Fields() const
{
    TOrderFields f;
    f.Id = uint32_t(Id);
    f.Group = Group;
    f.CurrencyId = CurrencyId;
    f.Side = Side;
    f.OrderType = OrderType;
    f.Time = Time;
    f.Reserved = Reserved;
    f.Lots = Lots;
    f.TakeProfit = uint32_t(TakeProfit);
    f.StopLoss = uint32_t(StopLoss);
    f.Price = uint32_t(Price);
    return f;
}
