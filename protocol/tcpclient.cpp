#include "tcpclient.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr size_t ChunkSize = 16384;
}

TcpClient::TcpClient() { wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

TcpClient::~TcpClient()
{
    onDisconnected = nullptr;
    disconnect();
    if (wakeFd >= 0)
        ::close(wakeFd);
}

void TcpClient::interrupt()
{
    uint64_t one = 1;
    if (wakeFd >= 0)
        (void)!::write(wakeFd, &one, sizeof one);
}

void TcpClient::rearm()
{
    uint64_t value;
    if (wakeFd >= 0)
        (void)!::read(wakeFd, &value, sizeof value);
}

bool TcpClient::interrupted() const
{
    pollfd p{wakeFd, POLLIN, 0};
    return wakeFd >= 0 && ::poll(&p, 1, 0) > 0;
}

void TcpClient::fail(const std::string &what) { throw Error(what); }

bool TcpClient::waitFor(short events, int timeoutMs)
{
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(std::strerror(errno));
        if (fds[1].revents)
            fail("Interrupted");
        return n > 0;
    }
}

namespace {

// A lookup shared by the connecting thread and the lookup thread; whichever
// lets go of it last frees it. A lookup that outlives its connect attempt
// (time-out, interrupt, program exit) touches nothing else.
struct Lookup {
    int doneFd = -1;
    std::mutex lock;
    std::vector<TcpAddress> addresses;
    std::string error;
    ~Lookup()
    {
        if (doneFd >= 0)
            ::close(doneFd);
    }
};

int RemainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : int(std::min<long long>(left, INT_MAX));
}

} // namespace

std::vector<TcpAddress> TcpClient::SystemResolve(const std::string &host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const std::string service = std::to_string(port);
    const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0)
        throw Error(std::string("Host not found: ") + ::gai_strerror(rc));
    std::vector<TcpAddress> out;
    for (const addrinfo *ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        TcpAddress a;
        a.family = ai->ai_family;
        a.socktype = ai->ai_socktype;
        a.protocol = ai->ai_protocol;
        std::memcpy(&a.address, ai->ai_addr, ai->ai_addrlen);
        a.length = ai->ai_addrlen;
        out.push_back(a);
    }
    ::freeaddrinfo(list);
    return out;
}

std::vector<TcpAddress> TcpClient::resolve(Clock::time_point deadline)
{
    auto lookup = std::make_shared<Lookup>();
    lookup->doneFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (lookup->doneFd < 0)
        fail(std::strerror(errno));
    // A name lookup cannot be cancelled: it runs on a thread of its own that
    // this one stops waiting for at the deadline or an interrupt.
    try {
        std::thread([lookup, resolve = resolver ? resolver : Resolver(&TcpClient::SystemResolve),
                     host = hostName.toStdString(), port = portNumber] {
            std::vector<TcpAddress> found;
            std::string error;
            try {
                found = resolve(host, port);
                if (found.empty())
                    error = "Host not found";
            } catch (const std::exception &e) {
                error = *e.what() ? e.what() : "Host not found";
            } catch (...) {
                error = "Host not found";
            }
            {
                std::lock_guard guard(lookup->lock);
                lookup->addresses = std::move(found);
                lookup->error = std::move(error);
            }
            const uint64_t one = 1;
            (void)!::write(lookup->doneFd, &one, sizeof one);
        }).detach();
    } catch (const std::system_error &e) {
        fail(e.what());
    }

    pollfd fds[2] = {{lookup->doneFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, RemainingMs(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(std::strerror(errno));
        if (fds[1].revents)
            fail("Interrupted");
        if (n == 0)
            fail("Host lookup timed out");
        break;
    }
    std::lock_guard guard(lookup->lock);
    if (!lookup->error.empty())
        fail(lookup->error);
    return std::move(lookup->addresses);
}

int TcpClient::connectAny(const std::vector<TcpAddress> &addresses, Clock::time_point deadline)
{
    std::vector<int> trying;  // connects in progress
    std::string lastError = "Connection refused";
    size_t next = 0;
    const auto closeAll = [&] {
        for (int s : trying)
            ::close(s);
        trying.clear();
    };
    // Starts the next address that can be started; its socket when it
    // connected at once, else -1.
    const auto startNext = [&]() -> int {
        while (next < addresses.size()) {
            const TcpAddress &a = addresses[next++];
            const int s = ::socket(a.family, a.socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.protocol);
            if (s < 0) {
                lastError = std::strerror(errno);
                continue;
            }
            if (::connect(s, reinterpret_cast<const sockaddr *>(&a.address), a.length) == 0)
                return s;
            if (errno == EINPROGRESS) {
                trying.push_back(s);
                return -1;
            }
            lastError = std::strerror(errno);
            ::close(s);
        }
        return -1;
    };

    int winner = startNext();
    auto nextStart = Clock::now() + std::chrono::milliseconds(AddressStaggerMs);
    std::vector<pollfd> fds;
    while (winner < 0 && !trying.empty()) {
        if (Clock::now() >= deadline) {
            lastError = "Connect timed out";
            break;
        }
        const auto until = next < addresses.size() ? std::min(deadline, nextStart) : deadline;
        fds.clear();
        for (int s : trying)
            fds.push_back({s, POLLOUT, 0});
        fds.push_back({wakeFd, POLLIN, 0});
        const int n = ::poll(fds.data(), nfds_t(fds.size()), RemainingMs(until));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || fds.back().revents) {
            const std::string reason = n < 0 ? std::strerror(errno) : "Interrupted";
            closeAll();
            fail(reason);
        }
        bool oneFailed = false;
        std::vector<int> still;
        for (size_t i = 0; i + 1 < fds.size(); ++i) {
            const int s = fds[i].fd;
            if (!fds[i].revents || winner >= 0) {
                still.push_back(s);
                continue;
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
                soError = errno;
            if (soError == 0) {
                winner = s;
                continue;
            }
            lastError = std::strerror(soError);
            ::close(s);
            oneFailed = true;
        }
        trying.swap(still);
        if (winner < 0 && next < addresses.size() && (oneFailed || Clock::now() >= nextStart)) {
            winner = startNext();
            nextStart = Clock::now() + std::chrono::milliseconds(AddressStaggerMs);
        }
    }
    closeAll();
    if (winner < 0)
        fail(lastError);
    return winner;
}

void TcpClient::connectTo(int timeoutMs)
{
    disconnect();
    closedByPeer = false;
    input.clear();
    inputStart = 0;

    // A port outside TCP's range (the settings accept 65536) must fail here
    // rather than wrap round to another port in the resolver.
    if (portNumber < 1 || portNumber > 65535)
        fail("port out of range");

    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    fd = connectAny(resolve(deadline), deadline);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void TcpClient::disconnect()
{
    if (fd < 0)
        return;
    ::close(fd);
    fd = -1;
    if (onDisconnected)
        onDisconnected();
}

bool TcpClient::receiveSome()
{
    if (inputStart > 0 && inputStart == input.size()) {
        input.clear();
        inputStart = 0;
    } else if (inputStart > ChunkSize * 4) {
        input.erase(input.begin(), input.begin() + ptrdiff_t(inputStart));
        inputStart = 0;
    }
    size_t old = input.size();
    input.resize(old + ChunkSize);
    ssize_t n = ::recv(fd, input.data() + old, ChunkSize, 0);
    if (n > 0) {
        input.resize(old + size_t(n));
        return true;
    }
    input.resize(old);
    if (n == 0) {
        closedByPeer = true;
        return false;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return false;
    fail(std::strerror(errno));
}

void TcpClient::checkForDisconnection()
{
    if (bufferedCount() > 0)
        return;
    if (fd < 0 || closedByPeer) {
        disconnect();
        fail("Connection Closed Gracefully.");
    }
}

void TcpClient::poll(int ms)
{
    if (fd < 0 || closedByPeer)
        return;
    if (waitFor(POLLIN, ms)) {
        // Take everything that is already there.
        while (receiveSome()) {
        }
    }
}

void TcpClient::setReadLimit(int ms)
{
    readDeadline = ms > 0 ? Clock::now() + std::chrono::milliseconds(ms) : Clock::time_point::max();
}

void TcpClient::readExact(uint8_t *out, size_t n)
{
    while (bufferedCount() < n) {
        if (fd < 0)
            fail("Not Connected");
        if (closedByPeer) {
            disconnect();
            fail("Connection Closed Gracefully.");
        }
        int wait = readTimeoutMs;
        if (readDeadline != Clock::time_point::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(readDeadline - Clock::now());
            wait = int(std::clamp<int64_t>(left.count(), 0, wait));
        }
        if (wait <= 0 || !waitFor(POLLIN, wait))
            fail("Read timed out.");
        while (receiveSome()) {
        }
    }
    std::memcpy(out, peek(), n);
    inputStart += n;
}

void TcpClient::write(const uint8_t *data, size_t n)
{
    while (n > 0) {
        if (fd < 0)
            fail("Not Connected");
        ssize_t sent = ::send(fd, data, n, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            n -= size_t(sent);
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!waitFor(POLLOUT, readTimeoutMs))
                fail("Write timed out.");
            continue;
        }
        fail(std::strerror(errno));
    }
}
