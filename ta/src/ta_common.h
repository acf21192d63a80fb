#pragma once

// Helpers shared by the function families: argument checks in TA-Lib's order,
// its zero tests, and scratch storage that reports failure instead of throwing
// (nothing may throw across the C interface).

#include "kelvra/ta_own.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <cstdint>
#include <cstring>
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


// Two doubles in one SSE register (GCC/Clang vector extension): two running
// values advance with one instruction per operation, each lane with the
// scalar operations in the scalar order. Above all it halves the divisions,
// whose latency paces the Wilder smoothings.
using DoublePair = double __attribute__((vector_size(2 * sizeof(double))));

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

// The same for two bars, one per lane; a comparison with NaN keeps the
// range, as in the scalar version.
inline DoublePair trueRange(DoublePair high, DoublePair low, DoublePair prevClose)
{
    using Mask = long long __attribute__((vector_size(2 * sizeof(long long))));
    constexpr long long kMagnitude = 0x7fffffffffffffffLL;
    auto absolute = [](DoublePair v) {
        return reinterpret_cast<DoublePair>(reinterpret_cast<Mask>(v) & kMagnitude);
    };
    DoublePair range = high - low;
    const DoublePair up = absolute(high - prevClose);
    range = up > range ? up : range;
    const DoublePair down = absolute(low - prevClose);
    return down > range ? down : range;
}

// Two neighbouring doubles of an array, at any alignment. Locals rather
// than arrays of pairs: the compiler keeps those in registers.
inline DoublePair loadPair(const double *at)
{
    DoublePair pair;
    std::memcpy(&pair, at, sizeof pair);
    return pair;
}

inline void storePair(double *at, DoublePair pair)
{
    std::memcpy(at, &pair, sizeof pair);
}

// Division by the period of a Wilder smoothing. Each bar's sum waits for the
// quotient of the previous one, so the division's latency paces the whole
// run (RSI, ATR). The directional family keeps the division: its pairs
// share one vector division, and the single -DM and +DM chains, whose
// additions TA-Lib skips on bars without movement, measured no faster.
// Both dividers give the correctly rounded quotient, the same bits as
// `a / divisor`. A kernel takes a watch() per chain, shows it every addend
// of the chain's sum, the starting sum included, and hands it back with
// report(chain, watch) at the end; only the fused divider's watch looks.
// (A local watch stays in registers; one inside the divider would be
// stored and reloaded on every bar.)
struct NoWatch
{
    void see(double) {}
};

struct PlainDivision
{
    explicit PlainDivision(double divisor_) : divisor(divisor_) {}
    double operator()(double a) const { return a / divisor; }
    NoWatch watch() const { return {}; }
    void report(int, NoWatch) const {}
    double divisor;
};

// What the addends of a Wilder sum tell about every sum it will divide,
// watched off the dependency chain (the addends come from the prices, not
// from the sums). A sum never exceeds its start plus all later addends, so
// a finite total below 2^800 bounds every dividend far from overflow. From
// its first non-zero addend on, a sum is at least the smallest non-zero
// addend, shrunk by at most (period - 1) / period for every bar of the
// longest run of zero addends; before it, the sum is +0. (The sums are never
// negative, nor -0: they start at +0.0, and a sum of zeros of both signs is
// +0.0.)
class AddendWatch
{
public:
    [[gnu::always_inline]] void see(double v)
    {
        m_total += v;
        const bool zero = v == 0.0;
        const double nonZero = zero ? kInfinity : v;
        m_least = nonZero < m_least ? nonZero : m_least;
        m_run = zero ? m_run + 1 : 0;
        m_longestRun = m_run > m_longestRun ? m_run : m_longestRun;
    }

    // Whether every dividend stayed within [2^-850, 2^900] or was +0.
    bool keptInRange(double period) const
    {
        if (!(m_total <= 0x1p800))
            return false; // NaN, an infinity, or huge
        if (m_least == kInfinity)
            return true; // only zeros: the sums stayed +0
        if (!(m_least >= 0x1p-800))
            return false; // tiny or negative addends
        const double decay = (m_longestRun + 1.0) * std::log2(period / (period - 1.0));
        return std::log2(m_least) - decay > -850.0;
    }

private:
    static constexpr double kInfinity = __builtin_inf();
    double m_total = 0.0;
    double m_least = kInfinity;
    int m_run = 0;
    int m_longestRun = 0;
};

// The quotient from a multiplication by the rounded reciprocal and one
// correction step of two fused multiply-adds (Markstein): with the
// reciprocal rounded to nearest and the first product within one ulp of
// a / divisor, the remainder is exact and the corrected quotient is the
// correctly rounded one, about a fifth sooner than a division's. That holds
// for +0 and for magnitudes well away from underflow and overflow. No
// dividend is tested on the chain (a test there, even without a jump, costs
// more than the division saves); the addend watches decide afterwards, and
// when they cannot vouch for the range the caller does the whole run again
// with PlainDivision. Only used inside functions compiled for FMA
// (withDivision below).
class FusedDivision
{
public:
    // `reports` receives the watches of the run's chains (two at most).
    FusedDivision(double divisor_, AddendWatch *reports)
        : m_divisor(divisor_), m_reciprocal(1.0 / divisor_), m_reports(reports)
    {
    }

    [[gnu::always_inline]] double operator()(double a) const
    {
        const double q = a * m_reciprocal;
        return __builtin_fma(__builtin_fma(-q, m_divisor, a), m_reciprocal, q);
    }
    AddendWatch watch() const { return {}; }
    void report(int chain, const AddendWatch &watch) const { m_reports[chain] = watch; }

private:
    double m_divisor;
    double m_reciprocal;
    AddendWatch *m_reports;
};

// Kernels run through withDivision() are inlined into the caller's copy so
// that each copy is compiled for its own instructions.
#define KELVRA_TA_INLINE [[gnu::always_inline]] inline
#define KELVRA_TA_INLINE_LAMBDA __attribute__((always_inline))

#if defined(__x86_64__) || defined(__i386__)
inline bool hasFusedMultiplyAdd()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("fma") != 0;
    }();
    return has;
}

// The divider arrives by value: the run's copy is the function's own, so the
// compiler keeps its two numbers in registers instead of reloading them
// after every store to the output.
template <class Run>
__attribute__((target("fma"))) auto runWithFusedDivision(const Run &run, FusedDivision divide)
{
    return run(divide);
}
#endif

// Whether the output written from out[0] may land on input read up to
// in[last]; a run that is done again must find its input unchanged.
inline bool mayOverlap(const double *out, int outCount, const double *in, int last)
{
    const auto outBegin = reinterpret_cast<std::uintptr_t>(out);
    const auto inBegin = reinterpret_cast<std::uintptr_t>(in);
    return outBegin < inBegin + (static_cast<std::uintptr_t>(last) + 1) * sizeof(double)
           && inBegin < outBegin + static_cast<std::uintptr_t>(outCount) * sizeof(double);
}

// True when no input read up to index `last` can be overwritten by the
// outCount outputs.
inline bool outputApart(const double *out, int outCount, std::initializer_list<const double *> inputs,
                        int last)
{
    for (const double *in : inputs) {
        if (mayOverlap(out, outCount, in, last))
            return false;
    }
    return true;
}

// Calls run(divide) with the fastest exact divider this processor offers
// and returns its result. `run` is a generic lambda marked
// KELVRA_TA_INLINE_LAMBDA: its body, and every KELVRA_TA_INLINE kernel it
// calls, is compiled once for FMA and once without. The library is built
// without floating-point contraction, so the FMA copy fuses nothing but the
// divider's own steps. `rerunnable` says the run's output does not overlap
// its input, so that a fused run with a doubtful dividend can be done again.
template <class Run>
auto withDivision(double divisor, bool rerunnable, const Run &run)
{
#if defined(__x86_64__) || defined(__i386__)
    if (rerunnable && hasFusedMultiplyAdd()) {
        AddendWatch watches[2];
        const auto result = runWithFusedDivision(run, FusedDivision(divisor, watches));
        if (watches[0].keptInRange(divisor) && watches[1].keptInRange(divisor))
            return result;
    }
#else
    (void)rerunnable;
#endif
    return run(PlainDivision(divisor));
}

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
