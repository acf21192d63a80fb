// Each catalogue function over 10,000 bars with the catalogue's default
// parameters, from bar 0 as a chart recalculates on every tick. The
// "per_bar" counter is the time per bar.

#include "kelvra/ta_api.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kBars = 10000;

struct Bars
{
    std::vector<double> high, low, close;
};

const Bars &bars()
{
    static const Bars b = [] {
        Bars out;
        std::mt19937 random(42);
        std::uniform_int_distribution<int> step(-6, 6);
        std::uniform_int_distribution<int> wick(0, 4);
        double close = 1.2345;
        for (int i = 0; i < kBars; ++i) {
            const double open = close;
            close = open + step(random) * 0.0001;
            out.high.push_back(std::max(open, close) + wick(random) * 0.0001);
            out.low.push_back(std::min(open, close) - wick(random) * 0.0001);
            out.close.push_back(close);
        }
        return out;
    }();
    return b;
}

// Runs `call(high, low, close, out0, out1, out2, &beg, &nb)` and reports the
// time per bar.
template <class Call>
void runBench(benchmark::State &state, Call call)
{
    const Bars &b = bars();
    std::vector<double> out0(kBars), out1(kBars), out2(kBars);
    int beg = 0, nb = 0;
    for (auto _ : state) {
        const TA_RetCode rc = call(b.high.data(), b.low.data(), b.close.data(), out0.data(), out1.data(),
                                   out2.data(), &beg, &nb);
        if (rc != TA_SUCCESS) {
            state.SkipWithError("call failed");
            break;
        }
        benchmark::DoNotOptimize(out0.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_bar"] = benchmark::Counter(
        kBars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

constexpr int kEnd = kBars - 1;

#define KELVRA_BENCH(NAME, ...)                                                                    \
    void BM_##NAME(benchmark::State &state)                                                        \
    {                                                                                              \
        runBench(state, [](const double *h, const double *l, const double *c, double *o0,          \
                           double *o1, double *o2, int *beg, int *nb) {                            \
            (void)h, (void)l, (void)c, (void)o0, (void)o1, (void)o2;                               \
            return __VA_ARGS__;                                                                    \
        });                                                                                        \
    }                                                                                              \
    BENCHMARK(BM_##NAME)

KELVRA_BENCH(MA, TA_MA(0, kEnd, c, 10, TA_MAType_SMA, beg, nb, o0));
KELVRA_BENCH(SAR, TA_SAR(0, kEnd, h, l, 0.02, 0.2, beg, nb, o0));
KELVRA_BENCH(TRIX, TA_TRIX(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(BBANDS, TA_BBANDS(0, kEnd, c, 20, 8.0, 8.0, TA_MAType_EMA, beg, nb, o0, o1, o2));
KELVRA_BENCH(HT_TRENDLINE, TA_HT_TRENDLINE(0, kEnd, c, beg, nb, o0));
KELVRA_BENCH(MIDPRICE, TA_MIDPRICE(0, kEnd, h, l, 6, beg, nb, o0));
KELVRA_BENCH(MIDPOINT, TA_MIDPOINT(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(ATR, TA_ATR(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(TRANGE, TA_TRANGE(0, kEnd, h, l, c, beg, nb, o0));
KELVRA_BENCH(ADX, TA_ADX(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(ADXR, TA_ADXR(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(CCI, TA_CCI(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(DX, TA_DX(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(MINUS_DI, TA_MINUS_DI(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(MINUS_DM, TA_MINUS_DM(0, kEnd, h, l, 6, beg, nb, o0));
KELVRA_BENCH(MOM, TA_MOM(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(PLUS_DI, TA_PLUS_DI(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(PLUS_DM, TA_PLUS_DM(0, kEnd, h, l, 6, beg, nb, o0));
KELVRA_BENCH(ROC, TA_ROC(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(ROCP, TA_ROCP(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(ROCR, TA_ROCR(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(ROCR100, TA_ROCR100(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(RSI, TA_RSI(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(LINEARREG, TA_LINEARREG(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(LINEARREG_SLOPE, TA_LINEARREG_SLOPE(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(LINEARREG_ANGLE, TA_LINEARREG_ANGLE(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(LINEARREG_INTERCEPT, TA_LINEARREG_INTERCEPT(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(TSF, TA_TSF(0, kEnd, c, 6, beg, nb, o0));
KELVRA_BENCH(WILLR, TA_WILLR(0, kEnd, h, l, c, 6, beg, nb, o0));
KELVRA_BENCH(MACD, TA_MACD(0, kEnd, c, 10, 5, 5, beg, nb, o0, o1, o2));
KELVRA_BENCH(STOCH, TA_STOCH(0, kEnd, h, l, c, 5, 3, TA_MAType_EMA, 17, TA_MAType_EMA, beg, nb, o0, o1));

} // namespace
