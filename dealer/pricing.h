#pragma once

#include <array>
#include <cstdint>

// Price arithmetic of the dealer: the dealing prices with the spread, the
// profit of a position in the account currency (the very formula the client
// uses, so both sides show the same figures) and the margin of a position.
// Prices are integers of 1/10000, money is in cents.

using SpreadBytes = std::array<uint8_t, 9>;

struct DealPrices {
    int32_t ask = 0;
    int32_t bid = 0;
};

// The dealer's prices for a trade of `lots` on an instrument of profit kind
// `kind`: centred on the mid price, rounded to the point, with the spread of
// the kind and trade size.
DealPrices dealingPrices(int32_t ask, int32_t bid, int lots, const SpreadBytes &spread, int kind);

// The price at which the client's chart stores a tick: five significant digits.
int32_t normaliseTickPrice(int32_t price);

// The conversion price of a cross instrument: its bid for kind 1, its ask for
// kind 2, 0 otherwise.
int32_t crossPriceOf(int crossKind, int32_t ask, int32_t bid);

// Profit in cents, halves to even. operation 1 is a buy, 2 a sell; amount is
// lots times the lot size; current is the price the position closes at.
int64_t profitCents(int operation, int kind, int32_t open, int32_t crossPrice, int crossKind, int64_t amount,
                    int32_t current);

// Money figures beyond this (ten trillion units) are not real: a profit is
// clamped to it, a margin beyond it cannot be computed.
constexpr int64_t MaxMoneyCents = 1'000'000'000'000'000;
// The margin of a trade whose figures make no sense (prices at the edge of
// the range, a negative price): such a trade is refused.
constexpr int64_t NoMargin = -1;

// Margin in cents: the position's value in the account currency divided by
// the leverage. When a cross price is missing the amount itself stands in.
// NoMargin when the result is not finite, negative or beyond MaxMoneyCents.
int64_t marginCents(int kind, int32_t price, int32_t crossPrice, int crossKind, int64_t amount, int leverage);

// The side a position closes on: a buy (1) at the bid, a sell at the ask.
inline int32_t closePriceOf(int operation, const DealPrices &p) { return operation == 1 ? p.bid : p.ask; }
inline int32_t openPriceOf(int operation, const DealPrices &p) { return operation == 1 ? p.ask : p.bid; }
