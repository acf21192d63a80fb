#include "serdata.h"

#include <algorithm>
#include <cmath>

#include "barfile.h"
#include "units.h"

namespace {

double toPrice(int32_t units) { return units / 10000.0; }

int32_t toUnits(double price)
{
    const double scaled = std::nearbyint(price * 10000.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0))
        return 0;
    return int32_t(scaled);
}

} // namespace

TSerData::TSerData(int timeframe, int instrumentId, const QString &instrumentName)
    : Key(MakeKey(timeframe, instrumentId)), Timeframe(timeframe), InstrumentId(instrumentId)
{
    const QString trimmed = instrumentName.trimmed();
    if (trimmed.size() <= 10)
        InstrumentName = trimmed;
    times.assign(size_t(Capacity), 0);
    doubles.resize(4);
    for (DoubleArray &a : doubles)
        a.values.assign(size_t(Capacity), 0.0);
}

void TSerData::growIfFull(int room)
{
    if (Last + room < Capacity)
        return;
    while (Last + room >= Capacity)
        Capacity += CapacityStep;
    // resize() reserves geometrically, so a long load stays linear although
    // the capacity is counted in steps of 100.
    times.resize(size_t(Capacity), 0);
    for (DoubleArray &a : doubles)
        if (!a.freed)
            a.values.resize(size_t(Capacity), 0.0);
}

void TSerData::insertAt(int index, int count)
{
    growIfFull(count);
    const auto shift = [&](auto &v) {
        std::copy_backward(v.begin() + index, v.begin() + Last + 1, v.begin() + Last + 1 + count);
    };
    shift(times);
    for (DoubleArray &a : doubles)
        if (!a.freed)
            shift(a.values);
    Last += count;
}

void TSerData::storeBar(int index, int32_t time, int32_t open, int32_t high, int32_t low, int32_t close)
{
    times[size_t(index)] = time;
    doubles[aiOpen - 1].values[size_t(index)] = toPrice(open);
    doubles[aiLow - 1].values[size_t(index)] = toPrice(low);
    doubles[aiHigh - 1].values[size_t(index)] = toPrice(high);
    doubles[aiClose - 1].values[size_t(index)] = toPrice(close);
}

void TSerData::AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close)
{
    Modified = true;
    // Appending is the common case; otherwise the place is searched.
    int at = Last + 1;
    if (Last >= 0 && time <= times[size_t(Last)])
        at = int(std::lower_bound(times.begin(), times.begin() + Last + 1, time) - times.begin());
    if (at <= Last && times[size_t(at)] == time) {
        doubles[aiClose - 1].values[size_t(at)] = toPrice(close);
        double &h = doubles[aiHigh - 1].values[size_t(at)];
        double &l = doubles[aiLow - 1].values[size_t(at)];
        h = std::max(h, toPrice(high));
        l = std::min(l, toPrice(low));
        return;
    }
    insertAt(at, 1);
    storeBar(at, time, open, high, low, close);
}

void TSerData::AddBars(std::vector<BarValues> bars)
{
    if (bars.empty())
        return;
    Modified = true;
    std::stable_sort(bars.begin(), bars.end(), [](const BarValues &a, const BarValues &b) { return a.time < b.time; });
    const bool distinct = std::adjacent_find(bars.begin(), bars.end(), [](const BarValues &a, const BarValues &b) {
                              return a.time == b.time;
                          }) == bars.end();
    // History that arrives newest first: the whole packet goes in front of
    // the first bar with one move of the bars already there.
    if (Last >= 0 && distinct && bars.back().time < times[0]) {
        insertAt(0, int(bars.size()));
        for (size_t i = 0; i < bars.size(); ++i)
            storeBar(int(i), bars[i].time, bars[i].open, bars[i].high, bars[i].low, bars[i].close);
        return;
    }
    for (const BarValues &b : bars)
        AddBar(b.time, b.open, b.high, b.low, b.close);
}

int32_t TSerData::NormalizeTickPrice(int32_t bid) { return RoundToPoint(bid); }

bool TSerData::ApplyTick(int instrumentId, int32_t time, int32_t bid)
{
    if (instrumentId != InstrumentId || Ready != 1)
        return false;
    const int32_t p = NormalizeTickPrice(bid);
    AddBar(NextBarTime(Timeframe, time), p, p, p, p);
    return true;
}

double *TSerData::ArrayByIndex(int index)
{
    if (index < 1 || index > int(doubles.size()) || doubles[size_t(index - 1)].freed)
        return nullptr;
    return doubles[size_t(index - 1)].values.data();
}

const double *TSerData::ArrayByIndex(int index) const
{
    return const_cast<TSerData *>(this)->ArrayByIndex(index);
}

TSerData::BarRecord TSerData::Bar(int i) const
{
    BarRecord r{};
    if (i < 0 || i > Last)
        return r;
    const auto put = [&](int offset, int32_t v) {
        for (int b = 0; b < 4; ++b)
            r[size_t(offset + b)] = uint8_t(uint32_t(v) >> (8 * b));
    };
    put(0, times[size_t(i)]);
    put(4, toUnits(High()[i]));
    put(8, toUnits(Low()[i]));
    put(12, toUnits(Open()[i]));
    put(16, toUnits(Close()[i]));
    return r;
}

int TSerData::AddOutputBuffer()
{
    doubles.push_back(DoubleArray{std::vector<double>(size_t(Capacity), 0.0), false});
    return int(doubles.size());
}

void TSerData::FreeOutputBuffer(int index)
{
    if (index < aiFirstOutput || index > int(doubles.size()))
        return;
    DoubleArray &a = doubles[size_t(index - 1)];
    a.freed = true;
    std::vector<double>().swap(a.values);
}

double TSerData::IndexToTime(double x) const
{
    const double whole = std::trunc(x);
    if (!std::isfinite(x) || whole < 0)
        return -1;
    const double frac = x - whole;
    if (whole <= Last)
        return times[size_t(whole)] + frac;
    if (Last < 2)
        return -1;
    const double spacing = double(times[size_t(Last)]) - times[size_t(Last - 1)];
    return times[size_t(Last)] + (whole - Last) * spacing + frac;
}

double TSerData::TimeToIndex(double t) const
{
    const double m = std::trunc(t);
    if (!std::isfinite(t) || m < 1 || Last < 2 || m < times[0])
        return -1;
    const double frac = t - m;
    const int32_t newest = times[size_t(Last)];
    if (m >= newest) {
        const int64_t spacing = int64_t(newest) - times[size_t(Last - 1)];
        return Last + std::floor((m - newest) / double(spacing)) + frac;
    }
    // times[i] <= m < times[i + 1] for 0 <= i < Last
    const auto next = std::upper_bound(times.begin(), times.begin() + Last + 1, int64_t(m),
                                       [](int64_t v, int32_t e) { return v < e; });
    return double(next - times.begin() - 1) + frac;
}

double TSerData::RangeMaximum(const double *values, int from, int to)
{
    double best = values[from];
    for (int i = from + 1; i <= to; ++i)
        best = std::max(best, values[i]);
    return best;
}

double TSerData::RangeMinimum(const double *values, int from, int to)
{
    double best = values[from];
    for (int i = from + 1; i <= to; ++i)
        best = std::min(best, values[i]);
    return best;
}

QString TSerData::BarFileName(const QString &dataDir) const
{
    return barFilePath(dataDir, InstrumentName, Timeframe);
}

void TSerData::LoadBarFile(const QString &dataDir)
{
    const QString path = BarFileName(dataDir);
    if (!path.isEmpty())
        readBarFile(path, [this](const BarFileRecord &r) { AddBar(r.time, r.open, r.high, r.low, r.close); });
    Modified = false;
}

bool TSerData::SaveBarFile(const QString &dataDir) const
{
    if (Last < 0 || !Modified)
        return false;
    const QString path = BarFileName(dataDir);
    if (path.isEmpty())
        return false;
    std::vector<BarRecord> records;
    records.reserve(size_t(Count()));
    for (int i = 0; i <= Last; ++i)
        records.push_back(Bar(i));
    return writeBarFile(path, records);
}
