#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include <QString>
#include <QStringList>

#include "commands.h"
#include "packet.h"
#include "units.h"

// Small helpers shared by the end-to-end tests.
namespace e2e {

// "1.2345" as it is given to `kelvra-dealer admin set-price`.
inline QString priceArgument(int32_t price) { return QString::number(price / 10000.0, 'f', 4); }

// A market order (type 1 buy, 6 sell) or a pending order (types 2..5).
inline TCommandPtr placeCommand(uint16_t instrument, uint8_t type, uint8_t lots, int32_t price)
{
    TOrderFields o;
    o.CurrencyId = instrument;
    o.Side = type == 1 ? 1 : type == 6 ? 2 : 0;
    o.OrderType = type;
    o.Lots = lots;
    o.Price = uint32_t(price);
    return NewPlaceCommand(o);
}

// Cents, as the dealer books a profit.
inline int32_t cents(double money) { return int32_t(std::nearbyint(money * 100)); }

// One account-history record of a 129 reply (40 bytes).
struct BookedEntry {
    uint32_t id = 0;
    int32_t closePrice = 0;
    uint16_t currencyId = 0;
    int32_t profit = 0;  // cents
    uint8_t operation = 0;
};

// The entries of every part of a 129 reply.
inline std::vector<BookedEntry> bookedEntries(const std::vector<TPacketBuffer> &parts)
{
    std::vector<BookedEntry> out;
    for (const TPacketBuffer &p : parts) {
        if (p.size() < size_t(hdr::ReplyData) + 2 || p[hdr::Data] != 0)
            continue;
        const uint8_t *d = p.data() + hdr::ReplyData;
        const size_t n = GetU16(d);
        if (p.size() < size_t(hdr::ReplyData) + 2 + 40 * n)
            continue;
        for (size_t k = 0; k < n; ++k) {
            const uint8_t *r = d + 2 + 40 * k;
            out.push_back(BookedEntry{GetU32(r), int32_t(GetU32(r + 16)), GetU16(r + 21), int32_t(GetU32(r + 23)),
                                      r[39]});
        }
    }
    return out;
}

} // namespace e2e
