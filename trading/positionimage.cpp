#include "positionimage.h"

#include <algorithm>

#include "packet.h"
#include "userdeal.h"
#include "userorder.h"

TPositionImage TPositionImage::FromDeal(const TUserDeal &deal)
{
    TPositionImage p;
    p.Bytes = deal.Image;
    return p;
}

TPositionImage TPositionImage::FromBytes(std::span<const uint8_t> bytes)
{
    TPositionImage p;
    std::copy_n(bytes.begin(), std::min(bytes.size(), p.Bytes.size()), p.Bytes.begin());
    return p;
}

qint32 TPositionImage::Id() const { return qint32(GetU32(&Bytes[0])); }
quint16 TPositionImage::CurrencyId() const { return GetU16(&Bytes[4]); }
quint8 TPositionImage::Operation() const { return Bytes[6]; }
quint32 TPositionImage::OpenTime() const { return GetU32(&Bytes[7]); }
qint32 TPositionImage::OpenPrice() const { return qint32(GetU32(&Bytes[11])); }
quint8 TPositionImage::Lots() const { return Bytes[27]; }
qint32 TPositionImage::TakeProfit() const { return qint32(GetU32(&Bytes[28])); }
qint32 TPositionImage::StopLoss() const { return qint32(GetU32(&Bytes[32])); }

void TPositionImage::SetStops(qint32 takeProfit, qint32 stopLoss)
{
    PutU32(&Bytes[28], uint32_t(takeProfit));
    PutU32(&Bytes[32], uint32_t(stopLoss));
}

const uint8_t (&TPositionImage::Array() const)[PositionRecordSize]
{
    return *reinterpret_cast<const uint8_t(*)[PositionRecordSize]>(Bytes.data());
}

TOrderFields OrderFieldsOf(const TUserOrder &order) { return order.Fields(); }
