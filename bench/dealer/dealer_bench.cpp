// The dealer under load, over loopback: quote pushes delivered to 200
// sessions, and the round trip of a market order and of its close.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
                  "--ticks-per-second", ticksPerSecond, "--seed", "3", static_cast<char *>(nullptr));
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
int registeredSession(int port, uint32_t deposit)
{
    const int fd = connectTo(port);
    TCommandPtr reg = NewRegisterCommand("Bench Trader", "bench@example.com", 1, deposit);
    sendCommand(fd, *reg, 1);
    if (readReply(fd)[hdr::Data] != 0)
        std::abort();
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

void BM_OrderRoundTrip(benchmark::State &state)
{
    Dealer dealer("0");
    const int fd = registeredSession(dealer.port, 1000000);
    uint16_t id = 10;
    // The prices of EURUSD and the spread table, as the client would have them.
    TCommandPtr sys = NewCommand(cmdGetSysVariables, 0);
    sendCommand(fd, *sys, ++id);
    const TPacketBuffer vars = readReply(fd);
    TCommandPtr list = NewCommand(cmdGetInstruments, 0);
    sendCommand(fd, *list, ++id);
    const TPacketBuffer instruments = readReply(fd);
    qint32 ask = qint32(GetU32(&instruments[13 + 20])), bid = qint32(GetU32(&instruments[13 + 24]));
    DealingPrices(ask, bid, 1, TSpreadTable(&vars[11 + 12], 9), 1);

    std::vector<double> open, closing;
    for (auto _ : state) {
        TOrderFields o;
        o.CurrencyId = 1;
        o.Side = 1;
        o.OrderType = 1;
        o.Lots = 1;
        o.Price = uint32_t(ask);
        TCommandPtr place = NewPlaceCommand(o);
        auto t0 = Clock::now();
        sendCommand(fd, *place, ++id);
        if (readReply(fd)[hdr::Data] != 0)
            std::abort();
        auto t1 = Clock::now();
        open.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
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
        if (readReply(fd)[hdr::Data] != 0)
            std::abort();
        t1 = Clock::now();
        closing.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count() + open.back() / 1e6);
    }
    state.counters["open_p50_us"] = percentile(open, 0.50);
    state.counters["open_p99_us"] = percentile(open, 0.99);
    state.counters["close_p50_us"] = percentile(closing, 0.50);
    state.counters["close_p99_us"] = percentile(closing, 0.99);
    ::close(fd);
}

} // namespace

BENCHMARK(BM_QuoteFanout)->Args({200, 100})->Args({200, 1000})->Args({200, 5000})->Args({200, 20000})->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderRoundTrip)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
