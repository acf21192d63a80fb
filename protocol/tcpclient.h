#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QString>

// A blocking TCP client over POSIX sockets with an input buffer. Every wait
// (connect, read, write, poll) also watches a wake-up descriptor, so that
// interrupt() from another thread ends any blocking call at once; the
// connection thread relies on this to end promptly at program exit.
class TcpClient {
public:
    struct Error : std::runtime_error {
        explicit Error(const std::string &message) : std::runtime_error(message) {}
    };

    TcpClient();
    ~TcpClient();
    TcpClient(const TcpClient &) = delete;
    TcpClient &operator=(const TcpClient &) = delete;

    void setHost(const QString &host) { hostName = host; }
    void setPort(int port) { portNumber = port; }
    void setReadTimeout(int ms) { readTimeoutMs = ms; }

    // Throws Error on failure or time-out.
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
    // Waits for the socket to become readable or writable; false on time-out.
    bool waitFor(short events, int timeoutMs);
    // One recv into the input buffer; false when nothing could be read.
    bool receiveSome();
    [[noreturn]] void fail(const std::string &what);

    QString hostName;
    int portNumber = 0;
    int readTimeoutMs = 9000;
    int fd = -1;
    int wakeFd = -1;
    bool closedByPeer = false;
    std::vector<uint8_t> input;
    size_t inputStart = 0;
};
