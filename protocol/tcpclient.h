#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QString>

#include <sys/socket.h>

// One address to connect to, as the name lookup gives it.
struct TcpAddress {
    int family = 0;
    int socktype = SOCK_STREAM;
    int protocol = 0;
    sockaddr_storage address{};
    socklen_t length = 0;
};

// A blocking TCP client over POSIX sockets with an input buffer. Every wait
// (connect, read, write, poll) also watches a wake-up descriptor, so that
// interrupt() from another thread ends any blocking call at once; the
// connection thread relies on this to end promptly at program exit.
class TcpClient {
public:
    struct Error : std::runtime_error {
        explicit Error(const std::string &message) : std::runtime_error(message) {}
    };

    // Turns a host and port into the addresses to try, in order; throws
    // (any std::exception, its text is the reason) when there are none. It
    // runs on a helper thread of its own and may block for any time: the
    // connect gives up on it at its time-out or interrupt, and a lookup that
    // ends late frees its own result. It must own whatever it captures.
    using Resolver = std::function<std::vector<TcpAddress>(const std::string &host, int port)>;
    // getaddrinfo.
    static std::vector<TcpAddress> SystemResolve(const std::string &host, int port);
    // Delay before the next address is tried while the earlier ones still wait.
    static constexpr int AddressStaggerMs = 250;

    TcpClient();
    ~TcpClient();
    TcpClient(const TcpClient &) = delete;
    TcpClient &operator=(const TcpClient &) = delete;

    void setHost(const QString &host) { hostName = host; }
    void setPort(int port) { portNumber = port; }
    void setReadTimeout(int ms) { readTimeoutMs = ms; }
    // Reads fail once this much time has passed, however the bytes trickle
    // in (0: no limit beyond the read time-out of each wait).
    void setReadLimit(int ms);
    // Null: SystemResolve.
    void setResolver(Resolver r) { resolver = std::move(r); }

    // Looks the host up and connects; the lookup and the connect share the
    // one time-out. Throws Error on failure, time-out or interrupt.
    void connectTo(int timeoutMs);
    bool connected() const { return fd >= 0; }
    // Closes the socket; reports the close when a connection was open.
    void disconnect();

    // Raises when the peer has closed and nothing is left in the input buffer.
    void checkForDisconnection();
    // Waits up to ms for data and appends what arrives; no error when disconnected.
    void poll(int ms);
    size_t bufferedCount() const { return input.size() - inputStart; }
    const uint8_t *peek() const { return input.data() + inputStart; }
    bool peerClosed() const { return closedByPeer; }
    // Reads exactly n bytes, waiting up to the read time-out for them.
    void readExact(uint8_t *out, size_t n);
    void write(const uint8_t *data, size_t n);

    // From any thread: wakes every wait; later waits fail until rearm().
    void interrupt();
    void rearm();
    bool interrupted() const;

    // Called on the client's own thread whenever an open connection closes.
    std::function<void()> onDisconnected;

private:
    using Clock = std::chrono::steady_clock;
    std::vector<TcpAddress> resolve(Clock::time_point deadline);
    // Connects to the first address that answers; the next one is started
    // after AddressStaggerMs, or at once when an earlier one fails.
    int connectAny(const std::vector<TcpAddress> &addresses, Clock::time_point deadline);

    // Waits for the socket to become readable or writable; false on time-out.
    bool waitFor(short events, int timeoutMs);
    // One recv into the input buffer; false when nothing could be read.
    bool receiveSome();
    [[noreturn]] void fail(const std::string &what);

    Resolver resolver;
    QString hostName;
    int portNumber = 0;
    int readTimeoutMs = 9000;
    Clock::time_point readDeadline = Clock::time_point::max();
    int fd = -1;
    int wakeFd = -1;
    bool closedByPeer = false;
    std::vector<uint8_t> input;
    size_t inputStart = 0;
};
