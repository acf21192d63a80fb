// The functions computed in the library's own order of operations, written
// out plainly here, must give the very same bits: the fast paths (a fused
// division, bars computed side by side, merged passes) may change how the
// work is scheduled but never a rounding. The reference suite's tolerance
// would not notice a last-bit change; these comparisons do.

#include "catalogue_calls.h"

#include "kelvra/ta_api.h"

#include <gtest/gtest.h>

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

std::vector<double> run(int size, const std::function<int(int *, int *, double *)> &call)
{
    std::vector<double> out(static_cast<std::size_t>(size), 0.0);
    int begin = -1, count = -1;
    EXPECT_EQ(call(&begin, &count, out.data()), TA_SUCCESS);
    out.resize(static_cast<std::size_t>(std::max(count, 0)));
    return out;
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

            // Written over its own input: the same values.
            std::vector<double> shared = b.close;
            int begin = 0, count = 0;
            ASSERT_EQ(TA_RSI(0, last, shared.data(), period, &begin, &count, shared.data()), TA_SUCCESS);
            shared.resize(static_cast<std::size_t>(count));
            EXPECT_TRUE(sameBits(shared, rsi)) << "RSI in place";
        }
    }
}

} // namespace
} // namespace kelvra::ta::test
