// What the functions compute, checked against properties and direct
// calculations rather than recorded figures: oscillator ranges, zero ranges,
// the library's TRIX shift, and the places where we mend TA-Lib's faults.

#include "catalogue_calls.h"

#include "kelvra/ta_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace kelvra::ta::test {
namespace {

struct Series1
{
    int begin = 0, count = 0;
    std::vector<double> v[3];
};

template <class Fn>
Series1 collect(int n, Fn fn)
{
    Series1 s;
    for (auto &v : s.v)
        v.assign(static_cast<std::size_t>(n), 0.0);
    EXPECT_EQ(fn(&s.begin, &s.count, s.v[0].data(), s.v[1].data(), s.v[2].data()), TA_SUCCESS);
    for (auto &v : s.v)
        v.resize(static_cast<std::size_t>(s.count));
    return s;
}

#ifdef KELVRA_SYSTEM_TALIB
#define SKIP_UNLESS_OUR_OWN() GTEST_SKIP() << "a mend of our own implementation"
#else
#define SKIP_UNLESS_OUR_OWN() (void)0
#endif

TEST(Behaviour, FlatAndZeroPricesGiveFiniteValuesAndZeroOscillators)
{
    const std::set<std::string> zeroOnFlat = {"WILLR", "STOCH", "CCI", "ROC", "ROCP", "MOM", "RSI",
                                              "MINUS_DI", "PLUS_DI", "DX", "ADX", "ADXR",
                                              "LINEARREG_SLOPE", "LINEARREG_ANGLE", "TRIX", "TRANGE",
                                              "ATR", "MINUS_DM", "PLUS_DM"};
    for (double price : {1.2345, 0.0}) {
        const Bars bars = constantBars(300, price);
        for (const Invocation &inv : invocations()) {
            if (inv.refused)
                continue;
            std::vector<double> out[3];
            for (auto &o : out)
                o.assign(300, 0.0);
            int begin = 0, count = 0;
            ASSERT_EQ(inv.call(0, 299, {bars.high.data(), bars.low.data(), bars.close.data()}, &begin, &count,
                               out[0].data(), out[1].data(), out[2].data()),
                      TA_SUCCESS);
            for (int o = 0; o < inv.outputs; ++o) {
                for (int j = 0; j < count; ++j) {
                    const double v = out[o][static_cast<std::size_t>(j)];
                    ASSERT_TRUE(std::isfinite(v)) << inv.label << " price " << price;
                    if (zeroOnFlat.count(inv.func)) {
                        ASSERT_EQ(v, 0.0) << inv.label << " price " << price;
                    }
                }
            }
        }
    }
}

TEST(Behaviour, OscillatorsStayWithinTheirScales)
{
    const Bars bars = sampleBars(2000, 3);
    const double *h = bars.high.data(), *l = bars.low.data(), *c = bars.close.data();
    auto within = [](const Series1 &s, int output, double lo, double hi, const char *what) {
        for (double v : s.v[output])
            ASSERT_TRUE(v >= lo - 1e-9 && v <= hi + 1e-9) << what << " gave " << v;
    };
    within(collect(2000, [&](int *b, int *n, double *o, double *, double *) {
               return TA_WILLR(0, 1999, h, l, c, 14, b, n, o);
           }),
           0, -100, 0, "WILLR");
    within(collect(2000, [&](int *b, int *n, double *o, double *, double *) {
               return TA_RSI(0, 1999, c, 6, b, n, o);
           }),
           0, 0, 100, "RSI");
    const Series1 stoch = collect(2000, [&](int *b, int *n, double *k, double *d, double *) {
        return TA_STOCH(0, 1999, h, l, c, 5, 3, TA_MAType_SMA, 3, TA_MAType_WMA, b, n, k, d);
    });
    within(stoch, 0, 0, 100, "STOCH K");
    within(stoch, 1, 0, 100, "STOCH D");
    for (auto fn : {TA_DX, TA_ADX, TA_ADXR, TA_MINUS_DI, TA_PLUS_DI}) {
        within(collect(2000, [&](int *b, int *n, double *o, double *, double *) {
                   return fn(0, 1999, h, l, c, 6, b, n, o);
               }),
               0, 0, 100, "directional index");
    }
}

TEST(Behaviour, ParabolicSarNeverLiesInsideABar)
{
    const Bars bars = sampleBars(3000, 9);
    for (double step : {0.02, 0.2}) {
        const Series1 sar = collect(3000, [&](int *b, int *n, double *o, double *, double *) {
            return TA_SAR(0, 2999, bars.high.data(), bars.low.data(), step, 0.2, b, n, o);
        });
        for (int j = 0; j < sar.count; ++j) {
            const auto bar = static_cast<std::size_t>(sar.begin + j);
            const double v = sar.v[0][static_cast<std::size_t>(j)];
            ASSERT_TRUE(v <= bars.low[bar] || v >= bars.high[bar]) << "bar " << bar;
        }
    }
    // A step above the maximum is capped to it.
    const Series1 capped = collect(3000, [&](int *b, int *n, double *o, double *, double *) {
        return TA_SAR(0, 2999, bars.high.data(), bars.low.data(), 0.5, 0.2, b, n, o);
    });
    const Series1 same = collect(3000, [&](int *b, int *n, double *o, double *, double *) {
        return TA_SAR(0, 2999, bars.high.data(), bars.low.data(), 0.2, 0.2, b, n, o);
    });
    EXPECT_EQ(capped.v[0], same.v[0]);
}

TEST(Behaviour, MacdTakesTheLongerPeriodAsSlow)
{
    const Bars bars = sampleBars(500);
    auto macd = [&](int fast, int slow) {
        return collect(500, [&](int *b, int *n, double *m, double *s, double *h) {
            return TA_MACD(0, 499, bars.close.data(), fast, slow, 5, b, n, m, s, h);
        });
    };
    const Series1 swapped = macd(10, 5);
    const Series1 ordered = macd(5, 10);
    EXPECT_EQ(swapped.begin, 13);
    for (int o = 0; o < 3; ++o)
        EXPECT_EQ(swapped.v[o], ordered.v[o]);
    for (int j = 0; j < swapped.count; ++j) {
        const auto i = static_cast<std::size_t>(j);
        EXPECT_EQ(swapped.v[2][i], swapped.v[0][i] - swapped.v[1][i]);
    }
}

TEST(Behaviour, ExponentialAverageSeedsAtTheRequestedStart)
{
    const Bars bars = sampleBars(200);
    const Series1 ema = collect(200, [&](int *b, int *n, double *o, double *, double *) {
        return TA_MA(50, 199, bars.close.data(), 10, TA_MAType_EMA, b, n, o);
    });
    double sum = 0.0;
    for (int i = 41; i <= 50; ++i)
        sum += bars.close[static_cast<std::size_t>(i)];
    EXPECT_EQ(ema.begin, 50);
    EXPECT_DOUBLE_EQ(ema.v[0][0], sum / 10);
}

TEST(Behaviour, TrixStartedLateRepeatsTheValuesOfEarlierBars)
{
    // TA-Lib 0.6.4 returns, for a start beyond the lookback, the TRIX of bars
    // up to period - 1 earlier than outBegIdx says.
    const Bars bars = sampleBars(400);
    const int period = 6;
    const int lookback = TA_TRIX_Lookback(period);
    auto trix = [&](int start, int end) {
        return collect(400, [&](int *b, int *n, double *o, double *, double *) {
            return TA_TRIX(start, end, bars.close.data(), period, b, n, o);
        });
    };
    const Series1 late = trix(133, 319);
    const Series1 fromZero = trix(0, 399);
    ASSERT_EQ(late.begin, 133);
    ASSERT_EQ(late.count, 187);
    // Once the seeding has faded, value j is that of bar 133 - 5 + j.
    for (int j = 150; j < late.count; ++j) {
        const auto i = static_cast<std::size_t>(j);
        EXPECT_NEAR(late.v[0][i], fromZero.v[0][static_cast<std::size_t>(133 - 5 + j - lookback)], 1e-12);
        EXPECT_NE(late.v[0][i], fromZero.v[0][static_cast<std::size_t>(133 + j - lookback)]);
    }
    // Two bars past the lookback the shift is two bars, seeded at the lookback.
    EXPECT_EQ(trix(lookback + 2, 300).v[0], trix(lookback, 298).v[0]);
}

TEST(Behaviour, BollingerBandsOfMesaAverageStayAlignedForLongPeriods)
{
    SKIP_UNLESS_OUR_OWN();
    const Bars bars = sampleBars(400);
    const double *c = bars.close.data();
    const Series1 bands = collect(400, [&](int *b, int *n, double *u, double *m, double *l) {
        return TA_BBANDS(0, 399, c, 40, 2.0, 2.0, TA_MAType_MAMA, b, n, u, m, l);
    });
    ASSERT_EQ(bands.begin, 39);
    ASSERT_EQ(TA_BBANDS_Lookback(40, 2.0, 2.0, TA_MAType_MAMA), 39);
    const Series1 mama = collect(400, [&](int *b, int *n, double *o, double *, double *) {
        return TA_MA(39, 399, c, 40, TA_MAType_MAMA, b, n, o);
    });
    EXPECT_EQ(bands.v[1], mama.v[0]);
    for (int j = 0; j < bands.count; j += 37) {
        // Population deviation of the 40 closes ending on the bar.
        const int bar = bands.begin + j;
        double mean = 0.0, sq = 0.0;
        for (int i = bar - 39; i <= bar; ++i)
            mean += c[i] / 40;
        for (int i = bar - 39; i <= bar; ++i)
            sq += (c[i] - mean) * (c[i] - mean) / 40;
        const auto i = static_cast<std::size_t>(j);
        EXPECT_NEAR(bands.v[0][i] - bands.v[1][i], 2.0 * std::sqrt(sq), 1e-9);
        EXPECT_NEAR(bands.v[1][i] - bands.v[2][i], 2.0 * std::sqrt(sq), 1e-9);
    }
}

TEST(Behaviour, RegressionOfAStraightLineForShortAndLongPeriods)
{
    const int n = 2600;
    std::vector<double> line(static_cast<std::size_t>(n));
    for (int t = 0; t < n; ++t)
        line[static_cast<std::size_t>(t)] = 1.0 + 0.001 * t;
    for (int period : {6, 2000}) {
        if (period > 1000)
            SKIP_UNLESS_OUR_OWN();
        auto run = [&](auto fn) {
            return collect(n, [&](int *b, int *c, double *o, double *, double *) {
                return fn(0, n - 1, line.data(), period, b, c, o);
            });
        };
        const Series1 value = run(TA_LINEARREG), slope = run(TA_LINEARREG_SLOPE),
                      angle = run(TA_LINEARREG_ANGLE), intercept = run(TA_LINEARREG_INTERCEPT),
                      forecast = run(TA_TSF);
        ASSERT_EQ(value.begin, period - 1);
        for (int j = 0; j < value.count; j += 97) {
            const auto i = static_cast<std::size_t>(j);
            const double t = value.begin + j;
            EXPECT_NEAR(value.v[0][i], 1.0 + 0.001 * t, 1e-9) << period;
            EXPECT_NEAR(slope.v[0][i], 0.001, 1e-12) << period;
            EXPECT_NEAR(angle.v[0][i], std::atan(0.001) * 180.0 / 3.14159265358979323846, 1e-9) << period;
            EXPECT_NEAR(intercept.v[0][i], 1.0 + 0.001 * (t - period + 1), 1e-9) << period;
            EXPECT_NEAR(forecast.v[0][i], 1.0 + 0.001 * (t + 1), 1e-9) << period;
        }
    }
}

TEST(Behaviour, WeightedAverageOfAVeryLongPeriod)
{
    SKIP_UNLESS_OUR_OWN();
    const int period = 50000;
    const Bars bars = sampleBars(period + 3, 21);
    const Series1 wma = collect(period + 3, [&](int *b, int *n, double *o, double *, double *) {
        return TA_MA(0, period + 2, bars.close.data(), period, TA_MAType_WMA, b, n, o);
    });
    ASSERT_EQ(wma.count, 4);
    for (int j = 0; j < wma.count; ++j) {
        long double weighted = 0, weights = 0;
        for (int w = 1; w <= period; ++w) {
            weighted += static_cast<long double>(w) * bars.close[static_cast<std::size_t>(j + w - 1)];
            weights += w;
        }
        EXPECT_NEAR(wma.v[0][static_cast<std::size_t>(j)], static_cast<double>(weighted / weights), 1e-9);
    }
}

TEST(Behaviour, MidPriceIsTheMiddleOfTheWindowExtremes)
{
    // Periods beside the reference figures' 6 and 14 (the shortest, and
    // longer than fits on the stack), starts that shift where the windows
    // fall, ends inside a window's run, and the output sharing an input.
    const Bars bars = sampleBars(700, 13);
    const double *h = bars.high.data(), *l = bars.low.data();
    for (int period : {2, 3, 65, 250}) {
        for (int start : {0, period + 4}) {
            const int end = 600 + period % 7;
            const Series1 mid = collect(700, [&](int *b, int *n, double *o, double *, double *) {
                return TA_MIDPRICE(start, end, h, l, period, b, n, o);
            });
            ASSERT_EQ(mid.begin, std::max(start, period - 1));
            ASSERT_EQ(mid.count, end - mid.begin + 1);
            for (int j = 0; j < mid.count; ++j) {
                const int bar = mid.begin + j;
                const double highest = *std::max_element(h + bar - period + 1, h + bar + 1);
                const double lowest = *std::min_element(l + bar - period + 1, l + bar + 1);
                ASSERT_EQ(mid.v[0][static_cast<std::size_t>(j)], (highest + lowest) / 2.0)
                    << "period " << period << " start " << start << " bar " << bar;
            }
            for (const std::vector<double> *input : {&bars.high, &bars.low}) {
                std::vector<double> shared = *input;
                const bool high = input == &bars.high;
                int begin = 0, count = 0;
                ASSERT_EQ(TA_MIDPRICE(start, end, high ? shared.data() : h, high ? l : shared.data(),
                                      period, &begin, &count, shared.data()),
                          TA_SUCCESS);
                shared.resize(static_cast<std::size_t>(count));
                EXPECT_EQ(shared, mid.v[0]) << "period " << period << (high ? " high" : " low");
            }
        }
    }
}

TEST(Behaviour, AdxrAveragesTheAdxWithTheOnePeriodMinusOneBarsEarlier)
{
    // The shortest period (one value held back) and one longer than fits on
    // the stack.
    const Bars bars = sampleBars(1200, 17);
    const double *h = bars.high.data(), *l = bars.low.data(), *c = bars.close.data();
    for (int period : {2, 200}) {
        const Series1 adx = collect(1200, [&](int *b, int *n, double *o, double *, double *) {
            return TA_ADX(0, 1199, h, l, c, period, b, n, o);
        });
        const Series1 adxr = collect(1200, [&](int *b, int *n, double *o, double *, double *) {
            return TA_ADXR(0, 1199, h, l, c, period, b, n, o);
        });
        ASSERT_EQ(adxr.begin, adx.begin + period - 1);
        ASSERT_EQ(adxr.count, adx.count - (period - 1));
        for (int j = 0; j < adxr.count; ++j) {
            const auto i = static_cast<std::size_t>(j);
            ASSERT_EQ(adxr.v[0][i], (adx.v[0][i + static_cast<std::size_t>(period) - 1] + adx.v[0][i]) / 2.0)
                << "period " << period << " value " << j;
        }
    }
}

TEST(Behaviour, OneBarDirectionalIndicatorIsInPercent)
{
    SKIP_UNLESS_OUR_OWN();
    const Bars bars = sampleBars(300);
    const double *h = bars.high.data(), *l = bars.low.data(), *c = bars.close.data();
    for (auto [di, dm] : {std::pair{&TA_MINUS_DI, &TA_MINUS_DM}, std::pair{&TA_PLUS_DI, &TA_PLUS_DM}}) {
        const Series1 index = collect(300, [&](int *b, int *n, double *o, double *, double *) {
            return di(0, 299, h, l, c, 1, b, n, o);
        });
        const Series1 move = collect(300, [&](int *b, int *n, double *o, double *, double *) {
            return dm(0, 299, h, l, 1, b, n, o);
        });
        const Series1 range = collect(300, [&](int *b, int *n, double *o, double *, double *) {
            return TA_TRANGE(0, 299, h, l, c, b, n, o);
        });
        ASSERT_EQ(index.count, move.count);
        for (int j = 0; j < index.count; ++j) {
            const auto i = static_cast<std::size_t>(j);
            const double expected = range.v[0][i] > 0 ? 100.0 * (move.v[0][i] / range.v[0][i]) : 0.0;
            EXPECT_DOUBLE_EQ(index.v[0][i], expected);
        }
    }
}

} // namespace
} // namespace kelvra::ta::test
