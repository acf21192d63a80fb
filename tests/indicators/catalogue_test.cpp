#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "catalogue.h"
#include "elementstream.h"
#include "indicatorfixture.h"
#include "kelvra/ta_api.h"
#include "multiindicators.h"
#include "patternstore.h"
#include "periodindicators.h"
#include "simpleindicators.h"
#include "taxexception.h"
#include "units.h"

namespace {

// The TA-Lib call each entry must make with its defaults, written out
// independently of the catalogue's own table.
struct DirectCall {
    int outputs;
    std::function<TA_RetCode(const TSerData &, int *, int *, double *, double *, double *)> call;
};

DirectCall directCall(int n)
{
    using S = const TSerData &;
    const auto close = [](auto fn, int period) {
        return DirectCall{1, [fn, period](S s, int *b, int *c, double *o, double *, double *) {
                              return fn(0, s.Last, s.Close(), period, b, c, o);
                          }};
    };
    const auto highLow = [](auto fn, int period) {
        return DirectCall{1, [fn, period](S s, int *b, int *c, double *o, double *, double *) {
                              return fn(0, s.Last, s.High(), s.Low(), period, b, c, o);
                          }};
    };
    const auto hlc = [](auto fn, int period) {
        return DirectCall{1, [fn, period](S s, int *b, int *c, double *o, double *, double *) {
                              return fn(0, s.Last, s.High(), s.Low(), s.Close(), period, b, c, o);
                          }};
    };
    switch (n) {
    case 0:
        return {1, [](S s, int *b, int *c, double *o, double *, double *) {
                    return TA_MA(0, s.Last, s.Close(), 10, TA_MAType_SMA, b, c, o);
                }};
    case 1:
        return {1, [](S s, int *b, int *c, double *o, double *, double *) {
                    return TA_SAR(0, s.Last, s.High(), s.Low(), 0.02, 0.2, b, c, o);
                }};
    case 2: return close(TA_TRIX, 6);
    case 3:
        return {3, [](S s, int *b, int *c, double *o0, double *o1, double *o2) {
                    return TA_BBANDS(0, s.Last, s.Close(), 20, 8.0, 8.0, TA_MAType_EMA, b, c, o0, o1, o2);
                }};
    case 4:
        return {1, [](S s, int *b, int *c, double *o, double *, double *) {
                    return TA_HT_TRENDLINE(0, s.Last, s.Close(), b, c, o);
                }};
    case 5: return highLow(TA_MIDPRICE, 6);
    case 6: return close(TA_MIDPOINT, 6);
    case 7: return hlc(TA_ATR, 6);
    case 8:
        return {1, [](S s, int *b, int *c, double *o, double *, double *) {
                    return TA_TRANGE(0, s.Last, s.High(), s.Low(), s.Close(), b, c, o);
                }};
    case 9: return hlc(TA_ADX, 6);
    case 10: return hlc(TA_ADXR, 6);
    case 11: return hlc(TA_CCI, 6);
    case 12: return hlc(TA_DX, 6);
    case 13: return hlc(TA_MINUS_DI, 6);
    case 14: return highLow(TA_MINUS_DM, 6);
    case 15: return close(TA_MOM, 6);
    case 16: return hlc(TA_PLUS_DI, 6);
    case 17: return highLow(TA_PLUS_DM, 6);
    case 18: return close(TA_ROC, 6);
    case 19: return close(TA_ROCP, 6);
    case 20: return close(TA_ROCR, 6);
    case 21: return close(TA_ROCR100, 6);
    case 22: return close(TA_RSI, 6);
    case 23: return close(TA_LINEARREG, 6);
    case 24: return close(TA_LINEARREG_SLOPE, 6);
    case 25: return close(TA_LINEARREG_ANGLE, 6);
    case 26: return close(TA_LINEARREG_INTERCEPT, 6);
    case 27: return close(TA_TSF, 6);
    case 28: return hlc(TA_WILLR, 6);
    case 29:
        return {3, [](S s, int *b, int *c, double *o0, double *o1, double *o2) {
                    return TA_MACD(0, s.Last, s.Close(), 10, 5, 5, b, c, o0, o1, o2);
                }};
    case 30:
        return {2, [](S s, int *b, int *c, double *o0, double *o1, double *) {
                    return TA_STOCH(0, s.Last, s.High(), s.Low(), s.Close(), 5, 3, TA_MAType_EMA, 17, TA_MAType_EMA, b,
                                    c, o0, o1);
                }};
    default: return {0, nullptr};
    }
}

class CatalogueEntry : public ::testing::TestWithParam<int> {};

} // namespace

// Every entry with its defaults on 500 bars: the TA-Lib results, bar k's
// value at entry k of each output, the computed range where they lie.
TEST_P(CatalogueEntry, MatchesADirectCallAlignedToTheBars)
{
    const int n = GetParam();
    auto series = RandomSeries(500);
    auto ind = Computed(n, *series);
    EXPECT_EQ(ind->TypeId, 1000 + n);
    EXPECT_EQ(ind->DisplayName(), CatalogueLongNames()[n]);

    const DirectCall direct = directCall(n);
    ASSERT_TRUE(direct.call);
    std::vector<double> out[3];
    for (auto &o : out)
        o.assign(500, 0.0);
    int begin = -1, count = -1;
    ASSERT_EQ(direct.call(*series, &begin, &count, out[0].data(), out[1].data(), out[2].data()), TA_SUCCESS);
    ASSERT_GT(count, 0);
    ASSERT_EQ(ind->OutputCount(), direct.outputs);
    EXPECT_EQ(ind->FirstComputed, begin);
    EXPECT_EQ(ind->LastComputed, series->Last);
    EXPECT_EQ(begin + count - 1, series->Last);
    for (int k = 0; k < direct.outputs; ++k) {
        const double *mine = ind->Output(k);
        for (int j = 0; j < count; ++j)
            ASSERT_EQ(mine[begin + j], out[k][size_t(j)]) << "output " << k << " result " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(AllEntries, CatalogueEntry, ::testing::Range(0, CatalogueCount));

// A 10-period moving average over 20 bars: results from bar 9, and hints
// only where there are results.
TEST(IndicatorComputation, MovingAverageOverTwentyBars)
{
    auto series = RandomSeries(20);
    auto ma = Computed(0, *series);
    EXPECT_EQ(ma->FirstComputed, 9);
    EXPECT_EQ(ma->LastComputed, 19);
    const double *v = ma->Output(0);
    for (int k = 9; k <= 19; ++k) {
        double sum = 0;
        for (int i = k - 9; i <= k; ++i)
            sum += series->Close()[i];
        EXPECT_NEAR(v[k], sum / 10, 1e-12) << k;
    }
    EXPECT_TRUE(ma->HintText(5).isEmpty());
    EXPECT_TRUE(ma->HintText(20).isEmpty());
    const qint32 t = series->Time()[12];
    EXPECT_EQ(ma->HintText(12), QStringLiteral("Moving Average\r%1\rvalue: %2")
                                    .arg(BarPeriodText(series->Timeframe, t, t), DoublePriceText(v[12])));

    // Min/max over a range clamped to the computed bars.
    double lo = 0, hi = 0;
    ASSERT_TRUE(ma->MinMax(0, 12, lo, hi));
    EXPECT_EQ(hi, std::max({v[9], v[10], v[11], v[12]}));
    EXPECT_EQ(lo, std::min({v[9], v[10], v[11], v[12]}));
    EXPECT_FALSE(ma->MinMax(0, 8, lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
}

// A failed call keeps what was computed; a call with no results (lookback
// longer than the series) leaves the indicator uncomputed.
TEST(IndicatorComputation, FailuresAndEmptyResults)
{
    auto series = RandomSeries(40);
    auto ma = Computed(0, *series);
    const std::vector<double> before = ComputedValues(*ma, 0);
    try {
        ma->Recalculate(10, 5);
        FAIL() << "no exception";
    } catch (const TAXException &e) {
        EXPECT_STREQ(e.what(), "TA: Internal error");
    }
    EXPECT_EQ(ma->FirstComputed, 9);
    EXPECT_EQ(ma->LastComputed, 39);
    EXPECT_EQ(ComputedValues(*ma, 0), before);
    // Nothing beyond the bars is read.
    EXPECT_THROW(ma->Recalculate(0, series->Last + 1), TAXException);
    // Parameters TA-Lib refuses.
    static_cast<T_MA_Indicator *>(ma.get())->TimePeriod = 0;
    EXPECT_THROW(ma->Recalculate(0, series->Last), TAXException);
    EXPECT_EQ(ma->FirstComputed, 9);

    auto rsi = CreateIndicator(22);
    static_cast<T_RSI_Indicator *>(rsi.get())->TimePeriod = 60;
    rsi->SetSeries(series.get());
    rsi->Recalculate(0, series->Last);
    EXPECT_EQ(rsi->FirstComputed, -1);
    double lo = 1, hi = 1;
    EXPECT_FALSE(rsi->MinMax(0, series->Last, lo, hi));
    EXPECT_TRUE(rsi->HintText(series->Last).isEmpty());
    double bar = 30.4, value = 1.5;
    rsi->Snap(bar, value);
    EXPECT_EQ(bar, 30);
    EXPECT_EQ(value, 1.5);

    // Without a series there is nothing to compute.
    auto orphan = CreateIndicator(2);
    EXPECT_THROW(orphan->Recalculate(0, 0), TAXException);
}

// Output buffers belong to the series: each indicator's stay where they are
// while others come and go and while the series grows.
TEST(IndicatorBuffers, IndexesStayWhileOthersGoAndTheSeriesGrows)
{
    auto series = RandomSeries(99);
    auto first = Computed(3, *series);    // three buffers
    auto second = Computed(0, *series);
    auto third = Computed(30, *series);   // two buffers
    ASSERT_EQ(first->BufferIndex, TSerData::aiFirstOutput);
    ASSERT_EQ(second->BufferIndex, first->BufferIndex + 3);
    ASSERT_EQ(third->BufferIndex, second->BufferIndex + 1);
    const int secondIndex = second->BufferIndex;
    const std::vector<double> secondValues = ComputedValues(*second, 0);
    first.reset();
    EXPECT_EQ(series->ArrayByIndex(TSerData::aiFirstOutput), nullptr);
    EXPECT_EQ(second->BufferIndex, secondIndex);
    EXPECT_EQ(ComputedValues(*second, 0), secondValues);

    // 101 more bars move every array; recomputed, each buffer holds its own
    // indicator's results at the bars' entries.
    AppendRandomBars(*series, 101);
    ASSERT_EQ(series->Count(), 200);
    second->Recalculate(0, series->Last);
    third->Recalculate(0, series->Last);
    auto freshMa = Computed(0, *series);
    auto freshStoch = Computed(30, *series);
    EXPECT_EQ(ComputedValues(*second, 0), ComputedValues(*freshMa, 0));
    EXPECT_EQ(ComputedValues(*third, 0), ComputedValues(*freshStoch, 0));
    EXPECT_EQ(ComputedValues(*third, 1), ComputedValues(*freshStoch, 1));
    EXPECT_EQ(second->FirstComputed, 9);

    // Given the same series again it keeps its buffers; another series takes
    // them from the first.
    second->SetSeries(series.get());
    EXPECT_EQ(second->BufferIndex, secondIndex);
    EXPECT_EQ(second->FirstComputed, -1);
    auto other = RandomSeries(30);
    second->SetSeries(other.get());
    EXPECT_EQ(series->ArrayByIndex(secondIndex), nullptr);
    EXPECT_EQ(second->BufferIndex, TSerData::aiFirstOutput);
    second->Recalculate(0, other->Last);
    EXPECT_EQ(second->FirstComputed, 9);
    second.reset();
    EXPECT_EQ(other->ArrayByIndex(TSerData::aiFirstOutput), nullptr);
}

// The snap candidates are the indicator's own outputs: Stochastic's two,
// never the buffer of the indicator added after it.
TEST(IndicatorSnap, NearestOwnOutput)
{
    auto series = RandomSeries(120);
    auto stoch = Computed(30, *series);
    auto ma = Computed(0, *series);
    ASSERT_EQ(ma->BufferIndex, stoch->BufferIndex + 2);
    const int b = 100;
    const double k = stoch->Output(0)[b], d = stoch->Output(1)[b];
    double bar = 99.6, value = ma->Output(0)[b];  // a price: far below both
    stoch->Snap(bar, value);
    EXPECT_EQ(bar, 100);
    EXPECT_EQ(value, std::min(k, d));
    bar = 100.2;
    value = std::max(k, d) + 1000;
    stoch->Snap(bar, value);
    EXPECT_EQ(value, std::max(k, d));
}

// Parameters, defaults and colours as the properties dialog and the chart
// files see them.
TEST(IndicatorCatalogue, DefaultsAndDescriptors)
{
    EXPECT_EQ(CreateIndicator(31), nullptr);
    EXPECT_EQ(CreateIndicator(-1), nullptr);
    ASSERT_EQ(CatalogueLongNames().size(), CatalogueCount);
    ASSERT_EQ(CatalogueShortNames().size(), CatalogueCount);
    EXPECT_EQ(MovingAverageMethods().size(), 8);

    auto ma = CreateIndicator(0);
    auto *maFields = static_cast<T_MA_Indicator *>(ma.get());
    EXPECT_EQ(ma->Color, ChartColors::Red);
    EXPECT_EQ(ma->LevelColor, ChartColors::Green);
    EXPECT_TRUE(ma->Levels.empty());
    TParamDescriptor d;
    ASSERT_TRUE(ma->ParamDescriptor(1, d));
    EXPECT_EQ(d.Name, QStringLiteral("Time period"));
    EXPECT_EQ(d.Minimum, 2);  // every other period starts at 5
    EXPECT_EQ(d.Maximum, 100);
    EXPECT_EQ(*d.IntValue, 10);
    *d.IntValue = 14;  // the dialog stores through the descriptor
    EXPECT_EQ(maFields->TimePeriod, 14);
    ASSERT_TRUE(ma->ParamDescriptor(2, d));
    EXPECT_EQ(d.Kind, TParamKind::Method);
    EXPECT_EQ(d.Minimum, 0);
    EXPECT_EQ(d.Maximum, 7);
    EXPECT_THROW(ma->ParamDescriptor(3, d), std::out_of_range);

    auto rsi = CreateIndicator(22);
    EXPECT_EQ(rsi->Color, ChartColors::Green);
    EXPECT_EQ(rsi->ParamCount(), 1);
    ASSERT_TRUE(rsi->ParamDescriptor(1, d));
    EXPECT_EQ(d.Minimum, 5);
    EXPECT_EQ(*d.IntValue, 6);
    try {
        rsi->ParamDescriptor(0, d);
        FAIL() << "no exception";
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ(e.what(), "Invalid index");
    }

    // The defaults TA-Lib gets are checked by the direct calls above.
    auto bbands = CreateIndicator(3);
    auto *bb = static_cast<T_BBANDS_Indicator *>(bbands.get());
    ASSERT_TRUE(bbands->ParamDescriptor(2, d));
    EXPECT_EQ(d.Kind, TParamKind::Real);
    EXPECT_EQ(d.RealValue, &bb->UpMultiplier);
    EXPECT_FALSE(bbands->ParamDescriptor(5, d));  // ignored, not raised
    EXPECT_EQ(CreateIndicator(29)->Color, ChartColors::Red);

    auto stoch = CreateIndicator(30);
    ASSERT_TRUE(stoch->ParamDescriptor(3, d));
    EXPECT_EQ(d.Name, QStringLiteral("Fast-K method"));
    EXPECT_EQ(d.Minimum, 1);  // not "Simple"
    ASSERT_TRUE(stoch->ParamDescriptor(5, d));
    EXPECT_EQ(d.Name, QStringLiteral("Slow-D method"));
    EXPECT_EQ(d.Minimum, 0);

    auto sar = CreateIndicator(1);
    EXPECT_EQ(sar->ParamCount(), 2);
    EXPECT_FALSE(sar->ParamDescriptor(3, d));
    EXPECT_EQ(CreateIndicator(8)->Color, ChartColors::Blue);
    EXPECT_EQ(CreateIndicator(4)->Color, ChartColors::Blue);
    EXPECT_EQ(CreateIndicator(8)->ParamCount(), 0);
}

// A chart record carries levels and parameters; a style record (the pattern
// store) only the levels, so a stored style never changes a computed
// indicator's parameters.
TEST(IndicatorStream, ParametersOnlyInFullRecords)
{
    auto bbands = CreateIndicator(3);
    auto *bb = static_cast<T_BBANDS_Indicator *>(bbands.get());
    bb->TimePeriod = 33;
    bb->UpMultiplier = 1.5;
    bb->Method = 4;
    bb->Levels = {1.25, -3.5};
    bb->LevelColor = 0x123456;
    TElementWriter w;
    bbands->Save(w, true);
    // Header 11 bytes, element 9, side 1, levels 13 + 16, parameters 24.
    EXPECT_EQ(w.Data().size(), 11 + 9 + 1 + 13 + 16 + 24);

    auto loaded = CreateIndicator(3);
    loaded->Levels = {9.0};
    TElementReader r(w.Data());
    loaded->Load(r, true);
    EXPECT_TRUE(r.AtEnd());
    auto *lb = static_cast<T_BBANDS_Indicator *>(loaded.get());
    EXPECT_EQ(lb->TimePeriod, 33);
    EXPECT_EQ(lb->UpMultiplier, 1.5);
    EXPECT_EQ(lb->DownMultiplier, 8.0);
    EXPECT_EQ(lb->Method, 4);
    EXPECT_EQ(loaded->Levels, (std::vector<double>{1.25, -3.5}));
    EXPECT_EQ(loaded->LevelColor, 0x123456u);

    TPatternMenager store;
    store.Store(*bbands);
    auto styled = CreateIndicator(3);
    store.Apply(*styled);
    EXPECT_EQ(styled->Levels, (std::vector<double>{1.25, -3.5}));
    EXPECT_EQ(static_cast<T_BBANDS_Indicator *>(styled.get())->TimePeriod, 20);

    // A level count beyond the record is refused before anything is read.
    QByteArray damaged = w.Data();
    damaged[11 + 9 + 1 + 9] = char(0x7F);
    auto victim = CreateIndicator(3);
    TElementReader bad(damaged);
    EXPECT_THROW(victim->Load(bad, true), EChartLoadError);
    const QByteArray shortRecord = w.Data().left(w.Data().size() - 4);
    TElementReader cut(shortRecord);
    EXPECT_THROW(CreateIndicator(3)->Load(cut, true), EChartLoadError);
}
