#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include <QCoreApplication>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "languagetables.h"
#include "wirerecords.h"

namespace {

constexpr int kInstruments = 10;
constexpr int kPositions = 100;
constexpr int kOrders = 50;

QCoreApplication &app()
{
    static int argc = 1;
    static char name[] = "state_bench";
    static char *argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// A view that takes every write and keeps nothing.
class NullRow : public TRowItem {
public:
    void SetCaption(const QString &text) override { benchmark::DoNotOptimize(text.size()); }
    void SetImage(int index) override { benchmark::DoNotOptimize(index); }
    void SetSubItem(int, const QString &text) override { benchmark::DoNotOptimize(text.size()); }
    void SetData(TUserViewObject *) override {}
};

class NullView : public TRowView {
public:
    explicit NullView(bool withFooter) : footer(withFooter ? std::make_unique<NullRow>() : nullptr) {}
    TRowItem *AddRow() override
    {
        rows.push_back(std::make_unique<NullRow>());
        return rows.back().get();
    }
    void DeleteRow(TRowItem *) override {}
    void DeleteRowsButFooter() override { rows.clear(); }
    TRowItem *FooterRow() override { return footer.get(); }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Repaint() override {}
    void ShowRow(TRowItem *) override {}

private:
    std::vector<std::unique_ptr<NullRow>> rows;
    std::unique_ptr<NullRow> footer;
};

// The state with its lists loaded through the reply handlers.
struct LoadedState {
    LoadedState()
    {
        app();
        SetEnglish(true);
        std::vector<wire::Instrument> instruments;
        for (int i = 1; i <= kInstruments; ++i)
            instruments.push_back({.id = uint16_t(i), .kind = uint8_t(i % 3 == 0 ? 3 : 1 + i % 2), .name = "INSTR" +
                                   std::to_string(i), .crossId = 1, .ask = 12002 + i, .bid = 12000 + i});
        std::vector<wire::Position> positions;
        for (int i = 0; i < kPositions; ++i)
            positions.push_back({.id = 1000 + i, .currencyId = uint16_t(1 + i % kInstruments),
                                 .operation = uint8_t(1 + i % 2), .openPrice = 11950 + i, .swap = -i,
                                 .lots = uint8_t(1 + i % 100)});
        std::vector<wire::Order> orders;
        for (int i = 0; i < kOrders; ++i)
            orders.push_back({.id = 5000 + i, .currencyId = uint16_t(1 + i % kInstruments),
                              .orderType = uint8_t(2 + i % 4), .price = 11900 + i});
        state.OnSysVariables(wire::Reply(cmdGetSysVariables, 1, wire::SysVariables{.title = "bench"}.bytes()).get());
        state.OnInstruments(wire::Reply(cmdGetInstruments, 2, wire::ListOf(instruments)).get());
        state.OnPositions(wire::Reply(cmdGetPositions, 3, wire::ListOf(positions)).get());
        state.OnOrders(wire::Reply(cmdGetOrders, 4, wire::ListOf(orders)).get());
        state.OnAccount(wire::Reply(cmdGetAccount, 5, wire::Account{.balance = 1000000, .margin = 10000}.bytes()).get());
        state.RegisterPushHandlers();
    }
    void attachViews()
    {
        state.Lists().Instruments.AttachView(&instrumentView);
        state.Lists().Positions.AttachView(&positionView);
        state.Lists().Orders.AttachView(&orderView);
    }
    ~LoadedState()
    {
        state.Lists().Instruments.DetachView();
        state.Lists().Positions.DetachView();
        state.Lists().Orders.DetachView();
    }

    ClientSession session;
    ClientState state{session};
    NullView instrumentView{false}, positionView{true}, orderView{false};
};

// Scrambled quote pushes as they come off the wire, one per instrument.
std::vector<TPacketBuffer> wireQuotes()
{
    std::vector<TPacketBuffer> packets;
    for (int i = 1; i <= kInstruments; ++i) {
        const wire::Bytes data = wire::Quote{.id = uint16_t(i), .ask = 12012 + i, .bid = 12010 + i}.bytes();
        TPacketBuffer buffer = NewPacketBuffer(int(data.size()));
        buffer[hdr::Flags] = pfCommand | pfNoReply;
        buffer[hdr::Code] = cmdQuote;
        std::memcpy(buffer.data() + hdr::Data, data.data(), data.size());
        Scramble(buffer);
        packets.push_back(buffer);
    }
    return packets;
}

void runQuotes(benchmark::State &bench, LoadedState &loaded)
{
    const std::vector<TPacketBuffer> packets = wireQuotes();
    TDispCmdRply &dispatcher = loaded.session.Dispatcher();
    size_t next = 0;
    int32_t wobble = 0;
    for (auto _ : bench) {
        const TPacketBuffer &raw = packets[next];
        next = (next + 1) % packets.size();
        // Header check, object, the rest of the bytes, descrambling, header fields.
        TPacketPtr packet = CreatePacketFromHeader(raw.data());
        std::memcpy(packet->Buffer.data() + 5, raw.data() + 5, raw.size() - 5);
        Descramble(packet->Buffer);
        // Prices move a little from push to push so the marks change.
        PutU32(&packet->Buffer[hdr::Data + 6], GetU32(&packet->Buffer[hdr::Data + 6]) + uint32_t(wobble));
        wobble = (wobble + 1) % 7 - 3;
        packet->ReadHeader();
        dispatcher.Dispatch(std::move(packet));
    }
    bench.SetItemsProcessed(bench.iterations());
    benchmark::DoNotOptimize(loaded.state.Lists().Account().Equity);
}

void BM_QuotePushes(benchmark::State &bench)
{
    LoadedState loaded;
    runQuotes(bench, loaded);
}
BENCHMARK(BM_QuotePushes);

// The same with the three lists attached to views, as the desktop client has them.
void BM_QuotePushesWithViews(benchmark::State &bench)
{
    LoadedState loaded;
    loaded.attachViews();
    runQuotes(bench, loaded);
}
BENCHMARK(BM_QuotePushesWithViews);

} // namespace
