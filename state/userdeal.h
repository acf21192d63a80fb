#pragma once

#include <array>

#include <QString>

#include "userobjects.h"

// An open position.
class TUserDeal : public TUserViewObject {
public:
    static constexpr size_t WireSize = 36;

    using TUserViewObject::TUserViewObject;

    //  0 i32 Id   4 u16 CurrencyId   6 u8 Operation   7 u32 OpenTime   11 i32 OpenPrice
    // 15, 19 reserved   23 i32 Swap (cents)   27 u8 Lots   28 i32 TakeProfit   32 i32 StopLoss
    // Then the instrument's symbol and prices and the profit. An unknown
    // instrument leaves them unset; an unknown cross instrument of a kind-3
    // instrument stops the load before the row is shown.
    void LoadFrom(std::span<const uint8_t> data) override;
    // New instrument prices: profit recomputed, row refreshed.
    void UpdatePrices(qint32 ask, qint32 bid);

    // Caption Id, image 0 in profit else 1; open time, symbol, operation,
    // open price, current price, lots, stop loss, take profit, swap, profit.
    void FillItem(TRowItem *row) override;
    // Image, current price, lots, stop loss, take profit, profit.
    void RefreshItem() override;

    // The closing price: the bid for a buy, the ask for a sell.
    qint32 CurrentPrice() const;
    double SwapValue() const { return Swap / 100.0; }
    int ImageIndex() const { return Profit > 0 ? 0 : 1; }

    // The record as it came from the server (the change request sends it back).
    std::array<uint8_t, WireSize> Image{};

    quint16 CurrencyId = 0;
    quint8 Operation = 0;  // 1 buy, 2 sell
    quint32 OpenTime = 0;
    qint32 OpenPrice = 0;
    qint32 Swap = 0;       // cents
    quint8 Lots = 0;
    qint32 TakeProfit = 0;
    qint32 StopLoss = 0;

    QString Symbol;
    qint32 Ask = 0;
    qint32 Bid = 0;
    qint32 Kind = 0;
    qint32 CrossId = 0;
    double Profit = 0;

private:
    // Cross lookup and profit; false when the cross instrument is unknown.
    bool revalue();
    // The last load stopped at an unknown cross instrument: the position is
    // not valued until it is loaded again.
    bool crossMissing = false;
};
