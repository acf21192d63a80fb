// Studies drawn over the price: Bollinger Bands, the mid price and mid point
// of a window, and the parabolic stop-and-reverse.

#include "ta_common.h"
#include "ta_window.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kelvra::ta {
namespace {

// Population standard deviation around a precomputed simple mean: running
// sum of squares in TA-Lib's order minus the mean squared.
void stdDevAroundMean(const double *in, const double *mean, int firstBar, int count, int period,
                      double *out)
{
    int startSum = 1 + firstBar - period;
    int endSum = firstBar;
    double total2 = 0.0;
    for (int i = startSum; i < endSum; ++i) {
        const double v = in[i];
        total2 += v * v;
    }
    for (int outIdx = 0; outIdx < count; ++outIdx, ++startSum, ++endSum) {
        double v = in[endSum];
        total2 += v * v;
        double variance = total2 / period;
        v = in[startSum];
        total2 -= v * v;
        v = mean[outIdx];
        variance -= v * v;
        out[outIdx] = isZeroOrNeg(variance) ? 0.0 : std::sqrt(variance);
    }
}

// Population standard deviation of a sliding window from running sums of
// the values and their squares: primed with the first period - 1 values,
// then each step adds the newest value, takes the means and drops the
// oldest.
class RunningDeviation
{
public:
    RunningDeviation(const double *in, int first, int period) : m_period(period)
    {
        for (int i = first; i < first + period - 1; ++i) {
            const double v = in[i];
            m_total1 += v;
            m_total2 += v * v;
        }
    }

    double next(double newest, double oldest)
    {
        m_total1 += newest;
        m_total2 += newest * newest;
        const double mean1 = m_total1 / m_period;
        const double mean2 = m_total2 / m_period;
        m_total1 -= oldest;
        m_total2 -= oldest * oldest;
        const double variance = mean2 - mean1 * mean1;
        return isZeroOrNeg(variance) ? 0.0 : std::sqrt(variance);
    }

private:
    int m_period;
    double m_total1 = 0.0;
    double m_total2 = 0.0;
};

// The deviation of each window, as its own pass.
void stdDevRunning(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
                   int *outNBElement, double *out)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    RunningDeviation deviation(in, startIdx - lookback, period);
    int outIdx = 0;
    for (int bar = startIdx; bar <= endIdx; ++bar)
        out[outIdx++] = deviation.next(in[bar], in[bar - lookback]);
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

// Bollinger bands around an exponential average (the catalogue's choice)
// in one pass: the average, the running deviation and the bands, with the
// operations of the separate passes in their order. The average's chain and
// the deviation's sums then overlap. Every input of a bar is read before
// its outputs are written, and later bars read only later input, so the
// input may share a buffer with any output. startIdx >= period - 1, the
// period above 1.
void bandsAroundExponentialAverage(int startIdx, int endIdx, const double *in, int period,
                                   double devUp, double devDown, double *upper, double *middle,
                                   double *lower)
{
    const int lookback = period - 1;
    const double k = perToK(period);
    double total = 0.0;
    for (int i = startIdx - lookback; i <= startIdx; ++i)
        total += in[i];
    double average = total / period;
    RunningDeviation deviation(in, startIdx - lookback, period);
    for (int bar = startIdx, outIdx = 0; bar <= endIdx; ++bar, ++outIdx) {
        const double v = in[bar];
        if (bar > startIdx)
            average = ((v - average) * k) + average;
        const double dev = deviation.next(v, in[bar - lookback]);
        middle[outIdx] = average;
        upper[outIdx] = average + dev * devUp;
        lower[outIdx] = average - dev * devDown;
    }
}

} // namespace
} // namespace kelvra::ta

using namespace kelvra::ta;

extern "C" {

int TA_BBANDS_Lookback(int optInTimePeriod, double optInNbDevUp, double optInNbDevDn,
                       TA_MAType optInMAType)
{
    if (!takePeriod(optInTimePeriod, 5, 2) || !takeReal(optInNbDevUp, 2.0, TA_REAL_MIN, TA_REAL_MAX)
        || !takeReal(optInNbDevDn, 2.0, TA_REAL_MIN, TA_REAL_MAX) || !takeMaType(optInMAType))
        return -1;
    return std::max(maLookback(optInTimePeriod, optInMAType), optInTimePeriod - 1);
}

TA_RetCode TA_BBANDS(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                     double optInNbDevUp, double optInNbDevDn, TA_MAType optInMAType,
                     int *outBegIdx, int *outNBElement, double outRealUpperBand[],
                     double outRealMiddleBand[], double outRealLowerBand[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx,
                                  {inReal, outRealUpperBand, outRealMiddleBand, outRealLowerBand,
                                   outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 5, 2) || !takeReal(optInNbDevUp, 2.0, TA_REAL_MIN, TA_REAL_MAX)
        || !takeReal(optInNbDevDn, 2.0, TA_REAL_MIN, TA_REAL_MAX) || !takeMaType(optInMAType))
        return TA_BAD_PARAM;

    // Two of the outputs serve as scratch for the average and the deviation;
    // choose them so that neither is the input, which a caller may share
    // with one output.
    double *maBuffer = outRealMiddleBand;
    double *devBuffer = outRealUpperBand;
    if (inReal == outRealUpperBand) {
        devBuffer = outRealLowerBand;
    } else if (inReal == outRealLowerBand) {
        devBuffer = outRealUpperBand;
    } else if (inReal == outRealMiddleBand) {
        maBuffer = outRealLowerBand;
    }
    if (maBuffer == inReal || devBuffer == inReal || maBuffer == devBuffer)
        return TA_BAD_PARAM;

    // The deviation needs a full period even where the average needs less
    // (MESA's fixed lookback is shorter than long periods); both start on the
    // same bar so that the bands and the middle line stay aligned.
    const int lookback = std::max(maLookback(optInTimePeriod, optInMAType), optInTimePeriod - 1);
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    if (optInMAType == TA_MAType_EMA) {
        bandsAroundExponentialAverage(startIdx, endIdx, inReal, optInTimePeriod, optInNbDevUp,
                                      optInNbDevDn, outRealUpperBand, outRealMiddleBand,
                                      outRealLowerBand);
        *outBegIdx = startIdx;
        *outNBElement = endIdx - startIdx + 1;
        return TA_SUCCESS;
    }

    int beg = 0;
    int count = 0;
    TA_RetCode rc = movingAverage(startIdx, endIdx, inReal, optInTimePeriod, optInMAType, &beg,
                                  &count, maBuffer);
    if (rc != TA_SUCCESS || count == 0) {
        *outBegIdx = 0;
        *outNBElement = 0;
        return rc;
    }
    if (optInMAType == TA_MAType_SMA) {
        stdDevAroundMean(inReal, maBuffer, beg, count, optInTimePeriod, devBuffer);
    } else {
        int devBeg = 0;
        int devCount = 0;
        stdDevRunning(beg, endIdx, inReal, optInTimePeriod, &devBeg, &devCount, devBuffer);
        if (devBeg != beg || devCount != count) {
            *outBegIdx = 0;
            *outNBElement = 0;
            return TA_INTERNAL_ERROR;
        }
    }
    if (count > 0 && maBuffer != outRealMiddleBand)
        std::copy(maBuffer, maBuffer + count, outRealMiddleBand);

    for (int i = 0; i < count; ++i) {
        const double dev = devBuffer[i];
        const double middle = outRealMiddleBand[i];
        outRealUpperBand[i] = middle + dev * optInNbDevUp;
        outRealLowerBand[i] = middle - dev * optInNbDevDn;
    }
    *outBegIdx = beg;
    *outNBElement = count;
    return TA_SUCCESS;
}

int TA_MIDPOINT_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod - 1 : -1;
}

TA_RetCode TA_MIDPOINT(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                       int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    return TA_MIDPRICE(startIdx, endIdx, inReal, inReal, optInTimePeriod, outBegIdx, outNBElement,
                       outReal);
}

int TA_MIDPRICE_Lookback(int optInTimePeriod)
{
    return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod - 1 : -1;
}

TA_RetCode TA_MIDPRICE(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       int optInTimePeriod, int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inHigh, inLow, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 14, 2))
        return TA_BAD_PARAM;
    const int lookback = optInTimePeriod - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    const bool ok = forEachWindow(inHigh, inLow, startIdx, endIdx, optInTimePeriod,
                                  [outReal, startIdx](int today, double highest, double lowest)
                                      KELVRA_TA_INLINE_LAMBDA {
                                          outReal[today - startIdx] = (highest + lowest) / 2.0;
                                      });
    if (!ok)
        return TA_ALLOC_ERR;
    const int outIdx = endIdx - startIdx + 1;
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

int TA_SAR_Lookback(double optInAcceleration, double optInMaximum)
{
    if (!takeReal(optInAcceleration, 0.02, 0.0, TA_REAL_MAX) || !takeReal(optInMaximum, 0.2, 0.0, TA_REAL_MAX))
        return -1;
    return 1;
}

TA_RetCode TA_SAR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  double optInAcceleration, double optInMaximum, int *outBegIdx,
                  int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inHigh, inLow, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takeReal(optInAcceleration, 0.02, 0.0, TA_REAL_MAX) || !takeReal(optInMaximum, 0.2, 0.0, TA_REAL_MAX))
        return TA_BAD_PARAM;
    if (startIdx < 1)
        startIdx = 1;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // The step never exceeds the maximum.
    if (optInAcceleration > optInMaximum)
        optInAcceleration = optInMaximum;
    double af = optInAcceleration;

    // The first direction: short when the start bar has a one-bar minus DM.
    const double diffP = inHigh[startIdx] - inHigh[startIdx - 1];
    const double diffM = inLow[startIdx - 1] - inLow[startIdx];
    bool isLong = !(diffM > 0 && diffP < diffM);

    // The first SAR is the previous bar's extreme against the direction.
    int today = startIdx;
    double ep;
    double sar;
    if (isLong) {
        ep = inHigh[today];
        sar = inLow[today - 1];
    } else {
        ep = inLow[today];
        sar = inHigh[today - 1];
    }
    double newLow = inLow[today];
    double newHigh = inHigh[today];

    int outIdx = 0;
    while (today <= endIdx) {
        const double prevLow = newLow;
        const double prevHigh = newHigh;
        newLow = inLow[today];
        newHigh = inHigh[today];
        ++today;

        if (isLong) {
            if (newLow <= sar) [[unlikely]] {
                // Reverse to short: the SAR jumps to the extreme point.
                isLong = false;
                sar = ep;
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
                outReal[outIdx++] = sar;
                af = optInAcceleration;
                ep = newLow;
                sar = sar + af * (ep - sar);
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
            } else {
                outReal[outIdx++] = sar;
                if (newHigh > ep) {
                    ep = newHigh;
                    af += optInAcceleration;
                    if (af > optInMaximum)
                        af = optInMaximum;
                }
                sar = sar + af * (ep - sar);
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
            }
        } else {
            if (newHigh >= sar) [[unlikely]] {
                // Reverse to long.
                isLong = true;
                sar = ep;
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
                outReal[outIdx++] = sar;
                af = optInAcceleration;
                ep = newHigh;
                sar = sar + af * (ep - sar);
                if (sar > prevLow)
                    sar = prevLow;
                if (sar > newLow)
                    sar = newLow;
            } else {
                outReal[outIdx++] = sar;
                if (newLow < ep) {
                    ep = newLow;
                    af += optInAcceleration;
                    if (af > optInMaximum)
                        af = optInMaximum;
                }
                sar = sar + af * (ep - sar);
                if (sar < prevHigh)
                    sar = prevHigh;
                if (sar < newHigh)
                    sar = newHigh;
            }
        }
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

} // extern "C"
