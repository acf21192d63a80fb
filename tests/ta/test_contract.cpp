// The calling contract every function shares: lookbacks, error codes and
// their order, which bars are read, what is written, and buffer sharing.

#include "catalogue_calls.h"

#include "kelvra/ta_api.h"

#include <gtest/gtest.h>

#include <cmath>

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace kelvra::ta::test {
namespace {

constexpr double kSentinel = -987654321.5;

struct Result
{
    int ret = -1, begin = -1, count = -1;
    std::vector<double> out[3];
};

Result run(const Invocation &inv, int start, int end, Inputs in, std::size_t capacity)
{
    Result r;
    for (auto &o : r.out)
        o.assign(capacity, kSentinel);
    r.ret = inv.call(start, end, in, &r.begin, &r.count, r.out[0].data(), r.out[1].data(), r.out[2].data());
    return r;
}

Inputs inputsOf(const Bars &bars)
{
    return {bars.high.data(), bars.low.data(), bars.close.data()};
}

// Checks a successful call: its begin and count, and nothing written past
// the count.
void expectShape(const Invocation &inv, const Result &r, int begin, int count, const char *what)
{
    ASSERT_EQ(r.ret, TA_SUCCESS) << inv.label << " " << what;
    EXPECT_EQ(r.begin, begin) << inv.label << " " << what;
    ASSERT_EQ(r.count, count) << inv.label << " " << what;
    for (int o = 0; o < 3; ++o) {
        for (std::size_t j = static_cast<std::size_t>(count); j < r.out[o].size(); ++j) {
            if (r.out[o][j] != kSentinel) {
                ADD_FAILURE() << inv.label << " " << what << ": wrote out" << o << "[" << j << "]";
                break;
            }
        }
    }
}

TEST(Contract, LookbackIsTheFirstBarOfACallFromBarZero)
{
    const Bars bars = sampleBars(700);
    const int n = bars.size();
    for (const Invocation &inv : invocations()) {
        if (inv.refused)
            continue;
        const int lookback = inv.lookback();
        ASSERT_GE(lookback, 0) << inv.label;
        ASSERT_LT(lookback + 5, n) << inv.label;
        const auto cap = static_cast<std::size_t>(n);
        expectShape(inv, run(inv, 0, n - 1, inputsOf(bars), cap), lookback, n - lookback, "whole series");
        expectShape(inv, run(inv, 0, lookback, inputsOf(bars), cap), lookback, 1, "one value");
        expectShape(inv, run(inv, lookback + 5, n - 1, inputsOf(bars), cap), lookback + 5,
                    n - lookback - 5, "later start");
        // Too short for one value: success, and nothing at all.
        if (lookback > 0)
            expectShape(inv, run(inv, 0, lookback - 1, inputsOf(bars), cap), 0, 0, "too short");
    }
}

TEST(Contract, RefusedParametersGiveBadParamAndNoLookback)
{
    const Bars bars = sampleBars(100);
    for (const Invocation &inv : invocations()) {
        if (!inv.refused)
            continue;
        EXPECT_EQ(inv.lookback(), -1) << inv.label;
        EXPECT_EQ(run(inv, 0, bars.size() - 1, inputsOf(bars), 100).ret, TA_BAD_PARAM) << inv.label;
    }
}

TEST(Contract, RangeErrorsAreReportedBeforeParameterErrors)
{
    const Bars bars = sampleBars(50);
    for (const Invocation &inv : invocations()) {
        EXPECT_EQ(run(inv, -1, 49, inputsOf(bars), 60).ret, TA_OUT_OF_RANGE_START_INDEX) << inv.label;
        EXPECT_EQ(run(inv, 0, -1, inputsOf(bars), 60).ret, TA_OUT_OF_RANGE_END_INDEX) << inv.label;
        EXPECT_EQ(run(inv, 5, 3, inputsOf(bars), 60).ret, TA_OUT_OF_RANGE_END_INDEX) << inv.label;
    }
}

TEST(Contract, MissingArraysAreRefused)
{
    const Bars bars = sampleBars(100);
    for (const Invocation &inv : invocations()) {
        if (inv.refused)
            continue;
        Inputs noInput = inputsOf(bars);
        (inv.singleInput ? noInput.close : noInput.high) = nullptr;
        EXPECT_EQ(run(inv, 0, 99, noInput, 100).ret, TA_BAD_PARAM) << inv.label;
        int begin = 0, count = 0;
        std::vector<double> out(100);
        EXPECT_EQ(inv.call(0, 99, inputsOf(bars), &begin, &count, nullptr, out.data(), out.data()),
                  TA_BAD_PARAM)
            << inv.label;
        if (inv.outputs > 1) {
            std::vector<double> other(100);
            EXPECT_EQ(inv.call(0, 99, inputsOf(bars), &begin, &count, out.data(), nullptr, other.data()),
                      TA_BAD_PARAM)
                << inv.label;
        }
    }
}

// Bars outside the window [first, last] are poisoned: NaN always, and
// unreadable under AddressSanitizer.
class GuardedBars
{
public:
    GuardedBars(const Bars &bars, int first, int last) : m_bars(bars), m_first(first), m_last(last)
    {
        for (std::vector<double> *v : {&m_bars.high, &m_bars.low, &m_bars.close}) {
            for (int i = 0; i < m_bars.size(); ++i) {
                if (i < first || i > last)
                    (*v)[static_cast<std::size_t>(i)] = std::nan("");
            }
            poison(*v, true);
        }
    }
    ~GuardedBars()
    {
        for (std::vector<double> *v : {&m_bars.high, &m_bars.low, &m_bars.close})
            poison(*v, false);
    }
    Inputs inputs() const { return inputsOf(m_bars); }

private:
    void poison(std::vector<double> &v, bool on)
    {
        double *head = v.data();
        double *tail = v.data() + m_last + 1;
        const std::size_t headBytes = sizeof(double) * static_cast<std::size_t>(m_first);
        const std::size_t tailBytes = sizeof(double) * (v.size() - static_cast<std::size_t>(m_last) - 1);
        if (on) {
            ASAN_POISON_MEMORY_REGION(head, headBytes);
            ASAN_POISON_MEMORY_REGION(tail, tailBytes);
        } else {
            ASAN_UNPOISON_MEMORY_REGION(head, headBytes);
            ASAN_UNPOISON_MEMORY_REGION(tail, tailBytes);
        }
    }
    Bars m_bars;
    int m_first, m_last;
};

TEST(Contract, ReadsOnlyTheLookbackWindowBeforeStartAndNothingAfterEnd)
{
    const Bars bars = sampleBars(800, 11);
    for (const Invocation &inv : invocations()) {
        if (inv.refused)
            continue;
        const int lookback = inv.lookback();
        for (int start : {0, lookback + 37}) {
            const int first = std::max(start, lookback);
            const int end = first + 60;
            ASSERT_LT(end, bars.size()) << inv.label;
            // TRIX started beyond its lookback reads one more period back
            // (its values are those of earlier bars).
            int readFrom = first - lookback;
            if (inv.func == "TRIX")
                readFrom -= std::min(inv.period - 1, first - lookback);
            GuardedBars guarded(bars, readFrom, end);
            const Result r = run(inv, start, end, guarded.inputs(), 100);
            ASSERT_EQ(r.ret, TA_SUCCESS) << inv.label;
            for (int o = 0; o < inv.outputs; ++o) {
                for (int j = 0; j < r.count; ++j)
                    ASSERT_FALSE(std::isnan(r.out[o][static_cast<std::size_t>(j)]))
                        << inv.label << " start " << start << " read outside its window";
            }
        }
    }
}

TEST(Contract, InputMayShareItsBufferWithAnOutput)
{
    const Bars bars = sampleBars(300, 5);
    for (const Invocation &inv : invocations()) {
        if (inv.refused || !inv.singleInput)
            continue;
        const Result separate = run(inv, 20, 299, inputsOf(bars), 300);
        for (int shared = 0; shared < inv.outputs; ++shared) {
            std::vector<double> buffers[3] = {bars.close, bars.close, bars.close};
            int begin = 0, count = 0;
            Inputs in = inputsOf(bars);
            in.close = buffers[shared].data();
            ASSERT_EQ(inv.call(20, 299, in, &begin, &count, buffers[0].data(), buffers[1].data(),
                               buffers[2].data()),
                      TA_SUCCESS)
                << inv.label;
            ASSERT_EQ(count, separate.count) << inv.label;
            for (int o = 0; o < inv.outputs; ++o) {
                for (int j = 0; j < count; ++j)
                    ASSERT_EQ(buffers[o][static_cast<std::size_t>(j)], separate.out[o][static_cast<std::size_t>(j)])
                        << inv.label << " sharing out" << shared << ", out" << o << "[" << j << "]";
            }
        }
    }
}

TEST(Contract, DefaultMarkersSelectTheDefaults)
{
    const Bars bars = sampleBars(200);
    const double *c = bars.close.data();
    auto same = [](const std::vector<double> &a, const std::vector<double> &b) { return a == b; };
    std::vector<double> a(200), b(200), a1(200), b1(200), a2(200), b2(200);
    int ab, an, bb, bn;
    TA_MA(0, 199, c, TA_INTEGER_DEFAULT, static_cast<TA_MAType>(TA_INTEGER_DEFAULT), &ab, &an, a.data());
    TA_MA(0, 199, c, 30, TA_MAType_SMA, &bb, &bn, b.data());
    EXPECT_TRUE(ab == 29 && an == 171 && same(a, b));
    TA_BBANDS(0, 199, c, TA_INTEGER_DEFAULT, TA_REAL_DEFAULT, TA_REAL_DEFAULT, TA_MAType_SMA, &ab, &an,
              a.data(), a1.data(), a2.data());
    TA_BBANDS(0, 199, c, 5, 2.0, 2.0, TA_MAType_SMA, &bb, &bn, b.data(), b1.data(), b2.data());
    EXPECT_TRUE(ab == 4 && same(a, b) && same(a2, b2));
    TA_MACD(0, 199, c, TA_INTEGER_DEFAULT, TA_INTEGER_DEFAULT, TA_INTEGER_DEFAULT, &ab, &an, a.data(),
            a1.data(), a2.data());
    TA_MACD(0, 199, c, 12, 26, 9, &bb, &bn, b.data(), b1.data(), b2.data());
    EXPECT_TRUE(ab == 33 && same(a, b) && same(a1, b1));
    TA_SAR(0, 199, bars.high.data(), bars.low.data(), TA_REAL_DEFAULT, TA_REAL_DEFAULT, &ab, &an, a.data());
    TA_SAR(0, 199, bars.high.data(), bars.low.data(), 0.02, 0.2, &bb, &bn, b.data());
    EXPECT_TRUE(same(a, b));
    EXPECT_EQ(TA_RSI_Lookback(TA_INTEGER_DEFAULT), 14);
    EXPECT_EQ(TA_TRIX_Lookback(TA_INTEGER_DEFAULT), TA_TRIX_Lookback(30));
    EXPECT_EQ(TA_STOCH_Lookback(TA_INTEGER_DEFAULT, TA_INTEGER_DEFAULT, TA_MAType_SMA, TA_INTEGER_DEFAULT,
                                TA_MAType_SMA),
              8);
    EXPECT_EQ(TA_Initialize(), TA_SUCCESS);
    EXPECT_EQ(TA_Shutdown(), TA_SUCCESS);
}

} // namespace
} // namespace kelvra::ta::test
