#include "wiretap.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool sendAll(int fd, const uint8_t *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

int connectLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace

WireTap::WireTap(int port) : serverPort(port)
{
    listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(listenFd, 8);
    socklen_t len = sizeof addr;
    ::getsockname(listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    listenPort = ntohs(addr.sin_port);
    acceptor = std::thread([this] { acceptLoop(); });
}

WireTap::~WireTap()
{
    stopping = true;
    acceptor.join();
    for (std::thread &t : relays)
        t.join();
    ::close(listenFd);
}

std::vector<TPacketBuffer> WireTap::sent() const
{
    std::lock_guard guard(lock);
    return log;
}

std::vector<uint8_t> WireTap::sentCodes() const
{
    std::vector<uint8_t> codes;
    for (const TPacketBuffer &p : sent())
        codes.push_back(p[hdr::Code]);
    return codes;
}

void WireTap::acceptLoop()
{
    while (!stopping) {
        pollfd p{listenFd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            relays.emplace_back([this, fd] { relay(fd); });
    }
}

void WireTap::relay(int clientFd)
{
    const int serverFd = connectLoopback(serverPort);
    std::vector<uint8_t> pending;
    std::vector<uint8_t> held;  // from the server, kept back
    uint8_t chunk[16384];
    while (serverFd >= 0 && !stopping) {
        if (!holding && !held.empty()) {
            if (!sendAll(clientFd, held.data(), held.size()))
                break;
            held.clear();
        }
        pollfd p[2] = {{clientFd, POLLIN, 0}, {serverFd, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0)
            continue;
        bool open = true;
        for (int side = 0; side < 2 && open; ++side) {
            if (!(p[side].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(p[side].fd, chunk, sizeof chunk, 0);
            if (n > 0 && side == 1 && (holding || !held.empty())) {
                held.insert(held.end(), chunk, chunk + n);
                continue;
            }
            if (n <= 0 || !sendAll(p[1 - side].fd, chunk, size_t(n))) {
                open = false;
                break;
            }
            if (side == 0) {
                pending.insert(pending.end(), chunk, chunk + n);
                takeClientBytes(pending);
            }
        }
        if (!open)
            break;
    }
    if (serverFd >= 0)
        ::close(serverFd);
    ::close(clientFd);
}

void WireTap::takeClientBytes(std::vector<uint8_t> &pending)
{
    while (pending.size() >= 5) {
        const size_t size = size_t(GetU16(&pending[hdr::PayloadLength])) + PacketHeaderSize;
        if (pending.size() < size)
            return;
        TPacketBuffer packet(pending.begin(), pending.begin() + long(size));
        pending.erase(pending.begin(), pending.begin() + long(size));
        Descramble(packet);
        std::lock_guard guard(lock);
        log.push_back(std::move(packet));
    }
}
