#include "market.h"

#include <algorithm>

#include "pricing.h"

namespace {

struct Seed {
    uint16_t id;
    const char *name;
    uint8_t kind;
    uint16_t crossId;
    int32_t base;
    int32_t point;
    int rawSpread;
    int32_t swapLong, swapShort;
};

// Kind 1: quoted in the account currency; kind 2: the account currency is
// the base; kind 3: a cross converted through its conversion instrument.
const Seed seeds[] = {
    {1, "EURUSD", 1, 0, 11000, 1, 1, -420, 150},
    {2, "GBPUSD", 1, 0, 12700, 1, 2, -380, 110},
    {3, "AUDUSD", 1, 0, 6600, 1, 1, -250, 60},
    {4, "USDJPY", 2, 0, 1500000, 100, 1, 620, -1450},
    {5, "USDCHF", 2, 0, 8800, 1, 2, 310, -900},
    {6, "USDCAD", 2, 0, 13600, 1, 2, 90, -430},
    {7, "EURGBP", 3, 2, 8600, 1, 2, -280, 70},
    {8, "EURJPY", 3, 4, 1620000, 100, 2, 480, -1200},
    {9, "GBPJPY", 3, 4, 1900000, 100, 3, 510, -1320},
};

} // namespace

int timeframeLength(int timeframe)
{
    switch (timeframe) {
    case 1: return 1;
    case 2: return 5;
    case 3: return 60;
    case 4: return 240;
    case 5: return 1440;
    case 6: return 10080;
    default: return 0;
    }
}

int32_t barLabel(int timeframe, int32_t minute)
{
    const int length = timeframeLength(timeframe);
    if (length == 0)
        return 0;
    if (length == 1)
        return minute;
    return (minute / length + 1) * length;
}

Market::Market(uint64_t seed, uint32_t now, int historyDays) : random(seed)
{
    for (const Seed &s : seeds) {
        Instrument i;
        i.id = s.id;
        i.name = s.name;
        i.kind = s.kind;
        i.crossId = s.crossId;
        i.base = s.base;
        i.point = s.point;
        i.rawSpread = s.rawSpread;
        i.swapLong = s.swapLong;
        i.swapShort = s.swapShort;
        i.bid = s.base;
        i.ask = s.base + s.rawSpread * s.point;
        list.push_back(i);
    }
    minuteBars.resize(list.size());
    const uint32_t minutes = uint32_t(std::max(0, historyDays)) * 1440u;
    const uint32_t start = now > minutes ? now - minutes : 0;
    for (size_t k = 0; k < list.size(); ++k) {
        Instrument &i = list[k];
        minuteBars[k].reserve(minutes + 1440);
        for (uint32_t m = start; m < now; ++m) {
            // A few ticks per minute build the bar.
            for (int t = 0; t < 4; ++t)
                setQuote(i, step(i), m);
        }
        i.quoteTime = now;
    }
}

const Instrument *Market::find(uint16_t id) const
{
    for (const Instrument &i : list)
        if (i.id == id)
            return &i;
    return nullptr;
}

Instrument *Market::findMutable(uint16_t id)
{
    for (Instrument &i : list)
        if (i.id == id)
            return &i;
    return nullptr;
}

const Instrument *Market::findByName(const std::string &name) const
{
    for (const Instrument &i : list)
        if (i.name == name)
            return &i;
    return nullptr;
}

int32_t Market::crossPrice(const Instrument &instrument) const
{
    if (instrument.kind != 3)
        return 0;
    const Instrument *cross = find(instrument.crossId);
    return cross ? crossPriceOf(cross->kind, cross->ask, cross->bid) : 0;
}

int Market::crossKind(const Instrument &instrument) const
{
    const Instrument *cross = instrument.kind == 3 ? find(instrument.crossId) : nullptr;
    return cross ? cross->kind : 0;
}

int32_t Market::step(Instrument &i)
{
    std::uniform_int_distribution<int> move(-2, 2);
    int points = move(random);
    // Drawn back towards the centre, so the walk never wanders off.
    const int64_t away = int64_t(i.bid) - i.base;
    if (away * 40 > i.base)
        points -= 1;
    else if (-away * 40 > i.base)
        points += 1;
    int32_t bid = i.bid + points * i.point;
    bid = std::clamp(bid, int32_t(i.base * 8 / 10), int32_t(i.base * 12 / 10));
    return bid;
}

void Market::setQuote(Instrument &i, int32_t bid, uint32_t now)
{
    i.bid = bid;
    i.ask = bid + i.rawSpread * i.point;
    i.quoteTime = now;
    record(size_t(&i - list.data()), now, bid);
}

void Market::record(size_t index, uint32_t minute, int32_t bid)
{
    const int32_t price = normaliseTickPrice(bid);
    std::vector<Bar> &bars = minuteBars[index];
    if (!bars.empty() && bars.back().time == int32_t(minute)) {
        Bar &b = bars.back();
        b.close = price;
        b.high = std::max(b.high, price);
        b.low = std::min(b.low, price);
        return;
    }
    if (!bars.empty() && bars.back().time > int32_t(minute))
        return;  // the clock went back: the bar of that minute is closed
    bars.push_back(Bar{int32_t(minute), price, price, price, price});
}

const Instrument &Market::randomTick(uint32_t now)
{
    std::vector<size_t> free;
    for (size_t k = 0; k < list.size(); ++k)
        if (k >= held.size() || !held[k])
            free.push_back(k);
    if (free.empty())
        return list.front();
    std::uniform_int_distribution<size_t> pick(0, free.size() - 1);
    Instrument &i = list[free[pick(random)]];
    setQuote(i, step(i), now);
    return i;
}

const Instrument *Market::setPrice(uint16_t id, int32_t bid, uint32_t now, bool hold)
{
    Instrument *i = findMutable(id);
    if (!i || bid <= 0)
        return nullptr;
    held.resize(list.size(), false);
    held[size_t(i - list.data())] = hold;
    setQuote(*i, bid, now);
    return i;
}

std::vector<Bar> Market::bars(uint16_t id, int timeframe, uint32_t from, uint32_t to, size_t maxCount,
                              size_t depthWhenZero) const
{
    std::vector<Bar> out;
    const Instrument *instrument = find(id);
    if (!instrument || timeframeLength(timeframe) == 0)
        return out;
    const std::vector<Bar> &m1 = minuteBars[size_t(instrument - list.data())];
    const size_t limit = from == 0 ? depthWhenZero : maxCount;
    if (limit == 0 || m1.empty())
        return out;

    // Walk back from the newest minute, folding minutes into their bars,
    // until enough bars are whole or the bars fall before `from`.
    std::vector<Bar> reversed;
    for (size_t k = m1.size(); k-- > 0;) {
        const Bar &m = m1[k];
        const int32_t label = barLabel(timeframe, m.time);
        if (from != 0 && label < int32_t(from))
            break;
        if (to != NoUpperLimit && label > int32_t(to))
            continue;
        if (!reversed.empty() && reversed.back().time == label) {
            Bar &b = reversed.back();
            b.open = m.open;  // walking backwards: the older minute opens the bar
            b.high = std::max(b.high, m.high);
            b.low = std::min(b.low, m.low);
            continue;
        }
        if (reversed.size() == limit)
            break;
        reversed.push_back(Bar{label, m.open, m.high, m.low, m.close});
    }
    out.assign(reversed.rbegin(), reversed.rend());
    return out;
}
