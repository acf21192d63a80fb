#pragma once

// The calls both technical-analysis benchmarks time: every catalogue
// function over the whole series with the catalogue's default parameters,
// from bar 0 as a chart recalculates on every tick. X(NAME, ARGS) is
// expanded with the arguments of TA_NAME ARGS in scope: kEnd, the inputs
// h, l, c, the outputs o0, o1, o2 and the result addresses beg, nb.

#include <algorithm>
#include <random>
#include <vector>

#define KELVRA_TA_BENCH_CALLS(X)                                                                   \
    X(MA, (0, kEnd, c, 10, TA_MAType_SMA, beg, nb, o0))                                            \
    X(SAR, (0, kEnd, h, l, 0.02, 0.2, beg, nb, o0))                                                \
    X(TRIX, (0, kEnd, c, 6, beg, nb, o0))                                                          \
    X(BBANDS, (0, kEnd, c, 20, 8.0, 8.0, TA_MAType_EMA, beg, nb, o0, o1, o2))                      \
    X(HT_TRENDLINE, (0, kEnd, c, beg, nb, o0))                                                     \
    X(MIDPRICE, (0, kEnd, h, l, 6, beg, nb, o0))                                                   \
    X(MIDPOINT, (0, kEnd, c, 6, beg, nb, o0))                                                      \
    X(ATR, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                     \
    X(TRANGE, (0, kEnd, h, l, c, beg, nb, o0))                                                     \
    X(ADX, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                     \
    X(ADXR, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                    \
    X(CCI, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                     \
    X(DX, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                      \
    X(MINUS_DI, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                \
    X(MINUS_DM, (0, kEnd, h, l, 6, beg, nb, o0))                                                   \
    X(MOM, (0, kEnd, c, 6, beg, nb, o0))                                                           \
    X(PLUS_DI, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                 \
    X(PLUS_DM, (0, kEnd, h, l, 6, beg, nb, o0))                                                    \
    X(ROC, (0, kEnd, c, 6, beg, nb, o0))                                                           \
    X(ROCP, (0, kEnd, c, 6, beg, nb, o0))                                                          \
    X(ROCR, (0, kEnd, c, 6, beg, nb, o0))                                                          \
    X(ROCR100, (0, kEnd, c, 6, beg, nb, o0))                                                       \
    X(RSI, (0, kEnd, c, 6, beg, nb, o0))                                                           \
    X(LINEARREG, (0, kEnd, c, 6, beg, nb, o0))                                                     \
    X(LINEARREG_SLOPE, (0, kEnd, c, 6, beg, nb, o0))                                               \
    X(LINEARREG_ANGLE, (0, kEnd, c, 6, beg, nb, o0))                                               \
    X(LINEARREG_INTERCEPT, (0, kEnd, c, 6, beg, nb, o0))                                           \
    X(TSF, (0, kEnd, c, 6, beg, nb, o0))                                                           \
    X(WILLR, (0, kEnd, h, l, c, 6, beg, nb, o0))                                                   \
    X(MACD, (0, kEnd, c, 10, 5, 5, beg, nb, o0, o1, o2))                                           \
    X(STOCH, (0, kEnd, h, l, c, 5, 3, TA_MAType_EMA, 17, TA_MAType_EMA, beg, nb, o0, o1))

namespace kelvra::ta::bench {

constexpr int kBars = 10000;
constexpr int kEnd = kBars - 1;

struct Bars
{
    std::vector<double> high, low, close;
};

// A EUR-like random walk with wicks, the same on every run.
inline const Bars &bars()
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

} // namespace kelvra::ta::bench
