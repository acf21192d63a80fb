// True range, its Wilder average, and Wilder's directional-movement family
// (DM, DI, DX, ADX, ADXR). The smoothed sums are seeded by plain sums over
// the first bars and then decay as prev - prev / period + today.

#include "ta_common.h"

namespace kelvra::ta {
namespace {

// {-DM, +DM}: the two directions side by side, so that one division
// smooths both.
using Movement = DoublePair;
constexpr int kMinus = 0;
constexpr int kPlus = 1;

// A direction counts when it moved further than the other one and beyond
// zero; otherwise its movement is zero. Branch-free: the outcome is a coin
// toss on real prices.
inline Movement oneBarMovement(double downMove, double upMove)
{
    const Movement move = {downMove, upMove};
    const Movement other = {upMove, downMove};
    return ((move > 0.0) & (other < move)) ? move : Movement{};
}

// Walks bar to bar and yields the one-bar movements and, when there are
// closes, the true range measured against the previous close.
class BarWalk
{
public:
    BarWalk(const double *high, const double *low, const double *close, int first)
        : m_high(high), m_low(low), m_close(close), m_today(first), m_prevHigh(high[first]),
          m_prevLow(low[first]), m_prevClose(close ? close[first] : 0.0)
    {
    }

    void next()
    {
        ++m_today;
        const double high = m_high[m_today];
        const double low = m_low[m_today];
        move = oneBarMovement(m_prevLow - low, high - m_prevHigh);
        m_prevHigh = high;
        m_prevLow = low;
        if (m_close) {
            trueRangeValue = trueRange(high, low, m_prevClose);
            m_prevClose = m_close[m_today];
        }
    }

    int today() const { return m_today; }

    Movement move = {0.0, 0.0};
    double trueRangeValue = 0.0;

private:
    const double *m_high;
    const double *m_low;
    const double *m_close;
    int m_today;
    double m_prevHigh;
    double m_prevLow;
    double m_prevClose;
};

// Wilder's running sum: decays by 1/period and takes today's value. A zero
// value is not added, which keeps the add off the dependency chain on bars
// without movement (adding +0.0 would not change the sum).
inline double wilder(double sum, double period, double value)
{
    sum = sum - (sum / period);
    return value != 0.0 ? sum + value : sum;
}

// Smoothed {-DM, +DM} and true range seeded over period - 1 bars: the state
// that DI, DX, ADX and ADXR share. Both directions and the range advance
// without branches, one vector division for the two directions.
struct DirectionalSums
{
    DirectionalSums(const double *high, const double *low, const double *close, int first,
                    int period_)
        : walk(high, low, close, first), period(period_)
    {
        for (int i = period_ - 1; i-- > 0;) {
            walk.next();
            move += walk.move;
            tr += walk.trueRangeValue;
        }
        decay();
    }

    void next()
    {
        walk.next();
        move = decayedMove + walk.move;
        tr = decayedTr + walk.trueRangeValue;
        decay();
    }

    // {-DI, +DI} of the current sums; false when the range is zero.
    bool indicators(Movement &di) const
    {
        if (isZero(tr))
            return false;
        di = 100.0 * (move / tr);
        return true;
    }

    // DX of the current sums; false when the ranges leave it undefined.
    bool dx(double &value) const
    {
        Movement di;
        if (!indicators(di))
            return false;
        const double sum = di[kMinus] + di[kPlus];
        if (isZero(sum))
            return false;
        value = (100.0 * (std::fabs(di[kMinus] - di[kPlus]) / sum));
        return true;
    }

    BarWalk walk;
    double period;
    Movement move = {0.0, 0.0};
    double tr = 0.0;

private:
    // The next bar's decay is due as soon as the sums are: issuing its
    // divisions before the caller divides the sums for its own figures
    // gives them the divider first, and they are the ones the next bar
    // waits for.
    void decay()
    {
        decayedMove = move - (move / period);
        decayedTr = tr - (tr / period);
    }

    Movement decayedMove = {0.0, 0.0};
    double decayedTr = 0.0;
};

template <int Side>
TA_RetCode directionalMovement(int startIdx, int endIdx, const double *high, const double *low,
                               int period, int *outBegIdx, int *outNBElement, double *out)
{
    const int lookback = period > 1 ? period - 1 : 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    int outIdx = 0;
    if (period <= 1) {
        // No smoothing: the one-bar movement of each bar.
        BarWalk walk(high, low, nullptr, startIdx - 1);
        while (walk.today() < endIdx) {
            walk.next();
            out[outIdx++] = walk.move[Side];
        }
    } else {
        BarWalk walk(high, low, nullptr, startIdx - lookback);
        double sum = 0.0;
        for (int i = period - 1; i-- > 0;) {
            walk.next();
            sum += walk.move[Side];
        }
        out[outIdx++] = sum;
        while (walk.today() < endIdx) {
            walk.next();
            sum = wilder(sum, period, walk.move[Side]);
            out[outIdx++] = sum;
        }
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

template <int Side>
TA_RetCode directionalIndicator(int startIdx, int endIdx, const double *high, const double *low,
                                const double *close, int period, int *outBegIdx,
                                int *outNBElement, double *out)
{
    const int lookback = period > 1 ? period : 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    int outIdx = 0;
    if (period <= 1) {
        // No smoothing: one-bar movement over one-bar true range, in percent
        // like every longer period.
        BarWalk walk(high, low, close, startIdx - 1);
        while (walk.today() < endIdx) {
            walk.next();
            const double dm = walk.move[Side];
            if (dm != 0.0 && !isZero(walk.trueRangeValue))
                out[outIdx++] = 100.0 * (dm / walk.trueRangeValue);
            else
                out[outIdx++] = 0.0;
        }
    } else {
        DirectionalSums sums(high, low, close, startIdx - lookback, period);
        do {
            sums.next();
            Movement di;
            out[outIdx++] = sums.indicators(di) ? di[Side] : 0.0;
        } while (sums.walk.today() < endIdx);
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int adxLookback(int period)
{
    return 2 * period - 1;
}

// ADX seeded with the mean of the first `period` DX values, then Wilder's
// smoothing; a bar whose DX is undefined leaves it unchanged. Hands each
// value from startIdx on to `sink`.
template <class Sink>
void adxStream(int startIdx, int endIdx, const double *high, const double *low,
               const double *close, int period, Sink &&sink)
{
    DirectionalSums sums(high, low, close, startIdx - adxLookback(period), period);
    double sumDx = 0.0;
    for (int i = period; i-- > 0;) {
        sums.next();
        double dx;
        if (sums.dx(dx))
            sumDx += dx;
    }
    double adx = (sumDx / period);
    sink(adx);
    while (sums.walk.today() < endIdx) {
        sums.next();
        double dx;
        if (sums.dx(dx))
            adx = (((adx * (period - 1)) + dx) / period);
        sink(adx);
    }
}

} // namespace
} // namespace kelvra::ta

using namespace kelvra::ta;

extern "C" {

int TA_TRANGE_Lookback(void)
{
    return 1;
}

TA_RetCode TA_TRANGE(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                     const double inClose[], int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (startIdx < 1)
        startIdx = 1;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);
    int outIdx = 0;
    int today = startIdx;
    // Two bars per SSE register, two registers at a time. The outputs never
    // land ahead of the input still to be read (an output may share a
    // buffer with an input).
    for (; today + 3 <= endIdx; today += 4, outIdx += 4) {
        const DoublePair low = trueRange(loadPair(inHigh + today), loadPair(inLow + today),
                                         loadPair(inClose + today - 1));
        const DoublePair high = trueRange(loadPair(inHigh + today + 2), loadPair(inLow + today + 2),
                                          loadPair(inClose + today + 1));
        storePair(outReal + outIdx, low);
        storePair(outReal + outIdx + 2, high);
    }
    for (; today <= endIdx; ++today)
        outReal[outIdx++] = trueRange(inHigh[today], inLow[today], inClose[today - 1]);
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_ATR_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 1) ? optInTimePeriod : -1;
}

TA_RetCode TA_ATR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 1))
        return TA_BAD_PARAM;
    const int period = optInTimePeriod;
    if (startIdx < period)
        startIdx = period;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);
    if (period <= 1)
        return TA_TRANGE(startIdx, endIdx, inHigh, inLow, inClose, outBegIdx, outNBElement, outReal);

    // Seed: the simple mean of the first `period` true ranges, summed in order.
    const bool apart = outputApart(outReal, endIdx - startIdx + 1, {inHigh, inLow, inClose}, endIdx);
    const int outIdx = withDivision(period, apart, [&](const auto &divide) KELVRA_TA_INLINE_LAMBDA {
        int today = startIdx - period + 1;
        double total = 0.0;
        for (int i = 0; i < period; ++i, ++today)
            total += trueRange(inHigh[today], inLow[today], inClose[today - 1]);
        double atr = total / period;
        int count = 0;
        outReal[count++] = atr;
        auto watch = divide.watch();
        watch.see(atr);
        for (; today <= endIdx; ++today) {
            const double range = trueRange(inHigh[today], inLow[today], inClose[today - 1]);
            watch.see(range);
            atr = divide(atr * (period - 1) + range);
            outReal[count++] = atr;
        }
        divide.report(0, watch);
        return count;
    });
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_MINUS_DM_Lookback(int optInTimePeriod)
{
    if (!takePeriod(optInTimePeriod, 14, 1))
        return -1;
    return optInTimePeriod > 1 ? optInTimePeriod - 1 : 1;
}

TA_RetCode TA_MINUS_DM(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       int optInTimePeriod, int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inHigh, inLow, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 1))
        return TA_BAD_PARAM;
    return directionalMovement<kMinus>(startIdx, endIdx, inHigh, inLow, optInTimePeriod, outBegIdx,
                                       outNBElement, outReal);
}

int TA_PLUS_DM_Lookback(int optInTimePeriod)
{
    return TA_MINUS_DM_Lookback(optInTimePeriod);
}

TA_RetCode TA_PLUS_DM(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                      int optInTimePeriod, int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inHigh, inLow, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 1))
        return TA_BAD_PARAM;
    return directionalMovement<kPlus>(startIdx, endIdx, inHigh, inLow, optInTimePeriod, outBegIdx,
                                      outNBElement, outReal);
}

int TA_MINUS_DI_Lookback(int optInTimePeriod)
{
    if (!takePeriod(optInTimePeriod, 14, 1))
        return -1;
    return optInTimePeriod > 1 ? optInTimePeriod : 1;
}

TA_RetCode TA_MINUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       const double inClose[], int optInTimePeriod, int *outBegIdx,
                       int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 1))
        return TA_BAD_PARAM;
    return directionalIndicator<kMinus>(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod,
                                        outBegIdx, outNBElement, outReal);
}

int TA_PLUS_DI_Lookback(int optInTimePeriod)
{
    return TA_MINUS_DI_Lookback(optInTimePeriod);
}

TA_RetCode TA_PLUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                      const double inClose[], int optInTimePeriod, int *outBegIdx,
                      int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 1))
        return TA_BAD_PARAM;
    return directionalIndicator<kPlus>(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod,
                                       outBegIdx, outNBElement, outReal);
}

int TA_DX_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod : -1;
}

TA_RetCode TA_DX(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                 const double inClose[], int optInTimePeriod, int *outBegIdx,
                 int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int period = optInTimePeriod;
    if (startIdx < period)
        startIdx = period;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    DirectionalSums sums(inHigh, inLow, inClose, startIdx - period, period);
    sums.next();
    int outIdx = 0;
    double dx = 0.0;
    outReal[outIdx++] = sums.dx(dx) ? dx : 0.0;
    while (sums.walk.today() < endIdx) {
        sums.next();
        // An undefined DX repeats the previous one.
        outReal[outIdx] = sums.dx(dx) ? dx : outReal[outIdx - 1];
        ++outIdx;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_ADX_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? adxLookback(optInTimePeriod) : -1;
}

TA_RetCode TA_ADX(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int lookback = adxLookback(optInTimePeriod);
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);
    int outIdx = 0;
    adxStream(startIdx, endIdx, inHigh, inLow, inClose, optInTimePeriod,
              [&](double adx) { outReal[outIdx++] = adx; });
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_ADXR_Lookback(int optInTimePeriod)
{
    if (!takePeriod(optInTimePeriod, 14, 2))
        return -1;
    return optInTimePeriod + adxLookback(optInTimePeriod) - 1;
}

TA_RetCode TA_ADXR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                   const double inClose[], int optInTimePeriod, int *outBegIdx,
                   int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int period = optInTimePeriod;
    const int lookback = period + adxLookback(period) - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // ADX now averaged with ADX period - 1 bars ago, kept in a ring of the
    // last period - 1 values: the slot read is the one overwritten next.
    const int delay = period - 1;
    WindowBuffer<128> ring(static_cast<std::size_t>(delay));
    if (!ring.ok())
        return TA_ALLOC_ERR;
    int seen = 0;
    std::size_t slot = 0;
    int outIdx = 0;
    adxStream(startIdx - delay, endIdx, inHigh, inLow, inClose, period, [&](double adx) {
        if (seen < delay)
            ++seen;
        else
            outReal[outIdx++] = ((adx + ring[slot]) / 2.0);
        ring[slot] = adx;
        if (++slot == static_cast<std::size_t>(delay))
            slot = 0;
    });
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

} // extern "C"
