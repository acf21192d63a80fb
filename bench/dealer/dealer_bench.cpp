// The dealer under load, over loopback: quote pushes delivered to 200
// sessions, the round trip of a market order and of its close, and the same
// round trip while another client floods the server.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands.h"
#include "packet.h"
#include "units.h"

namespace {

using Clock = std::chrono::steady_clock;

// The server binary on a free port with a fresh data directory.
class Dealer {
public:
    explicit Dealer(const char *ticksPerSecond)
    {
        char dirTemplate[] = "/tmp/kelvra-dealer-bench-XXXXXX";
        dir = mkdtemp(dirTemplate);
        int out[2];
        if (pipe(out) != 0)
            std::abort();
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl(KELVRA_DEALER_BINARY, KELVRA_DEALER_BINARY, "--port", "0", "--data", dir.c_str(),
                  "--ticks-per-second", ticksPerSecond, "--seed", "3", "--registrations-per-second", "10000",
                  static_cast<char *>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        output = out[0];
        port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    }
    ~Dealer()
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        close(output);
        std::string cmd = "rm -rf '" + dir + "'";
        [[maybe_unused]] int rc = std::system(cmd.c_str());
    }
    // Money through the admin command: the trading benchmarks pay the spread
    // on every round trip.
    void deposit(uint32_t account, const char *units) const
    {
        const std::string cmd = std::string(KELVRA_DEALER_BINARY) + " admin --data '" + dir + "' deposit "
                                + std::to_string(account) + " " + units + " >/dev/null";
        if (std::system(cmd.c_str()) != 0)
            std::abort();
    }
    int port = 0;

private:
    std::string dir;
    pid_t pid = -1;
    int output = -1;
};

int connectTo(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
        std::abort();
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

void sendCommand(int fd, TUserCommand &command, uint16_t id)
{
    command.SetId(id);
    Scramble(command.Buffer);
    if (send(fd, command.Buffer.data(), command.Buffer.size(), MSG_NOSIGNAL) != ssize_t(command.Buffer.size()))
        std::abort();
}

bool readExact(int fd, uint8_t *p, size_t n)
{
    while (n > 0) {
        const ssize_t got = recv(fd, p, n, 0);
        if (got <= 0)
            return false;
        p += got;
        n -= size_t(got);
    }
    return true;
}

TPacketBuffer readPacket(int fd)
{
    TPacketBuffer b(5);
    if (!readExact(fd, b.data(), 5))
        std::abort();
    b.resize(GetU16(&b[2]) + 10u);
    if (!readExact(fd, b.data() + 5, b.size() - 5))
        std::abort();
    Descramble(b);
    return b;
}

TPacketBuffer readReply(int fd)
{
    for (;;) {
        TPacketBuffer p = readPacket(fd);
        if (!(p[hdr::Flags] & pfCommand))
            return p;
    }
}

// A new account on a new connection: the registration leaves it logged in.
int registeredSession(int port, uint32_t deposit, uint32_t *account = nullptr)
{
    const int fd = connectTo(port);
    TCommandPtr reg = NewRegisterCommand("Bench Trader", "bench@example.com", 1, deposit);
    sendCommand(fd, *reg, 1);
    const TPacketBuffer reply = readReply(fd);
    if (reply[hdr::Data] != 0)
        std::abort();
    if (account)
        *account = GetU32(&reply[hdr::ReplyData]);
    return fd;
}

void BM_QuoteFanout(benchmark::State &state)
{
    const int sessions = int(state.range(0));
    const std::string rate = std::to_string(state.range(1));
    Dealer dealer(rate.c_str());
    std::vector<int> fds;
    for (int k = 0; k < sessions; ++k)
        fds.push_back(registeredSession(dealer.port, 1000));
    for (int fd : fds)
        fcntl(fd, F_SETFL, O_NONBLOCK);
    std::vector<std::vector<uint8_t>> pending(fds.size());
    std::vector<pollfd> polls;
    for (int fd : fds)
        polls.push_back({fd, POLLIN, 0});
    uint64_t frames = 0;
    std::vector<uint8_t> chunk(1 << 16);
    auto drain = [&] {
        if (poll(polls.data(), polls.size(), 5) <= 0)
            return;
        for (size_t k = 0; k < fds.size(); ++k) {
            if (!(polls[k].revents & POLLIN))
                continue;
            for (;;) {
                const ssize_t n = recv(fds[k], chunk.data(), chunk.size(), 0);
                if (n <= 0)
                    break;
                std::vector<uint8_t> &buf = pending[k];
                buf.insert(buf.end(), chunk.begin(), chunk.begin() + n);
                size_t at = 0;
                while (buf.size() - at >= 5) {
                    const size_t len = GetU16(&buf[at + 2]) + 10u;
                    if (buf.size() - at < len)
                        break;
                    ++frames;
                    at += len;
                }
                buf.erase(buf.begin(), buf.begin() + std::ptrdiff_t(at));
            }
        }
    };
    // Settle: every session has its first quotes.
    const auto settle = Clock::now() + std::chrono::milliseconds(500);
    while (Clock::now() < settle)
        drain();
    double seconds = 0;
    frames = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const uint64_t before = frames;
        while (Clock::now() - start < std::chrono::seconds(1))
            drain();
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        seconds += elapsed;
        state.SetIterationTime(elapsed);
        benchmark::DoNotOptimize(frames - before);
    }
    state.counters["sessions"] = double(sessions);
    state.counters["pushes_per_s"] = double(frames) / seconds;
    state.counters["quotes_per_session_per_s"] = double(frames) / seconds / sessions;
    for (int fd : fds)
        close(fd);
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// A refused trade ends the benchmark with the reason.
void expectDone(const TPacketBuffer &reply)
{
    if (reply[hdr::Data] != 0) {
        std::fprintf(stderr, "command %d refused with error %d\n", reply[hdr::Code], reply[hdr::Data]);
        std::abort();
    }
}

// The dealing prices of EURUSD for one lot, as the client would have them.
std::pair<qint32, qint32> eurusdDealing(int fd, uint16_t &id)
{
    TCommandPtr sys = NewCommand(cmdGetSysVariables, 0);
    sendCommand(fd, *sys, ++id);
    const TPacketBuffer vars = readReply(fd);
    TCommandPtr list = NewCommand(cmdGetInstruments, 0);
    sendCommand(fd, *list, ++id);
    const TPacketBuffer instruments = readReply(fd);
    qint32 ask = qint32(GetU32(&instruments[13 + 20])), bid = qint32(GetU32(&instruments[13 + 24]));
    DealingPrices(ask, bid, 1, TSpreadTable(&vars[11 + 12], 9), 1);
    return {ask, bid};
}

double microsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// Opens one lot of EURUSD at market and closes it; the two round trips in µs.
std::pair<double, double> openAndClose(int fd, uint16_t &id, qint32 ask, qint32 bid)
{
    TOrderFields o;
    o.CurrencyId = 1;
    o.Side = 1;
    o.OrderType = 1;
    o.Lots = 1;
    o.Price = uint32_t(ask);
    TCommandPtr place = NewPlaceCommand(o);
    auto t0 = Clock::now();
    sendCommand(fd, *place, ++id);
    expectDone(readReply(fd));
    const double opening = microsSince(t0);
    // The push with the new position's id follows the reply.
    uint32_t position = 0;
    while (position == 0) {
        const TPacketBuffer p = readPacket(fd);
        if ((p[hdr::Flags] & pfCommand) && p[hdr::Code] == cmdPositionOpened)
            position = GetU32(&p[hdr::Data]);
    }
    TCommandPtr close = NewClosePositionCommand(position, 1, uint32_t(bid));
    t0 = Clock::now();
    sendCommand(fd, *close, ++id);
    expectDone(readReply(fd));
    return {opening, microsSince(t0)};
}

void BM_OrderRoundTrip(benchmark::State &state)
{
    Dealer dealer("0");
    uint32_t account = 0;
    const int fd = registeredSession(dealer.port, 10000, &account);
    dealer.deposit(account, "10000000");
    uint16_t id = 10;
    const auto [ask, bid] = eurusdDealing(fd, id);
    std::vector<double> open, closing;
    for (auto _ : state) {
        const auto [o, c] = openAndClose(fd, id, ask, bid);
        open.push_back(o);
        closing.push_back(c);
        state.SetIterationTime((o + c) / 1e6);
    }
    state.counters["open_p50_us"] = percentile(open, 0.50);
    state.counters["open_p99_us"] = percentile(open, 0.99);
    state.counters["close_p50_us"] = percentile(closing, 0.50);
    state.counters["close_p99_us"] = percentile(closing, 0.99);
    ::close(fd);
}

// A trader's round trips while another client floods the server with chat
// messages (each one a committed transaction, and an automatic answer) as
// fast as TCP lets it.
void BM_TradeBesideAFlood(benchmark::State &state)
{
    Dealer dealer("4");
    uint32_t account = 0;
    const int trader = registeredSession(dealer.port, 10000, &account);
    dealer.deposit(account, "10000000");
    const int flooder = registeredSession(dealer.port, 1000);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> flooded{0};
    std::thread flood([&] {
        uint16_t id = 100;
        std::vector<uint8_t> sink(1 << 16);
        while (!stop) {
            for (int k = 0; k < 100; ++k) {
                TCommandPtr chat = NewSendMessageCommand(QString(20, 'x'), 46000.0);
                if (++id == 0)
                    id = 1;
                chat->SetId(id);
                Scramble(chat->Buffer);
                if (send(flooder, chat->Buffer.data(), chat->Buffer.size(), MSG_NOSIGNAL) <= 0)
                    return;  // the end of the measurement shut the socket
            }
            flooded += 100;
            while (recv(flooder, sink.data(), sink.size(), MSG_DONTWAIT) > 0) {
            }
        }
    });
    uint16_t id = 10;
    const auto [ask, bid] = eurusdDealing(trader, id);
    std::vector<double> trips;
    for (auto _ : state) {
        const auto [o, c] = openAndClose(trader, id, ask, bid);
        trips.push_back(o / 1000.0);
        trips.push_back(c / 1000.0);
        state.SetIterationTime((o + c) / 1e6);
    }
    stop = true;
    shutdown(flooder, SHUT_RDWR);
    flood.join();
    state.counters["trip_p50_ms"] = percentile(trips, 0.50);
    state.counters["trip_p99_ms"] = percentile(trips, 0.99);
    state.counters["flood_commands"] = double(flooded);
    ::close(trader);
    ::close(flooder);
}

} // namespace

BENCHMARK(BM_QuoteFanout)->Args({200, 100})->Args({200, 1000})->Args({200, 5000})->Args({200, 20000})->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderRoundTrip)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TradeBesideAFlood)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
