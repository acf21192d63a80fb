// Packets per second from the socket to the handler: read, descramble,
// queue on the connection thread, then pop and dispatch on this thread.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "commands.h"
#include "connectthread.h"
#include "dispatcher.h"
#include "scriptedserver.h"
#include "testapp.h"

namespace {

constexpr uint8_t cmdBurst = 200;  // a code of this benchmark only: "send me N quotes"

// After the login, answers each burst request with N scrambled quote pushes in one write.
void BurstDealer(ScriptedServer::Connection &c)
{
    if (!ScriptedServer::acceptLogin(c))
        return;
    while (auto request = c.readPacket(30000)) {
        const uint32_t count = GetU32(&(*request)[hdr::Data]);
        std::vector<uint8_t> burst;
        burst.reserve(count * 24);
        for (uint32_t i = 0; i < count; ++i) {
            TPacketBuffer quote = NewPacketBuffer(14);
            quote[hdr::Flags] = pfCommand | pfNoReply;
            quote[hdr::Code] = cmdQuote;
            PutU16(&quote[hdr::Data], uint16_t(i % 8));
            PutU32(&quote[hdr::Data + 2], 12345 + i % 7);
            PutU32(&quote[hdr::Data + 6], 12343 + i % 7);
            Scramble(quote);
            burst.insert(burst.end(), quote.begin(), quote.end());
        }
        c.sendRaw(burst);
    }
}

void BM_ReceiveAndDispatch(benchmark::State &state)
{
    EnsureTestApp();
    const uint32_t count = uint32_t(state.range(0));
    ScriptedServer server(BurstDealer);
    TDispCmdRply dispatcher;
    TConnectThread thread;
    thread.SetDispatcher(&dispatcher);
    thread.SetServerList(QStringLiteral("127.0.0.1"));
    thread.SetPort(server.port());
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    if (!WaitUntil([&] { return thread.Connected(); })) {
        state.SkipWithError("no connection");
        return;
    }
    uint64_t handled = 0;
    int64_t bids = 0;
    dispatcher.AddCommandEvent(cmdQuote, nullptr, [&](TUserCmdRply *p) {
        ++handled;
        bids += int32_t(GetU32(&p->Buffer[hdr::Data + 6]));
    });
    for (auto _ : state) {
        const uint64_t target = handled + count;
        dispatcher.PushOutgoing(NewCommandU32(cmdBurst, count, true));
        while (handled < target) {
            if (TPacketPtr p = dispatcher.PopReceived())
                dispatcher.Dispatch(std::move(p));
            else
                QThread::yieldCurrentThread();
        }
    }
    benchmark::DoNotOptimize(bids);
    state.SetItemsProcessed(int64_t(handled));
    state.counters["packets/s"] = benchmark::Counter(double(handled), benchmark::Counter::kIsRate);
    thread.Terminate();
}

} // namespace

BENCHMARK(BM_ReceiveAndDispatch)->Arg(1000)->Arg(20000)->UseRealTime()->Unit(benchmark::kMillisecond);
