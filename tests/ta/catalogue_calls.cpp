#include "catalogue_calls.h"

#include "kelvra/ta_api.h"

#include <cmath>
#include <limits>
#include <random>

namespace kelvra::ta::test {

Bars sampleBars(int count, unsigned seed, double base)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> step(-6, 6);
    std::uniform_int_distribution<int> wick(0, 4);
    std::uniform_int_distribution<int> flatChance(0, 29);
    const double pip = base > 10 ? 0.01 : 0.0001;
    Bars bars;
    double close = base;
    int flatLeft = 0;
    for (int i = 0; i < count; ++i) {
        if (flatLeft == 0 && flatChance(random) == 0)
            flatLeft = 8;
        double open = close;
        double high, low;
        if (flatLeft > 0) {
            --flatLeft;
            high = low = open;
        } else {
            close = open + step(random) * pip;
            high = std::max(open, close) + wick(random) * pip;
            low = std::min(open, close) - wick(random) * pip;
        }
        bars.high.push_back(high);
        bars.low.push_back(low);
        bars.close.push_back(close);
    }
    return bars;
}

Bars constantBars(int count, double price)
{
    Bars bars;
    bars.high.assign(static_cast<std::size_t>(count), price);
    bars.low = bars.high;
    bars.close = bars.high;
    return bars;
}

namespace {

using Call = decltype(Invocation::call);

void add(std::vector<Invocation> &list, std::string func, std::string params, int outputs,
         bool refused, bool singleInput, int period, std::function<int()> lookback, Call call)
{
    Invocation inv;
    inv.label = func + "(" + params + ")";
    inv.func = std::move(func);
    inv.outputs = outputs;
    inv.refused = refused;
    inv.singleInput = singleInput;
    inv.period = period;
    inv.lookback = std::move(lookback);
    inv.call = std::move(call);
    list.push_back(std::move(inv));
}

// Functions of the shape f(start, end, close, period, ...).
template <class Fn, class Lb>
void closePeriod(std::vector<Invocation> &list, const char *name, Fn fn, Lb lb,
                 std::initializer_list<int> good, std::initializer_list<int> bad)
{
    for (bool refused : {false, true}) {
        for (int p : refused ? bad : good) {
            add(list, name, std::to_string(p), 1, refused, true, p, [lb, p] { return lb(p); },
                [fn, p](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
                    return static_cast<int>(fn(s, e, in.close, p, b, n, o));
                });
        }
    }
}

template <class Fn, class Lb>
void highLowPeriod(std::vector<Invocation> &list, const char *name, Fn fn, Lb lb,
                   std::initializer_list<int> good, std::initializer_list<int> bad)
{
    for (bool refused : {false, true}) {
        for (int p : refused ? bad : good) {
            add(list, name, std::to_string(p), 1, refused, false, p, [lb, p] { return lb(p); },
                [fn, p](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
                    return static_cast<int>(fn(s, e, in.high, in.low, p, b, n, o));
                });
        }
    }
}

template <class Fn, class Lb>
void hlcPeriod(std::vector<Invocation> &list, const char *name, Fn fn, Lb lb,
               std::initializer_list<int> good, std::initializer_list<int> bad)
{
    for (bool refused : {false, true}) {
        for (int p : refused ? bad : good) {
            add(list, name, std::to_string(p), 1, refused, false, p, [lb, p] { return lb(p); },
                [fn, p](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
                    return static_cast<int>(fn(s, e, in.high, in.low, in.close, p, b, n, o));
                });
        }
    }
}

std::vector<Invocation> build()
{
    std::vector<Invocation> list;
    const double nan = std::numeric_limits<double>::quiet_NaN();

    for (int type = -1; type <= 9; ++type) {
        const bool badType = type < 0 || type > 8;
        for (int p : {0, 1, 2, 5, 10, 100001}) {
            const bool refused = badType || p < 1 || p > 100000;
            const auto t = static_cast<TA_MAType>(type);
            add(list, "MA", std::to_string(p) + "," + std::to_string(type), 1, refused, true, p,
                [p, t] { return TA_MA_Lookback(p, t); },
                [p, t](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
                    return static_cast<int>(TA_MA(s, e, in.close, p, t, b, n, o));
                });
        }
    }

    struct SarParams { double step, maximum; bool refused; };
    for (SarParams sp : {SarParams{0.02, 0.2, false}, SarParams{0.5, 0.2, false},
                         SarParams{0.0, 0.0, false}, SarParams{-0.01, 0.2, true},
                         SarParams{0.02, -1.0, true}, SarParams{nan, 0.2, true}}) {
        add(list, "SAR", std::to_string(sp.step) + "," + std::to_string(sp.maximum), 1, sp.refused,
            false, 0, [sp] { return TA_SAR_Lookback(sp.step, sp.maximum); },
            [sp](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
                return static_cast<int>(TA_SAR(s, e, in.high, in.low, sp.step, sp.maximum, b, n, o));
            });
    }

    struct BandParams { int period; double up, down; int type; bool refused; };
    for (BandParams bp : {BandParams{20, 8.0, 8.0, 1, false}, BandParams{5, 2.0, 1.5, 0, false},
                          BandParams{5, 1.0, 1.0, 3, false}, BandParams{9, 2.0, 2.0, 5, false},
                          BandParams{6, 2.0, 2.0, 6, false}, BandParams{5, 2.0, 2.0, 7, false},
                          BandParams{40, 2.0, 2.0, 7, false}, BandParams{3, 2.0, 2.0, 8, false},
                          BandParams{1, 2.0, 2.0, 0, true}, BandParams{5, 2.0, 2.0, 9, true},
                          BandParams{5, 4e37, 2.0, 0, true}}) {
        const auto t = static_cast<TA_MAType>(bp.type);
        add(list, "BBANDS",
            std::to_string(bp.period) + "," + std::to_string(bp.up) + "," + std::to_string(bp.down)
                + "," + std::to_string(bp.type),
            3, bp.refused, true, bp.period,
            [bp, t] { return TA_BBANDS_Lookback(bp.period, bp.up, bp.down, t); },
            [bp, t](int s, int e, Inputs in, int *b, int *n, double *o0, double *o1, double *o2) {
                return static_cast<int>(TA_BBANDS(s, e, in.close, bp.period, bp.up, bp.down, t, b, n,
                                                  o0, o1, o2));
            });
    }

    add(list, "HT_TRENDLINE", "", 1, false, true, 0, [] { return TA_HT_TRENDLINE_Lookback(); },
        [](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
            return static_cast<int>(TA_HT_TRENDLINE(s, e, in.close, b, n, o));
        });
    add(list, "TRANGE", "", 1, false, false, 0, [] { return TA_TRANGE_Lookback(); },
        [](int s, int e, Inputs in, int *b, int *n, double *o, double *, double *) {
            return static_cast<int>(TA_TRANGE(s, e, in.high, in.low, in.close, b, n, o));
        });

    closePeriod(list, "TRIX", TA_TRIX, TA_TRIX_Lookback, {1, 2, 6, 14}, {0, 100001});
    closePeriod(list, "MIDPOINT", TA_MIDPOINT, TA_MIDPOINT_Lookback, {2, 6, 14}, {1, 100001});
    closePeriod(list, "MOM", TA_MOM, TA_MOM_Lookback, {1, 6}, {0, -5});
    closePeriod(list, "ROC", TA_ROC, TA_ROC_Lookback, {1, 6}, {0});
    closePeriod(list, "ROCP", TA_ROCP, TA_ROCP_Lookback, {1, 6}, {0});
    closePeriod(list, "ROCR", TA_ROCR, TA_ROCR_Lookback, {1, 6}, {0});
    closePeriod(list, "ROCR100", TA_ROCR100, TA_ROCR100_Lookback, {1, 6}, {0});
    closePeriod(list, "RSI", TA_RSI, TA_RSI_Lookback, {2, 6, 14}, {1, 100001});
    closePeriod(list, "LINEARREG", TA_LINEARREG, TA_LINEARREG_Lookback, {2, 6, 14}, {1});
    closePeriod(list, "LINEARREG_SLOPE", TA_LINEARREG_SLOPE, TA_LINEARREG_SLOPE_Lookback, {2, 6}, {1});
    closePeriod(list, "LINEARREG_ANGLE", TA_LINEARREG_ANGLE, TA_LINEARREG_ANGLE_Lookback, {2, 6}, {1});
    closePeriod(list, "LINEARREG_INTERCEPT", TA_LINEARREG_INTERCEPT, TA_LINEARREG_INTERCEPT_Lookback,
                {2, 6}, {1});
    closePeriod(list, "TSF", TA_TSF, TA_TSF_Lookback, {2, 6}, {1});
    highLowPeriod(list, "MIDPRICE", TA_MIDPRICE, TA_MIDPRICE_Lookback, {2, 6, 14}, {1});
    highLowPeriod(list, "MINUS_DM", TA_MINUS_DM, TA_MINUS_DM_Lookback, {1, 2, 6}, {0});
    highLowPeriod(list, "PLUS_DM", TA_PLUS_DM, TA_PLUS_DM_Lookback, {1, 2, 6}, {0});
    hlcPeriod(list, "ATR", TA_ATR, TA_ATR_Lookback, {1, 2, 6, 14}, {0});
    hlcPeriod(list, "ADX", TA_ADX, TA_ADX_Lookback, {2, 6, 14}, {1});
    hlcPeriod(list, "ADXR", TA_ADXR, TA_ADXR_Lookback, {2, 6, 14, 200}, {1});
    hlcPeriod(list, "CCI", TA_CCI, TA_CCI_Lookback, {2, 6, 14, 100}, {1});
    hlcPeriod(list, "DX", TA_DX, TA_DX_Lookback, {2, 6, 14}, {1});
    hlcPeriod(list, "MINUS_DI", TA_MINUS_DI, TA_MINUS_DI_Lookback, {1, 2, 6}, {0});
    hlcPeriod(list, "PLUS_DI", TA_PLUS_DI, TA_PLUS_DI_Lookback, {1, 2, 6}, {0});
    hlcPeriod(list, "WILLR", TA_WILLR, TA_WILLR_Lookback, {2, 6, 14}, {1});

    struct MacdParams { int fast, slow, signal; bool refused; };
    for (MacdParams mp : {MacdParams{10, 5, 5, false}, MacdParams{5, 10, 3, false},
                          MacdParams{12, 26, 9, false}, MacdParams{4, 4, 1, false},
                          MacdParams{1, 5, 3, true}, MacdParams{5, 1, 3, true},
                          MacdParams{5, 10, 0, true}}) {
        add(list, "MACD",
            std::to_string(mp.fast) + "," + std::to_string(mp.slow) + "," + std::to_string(mp.signal),
            3, mp.refused, true, 0,
            [mp] { return TA_MACD_Lookback(mp.fast, mp.slow, mp.signal); },
            [mp](int s, int e, Inputs in, int *b, int *n, double *o0, double *o1, double *o2) {
                return static_cast<int>(TA_MACD(s, e, in.close, mp.fast, mp.slow, mp.signal, b, n, o0, o1, o2));
            });
    }

    struct StochParams { int fastK, slowK, slowKType, slowD, slowDType; bool refused; };
    for (StochParams sp : {StochParams{5, 3, 1, 17, 1, false}, StochParams{14, 3, 1, 3, 0, false},
                           StochParams{5, 1, 0, 1, 0, false}, StochParams{5, 3, 3, 2, 4, false},
                           StochParams{5, 3, 6, 3, 5, false}, StochParams{5, 3, 7, 3, 2, false},
                           StochParams{5, 3, 8, 3, 8, false}, StochParams{0, 3, 1, 3, 1, true},
                           StochParams{5, 0, 1, 3, 1, true}, StochParams{5, 3, 9, 3, 1, true},
                           StochParams{5, 3, 1, 0, 1, true}}) {
        const auto kt = static_cast<TA_MAType>(sp.slowKType);
        const auto dt = static_cast<TA_MAType>(sp.slowDType);
        add(list, "STOCH",
            std::to_string(sp.fastK) + "," + std::to_string(sp.slowK) + "," + std::to_string(sp.slowKType)
                + "," + std::to_string(sp.slowD) + "," + std::to_string(sp.slowDType),
            2, sp.refused, false, 0,
            [sp, kt, dt] { return TA_STOCH_Lookback(sp.fastK, sp.slowK, kt, sp.slowD, dt); },
            [sp, kt, dt](int s, int e, Inputs in, int *b, int *n, double *o0, double *o1, double *) {
                return static_cast<int>(TA_STOCH(s, e, in.high, in.low, in.close, sp.fastK, sp.slowK, kt,
                                                 sp.slowD, dt, b, n, o0, o1));
            });
    }
    return list;
}

} // namespace

const std::vector<Invocation> &invocations()
{
    static const std::vector<Invocation> list = build();
    return list;
}

} // namespace kelvra::ta::test
