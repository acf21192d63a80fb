#pragma once

#include <array>

#include <QString>

#include "units.h"
#include "userobjects.h"

// An instrument with its last quote.
class TUserCurrency : public TUserViewObject {
public:
    static constexpr size_t WireSize = 28;   // element of the instrument list reply
    static constexpr size_t QuoteSize = 14;  // data of a quote push
    static constexpr size_t ImageSize = 47;  // stored image (Id through CrossId)

    using TUserViewObject::TUserViewObject;

    //  0 u16 Id   2 u8 Kind   3 name (capacity 10)   14 u32 quote time (minutes)
    // 18 u16 CrossId   20 i32 Ask   24 i32 Bid
    void LoadFrom(std::span<const uint8_t> data) override;
    // A 14-byte quote: 0 u16 id, 2 i32 ask, 6 i32 bid, 10 u32 time (minutes).
    void ApplyQuote(std::span<const uint8_t> quote);
    void ApplyQuote(qint32 ask, qint32 bid, quint32 minutes);

    // Caption Name, image Mark; bid, ask, time.
    void FillItem(TRowItem *row) override;
    void RefreshItem() override;

    QString NameText() const { return Name; }
    QString AskText() const { return PriceText(Ask); }
    QString BidText() const { return PriceText(Bid); }
    // "hh:nn" of the last quote; empty while there is none.
    QString TimeText() const;
    // "dd.mm.yyyy hh:nn" of the last quote; empty while there is none.
    QString DateTimeText() const;

    // The stored image: Id (4), two object references (8 zero bytes), Ask (4),
    // Bid (4), Name (length byte + 10), Kind (4), QuoteTime (8, a double),
    // CrossId (4); little-endian.
    std::array<uint8_t, ImageSize> SaveImage() const;
    // Restores from a stored image: no row, Mark -1. Raises on a short image.
    void LoadImage(std::span<const uint8_t> image);

    qint32 Ask = 0;
    qint32 Bid = 0;
    QString Name;
    qint32 Kind = 0;
    TDateTime QuoteTime = 0;  // 0: no quote yet
    qint32 CrossId = 0;
    // Row image: -1 never quoted, 2 unchanged, 1 bid fell, 0 bid rose.
    qint32 Mark = -1;

private:
    void writeChangingColumns();
};
