#include "tcpclient.h"

#include <cerrno>
#include <cstring>

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

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    QByteArray host = hostName.toUtf8();
    std::string port = std::to_string(portNumber);
    int rc = ::getaddrinfo(host.constData(), port.c_str(), &hints, &list);
    if (rc != 0)
        fail(std::string("Host not found: ") + ::gai_strerror(rc));

    std::string lastError = "Connection refused";
    for (addrinfo *ai = list; ai; ai = ai->ai_next) {
        int s = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (s < 0)
            continue;
        fd = s;
        if (::connect(s, ai->ai_addr, ai->ai_addrlen) == 0) {
            break;
        }
        if (errno == EINPROGRESS) {
            bool ready = false;
            try {
                ready = waitFor(POLLOUT, timeoutMs);
            } catch (...) {
                ::close(s);
                fd = -1;
                ::freeaddrinfo(list);
                throw;
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            if (ready && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0)
                break;
            lastError = ready ? std::strerror(soError) : "Connect timed out";
        } else {
            lastError = std::strerror(errno);
        }
        ::close(s);
        fd = -1;
    }
    ::freeaddrinfo(list);
    if (fd < 0)
        fail(lastError);
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

void TcpClient::readExact(uint8_t *out, size_t n)
{
    while (bufferedCount() < n) {
        if (fd < 0)
            fail("Not Connected");
        if (closedByPeer) {
            disconnect();
            fail("Connection Closed Gracefully.");
        }
        if (!waitFor(POLLIN, readTimeoutMs))
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
