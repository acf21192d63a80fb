#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// The simulated market: the instruments with their last quote, a seeded
// random walk, and the one-minute bars of every instrument from which the
// history of every timeframe is cut. Times are minutes since 2000-01-01 UTC.

struct Instrument {
    uint16_t id = 0;
    std::string name;
    uint8_t kind = 1;      // profit conversion kind 1, 2 or 3
    uint16_t crossId = 0;  // conversion instrument of kind 3
    int32_t ask = 0;
    int32_t bid = 0;
    uint32_t quoteTime = 0;
    int32_t base = 0;      // centre of the walk
    int32_t point = 1;     // price step
    int rawSpread = 2;     // market spread in points
    int32_t swapLong = 0;  // cents per lot and day
    int32_t swapShort = 0;
};

struct Bar {
    int32_t time = 0;  // end of the bar's period (a one-minute bar: its own minute)
    int32_t open = 0;
    int32_t high = 0;
    int32_t low = 0;
    int32_t close = 0;
};

// Length of a timeframe's bar in minutes, 0 for an unknown code.
int timeframeLength(int timeframe);
// The label of the bar that holds the minute: its end, or the minute itself at 1.
int32_t barLabel(int timeframe, int32_t minute);

class Market {
public:
    // The walk starts historyDays before now and runs up to now, so the live
    // quotes continue the history.
    Market(uint64_t seed, uint32_t now, int historyDays = 30);

    const std::vector<Instrument> &instruments() const { return list; }
    const Instrument *find(uint16_t id) const;
    const Instrument *findByName(const std::string &name) const;
    // The conversion price of a kind-3 instrument (0 when there is none).
    int32_t crossPrice(const Instrument &instrument) const;
    int crossKind(const Instrument &instrument) const;

    // One random step of a randomly chosen instrument; returns it. A held
    // instrument is never chosen (when all are held, one is sent unchanged).
    const Instrument &randomTick(uint32_t now);
    // Puts the bid where asked (the ask follows at the market spread); with
    // hold the walk leaves the instrument there until the next setPrice.
    const Instrument *setPrice(uint16_t id, int32_t bid, uint32_t now, bool hold = false);

    // Bars labelled at or after `from` (and at or before `to` unless it is
    // 0x00FFFFFF), oldest first; at most maxCount of the newest of them.
    // With from = 0 the newest depthWhenZero bars.
    std::vector<Bar> bars(uint16_t id, int timeframe, uint32_t from, uint32_t to, size_t maxCount,
                          size_t depthWhenZero) const;

    static constexpr uint32_t NoUpperLimit = 0x00FFFFFF;

private:
    Instrument *findMutable(uint16_t id);
    int32_t step(Instrument &instrument);
    void record(size_t index, uint32_t minute, int32_t bid);
    void setQuote(Instrument &instrument, int32_t bid, uint32_t now);

    std::vector<Instrument> list;
    std::vector<std::vector<Bar>> minuteBars;  // per instrument, by minute
    std::vector<bool> held;                    // per instrument
    std::mt19937_64 random;
};
