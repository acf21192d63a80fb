// Loading long bar histories: a 100,000-bar file, and a 100,000-bar history
// reply in packets of at most 307 bars (the most that fit in one payload).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "barfile.h"
#include "clientsession.h"
#include "serieslist.h"

namespace {

constexpr int kBars = 100000;
constexpr int kBarsPerPacket = 307;

QCoreApplication &app()
{
    static int argc = 1;
    static char name[] = "chart_bench";
    static char *argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

std::array<uint8_t, 20> barRecord(int i)
{
    std::array<uint8_t, 20> r{};
    const int32_t price = 12000 + (i * 7919) % 500;
    const int32_t values[] = {60 * (i + 1), price + 9, price - 9, price, price + 3};
    for (int v = 0; v < 5; ++v)
        for (int b = 0; b < 4; ++b)
            r[size_t(4 * v + b)] = uint8_t(uint32_t(values[v]) >> (8 * b));
    return r;
}

void BM_LoadBarFile(benchmark::State &state)
{
    QTemporaryDir dir;
    std::vector<std::array<uint8_t, 20>> records;
    for (int i = 0; i < kBars; ++i)
        records.push_back(barRecord(i));
    writeBarFile(dir.filePath(QStringLiteral("EURUSDH1.da0")), records);
    for (auto _ : state) {
        TSerData s(3, 1, QStringLiteral("EURUSD"));
        s.LoadBarFile(dir.path());
        benchmark::DoNotOptimize(s.Last);
    }
    state.counters["bars/s"] = benchmark::Counter(double(kBars) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_LoadBarFile)->Unit(benchmark::kMillisecond);

std::vector<std::unique_ptr<TUserReply>> historyReply()
{
    std::vector<std::unique_ptr<TUserReply>> packets;
    for (int first = 0; first < kBars; first += kBarsPerPacket) {
        const int n = std::min(kBarsPerPacket, kBars - first);
        auto p = std::make_unique<TUserReply>(130);
        p->Size = uint32_t(1 + 2 + 20 * n);
        p->AllocBuffer();
        uint8_t flags = pfReply;
        if (first + n < kBars)
            flags |= first == 0 ? pfFirst : pfMiddle;
        else if (first > 0)
            flags |= pfLast;
        p->Buffer[hdr::Flags] = flags;
        PutU16(&p->Buffer[hdr::ReplyData], uint16_t(n));
        for (int i = 0; i < n; ++i) {
            const auto r = barRecord(first + i);
            std::copy(r.begin(), r.end(), p->Buffer.begin() + hdr::ReplyData + 2 + 20 * i);
        }
        p->ReadHeader();
        packets.push_back(std::move(p));
    }
    return packets;
}

void BM_ApplyHistoryReply(benchmark::State &state)
{
    app();
    ClientSession session;
    const auto packets = historyReply();
    QTemporaryDir dir;
    for (auto _ : state) {
        TSeriesList list(session, dir.path(), nullptr);
        TSerData *s = list.FindOrCreate(1, 3);
        s->Ready = 0;  // as after the request was sent
        for (const auto &p : packets)
            list.HistoryReply(s->Key, p.get());
        benchmark::DoNotOptimize(s->Last);
        s->Modified = false;  // nothing to save
    }
    state.counters["bars/s"] = benchmark::Counter(double(kBars) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["packets"] = double(packets.size());
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ApplyHistoryReply)->Unit(benchmark::kMillisecond);

} // namespace
