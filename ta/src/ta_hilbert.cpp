// Ehlers' Hilbert-transform studies in TA-Lib's formulation: a four-bar
// weighted smoothing of the price, transforms kept separately for odd and
// even bars (the parity is that of the absolute bar index), and the dominant
// cycle period limited and smoothed from bar to bar.

#include "ta_common.h"

#include <algorithm>
#include <climits>

namespace kelvra::ta {
namespace {

constexpr double kA = 0.0962;
constexpr double kB = 0.5769;
constexpr int kTrendLineLookback = 63;

// One transform with its three-bar delay lines for odd and for even bars.
struct HilbertStage
{
    double odd[3] = {0.0, 0.0, 0.0};
    double even[3] = {0.0, 0.0, 0.0};
    double value = 0.0;
    double prevOdd = 0.0;
    double prevEven = 0.0;
    double prevInputOdd = 0.0;
    double prevInputEven = 0.0;

    void transform(double input, int idx, bool evenBar, double adjustedPrevPeriod)
    {
        double *delay = evenBar ? even : odd;
        double &prev = evenBar ? prevEven : prevOdd;
        double &prevInput = evenBar ? prevInputEven : prevInputOdd;
        const double scaled = kA * input;
        value = -delay[idx];
        delay[idx] = scaled;
        value += scaled;
        value -= prev;
        prev = kB * prevInput;
        value += prev;
        prevInput = input;
        value *= adjustedPrevPeriod;
    }
};

// Weighted average of the last four prices (weights 4, 3, 2, 1), kept as
// running sums; the first three prices prime it.
class PriceSmoother
{
public:
    PriceSmoother(const double *in, int first) : m_in(in), m_trailingIdx(first)
    {
        double v = in[first];
        m_sub = v;
        m_sum = v;
        v = in[first + 1];
        m_sub += v;
        m_sum += v * 2.0;
        v = in[first + 2];
        m_sub += v;
        m_sum += v * 3.0;
    }

    double push(double price)
    {
        m_sub += price;
        m_sub -= m_trailingValue;
        m_sum += price * 4.0;
        m_trailingValue = m_in[m_trailingIdx++];
        const double smoothed = m_sum * 0.1;
        m_sum -= m_sub;
        return smoothed;
    }

private:
    const double *m_in;
    int m_trailingIdx;
    double m_sum = 0.0;
    double m_sub = 0.0;
    double m_trailingValue = 0.0;
};

// The state both studies share: detrender, quadrature and their transforms,
// the phasor components and the measured period.
struct CycleState
{
    HilbertStage detrender, q1, jI, jQ;
    int hilbertIdx = 0;
    double period = 0.0;
    double prevI2 = 0.0, prevQ2 = 0.0;
    double re = 0.0, im = 0.0;
    double i1ForOddPrev2 = 0.0, i1ForOddPrev3 = 0.0;
    double i1ForEvenPrev2 = 0.0, i1ForEvenPrev3 = 0.0;
    double q2 = 0.0, i2 = 0.0;

    // Runs the transforms for one bar; returns the in-phase value that was
    // delayed by three bars (the one paired with q1 for this bar).
    double transform(double smoothed, bool evenBar)
    {
        const double adjustedPrevPeriod = (0.075 * period) + 0.54;
        double i1;
        if (evenBar) {
            detrender.transform(smoothed, hilbertIdx, true, adjustedPrevPeriod);
            q1.transform(detrender.value, hilbertIdx, true, adjustedPrevPeriod);
            jI.transform(i1ForEvenPrev3, hilbertIdx, true, adjustedPrevPeriod);
            jQ.transform(q1.value, hilbertIdx, true, adjustedPrevPeriod);
            if (++hilbertIdx == 3)
                hilbertIdx = 0;
            i1 = i1ForEvenPrev3;
            q2 = (0.2 * (q1.value + jI.value)) + (0.8 * prevQ2);
            i2 = (0.2 * (i1ForEvenPrev3 - jQ.value)) + (0.8 * prevI2);
            i1ForOddPrev3 = i1ForOddPrev2;
            i1ForOddPrev2 = detrender.value;
        } else {
            detrender.transform(smoothed, hilbertIdx, false, adjustedPrevPeriod);
            q1.transform(detrender.value, hilbertIdx, false, adjustedPrevPeriod);
            jI.transform(i1ForOddPrev3, hilbertIdx, false, adjustedPrevPeriod);
            jQ.transform(q1.value, hilbertIdx, false, adjustedPrevPeriod);
            i1 = i1ForOddPrev3;
            q2 = (0.2 * (q1.value + jI.value)) + (0.8 * prevQ2);
            i2 = (0.2 * (i1ForOddPrev3 - jQ.value)) + (0.8 * prevI2);
            i1ForEvenPrev3 = i1ForEvenPrev2;
            i1ForEvenPrev2 = detrender.value;
        }
        return i1;
    }

    // Measures the period from the phasor, limited to 0.67..1.5 times the
    // previous one and to 6..50 bars, then smoothed.
    void updatePeriod(double rad2Deg)
    {
        re = (0.2 * ((i2 * prevI2) + (q2 * prevQ2))) + (0.8 * re);
        im = (0.2 * ((i2 * prevQ2) - (q2 * prevI2))) + (0.8 * im);
        prevQ2 = q2;
        prevI2 = i2;
        const double previous = period;
        if (im != 0.0 && re != 0.0)
            period = 360.0 / (std::atan(im / re) * rad2Deg);
        double limit = 1.5 * previous;
        if (period > limit)
            period = limit;
        limit = 0.67 * previous;
        if (period < limit)
            period = limit;
        if (period < 6)
            period = 6;
        else if (period > 50)
            period = 50;
        period = (0.2 * period) + (0.8 * previous);
    }
};

double radToDeg()
{
    return 180.0 / (4.0 * std::atan(1.0));
}

// Bars of the trend line measured before their means are taken; the block's
// figures stay in the first-level cache.
constexpr int kTrendBlock = 64;

// Continues `sum` with the prices from `from` to `to` - 1 bars before `bar`.
double addEarlier(const double *in, int bar, int from, int to, double sum)
{
    for (int k = from; k < to; ++k)
        sum += in[bar - k];
    return sum;
}

// Mean price of each bar over its dominant cycle, newest price first, for
// the `count` bars from `first` on. Each mean is a chain of dependent
// additions; four neighbouring bars run theirs side by side over the terms
// they all have, then finish alone.
void cycleMeans(const double *in, int first, int count, const int *dcPeriods, double *means)
{
    constexpr int kLanes = 4;
    for (int i = 0; i < count; i += kLanes) {
        const int lanes = std::min(kLanes, count - i);
        const int bar = first + i;
        int terms[kLanes];
        int shared = lanes == kLanes ? INT_MAX : 0;
        for (int l = 0; l < lanes; ++l) {
            terms[l] = std::max(0, std::min(dcPeriods[i + l], bar + l + 1));
            shared = std::min(shared, terms[l]);
        }
        double sum[kLanes] = {0.0, 0.0, 0.0, 0.0};
        for (int k = 0; k < shared; ++k) {
            for (int l = 0; l < kLanes; ++l)
                sum[l] += in[bar + l - k];
        }
        for (int l = 0; l < lanes; ++l) {
            const double total = addEarlier(in, bar + l, shared, terms[l], sum[l]);
            const int dcPeriod = dcPeriods[i + l];
            means[i + l] = dcPeriod > 0 ? total / static_cast<double>(dcPeriod) : total;
        }
    }
}

} // namespace

void mamaCore(int startIdx, int endIdx, const double *in, double fastLimit, double slowLimit,
              int *outBegIdx, int *outNBElement, double *outMama, double *outFama)
{
    if (startIdx < kMamaLookback)
        startIdx = kMamaLookback;
    if (startIdx > endIdx) {
        emptyResult(outBegIdx, outNBElement);
        return;
    }
    const double rad2Deg = radToDeg();
    int today = startIdx - kMamaLookback;
    PriceSmoother smoother(in, today);
    today += 3;
    for (int i = 0; i < 9; ++i)
        smoother.push(in[today++]);

    CycleState cycle;
    double mama = 0.0;
    double fama = 0.0;
    double prevPhase = 0.0;
    int outIdx = 0;
    while (today <= endIdx) {
        const double price = in[today];
        const double smoothed = smoother.push(price);
        const double i1 = cycle.transform(smoothed, (today % 2) == 0);

        const double phase = i1 != 0.0 ? std::atan(cycle.q1.value / i1) * rad2Deg : 0.0;
        double deltaPhase = prevPhase - phase;
        prevPhase = phase;
        if (deltaPhase < 1.0)
            deltaPhase = 1.0;
        double alpha;
        if (deltaPhase > 1.0) {
            alpha = fastLimit / deltaPhase;
            if (alpha < slowLimit)
                alpha = slowLimit;
        } else {
            alpha = fastLimit;
        }
        mama = (alpha * price) + ((1 - alpha) * mama);
        alpha *= 0.5;
        fama = (alpha * mama) + ((1 - alpha) * fama);
        if (today >= startIdx) {
            outMama[outIdx] = mama;
            if (outFama)
                outFama[outIdx] = fama;
            ++outIdx;
        }
        cycle.updatePeriod(rad2Deg);
        ++today;
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
}

} // namespace kelvra::ta

using namespace kelvra::ta;

extern "C" {

int TA_HT_TRENDLINE_Lookback(void)
{
    return kTrendLineLookback;
}

TA_RetCode TA_HT_TRENDLINE(int startIdx, int endIdx, const double inReal[], int *outBegIdx,
                           int *outNBElement, double outReal[])
{
    if (TA_RetCode rc = checkCall(startIdx, endIdx, {inReal, outReal, outBegIdx, outNBElement}))
        return rc;
    if (startIdx < kTrendLineLookback)
        startIdx = kTrendLineLookback;
    if (startIdx > endIdx)
        return emptyResult(outBegIdx, outNBElement);

    const double rad2Deg = radToDeg();
    int today = startIdx - kTrendLineLookback;
    PriceSmoother smoother(inReal, today);
    today += 3;
    for (int i = 0; i < 34; ++i)
        smoother.push(inReal[today++]);

    CycleState cycle;
    double smoothPeriod = 0.0;
    double iTrend1 = 0.0, iTrend2 = 0.0, iTrend3 = 0.0;
    int dcPeriods[kTrendBlock];
    double means[kTrendBlock];
    int outIdx = 0;
    while (today <= endIdx) {
        // The cycle measurement is one long chain of dependent steps; the
        // means over each bar's cycle hang off it but not on each other.
        // Measuring a block first and averaging after keeps the averaging
        // from stalling the chain. The output may share the input: each
        // write lands the lookback behind its bar, beyond the longest mean.
        const int count = std::min(kTrendBlock, endIdx - today + 1);
        for (int i = 0; i < count; ++i) {
            const int bar = today + i;
            cycle.transform(smoother.push(inReal[bar]), (bar % 2) == 0);
            cycle.updatePeriod(rad2Deg);
            smoothPeriod = (0.33 * cycle.period) + (0.67 * smoothPeriod);
            dcPeriods[i] = static_cast<int>(smoothPeriod + 0.5);
        }
        cycleMeans(inReal, today, count, dcPeriods, means);

        // A weighted blend of the mean with the three previous ones.
        for (int i = 0; i < count; ++i, ++today) {
            const double mean = means[i];
            const double trend = (4.0 * mean + 3.0 * iTrend1 + 2.0 * iTrend2 + iTrend3) / 10.0;
            iTrend3 = iTrend2;
            iTrend2 = iTrend1;
            iTrend1 = mean;
            if (today >= startIdx)
                outReal[outIdx++] = trend;
        }
    }
    *outBegIdx = startIdx;
    *outNBElement = outIdx;
    return TA_SUCCESS;
}

} // extern "C"
