#pragma once

#include <QString>

#include "userobjects.h"

// An entry of the account history: a balance operation or a closed trade.
class TUserHistoryAccount : public TUserViewObject {
public:
    static constexpr size_t WireSize = 40;

    using TUserViewObject::TUserViewObject;

    //  0 i32 Id   4 u32 Time   8 i32 OpenPrice   12 u32 CloseTime   16 i32 ClosePrice
    // 20 u8 Lots   21 u16 CurrencyId   23 i32 Profit (cents)   27 i32 Swap (cents)
    // 31 i32 StopLoss   35 i32 TakeProfit   39 u8 OperationType
    void LoadFrom(std::span<const uint8_t> data) override;

    // Caption Id, image 0 in profit else 1; time, operation; for trades
    // (codes of 100 and above) symbol, lots, open price, close time, close
    // price, stop loss, take profit, swap (blank when zero), else eight
    // empty columns; profit.
    void FillItem(TRowItem *row) override;
    // Entries never change.
    void RefreshItem() override {}

    bool IsTrade() const { return OperationType >= 100; }
    double ProfitValue() const { return Profit / 100.0; }
    double SwapValue() const { return Swap / 100.0; }

    quint32 Time = 0;
    qint32 OpenPrice = 0;
    quint32 CloseTime = 0;
    qint32 ClosePrice = 0;
    quint8 Lots = 0;
    quint16 CurrencyId = 0;
    qint32 Profit = 0;  // cents
    qint32 Swap = 0;    // cents
    qint32 StopLoss = 0;
    qint32 TakeProfit = 0;
    quint8 OperationType = 0;  // 1 add, 2 delete, 101 buy, 102 sell

    QString Symbol;
};

// An entry of the order history.
class TUserHistoryOrder : public TUserViewObject {
public:
    static constexpr size_t WireSize = 31;

    using TUserViewObject::TUserViewObject;

    //  0 i32 Id   4 u8 Group   5 u16 CurrencyId   7 reserved   8 u8 OrderType
    //  9 u32 OpenTime   13 u32 CloseTime   17 u8 Lots   18 i32 TakeProfit
    // 22 i32 StopLoss   26 i32 Price   30 u8 Status (3 deleted, 4 executed, 5 canceled)
    void LoadFrom(std::span<const uint8_t> data) override;

    // Caption Id, no image; open time, order type, symbol, price, lots,
    // stop loss, take profit, close time, status.
    void FillItem(TRowItem *row) override;
    void RefreshItem() override {}

    quint8 Group = 0;
    quint16 CurrencyId = 0;
    quint8 OrderType = 0;
    quint32 OpenTime = 0;
    quint32 CloseTime = 0;
    quint8 Lots = 0;
    qint32 TakeProfit = 0;
    qint32 StopLoss = 0;
    qint32 Price = 0;
    quint8 Status = 0;

    QString Symbol;
};
