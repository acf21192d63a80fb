// Each catalogue function over 10,000 bars with the catalogue's default
// parameters, from bar 0 as a chart recalculates on every tick. The
// "per_bar" counter is the time per bar. (vs_talib.cpp times the same calls
// against a TA-Lib library side by side.)

#include "ta_calls.h"

#include "kelvra/ta_api.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kelvra::ta::bench;

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

#define KELVRA_BENCH(NAME, ARGS)                                                                   \
    void BM_##NAME(benchmark::State &state)                                                        \
    {                                                                                              \
        runBench(state, [](const double *h, const double *l, const double *c, double *o0,          \
                           double *o1, double *o2, int *beg, int *nb) {                            \
            (void)h, (void)l, (void)c, (void)o0, (void)o1, (void)o2;                               \
            return TA_##NAME ARGS;                                                                 \
        });                                                                                        \
    }                                                                                              \
    BENCHMARK(BM_##NAME);

KELVRA_TA_BENCH_CALLS(KELVRA_BENCH)

} // namespace
