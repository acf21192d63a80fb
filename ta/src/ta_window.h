#pragma once

// The highest high and lowest low of every window of `period` bars, for the
// functions that place a price within its recent range (MIDPRICE, the
// stochastic's fast %K, Williams' %R).

#include "ta_common.h"

#include <algorithm>
#include <limits>

namespace kelvra::ta {

// Window extremes by van Herk and Gil-Werman: the bars are cut into blocks
// of `period`, and every window is the tail of one block joined to the head
// of the next. Keeping the tail extremes of the last complete block and the
// head's running extreme gives each window's exact extreme in constant time,
// without rescans and without a branch on the prices. `none` starts a head:
// pick(none, price) is the price, NaN included.
struct Highest
{
    static constexpr double none = -std::numeric_limits<double>::infinity();
    double operator()(double a, double b) const { return a > b ? a : b; }
};

struct Lowest
{
    static constexpr double none = std::numeric_limits<double>::infinity();
    double operator()(double a, double b) const { return a < b ? a : b; }
};

// Fills tails[j] with the extreme of the last period - j bars up to `last`
// and returns the extreme of all `period` of them.
template <class Pick>
double blockTails(const double *in, int last, int period, double *tails)
{
    const Pick pick;
    const double *block = in + (last - period + 1);
    double extreme = block[period - 1];
    tails[period - 1] = extreme;
    for (int j = period - 2; j >= 0; --j) {
        extreme = pick(block[j], extreme);
        tails[j] = extreme;
    }
    return extreme;
}

// Calls emit(today, highest, lowest) for the windows ending at startIdx to
// endIdx in order, startIdx >= period - 1. Every input a window needs is
// read before emit runs for it, so emit may write over input the next
// windows no longer read (an output sharing a buffer with an input).
// False when the scratch memory is refused.
template <class Emit>
KELVRA_TA_INLINE bool forEachWindow(const double *high, const double *low, int startIdx, int endIdx, int period,
                   Emit &&emit)
{
    const auto size = static_cast<std::size_t>(period);
    WindowBuffer<128> tails(2 * size);
    if (!tails.ok())
        return false;
    double *highTails = &tails[0];
    double *lowTails = &tails[size];
    const Highest highest;
    const Lowest lowest;
    for (int today = startIdx; today <= endIdx;) {
        // The window ending today is a whole block.
        emit(today, blockTails<Highest>(high, today, period, highTails),
             blockTails<Lowest>(low, today, period, lowTails));
        // The next period - 1 windows: a tail of that block and the new head.
        const int headEnd = std::min(endIdx, today + period - 1);
        double highHead = Highest::none;
        double lowHead = Lowest::none;
        for (std::size_t j = 1; ++today <= headEnd; ++j) {
            highHead = highest(highHead, high[today]);
            lowHead = lowest(lowHead, low[today]);
            emit(today, highest(highTails[j], highHead), lowest(lowTails[j], lowHead));
        }
    }
    return true;
}

} // namespace kelvra::ta
