// Least-squares line through each window of closes: its end value, slope,
// angle, intercept at the window's oldest bar, and the value one bar ahead.

#include "ta_common.h"

#include <utility>

namespace kelvra::ta {
namespace {

struct Line
{
    double slope;
    double intercept; // at the oldest bar of the window
};

// Four bars side by side in two SSE register pairs, one lane each. Each
// lane performs the scalar sequence of operations for its bar, so the sums
// keep their order and their bits, while the four independent chains keep
// the adder busy. (A generic four-wide vector would be kept in memory by
// the compiler where AVX is not enabled.)
constexpr int kLanes = 4;

template <class Emit>
TA_RetCode regression(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
                      int *outNBElement, double *out, Emit emit)
{
    const int lookback = period - 1;
    if (startIdx < lookback)
        startIdx = lookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    // x counts bars back from today; the constant sums in 64-bit so that long
    // periods do not overflow.
    const long long p = period;
    const double sumX = static_cast<double>(p * (p - 1)) * 0.5;
    const double sumXSqr = static_cast<double>(p * (p - 1) * (2 * p - 1) / 6);
    const double divisor = sumX * sumX - static_cast<double>(period) * sumXSqr;
    int outIdx = 0;
    int today = startIdx;
    // Every input of a group is read before any of its outputs is written,
    // so an output array that is the input array still works.
    for (; today + kLanes - 1 <= endIdx; today += kLanes) {
        DoublePair sumXYLow = {}, sumXYHigh = {};
        DoublePair sumYLow = {}, sumYHigh = {};
        for (int i = period; i-- != 0;) {
            const double x = i;
            const DoublePair yLow = loadPair(in + today - i);
            const DoublePair yHigh = loadPair(in + today - i + 2);
            sumYLow += yLow;
            sumYHigh += yHigh;
            sumXYLow += x * yLow;
            sumXYHigh += x * yHigh;
        }
        for (const auto &[sumXY, sumY] : {std::pair(sumXYLow, sumYLow), std::pair(sumXYHigh, sumYHigh)}) {
            const DoublePair m = (period * sumXY - sumX * sumY) / divisor;
            const DoublePair b = (sumY - m * sumX) / static_cast<double>(period);
            out[outIdx++] = emit(Line{m[0], b[0]}, period);
            out[outIdx++] = emit(Line{m[1], b[1]}, period);
        }
    }
    for (; today <= endIdx; ++today) {
        double sumXY = 0;
        double sumY = 0;
        for (int i = period; i-- != 0;) {
            const double y = in[today - i];
            sumY += y;
            sumXY += static_cast<double>(i) * y;
        }
        const double m = (period * sumXY - sumX * sumY) / divisor;
        const double b = (sumY - m * sumX) / static_cast<double>(period);
        out[outIdx++] = emit(Line{m, b}, period);
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

} // namespace
} // namespace kelvra::ta

using namespace kelvra::ta;

#define KELVRA_TA_REGRESSION_FUNCTION(NAME, EMIT)                                                  \
    int TA_##NAME##_Lookback(int optInTimePeriod)                                                  \
    {                                                                                              \
        return takePeriod(optInTimePeriod, 14, 2) ? optInTimePeriod - 1 : -1;                      \
    }                                                                                              \
    TA_RetCode TA_##NAME(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,     \
                         int *outBegIdx, int *outNBElement, double outReal[])                      \
    {                                                                                              \
        if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement})) \
            return rc;                                                                             \
        if (!takePeriod(optInTimePeriod, 14, 2))                                                   \
            return TA_BAD_PARAM;                                                                   \
        return regression(startIdx, endIdx, inReal, optInTimePeriod, outBegIdx, outNBElement,      \
                          outReal, EMIT);                                                          \
    }

extern "C" {

KELVRA_TA_REGRESSION_FUNCTION(LINEARREG, [](Line line, int period) {
    return line.intercept + line.slope * static_cast<double>(period - 1);
})
KELVRA_TA_REGRESSION_FUNCTION(LINEARREG_SLOPE, [](Line line, int) { return line.slope; })
KELVRA_TA_REGRESSION_FUNCTION(LINEARREG_ANGLE, [](Line line, int) {
    return std::atan(line.slope) * (180.0 / 3.14159265358979323846);
})
KELVRA_TA_REGRESSION_FUNCTION(LINEARREG_INTERCEPT, [](Line line, int) { return line.intercept; })
KELVRA_TA_REGRESSION_FUNCTION(TSF, [](Line line, int period) {
    return line.intercept + line.slope * static_cast<double>(period);
})

} // extern "C"
