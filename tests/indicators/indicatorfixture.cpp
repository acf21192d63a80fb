#include "indicatorfixture.h"

#include <cstdint>

#include "catalogue.h"

namespace {
struct Walk {
    uint32_t state;
    double price;
    // A uniform number in [0, 1).
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 24);
    }
    void bar(TSerData &s)
    {
        const double open = price;
        const double r = next();
        double close = open;
        if (r > 0.15)  // every seventh bar or so is a doji
            close = open + (next() - 0.5) * 0.004;
        const double high = std::max(open, close) + next() * 0.001;
        const double low = std::min(open, close) - next() * 0.001;
        AppendBar(s, open, high, low, close);
        price = s.Close()[s.Last];
    }
};
} // namespace

std::unique_ptr<TSerData> RandomSeries(int bars, unsigned seed)
{
    auto s = std::make_unique<TSerData>(3, 1, QStringLiteral("EURUSD"));
    AppendRandomBars(*s, bars, seed);
    return s;
}

void AppendRandomBars(TSerData &s, int bars, unsigned seed)
{
    Walk w{seed, s.Last >= 0 ? s.Close()[s.Last] : 1.2345};
    for (int i = 0; i < bars; ++i)
        w.bar(s);
}

std::unique_ptr<TOtherIndicator> Computed(int n, TSerData &s)
{
    std::unique_ptr<TOtherIndicator> ind = CreateIndicator(n);
    ind->SetSeries(&s);
    ind->Recalculate(0, s.Last);
    return ind;
}

std::vector<double> ComputedValues(const TOtherIndicator &ind, int output)
{
    const double *values = ind.Output(output);
    if (!values || ind.FirstComputed < 0)
        return {};
    return std::vector<double>(values + ind.FirstComputed, values + ind.LastComputed + 1);
}
