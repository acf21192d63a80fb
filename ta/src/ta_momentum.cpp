// Momentum oscillators: price differences and ratios, RSI, CCI, Williams' %R,
// TRIX, MACD and the stochastic.

#include "ta_common.h"
#include "ta_window.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace kelvra::ta {
namespace {

// Shared frame of the functions that compare a price with the one `period`
// bars earlier. The formula takes doubles or DoublePairs.
template <class Formula>
TA_RetCode compareWithEarlier(int startIdx, int endIdx, const double *in, int period,
                              int *outBegIdx, int *outNBElement, double *out, Formula formula)
{
    if (startIdx < period)
        startIdx = period;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);
    int outIdx = 0;
    int today = startIdx;
    int trailing = startIdx - period;
    // Two bars per SSE register, two registers at a time; the formula is the
    // same for a lane as for a scalar. Both inputs of a group are read
    // before its outputs are written, and the outputs never land ahead of
    // the trailing input, so an output over the input still works.
    for (; today + 3 <= endIdx; today += 4, trailing += 4) {
        const DoublePair low = formula(loadPair(in + today), loadPair(in + trailing));
        const DoublePair high = formula(loadPair(in + today + 2), loadPair(in + trailing + 2));
        storePair(out + outIdx, low);
        storePair(out + outIdx + 2, high);
        outIdx += 4;
    }
    for (; today <= endIdx; ++today, ++trailing)
        out[outIdx++] = formula(in[today], in[trailing]);
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

#define KELVRA_TA_COMPARE_FUNCTION(NAME, FORMULA)                                                  \
    int TA_##NAME##_Lookback(int optInTimePeriod)                                                  \
    {                                                                                              \
        return takePeriod(optInTimePeriod, 10, 1) ? optInTimePeriod : -1;                          \
    }                                                                                              \
    TA_RetCode TA_##NAME(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,     \
                         int *outBegIdx, int *outNBElement, double outReal[])                      \
    {                                                                                              \
        if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement})) \
            return rc;                                                                             \
        if (!takePeriod(optInTimePeriod, 10, 1))                                                   \
            return TA_BAD_PARAM;                                                                   \
        return compareWithEarlier(startIdx, endIdx, inReal, optInTimePeriod, outBegIdx,            \
                                  outNBElement, outReal, FORMULA);                                 \
    }

// A division guarded against a zero divisor, for a double or a DoublePair.
// The pair divides both lanes and then picks 0 where the divisor is zero
// (that lane's quotient is discarded); the scalar picks before dividing.
template <class T, class Quotient>
inline T unlessZero(T earlier, Quotient quotient)
{
    if constexpr (std::is_same_v<T, double>)
        return earlier != 0.0 ? quotient() : 0.0;
    else
        return earlier != 0.0 ? quotient() : T{};
}

// ((price / earlier) - 1) * 100; a zero earlier price gives 0.
template <class T>
inline T rocPercent(T price, T earlier)
{
    return unlessZero(earlier, [&] { return ((price / earlier) - 1.0) * 100.0; });
}

inline double fastKValue(double close, double highest, double lowest)
{
    const double diff = (highest - lowest) / 100.0;
    return diff != 0.0 ? (close - lowest) / diff : 0.0;
}

// Fast %K over [firstBar, endIdx]: where the close sits in the window's
// high-low range, in percent; a flat window gives 0. False when scratch
// memory is refused.
bool fastK(int firstBar, int endIdx, const double *high, const double *low, const double *close,
           int period, double *out)
{
    return forEachWindow(high, low, firstBar, endIdx, period,
                         [=](int today, double highest, double lowest) {
                             out[today - firstBar] = fastKValue(close[today], highest, lowest);
                         });
}

inline double rsiValue(double gain, double loss)
{
    const double total = gain + loss;
    return isZero(total) ? 0.0 : 100.0 * (gain / total);
}

// Wilder's smoothing of the losses and gains: each bar scales both sums
// up, adds the change to one of them and divides both by the period. The
// two sums are independent chains, each waiting for its own division, so
// they stay scalar: a pair in one register would add lane shuffles to both
// chains. The jump on the change's sign is mispredicted half the time but
// costs little, as the chains, not the instruction stream, set the pace.
template <class Divide>
KELVRA_TA_INLINE int rsiSmoothing(const Divide &divide, const double *in, int today, int endIdx,
                                  double prevValue, double loss, double gain, int period,
                                  double *out, int outIdx)
{
    const double keep = period - 1;
    auto lossWatch = divide.watch();
    auto gainWatch = divide.watch();
    lossWatch.see(loss);
    gainWatch.see(gain);
    while (today <= endIdx) {
        const double value = in[today++];
        const double change = value - prevValue;
        prevValue = value;
        loss *= keep;
        gain *= keep;
        if (change < 0) {
            loss -= change;
            lossWatch.see(-change);
            gainWatch.see(0.0);
        } else {
            gain += change;
            lossWatch.see(0.0);
            gainWatch.see(change);
        }
        loss = divide(loss);
        gain = divide(gain);
        out[outIdx++] = rsiValue(gain, loss);
    }
    divide.report(0, lossWatch);
    divide.report(1, gainWatch);
    return outIdx;
}

int trixLookback(int period)
{
    return 3 * (period - 1) + 1;
}

// TRIX of the bars firstBar..firstBar + count - 1: the one-bar rate of
// change of a triple exponential average, each average seeded from the one
// before it so that the first output lands on firstBar.
void trixValues(int firstBar, int count, const double *in, int period, double *out)
{
    const double k = perToK(period);
    EmaStage first(period, k);
    EmaStage second(period, k);
    EmaStage third(period, k);
    const int lastBar = firstBar + count - 1;
    double previous = 0.0;
    bool havePrevious = false;
    int outIdx = 0;
    for (int today = firstBar - trixLookback(period); today <= lastBar; ++today) {
        if (!(first.feed(in[today]) && second.feed(first.value) && third.feed(second.value)))
            continue;
        if (havePrevious)
            out[outIdx++] = rocPercent(third.value, previous);
        previous = third.value;
        havePrevious = true;
    }
}

} // namespace
} // namespace kelvra::ta

using namespace kelvra::ta;

extern "C" {

KELVRA_TA_COMPARE_FUNCTION(MOM, [](auto price, auto earlier) { return price - earlier; })
KELVRA_TA_COMPARE_FUNCTION(ROC, [](auto price, auto earlier) { return rocPercent(price, earlier); })
KELVRA_TA_COMPARE_FUNCTION(ROCP, [](auto price, auto earlier) {
    return unlessZero(earlier, [&] { return (price - earlier) / earlier; });
})
KELVRA_TA_COMPARE_FUNCTION(ROCR, [](auto price, auto earlier) {
    return unlessZero(earlier, [&] { return price / earlier; });
})
KELVRA_TA_COMPARE_FUNCTION(ROCR100, [](auto price, auto earlier) {
    return unlessZero(earlier, [&] { return (price / earlier) * 100.0; });
})

int TA_RSI_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod : -1;
}

TA_RetCode TA_RSI(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                  int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int period = optInTimePeriod;
    if (startIdx < period)
        startIdx = period;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Seed: simple averages of the first `period` gains and losses.
    int today = startIdx - period;
    double prevValue = inReal[today++];
    double gain = 0.0;
    double loss = 0.0;
    for (int i = period; i > 0; --i) {
        const double value = inReal[today++];
        const double change = value - prevValue;
        prevValue = value;
        if (change < 0)
            loss -= change;
        else
            gain += change;
    }
    loss /= period;
    gain /= period;

    int outIdx = 0;
    outReal[outIdx++] = rsiValue(gain, loss);

    const bool apart = outputApart(outReal, endIdx - startIdx + 1, {inReal}, endIdx);
    outIdx = withDivision(period, apart, [=](const auto &divide) KELVRA_TA_INLINE_LAMBDA {
        return rsiSmoothing(divide, inReal, today, endIdx, prevValue, loss, gain, period, outReal,
                            outIdx);
    });
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_CCI_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod - 1 : -1;
}

TA_RetCode TA_CCI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int period = optInTimePeriod;
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Typical prices in a circular buffer; the mean and the mean deviation
    // are summed in buffer order, not in bar order, which shows in the last
    // digits of nearly flat windows.
    WindowBuffer<64> ring(static_cast<std::size_t>(period));
    if (!ring.ok())
        return TA_ALLOC_ERR;
    std::size_t slot = 0;
    const std::size_t size = static_cast<std::size_t>(period);
    int i = startIdx - lookback;
    for (; i < startIdx; ++i) {
        ring[slot] = (inHigh[i] + inLow[i] + inClose[i]) / 3;
        if (++slot == size)
            slot = 0;
    }
    int outIdx = 0;
    do {
        const double last = (inHigh[i] + inLow[i] + inClose[i]) / 3;
        ring[slot] = last;
        double average = 0;
        for (std::size_t j = 0; j < size; ++j)
            average += ring[j];
        average /= period;
        double deviation = 0;
        bool flat = true;
        for (std::size_t j = 0; j < size; ++j) {
            deviation += std::fabs(ring[j] - average);
            flat = flat && ring[j] == last;
        }
        const double distance = last - average;
        // A window of one repeated price has no deviation; its rounded mean
        // would otherwise leave two noise terms whose ratio is arbitrary.
        if (!flat && distance != 0.0 && deviation != 0.0)
            outReal[outIdx++] = distance / (0.015 * (deviation / period));
        else
            outReal[outIdx++] = 0.0;
        if (++slot == size)
            slot = 0;
        ++i;
    } while (i <= endIdx);
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_WILLR_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod - 1 : -1;
}

TA_RetCode TA_WILLR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInTimePeriod, int *outBegIdx,
                    int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inHigh, inLow, inClose, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int lookback = optInTimePeriod - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Distance of the close below the window's high, from -100 (at the low)
    // to 0 (at the high); a flat window gives 0.
    const bool ok = forEachWindow(inHigh, inLow, startIdx, endIdx, optInTimePeriod,
                                  [=](int today, double highest, double lowest) {
                                      const double diff = (highest - lowest) / (-100.0);
                                      outReal[today - startIdx] =
                                          diff != 0.0 ? (highest - inClose[today]) / diff : 0.0;
                                  });
    if (!ok)
        return TA_ALLOC_ERR;
    const int outIdx = endIdx - startIdx + 1;
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_TRIX_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 30, 1) ? trixLookback(optInTimePeriod) : -1;
}

TA_RetCode TA_TRIX(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                   int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 30, 1))
        return TA_BAD_PARAM;
    const int lookback = trixLookback(optInTimePeriod);
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Drop-in equivalence with TA-Lib 0.6.4: when startIdx lies beyond the
    // lookback, its first average is started a whole lookback before
    // startIdx on top of its own seeding, and the values it returns are those
    // of bars up to period - 1 earlier than outBegIdx says. Charts always
    // calculate from bar 0, where no shift occurs; other callers get the
    // library's numbers exactly.
    const int shift = std::min(optInTimePeriod - 1, startIdx - lookback);
    const int count = endIdx - startIdx + 1;
    trixValues(startIdx - shift, count, inReal, optInTimePeriod, outReal);
    *outBegIdx = startIdx;
    *outNBElement = count;
    return TA_SUCCESS;
}

int TA_MACD_Lookback(int optInFastPeriod, int optInSlowPeriod, int optInSignalPeriod)
{
    if (!takePeriod(optInFastPeriod, 12, 2) || !takePeriod(optInSlowPeriod, 26, 2)
        || !takePeriod(optInSignalPeriod, 9, 1))
        return -1;
    const int slow = std::max(optInFastPeriod, optInSlowPeriod);
    return (slow - 1) + (optInSignalPeriod - 1);
}

TA_RetCode TA_MACD(int startIdx, int endIdx, const double inReal[], int optInFastPeriod,
                   int optInSlowPeriod, int optInSignalPeriod, int *outBegIdx,
                   int *outNBElement, double outMACD[], double outMACDSignal[],
                   double outMACDHist[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inReal, outMACD, outMACDSignal, outMACDHist, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInFastPeriod, 12, 2) || !takePeriod(optInSlowPeriod, 26, 2)
        || !takePeriod(optInSignalPeriod, 9, 1))
        return TA_BAD_PARAM;
    // The longer period is the slow one, whichever way they were given.
    if (optInSlowPeriod < optInFastPeriod)
        std::swap(optInSlowPeriod, optInFastPeriod);
    const int signalLookback = optInSignalPeriod - 1;
    const int lookback = signalLookback + (optInSlowPeriod - 1);
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Both averages produce their first value on the first bar of the MACD
    // line, each seeded from the closes ending there.
    const int firstLineBar = startIdx - signalLookback;
    EmaStage slow(optInSlowPeriod, perToK(optInSlowPeriod));
    EmaStage fast(optInFastPeriod, perToK(optInFastPeriod));
    EmaStage signal(optInSignalPeriod, perToK(optInSignalPeriod));
    int outIdx = 0;
    for (int today = firstLineBar - (optInSlowPeriod - 1); today <= endIdx; ++today) {
        const double price = inReal[today];
        slow.feed(price);
        if (today >= firstLineBar - (optInFastPeriod - 1))
            fast.feed(price);
        if (today < firstLineBar)
            continue;
        const double line = fast.value - slow.value;
        if (!signal.feed(line))
            continue;
        outMACD[outIdx] = line;
        outMACDSignal[outIdx] = signal.value;
        outMACDHist[outIdx] = line - signal.value;
        ++outIdx;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_STOCH_Lookback(int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType,
                      int optInSlowD_Period, TA_MAType optInSlowD_MAType)
{
    if (!takePeriod(optInFastK_Period, 5, 1) || !takePeriod(optInSlowK_Period, 3, 1)
        || !takeMaType(optInSlowK_MAType) || !takePeriod(optInSlowD_Period, 3, 1)
        || !takeMaType(optInSlowD_MAType))
        return -1;
    return (optInFastK_Period - 1) + maLookback(optInSlowK_Period, optInSlowK_MAType)
           + maLookback(optInSlowD_Period, optInSlowD_MAType);
}

TA_RetCode TA_STOCH(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInFastK_Period, int optInSlowK_Period,
                    TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                    TA_MAType optInSlowD_MAType, int *outBegIdx, int *outNBElement,
                    double outSlowK[], double outSlowD[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inHigh, inLow, inClose, outSlowK, outSlowD,
                                                     outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInFastK_Period, 5, 1) || !takePeriod(optInSlowK_Period, 3, 1)
        || !takeMaType(optInSlowK_MAType) || !takePeriod(optInSlowD_Period, 3, 1)
        || !takeMaType(optInSlowD_MAType))
        return TA_BAD_PARAM;
    const int lookbackK = optInFastK_Period - 1;
    const int lookbackSlowK = maLookback(optInSlowK_Period, optInSlowK_MAType);
    const int lookbackSlowD = maLookback(optInSlowD_Period, optInSlowD_MAType);
    const int lookback = lookbackK + lookbackSlowK + lookbackSlowD;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // Fast %K from the first bar the two smoothings need, then slow %K as an
    // average of it and slow %D as an average of slow %K.
    const int firstBar = startIdx - lookbackSlowK - lookbackSlowD;
    if (optInSlowK_MAType == TA_MAType_EMA && optInSlowD_MAType == TA_MAType_EMA
        && optInSlowK_Period > 1 && optInSlowD_Period > 1) {
        // Exponential smoothings (the catalogue's default) in the same pass
        // as fast %K: the two averages' chains then overlap instead of
        // running one after the other. The same operations as the two
        // averages over the whole fast %K series.
        EmaStage slowK(optInSlowK_Period, perToK(optInSlowK_Period));
        EmaStage slowD(optInSlowD_Period, perToK(optInSlowD_Period));
        int count = 0;
        const bool ok = forEachWindow(inHigh, inLow, firstBar, endIdx, optInFastK_Period,
                                      [&](int today, double highest, double lowest) {
                                          const double fast = fastKValue(inClose[today], highest, lowest);
                                          if (slowK.feed(fast) && slowD.feed(slowK.value)) {
                                              outSlowK[count] = slowK.value;
                                              outSlowD[count] = slowD.value;
                                              ++count;
                                          }
                                      });
        if (!ok)
            return TA_ALLOC_ERR;
        *outBegIdx = startIdx;
        *outNBElement = count;
        return TA_SUCCESS;
    }
    const int fastCount = endIdx - firstBar + 1;
    Scratch scratch(2 * static_cast<std::size_t>(fastCount));
    if (!scratch.ok())
        return TA_ALLOC_ERR;
    double *fast = scratch.data();
    double *slowK = fast + fastCount;
    if (!fastK(firstBar, endIdx, inHigh, inLow, inClose, optInFastK_Period, fast))
        return TA_ALLOC_ERR;

    int beg = 0;
    int slowKCount = 0;
    TA_RetCode rc = movingAverage(0, fastCount - 1, fast, optInSlowK_Period, optInSlowK_MAType, &beg,
                                  &slowKCount, slowK);
    if (rc != TA_SUCCESS || slowKCount == 0) {
        *outBegIdx = 0;
        *outNBElement = 0;
        return rc;
    }
    int count = 0;
    rc = movingAverage(0, slowKCount - 1, slowK, optInSlowD_Period, optInSlowD_MAType, &beg, &count,
                       outSlowD);
    if (rc != TA_SUCCESS || count == 0) {
        *outBegIdx = 0;
        *outNBElement = 0;
        return rc;
    }
    std::memcpy(outSlowK, slowK + lookbackSlowD, sizeof(double) * static_cast<std::size_t>(count));
    *outBegIdx = startIdx;
    *outNBElement = count;
    return TA_SUCCESS;
}

} // extern "C"
