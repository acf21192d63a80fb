#pragma once

// Helpers shared by the function families: argument checks in TA-Lib's order,
// its zero tests, and scratch storage that reports failure instead of throwing
// (nothing may throw across the C interface).

#include "kelvra/ta_own.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <new>

namespace kelvra::ta {

constexpr int kMaxPeriod = 100000;

// TA-Lib treats magnitudes below this as zero when guarding a division.
constexpr double kZeroEpsilon = 0.00000000000001;

inline bool isZero(double v)
{
    return -kZeroEpsilon < v && v < kZeroEpsilon;
}

inline bool isZeroOrNeg(double v)
{
    return v < kZeroEpsilon;
}

inline double perToK(int period)
{
    return 2.0 / static_cast<double>(period + 1);
}

// Range first (12, 13), then every pointer (2): that is the order in which
// TA-Lib reports, and callers see the first failure only.
inline TA_RetCode checkCall(int startIdx, int endIdx, std::initializer_list<const void *> pointers)
{
    if (startIdx < 0)
        return TA_OUT_OF_RANGE_START_INDEX;
    if (endIdx < 0 || endIdx < startIdx)
        return TA_OUT_OF_RANGE_END_INDEX;
    for (const void *p : pointers) {
        if (!p)
            return TA_BAD_PARAM;
    }
    return TA_SUCCESS;
}

// Optional integer input: the default marker selects the default, anything
// outside [minimum, kMaxPeriod] is refused.
inline bool takePeriod(int &value, int defaultValue, int minimum)
{
    if (value == TA_INTEGER_DEFAULT) {
        value = defaultValue;
        return true;
    }
    return value >= minimum && value <= kMaxPeriod;
}

// Optional real input; NaN is refused as well (it would pass TA-Lib's
// comparisons and poison every output).
inline bool takeReal(double &value, double defaultValue, double minimum, double maximum)
{
    if (value == TA_REAL_DEFAULT) {
        value = defaultValue;
        return true;
    }
    return value >= minimum && value <= maximum;
}

inline bool takeMaType(TA_MAType &type)
{
    const int raw = static_cast<int>(type);
    if (raw == TA_INTEGER_DEFAULT) {
        type = TA_MAType_SMA;
        return true;
    }
    return raw >= 0 && raw <= 8;
}

inline TA_RetCode emptyResult(int *outBegIdx, int *outNBElement)
{
    *outBegIdx = 0;
    *outNBElement = 0;
    return TA_SUCCESS;
}

// Largest of the bar's range and its distances to the previous close.
inline double trueRange(double high, double low, double prevClose)
{
    double range = high - low;
    const double up = std::fabs(high - prevClose);
    if (up > range)
        range = up;
    const double down = std::fabs(low - prevClose);
    if (down > range)
        range = down;
    return range;
}

// Two doubles in one SSE register (GCC/Clang vector extension): two running
// values advance with one instruction per operation, each lane with the
// scalar operations in the scalar order. Above all it halves the divisions,
// whose latency paces the Wilder smoothings.
using DoublePair = double __attribute__((vector_size(2 * sizeof(double))));

// Uninitialised doubles for intermediate results; empty on allocation failure.
class Scratch
{
public:
    explicit Scratch(std::size_t count)
        : m_data(count ? new (std::nothrow) double[count] : nullptr), m_ok(count == 0 || m_data)
    {
    }
    bool ok() const { return m_ok; }
    double *data() { return m_data.get(); }
    double &operator[](std::size_t i) { return m_data[i]; }

private:
    std::unique_ptr<double[]> m_data;
    bool m_ok;
};

// A window buffer that lives on the stack for the usual short periods.
template <std::size_t InlineCount>
class WindowBuffer
{
public:
    explicit WindowBuffer(std::size_t count) : m_heap(count > InlineCount ? count : 0)
    {
        m_data = count > InlineCount ? m_heap.data() : m_inline;
        m_ok = count <= InlineCount || m_heap.ok();
    }
    bool ok() const { return m_ok; }
    double &operator[](std::size_t i) { return m_data[i]; }

private:
    double m_inline[InlineCount];
    Scratch m_heap;
    double *m_data;
    bool m_ok;
};

// One exponential average of a chain, fed a value at a time: seeded with the
// simple mean of its first `period` inputs, then prev + (x - prev) * k.
struct EmaStage
{
    EmaStage(int period_, double k_) : period(period_), k(k_) {}

    // Returns true once the stage has produced a value.
    bool feed(double x)
    {
        if (filled < period) {
            sum += x;
            if (++filled < period)
                return false;
            value = sum / period;
            return true;
        }
        value = ((x - value) * k) + value;
        return true;
    }

    int period;
    double k;
    int filled = 0;
    double sum = 0.0;
    double value = 0.0;
};

// Moving averages shared by the families (inputs already validated,
// period > 1 unless stated). Each clamps startIdx to its lookback and
// reports TA_ALLOC_ERR only when scratch memory is refused.
int maLookback(int period, TA_MAType type);
TA_RetCode movingAverage(int startIdx, int endIdx, const double *in, int period, TA_MAType type,
                         int *outBegIdx, int *outNBElement, double *out);
void emaCore(int startIdx, int endIdx, const double *in, int period, double k, int *outBegIdx,
             int *outNBElement, double *out);
void smaCore(int startIdx, int endIdx, const double *in, int period, int *outBegIdx,
             int *outNBElement, double *out);
// MESA adaptive average; outFama may be null when only MAMA is wanted.
void mamaCore(int startIdx, int endIdx, const double *in, double fastLimit, double slowLimit,
              int *outBegIdx, int *outNBElement, double *outMama, double *outFama);
constexpr int kMamaLookback = 32;

} // namespace kelvra::ta
