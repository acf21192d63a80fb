// The functions computed in the library's own order of operations, written
// out plainly here, must give the very same bits: the fast paths (a fused
// division, bars computed side by side, merged passes) may change how the
// work is scheduled but never a rounding. The reference suite's tolerance
// would not notice a last-bit change; these comparisons do.

#include "catalogue_calls.h"

#include "kelvra/ta_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kelvra::ta::test {
namespace {

struct Case
{
    std::string name;
    Bars bars;
};

// Prices that take every path: an ordinary walk, wide swings, magnitudes
// near underflow, infinities, and a long rise after one fall (the losses
// then decay towards zero for thousands of bars).
std::vector<Case> cases()
{
    std::vector<Case> out;
    out.push_back({"walk", sampleBars(3000, 11)});
    Bars wide;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double close = 100.0;
    for (int i = 0; i < 3000; ++i) {
        const double open = close;
        close = open * (0.9 + unit(random) * 0.2);
        wide.high.push_back(std::max(open, close) * (1.0 + unit(random) * 0.05));
        wide.low.push_back(std::min(open, close) * (1.0 - unit(random) * 0.05));
        wide.close.push_back(close);
    }
    out.push_back({"wide", wide});
    Bars tiny = sampleBars(3000, 12);
    for (std::vector<double> *v : {&tiny.high, &tiny.low, &tiny.close})
        for (double &x : *v)
            x *= 1e-300;
    out.push_back({"tiny", tiny});
    Bars infinite = sampleBars(3000, 13);
    for (int i = 500; i < 3000; i += 701)
        infinite.high[i] = infinite.close[i] = INFINITY;
    out.push_back({"infinite", infinite});
    Bars rise;
    for (int i = 0; i < 6000; ++i) {
        const double c = i == 10 ? 0.5 : 1.0 + i * 0.001;
        rise.close.push_back(c);
        rise.high.push_back(c + 0.0005);
        rise.low.push_back(c - 0.0002);
    }
    out.push_back({"fall then rise", rise});
    return out;
}

bool sameBits(const std::vector<double> &a, const std::vector<double> &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

std::vector<double> rsiByDefinition(const std::vector<double> &in, int period)
{
    std::vector<double> out;
    double gain = 0.0, loss = 0.0;
    for (int i = 1; i <= period; ++i) {
        const double change = in[i] - in[i - 1];
        if (change < 0)
            loss -= change;
        else
            gain += change;
    }
    loss /= period;
    gain /= period;
    auto value = [&] {
        const double total = gain + loss;
        return (-1e-14 < total && total < 1e-14) ? 0.0 : 100.0 * (gain / total);
    };
    out.push_back(value());
    for (std::size_t i = static_cast<std::size_t>(period) + 1; i < in.size(); ++i) {
        const double change = in[i] - in[i - 1];
        loss *= period - 1;
        gain *= period - 1;
        if (change < 0)
            loss -= change;
        else
            gain += change;
        loss /= period;
        gain /= period;
        out.push_back(value());
    }
    return out;
}

double trueRangeByDefinition(const Bars &b, std::size_t i)
{
    double range = b.high[i] - b.low[i];
    const double up = std::fabs(b.high[i] - b.close[i - 1]);
    if (up > range)
        range = up;
    const double down = std::fabs(b.low[i] - b.close[i - 1]);
    if (down > range)
        range = down;
    return range;
}

std::vector<double> atrByDefinition(const Bars &b, int period)
{
    std::vector<double> out;
    double total = 0.0;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(period); ++i)
        total += trueRangeByDefinition(b, i);
    double atr = total / period;
    out.push_back(atr);
    for (std::size_t i = static_cast<std::size_t>(period) + 1; i < b.close.size(); ++i) {
        atr *= period - 1;
        atr += trueRangeByDefinition(b, i);
        atr /= period;
        out.push_back(atr);
    }
    return out;
}

// -DM: the fall of the low when it beats the rise of the high, smoothed as
// sum - sum / period + today's from a plain sum of the first period - 1.
std::vector<double> minusDmByDefinition(const Bars &b, int period)
{
    auto move = [&](std::size_t i) {
        const double up = b.high[i] - b.high[i - 1];
        const double down = b.low[i - 1] - b.low[i];
        return down > 0 && up < down ? down : 0.0;
    };
    double sum = 0.0;
    for (std::size_t i = 1; i < static_cast<std::size_t>(period); ++i)
        sum += move(i);
    std::vector<double> out{sum};
    for (std::size_t i = static_cast<std::size_t>(period); i < b.close.size(); ++i) {
        const double m = move(i);
        sum = m != 0.0 ? sum - (sum / period) + m : sum - (sum / period);
        out.push_back(sum);
    }
    return out;
}

std::vector<double> run(int size, const std::function<int(int *, int *, double *)> &call)
{
    std::vector<double> out(static_cast<std::size_t>(size), 0.0);
    int begin = -1, count = -1;
    EXPECT_EQ(call(&begin, &count, out.data()), TA_SUCCESS);
    out.resize(static_cast<std::size_t>(std::max(count, 0)));
    return out;
}

// TA-Lib's exponential average: seeded with the mean of the first `period`
// inputs, then ((x - prev) * k) + prev.
std::vector<double> emaByDefinition(const std::vector<double> &in, int period)
{
    std::vector<double> out;
    double total = 0.0;
    for (int i = 0; i < period; ++i)
        total += in[static_cast<std::size_t>(i)];
    double prev = total / period;
    out.push_back(prev);
    const double k = 2.0 / (period + 1);
    for (std::size_t i = static_cast<std::size_t>(period); i < in.size(); ++i) {
        prev = ((in[i] - prev) * k) + prev;
        out.push_back(prev);
    }
    return out;
}

// Highest high and lowest low of the window of `period` bars ending at i,
// by a plain scan.
std::pair<double, double> windowExtremes(const Bars &b, std::size_t i, int period)
{
    double highest = b.high[i], lowest = b.low[i];
    for (std::size_t j = i + 1 - static_cast<std::size_t>(period); j < i; ++j) {
        highest = std::max(highest, b.high[j]);
        lowest = std::min(lowest, b.low[j]);
    }
    return {highest, lowest};
}

TEST(ExactOrder, WilderSmoothingsGiveTheBitsOfTheirDefinition)
{
    for (const Case &c : cases()) {
        const Bars &b = c.bars;
        const int last = b.size() - 1;
        for (int period : {2, 6, 14, 200}) {
            SCOPED_TRACE(c.name + ", period " + std::to_string(period));
            const std::vector<double> rsi = run(b.size(), [&](int *beg, int *nb, double *o) {
                return TA_RSI(0, last, b.close.data(), period, beg, nb, o);
            });
            EXPECT_TRUE(sameBits(rsi, rsiByDefinition(b.close, period))) << "RSI";
            const std::vector<double> atr = run(b.size(), [&](int *beg, int *nb, double *o) {
                return TA_ATR(0, last, b.high.data(), b.low.data(), b.close.data(), period, beg, nb, o);
            });
            EXPECT_TRUE(sameBits(atr, atrByDefinition(b, period))) << "ATR";
            const std::vector<double> dm = run(b.size(), [&](int *beg, int *nb, double *o) {
                return TA_MINUS_DM(0, last, b.high.data(), b.low.data(), period, beg, nb, o);
            });
            EXPECT_TRUE(sameBits(dm, minusDmByDefinition(b, period))) << "-DM";

            // Written over its own input: the same values.
            std::vector<double> shared = b.close;
            int begin = 0, count = 0;
            ASSERT_EQ(TA_RSI(0, last, shared.data(), period, &begin, &count, shared.data()), TA_SUCCESS);
            shared.resize(static_cast<std::size_t>(count));
            EXPECT_TRUE(sameBits(shared, rsi)) << "RSI in place";
        }
    }
}

TEST(ExactOrder, ShortFunctionsComputedFourBarsAtOnceGiveTheBitsOfTheirDefinition)
{
    for (const Case &c : cases()) {
        Bars b = c.bars;
        // Zero prices as well, which the rates of change answer with 0.
        for (std::size_t i = 40; i < b.close.size(); i += 97)
            b.close[i] = 0.0;
        for (int period : {2, 6, 14, 61}) {
            SCOPED_TRACE(c.name + ", period " + std::to_string(period));
            std::vector<double> slope, intercept, value, ahead, roc, rocr, mom, range;
            for (std::size_t t = static_cast<std::size_t>(period) - 1; t < b.close.size(); ++t) {
                const double sumX = period * (period - 1) * 0.5;
                const double sumXSqr = static_cast<double>(
                    static_cast<long long>(period) * (period - 1) * (2 * period - 1) / 6);
                const double divisor = sumX * sumX - period * sumXSqr;
                double sumXY = 0, sumY = 0;
                for (int i = period; i-- != 0;) {
                    const double y = b.close[t - static_cast<std::size_t>(i)];
                    sumY += y;
                    sumXY += static_cast<double>(i) * y;
                }
                const double m = (period * sumXY - sumX * sumY) / divisor;
                const double at = (sumY - m * sumX) / period;
                slope.push_back(m);
                intercept.push_back(at);
                value.push_back(at + m * (period - 1));
                ahead.push_back(at + m * period);
            }
            for (std::size_t t = static_cast<std::size_t>(period); t < b.close.size(); ++t) {
                const double price = b.close[t], earlier = b.close[t - static_cast<std::size_t>(period)];
                roc.push_back(earlier != 0.0 ? ((price / earlier) - 1.0) * 100.0 : 0.0);
                rocr.push_back(earlier != 0.0 ? (price / earlier) * 100.0 : 0.0);
                mom.push_back(price - earlier);
            }
            for (std::size_t t = 1; t < b.close.size(); ++t)
                range.push_back(trueRangeByDefinition(b, t));
            // Ends that leave none to three bars after the groups of four: the
            // values are the first ones of the whole run.
            for (int cut : {0, 1, 2, 3}) {
                const int last = b.size() - 1 - cut;
                auto first = [cut](std::vector<double> v) {
                    v.resize(v.size() - static_cast<std::size_t>(cut));
                    return v;
                };
                const double *in = b.close.data();
                auto call = [&](auto fn) {
                    return run(b.size(), [&](int *beg, int *nb, double *o) { return fn(0, last, in, period, beg, nb, o); });
                };
                EXPECT_TRUE(sameBits(call(TA_LINEARREG_SLOPE), first(slope))) << "slope, last " << last;
                EXPECT_TRUE(sameBits(call(TA_LINEARREG_INTERCEPT), first(intercept))) << "intercept";
                EXPECT_TRUE(sameBits(call(TA_LINEARREG), first(value))) << "LINEARREG";
                EXPECT_TRUE(sameBits(call(TA_TSF), first(ahead))) << "TSF";
                EXPECT_TRUE(sameBits(call(TA_ROC), first(roc))) << "ROC";
                EXPECT_TRUE(sameBits(call(TA_ROCR100), first(rocr))) << "ROCR100";
                EXPECT_TRUE(sameBits(call(TA_MOM), first(mom))) << "MOM";
                EXPECT_TRUE(sameBits(run(b.size(), [&](int *beg, int *nb, double *o) {
                                return TA_TRANGE(0, last, b.high.data(), b.low.data(), b.close.data(), beg, nb, o);
                            }),
                            first(range)))
                    << "TRANGE";

                // Written over the input: the same values.
                for (auto fn : {TA_LINEARREG, TA_ROC}) {
                    std::vector<double> shared = b.close;
                    int begin = 0, count = 0;
                    ASSERT_EQ(fn(0, last, shared.data(), period, &begin, &count, shared.data()), TA_SUCCESS);
                    shared.resize(static_cast<std::size_t>(count));
                    EXPECT_TRUE(sameBits(shared, call(fn))) << "in place";
                }
            }
        }
    }
}

TEST(ExactOrder, OnePassStochasticAndBandsGiveTheBitsOfTheirDefinition)
{
    for (const Case &c : cases()) {
        if (c.name == "infinite")
            continue; // window extremes of infinities make NaN either way
        const Bars &b = c.bars;
        const int last = b.size() - 1;
        for (int period : {2, 5, 14, 60}) {
            SCOPED_TRACE(c.name + ", period " + std::to_string(period));
            // Stochastic: fast %K over windows of `period`, then exponential
            // slow %K (3) and slow %D (period).
            std::vector<double> fast, willr;
            for (std::size_t t = static_cast<std::size_t>(period) - 1; t < b.close.size(); ++t) {
                const auto [highest, lowest] = windowExtremes(b, t, period);
                const double diff = (highest - lowest) / 100.0;
                fast.push_back(diff != 0.0 ? (b.close[t] - lowest) / diff : 0.0);
                const double down = (highest - lowest) / (-100.0);
                willr.push_back(down != 0.0 ? (highest - b.close[t]) / down : 0.0);
            }
            const std::vector<double> slowK = emaByDefinition(fast, 3);
            std::vector<double> slowD = emaByDefinition(slowK, period);
            std::vector<double> expectedK(slowK.begin() + (period - 1), slowK.end());
            std::vector<double> k(b.close.size()), d(b.close.size());
            int begin = 0, count = 0;
            ASSERT_EQ(TA_STOCH(0, last, b.high.data(), b.low.data(), b.close.data(), period, 3, TA_MAType_EMA,
                               period, TA_MAType_EMA, &begin, &count, k.data(), d.data()),
                      TA_SUCCESS);
            k.resize(static_cast<std::size_t>(count));
            d.resize(static_cast<std::size_t>(count));
            EXPECT_TRUE(sameBits(k, expectedK)) << "slow %K";
            EXPECT_TRUE(sameBits(d, slowD)) << "slow %D";
            EXPECT_TRUE(sameBits(run(b.size(), [&](int *beg, int *nb, double *o) {
                            return TA_WILLR(0, last, b.high.data(), b.low.data(), b.close.data(), period, beg, nb, o);
                        }),
                        willr))
                << "WILLR";

            // Bollinger bands around the exponential average: running sums
            // of the values and their squares over the window.
            const std::vector<double> middle = emaByDefinition(b.close, period);
            std::vector<double> upper, lower;
            double total1 = 0.0, total2 = 0.0;
            for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(period); ++i) {
                total1 += b.close[i];
                total2 += b.close[i] * b.close[i];
            }
            for (std::size_t t = static_cast<std::size_t>(period) - 1, trailing = 0; t < b.close.size(); ++t, ++trailing) {
                double v = b.close[t];
                total1 += v;
                total2 += v * v;
                const double mean1 = total1 / period, mean2 = total2 / period;
                v = b.close[trailing];
                total1 -= v;
                total2 -= v * v;
                const double variance = mean2 - mean1 * mean1;
                const double dev = variance < 0.00000000000001 ? 0.0 : std::sqrt(variance);
                const double average = middle[t - static_cast<std::size_t>(period) + 1];
                upper.push_back(average + dev * 2.5);
                lower.push_back(average - dev * 1.5);
            }
            std::vector<double> bands[3];
            for (auto &band : bands)
                band.assign(b.close.size(), 0.0);
            ASSERT_EQ(TA_BBANDS(0, last, b.close.data(), period, 2.5, 1.5, TA_MAType_EMA, &begin, &count,
                                bands[0].data(), bands[1].data(), bands[2].data()),
                      TA_SUCCESS);
            for (auto &band : bands)
                band.resize(static_cast<std::size_t>(count));
            EXPECT_TRUE(sameBits(bands[0], upper)) << "upper band";
            EXPECT_TRUE(sameBits(bands[1], middle)) << "middle band";
            EXPECT_TRUE(sameBits(bands[2], lower)) << "lower band";
        }
    }
}

} // namespace
} // namespace kelvra::ta::test
