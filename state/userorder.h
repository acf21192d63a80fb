#pragma once

#include <QString>

#include "commands.h"
#include "userobjects.h"

// A pending order.
class TUserOrder : public TUserViewObject {
public:
    static constexpr size_t WireSize = 30;

    using TUserViewObject::TUserViewObject;

    //  0 i32 Id   4 u8 Group   5 u16 CurrencyId   7 u8 Side (not read)   8 u8 OrderType
    //  9 u32 Time   13 reserved   17 u8 Lots   18 i32 TakeProfit   22 i32 StopLoss   26 i32 Price
    // Then the instrument's symbol, prices and kind when it is known.
    void LoadFrom(std::span<const uint8_t> data) override;
    // New instrument prices; row refreshed.
    void UpdatePrices(qint32 ask, qint32 bid);

    // Caption Id, image 2 when grouped; group, time, symbol, order type,
    // order price, current price, lots, stop loss, take profit.
    void FillItem(TRowItem *row) override;
    // Order price, current price, stop loss, take profit.
    void RefreshItem() override;

    // The fill price: the ask for the buy-side types 1, 2, 4, else the bid.
    qint32 CurrentPrice() const;
    // The one-line description of the group dialog, message 5:
    // "Buy limit EURUSD lot: 2;at price: 1.2000 (s/l=1.1900 ; t/p=1.2100)".
    QString Describe() const;
    // The whole 30-byte record as a change request carries it back,
    // Reserved (byte 13) included.
    TOrderFields Fields() const;

    quint8 Group = 0;  // 1..254; 0 = none
    quint16 CurrencyId = 0;
    quint8 Side = 0;
    quint8 OrderType = 0;
    quint32 Time = 0;
    quint32 Reserved = 0;
    quint8 Lots = 0;
    qint32 TakeProfit = 0;
    qint32 StopLoss = 0;
    qint32 Price = 0;

    QString Symbol;
    qint32 Ask = 0;
    qint32 Bid = 0;
    qint32 Kind = 0;

private:
    void writeChangingColumns();
};
