#pragma once

#include <array>
#include <cstdint>
#include <span>

#include <QtGlobal>

#include "commands.h"

class TUserDeal;
class TUserOrder;

// A copy of a position's 36-byte wire record, as the dialogs keep it while
// they change, close or reverse the position (the record in the list may
// change or go away meanwhile).
struct TPositionImage {
    std::array<uint8_t, PositionRecordSize> Bytes{};

    static TPositionImage FromDeal(const TUserDeal &deal);
    // The first 36 bytes; a shorter record is zero-filled.
    static TPositionImage FromBytes(std::span<const uint8_t> bytes);

    qint32 Id() const;
    quint16 CurrencyId() const;
    quint8 Operation() const;  // 1 buy, 2 sell
    quint32 OpenTime() const;
    qint32 OpenPrice() const;
    quint8 Lots() const;
    qint32 TakeProfit() const;
    qint32 StopLoss() const;
    void SetStops(qint32 takeProfit, qint32 stopLoss);
    const uint8_t (&Array() const)[PositionRecordSize];
};

// A copy of a pending order's 30-byte record as a change request sends it back.
TOrderFields OrderFieldsOf(const TUserOrder &order);
