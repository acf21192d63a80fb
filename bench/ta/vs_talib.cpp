// Our technical-analysis functions against a TA-Lib shared library, side by
// side in one process on the same bars: KELVRA_TALIB_LIBRARY names the
// library (for instance one built from TA-Lib's C sources with -O3 -shared
// -fPIC). The two are called in turns, the order alternating, so that both
// see the same machine; each figure is a median over the rounds, in
// nanoseconds per bar. Without the variable it says so and exits 0, so that
// `./run.sh bench` passes on machines without TA-Lib.
//
//   vs_talib [--rounds N] [--only NAME,NAME...]

#include "ta_calls.h"

#include "kelvra/ta_api.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kelvra::ta::bench;

using Call = std::function<int(const double *, const double *, const double *, double *, double *,
                               double *, int *, int *)>;

struct Entry
{
    const char *name;
    Call ours;
    Call theirs;
};

// The library's functions, looked up by name with our declarations' types
// (the C interface is the same).
struct TaLib
{
#define KELVRA_TALIB_POINTER(NAME, ARGS) decltype(&::TA_##NAME) TA_##NAME = nullptr;
    KELVRA_TA_BENCH_CALLS(KELVRA_TALIB_POINTER)
#undef KELVRA_TALIB_POINTER
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 25;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
            only = "," + std::string(argv[++i]) + ",";
        // Other flags (./run.sh passes Google Benchmark's) are ignored.
    }
    const char *path = std::getenv("KELVRA_TALIB_LIBRARY");
    if (!path || !*path) {
        std::printf("vs_talib: set KELVRA_TALIB_LIBRARY to a TA-Lib shared library to compare\n");
        return 0;
    }
    // Its own symbols first: the library's functions call one another.
    void *library = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    if (!library) {
        std::fprintf(stderr, "vs_talib: %s\n", dlerror());
        return 1;
    }
    TaLib lib;
    std::vector<Entry> entries;
#define KELVRA_TALIB_ENTRY(NAME, ARGS)                                                             \
    lib.TA_##NAME = reinterpret_cast<decltype(lib.TA_##NAME)>(dlsym(library, "TA_" #NAME));        \
    if (!lib.TA_##NAME) {                                                                          \
        std::fprintf(stderr, "vs_talib: the library has no TA_%s\n", #NAME);                       \
        return 1;                                                                                  \
    }                                                                                              \
    entries.push_back({#NAME,                                                                      \
                       [](const double *h, const double *l, const double *c, double *o0,           \
                          double *o1, double *o2, int *beg, int *nb) {                             \
                           (void)h, (void)l, (void)c, (void)o0, (void)o1, (void)o2;                \
                           return static_cast<int>(TA_##NAME ARGS);                                \
                       },                                                                          \
                       [&lib](const double *h, const double *l, const double *c, double *o0,       \
                              double *o1, double *o2, int *beg, int *nb) {                         \
                           (void)h, (void)l, (void)c, (void)o0, (void)o1, (void)o2;                \
                           return static_cast<int>(lib.TA_##NAME ARGS);                            \
                       }});
    KELVRA_TA_BENCH_CALLS(KELVRA_TALIB_ENTRY)
#undef KELVRA_TALIB_ENTRY
    if (auto initialize = reinterpret_cast<int (*)()>(dlsym(library, "TA_Initialize")))
        initialize();

    const Bars &b = bars();
    std::vector<double> o0(kBars), o1(kBars), o2(kBars);
    int beg = 0, nb = 0;
    auto timeOne = [&](const Call &call) {
        constexpr int kCalls = 8;
        call(b.high.data(), b.low.data(), b.close.data(), o0.data(), o1.data(), o2.data(), &beg, &nb);
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < kCalls; ++k)
            call(b.high.data(), b.low.data(), b.close.data(), o0.data(), o1.data(), o2.data(), &beg, &nb);
        const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
        return spent.count() / kCalls / kBars;
    };

    std::printf("%-20s %10s %10s %7s\n", "ns per bar", "ours", "TA-Lib", "ratio");
    std::vector<double> oursAll, theirsAll;
    for (const Entry &e : entries) {
        if (!only.empty() && only.find("," + std::string(e.name) + ",") == std::string::npos)
            continue;
        std::vector<double> ours, theirs;
        for (int r = 0; r < rounds; ++r) {
            if (r % 2 == 0) {
                ours.push_back(timeOne(e.ours));
                theirs.push_back(timeOne(e.theirs));
            } else {
                theirs.push_back(timeOne(e.theirs));
                ours.push_back(timeOne(e.ours));
            }
        }
        const double a = median(ours), t = median(theirs);
        oursAll.push_back(a);
        theirsAll.push_back(t);
        std::printf("%-20s %10.2f %10.2f %7.2f\n", e.name, a, t, a / t);
    }
    if (!oursAll.empty())
        std::printf("%-20s %10.2f %10.2f\n", "median", median(oursAll), median(theirsAll));
    dlclose(library);
    return 0;
}
