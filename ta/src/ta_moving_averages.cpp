// The nine moving-average types behind TA_MA. Every recursive average seeds
// at the clamped start index, so a call that starts later is not a slice of
// one that starts at bar 0.

#include "ta_common.h"

#include <cstring>

namespace kelvra::ta {
namespace {

constexpr double kT3VolumeFactor = 0.7;

int t3Lookback(int period)
{
    return 6 * (period - 1);
}

void wmaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
             int *outNBElement, double *out)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    // Weights 1..period; 64-bit so that long periods do not overflow.
    const double divider = static_cast<double>((static_cast<long long>(period) * (period + 1)) >> 1);
    int trailingIdx = startIdx - lookback;
    int inIdx = trailingIdx;
    double periodSum = 0.0;
    double periodSub = 0.0;
    for (int weight = 1; inIdx < startIdx; ++weight) {
        const double value = in[inIdx++];
        periodSub += value;
        periodSum += value * weight;
    }
    double trailingValue = 0.0;
    int outIdx = 0;
    while (inIdx <= endIdx) {
        const double value = in[inIdx++];
        periodSub += value;
        periodSub -= trailingValue;
        periodSum += value * period;
        trailingValue = in[trailingIdx++];
        out[outIdx++] = periodSum / divider;
        periodSum -= periodSub;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

// DEMA and TEMA: a chain of exponential averages, each seeded from the
// values of the stage before it, computed in one pass.
void demaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
              int *outNBElement, double *out)
{
    const int emaLookback = period - 1;
    if (startIdx < 2 * emaLookback)
        startIdx = 2 * emaLookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    const double k = perToK(period);
    EmaStage first(period, k);
    EmaStage second(period, k);
    int outIdx = 0;
    for (int today = startIdx - 2 * emaLookback; today <= endIdx; ++today) {
        if (first.feed(in[today]) && second.feed(first.value))
            out[outIdx++] = (2.0 * first.value) - second.value;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

void temaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
              int *outNBElement, double *out)
{
    const int emaLookback = period - 1;
    if (startIdx < 3 * emaLookback)
        startIdx = 3 * emaLookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    const double k = perToK(period);
    EmaStage first(period, k);
    EmaStage second(period, k);
    EmaStage third(period, k);
    int outIdx = 0;
    for (int today = startIdx - 3 * emaLookback; today <= endIdx; ++today) {
        if (first.feed(in[today]) && second.feed(first.value) && third.feed(second.value))
            out[outIdx++] = third.value + ((3.0 * first.value) - (3.0 * second.value));
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

// Triangular average: weights rise to the middle of the window and fall
// again. Kept as running numerators in TA-Lib's order; odd and even periods
// update them in a slightly different sequence.
void trimaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
               int *outNBElement, double *out)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    const bool odd = (period % 2) == 1;
    const int half = period >> 1;
    double factor;
    int trailingIdx = startIdx - lookback;
    int middleIdx;
    if (odd) {
        const double n = static_cast<double>(half + 1);
        factor = 1.0 / (n * n);
        middleIdx = trailingIdx + half;
    } else {
        factor = 1.0 / (static_cast<double>(half) * (static_cast<double>(half) + 1));
        middleIdx = trailingIdx + half - 1;
    }
    int todayIdx = middleIdx + half;

    double numerator = 0.0;
    double numeratorSub = 0.0;
    for (int i = middleIdx; i >= trailingIdx; --i) {
        numeratorSub += in[i];
        numerator += numeratorSub;
    }
    double numeratorAdd = 0.0;
    ++middleIdx;
    for (int i = middleIdx; i <= todayIdx; ++i) {
        numeratorAdd += in[i];
        numerator += numeratorAdd;
    }

    int outIdx = 0;
    double trailing = in[trailingIdx++];
    out[outIdx++] = numerator * factor;
    ++todayIdx;
    while (todayIdx <= endIdx) {
        numerator -= numeratorSub;
        numeratorSub -= trailing;
        const double middle = in[middleIdx++];
        numeratorSub += middle;
        if (odd) {
            numerator += numeratorAdd;
            numeratorAdd -= middle;
        } else {
            numeratorAdd -= middle;
            numerator += numeratorAdd;
        }
        const double today = in[todayIdx++];
        numeratorAdd += today;
        numerator += today;
        trailing = in[trailingIdx++];
        out[outIdx++] = numerator * factor;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

// Kaufman's adaptive average with the fast and slow constants of 2 and 30.
void kamaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
              int *outNBElement, double *out)
{
    const double constMax = 2.0 / (30.0 + 1.0);
    const double constDiff = 2.0 / (2.0 + 1.0) - constMax;
    const int lookback = period;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }

    double sumRoc1 = 0.0;
    int today = startIdx - lookback;
    int trailingIdx = today;
    for (int i = period; i-- > 0;) {
        double diff = in[today++];
        diff -= in[today];
        sumRoc1 += std::fabs(diff);
    }

    auto smoothing = [&](double periodRoc) {
        double ratio;
        if (sumRoc1 <= periodRoc || isZero(sumRoc1))
            ratio = 1.0;
        else
            ratio = std::fabs(periodRoc / sumRoc1);
        ratio = (ratio * constDiff) + constMax;
        return ratio * ratio;
    };

    double prevKama = in[today - 1];
    double trailingValue = in[trailingIdx++];
    double sc = smoothing(in[today] - trailingValue);
    prevKama = ((in[today++] - prevKama) * sc) + prevKama;

    int outIdx = 0;
    out[outIdx++] = prevKama;
    *outBegIdx = today - 1;
    while (today <= endIdx) {
        const double value = in[today];
        const double oldest = in[trailingIdx++];
        sumRoc1 -= std::fabs(trailingValue - oldest);
        sumRoc1 += std::fabs(value - in[today - 1]);
        trailingValue = oldest;
        sc = smoothing(value - oldest);
        prevKama = ((in[today++] - prevKama) * sc) + prevKama;
        out[outIdx++] = prevKama;
    }
    *outNBElement = outIdx;
}

// Tillson's T3: six exponential stages, each seeded with the mean of the
// first values of the stage before, combined with the volume factor.
void t3Core(int startIdx, int endIdx, const double *in, int period, double vFactor,
            int *outBegIdx, int *outNBElement, double *out)
{
    const int lookback = t3Lookback(period);
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    int today = startIdx - lookback;
    const double k = 2.0 / (period + 1.0);
    const double oneMinusK = 1.0 - k;
    double e[6];

    // Stage s is seeded by the mean of its first `period` inputs while the
    // stages below it advance on the following bars.
    for (int stage = 0; stage < 6; ++stage) {
        double total;
        if (stage == 0) {
            total = in[today++];
            for (int i = period - 1; i > 0; --i)
                total += in[today++];
        } else {
            total = e[stage - 1];
            for (int i = period - 1; i > 0; --i) {
                e[0] = (k * in[today++]) + (oneMinusK * e[0]);
                for (int s = 1; s < stage; ++s)
                    e[s] = (k * e[s - 1]) + (oneMinusK * e[s]);
                total += e[stage - 1];
            }
        }
        e[stage] = total / period;
    }

    auto advance = [&](double x) {
        e[0] = (k * x) + (oneMinusK * e[0]);
        for (int s = 1; s < 6; ++s)
            e[s] = (k * e[s - 1]) + (oneMinusK * e[s]);
    };
    while (today <= startIdx)
        advance(in[today++]);

    const double squared = vFactor * vFactor;
    const double c1 = -(squared * vFactor);
    const double c2 = 3.0 * (squared - c1);
    const double c3 = -6.0 * squared - 3.0 * (vFactor - c1);
    const double c4 = 1.0 + 3.0 * vFactor - c1 + 3.0 * squared;

    int outIdx = 0;
    out[outIdx++] = c1 * e[5] + c2 * e[4] + c3 * e[3] + c4 * e[2];
    while (today <= endIdx) {
        advance(in[today++]);
        out[outIdx++] = c1 * e[5] + c2 * e[4] + c3 * e[3] + c4 * e[2];
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

} // namespace

void smaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
             int *outNBElement, double *out)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    double periodTotal = 0.0;
    int trailingIdx = startIdx - lookback;
    int i = trailingIdx;
    while (i < startIdx)
        periodTotal += in[i++];
    int outIdx = 0;
    do {
        periodTotal += in[i++];
        const double total = periodTotal;
        periodTotal -= in[trailingIdx++];
        out[outIdx++] = total / period;
    } while (i <= endIdx);
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

void emaCore(int startIdx, int endIdx, const double *in, int period, double k, int *outBegIdx,
             int *outNBElement, double *out)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    int today = startIdx - lookback;
    double total = 0.0;
    for (int i = period; i-- > 0;)
        total += in[today++];
    double prev = total / period;
    int outIdx = 0;
    out[outIdx++] = prev;
    while (today <= endIdx) {
        prev = ((in[today++] - prev) * k) + prev;
        out[outIdx++] = prev;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

int maLookback(int period, TA_MAType type)
{
    if (period <= 1)
        return 0;
    switch (type) {
    case TA_MAType_SMA:
    case TA_MAType_EMA:
    case TA_MAType_WMA:
    case TA_MAType_TRIMA:
        return period - 1;
    case TA_MAType_DEMA:
        return 2 * (period - 1);
    case TA_MAType_TEMA:
        return 3 * (period - 1);
    case TA_MAType_KAMA:
        return period;
    case TA_MAType_MAMA:
        return kMamaLookback;
    case TA_MAType_T3:
        return t3Lookback(period);
    }
    return -1;
}

TA_RetCode movingAverage(int startIdx, int endIdx, const double *in, int period, TA_MAType type,
                         int *outBegIdx, int *outNBElement, double *out)
{
    // A one-bar average of any type is the input itself.
    if (period == 1) {
        const int count = endIdx - startIdx + 1;
        std::memmove(out, in + startIdx, sizeof(double) * static_cast<std::size_t>(count));
        *outBegIdx = startIdx;
        *outNBElement = count;
        return TA_SUCCESS;
    }
    switch (type) {
    case TA_MAType_SMA:
        smaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_EMA:
        emaCore(startIdx, endIdx, in, period, perToK(period), outBegIdx, outNBElement, out);
        break;
    case TA_MAType_WMA:
        wmaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_DEMA:
        demaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_TEMA:
        temaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_TRIMA:
        trimaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_KAMA:
        kamaCore(startIdx, endIdx, in, period, outBegIdx, outNBElement, out);
        break;
    case TA_MAType_MAMA:
        // The period does not apply; TA-Lib's own limits are used.
        mamaCore(startIdx, endIdx, in, 0.5, 0.05, outBegIdx, outNBElement, out, nullptr);
        break;
    case TA_MAType_T3:
        t3Core(startIdx, endIdx, in, period, kT3VolumeFactor, outBegIdx, outNBElement, out);
        break;
    default:
        return TA_BAD_PARAM;
    }
    return TA_SUCCESS;
}

} // namespace kelvra::ta

using namespace kelvra::ta;

extern "C" {

TA_RetCode TA_Initialize(void)
{
    return TA_SUCCESS;
}

TA_RetCode TA_Shutdown(void)
{
    return TA_SUCCESS;
}

int TA_MA_Lookback(int optInTimePeriod, TA_MAType optInMAType)
{
    if (!takePeriod(optInTimePeriod, 30, 1) || !takeMaType(optInMAType))
        return -1;
    return maLookback(optInTimePeriod, optInMAType);
}

TA_RetCode TA_MA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                 TA_MAType optInMAType, int *outBegIdx, int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement}))
        return rc;
    if (!takePeriod(optInTimePeriod, 30, 1) || !takeMaType(optInMAType))
        return TA_BAD_PARAM;
    return movingAverage(startIdx, endIdx, inReal, optInTimePeriod, optInMAType, outBegIdx,
                         outNBElement, outReal);
}

} // extern "C"
