#include "wirerecords.h"

#include <algorithm>
#include <cstring>

void putU8(Bytes &out, uint8_t v) { out.push_back(v); }

void putU16(Bytes &out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(Bytes &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void putI32(Bytes &out, int32_t v) { putU32(out, uint32_t(v)); }

void putF64(Bytes &out, double v)
{
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof v);
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
}

void putShortString(Bytes &out, const std::string &text, size_t capacity)
{
    const size_t n = std::min({text.size(), capacity, size_t(255)});
    out.push_back(uint8_t(n));
    out.insert(out.end(), text.begin(), text.begin() + std::ptrdiff_t(n));
    out.insert(out.end(), capacity - n, 0);
}

int orderSide(int type)
{
    if (type == 1 || type == 2 || type == 4)
        return 1;
    if (type == 3 || type == 5 || type == 6)
        return 2;
    return 0;
}

void putInstrument(Bytes &out, const Instrument &i)
{
    putU16(out, i.id);
    putU8(out, i.kind);
    putShortString(out, i.name, 10);
    putU32(out, i.quoteTime);
    putU16(out, i.crossId);
    putI32(out, i.ask);
    putI32(out, i.bid);
}

void putQuote(Bytes &out, const Instrument &i)
{
    putU16(out, i.id);
    putI32(out, i.ask);
    putI32(out, i.bid);
    putU32(out, i.quoteTime);
}

namespace {
int32_t clampMoney(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
}

void putPosition(Bytes &out, const Position &p)
{
    putU32(out, p.id);
    putU16(out, p.instrument);
    putU8(out, p.operation);
    putU32(out, p.openTime);
    putI32(out, p.openPrice);
    putI32(out, clampMoney(p.margin));  // the dealer's own: the position's margin
    putU32(out, 0);
    putI32(out, p.swap);
    putU8(out, p.lots);
    putI32(out, p.takeProfit);
    putI32(out, p.stopLoss);
}

void putOrder(Bytes &out, const Order &o)
{
    putU32(out, o.id);
    putU8(out, o.group);
    putU16(out, o.instrument);
    putU8(out, uint8_t(orderSide(o.type)));
    putU8(out, o.type);
    putU32(out, o.time);
    putU32(out, 0);
    putU8(out, o.lots);
    putI32(out, o.takeProfit);
    putI32(out, o.stopLoss);
    putI32(out, o.price);
}

void putAccountHistory(Bytes &out, const AccountHistoryEntry &h)
{
    putU32(out, h.id);
    putU32(out, h.time);
    putI32(out, h.openPrice);
    putU32(out, h.closeTime);
    putI32(out, h.closePrice);
    putU8(out, h.lots);
    putU16(out, h.instrument);
    putI32(out, h.profit);
    putI32(out, h.swap);
    putI32(out, h.stopLoss);
    putI32(out, h.takeProfit);
    putU8(out, h.operation);
}

void putOrderHistory(Bytes &out, const OrderHistoryEntry &h)
{
    putU32(out, h.id);
    putU8(out, h.group);
    putU16(out, h.instrument);
    putU8(out, 0);
    putU8(out, h.type);
    putU32(out, h.openTime);
    putU32(out, h.closeTime);
    putU8(out, h.lots);
    putI32(out, h.takeProfit);
    putI32(out, h.stopLoss);
    putI32(out, h.price);
    putU8(out, h.status);
}

void putBar(Bytes &out, const Bar &b)
{
    putI32(out, b.time);
    putI32(out, b.high);
    putI32(out, b.low);
    putI32(out, b.open);
    putI32(out, b.close);
}

void putMail(Bytes &out, const Mail &m)
{
    putU32(out, m.id);
    putShortString(out, m.sender, SenderCapacity);
    putF64(out, m.date);
    putShortString(out, m.subject, SubjectCapacity);
    const size_t n = std::min<size_t>(m.text.size(), 0xFFFF);
    putU16(out, uint16_t(n));
    out.insert(out.end(), m.text.begin(), m.text.begin() + std::ptrdiff_t(n));
}

void putMessage(Bytes &out, const ChatMessage &m)
{
    putU32(out, m.id);
    putF64(out, m.date);
    const size_t n = std::min<size_t>(m.text.size(), 512);
    putU16(out, uint16_t(n));
    out.insert(out.end(), m.text.begin(), m.text.begin() + std::ptrdiff_t(n));
}
