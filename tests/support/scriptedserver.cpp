#include "scriptedserver.h"

#include <cstring>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

bool ScriptedServer::Connection::readExact(uint8_t *out, size_t n, int timeoutMs)
{
    while (n > 0) {
        if (fd < 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        int waited = 0;
        while (::poll(&p, 1, 50) == 0) {
            waited += 50;
            if (stopping || waited >= timeoutMs)
                return false;
        }
        ssize_t got = ::recv(fd, out, n, 0);
        if (got <= 0) {
            eof = true;
            return false;
        }
        out += got;
        n -= size_t(got);
    }
    return true;
}

std::optional<TPacketBuffer> ScriptedServer::Connection::readPacket(int timeoutMs)
{
    uint8_t head[5];
    if (!readExact(head, 5, timeoutMs))
        return std::nullopt;
    TPacketBuffer buffer(size_t(GetU16(head + 2)) + PacketHeaderSize);
    std::memcpy(buffer.data(), head, 5);
    if (!readExact(buffer.data() + 5, buffer.size() - 5, timeoutMs))
        return std::nullopt;
    Descramble(buffer);
    return buffer;
}

void ScriptedServer::Connection::send(uint8_t code, uint16_t packetId, const std::vector<uint8_t> &payload,
                                      uint8_t flags, uint16_t sessionId)
{
    TPacketBuffer buffer = NewPacketBuffer(int(payload.size()));
    buffer[hdr::Flags] = flags;
    PutU16(&buffer[hdr::SessionId], sessionId);
    PutU16(&buffer[hdr::PacketId], packetId);
    buffer[hdr::Code] = code;
    std::copy(payload.begin(), payload.end(), buffer.begin() + hdr::Data);
    Scramble(buffer);
    sendRaw(buffer);
}

void ScriptedServer::Connection::sendReply(const TPacketBuffer &command, uint8_t errorCode,
                                           const std::vector<uint8_t> &data, uint16_t sessionId)
{
    std::vector<uint8_t> payload{errorCode};
    payload.insert(payload.end(), data.begin(), data.end());
    send(command[hdr::Code], GetU16(&command[hdr::PacketId]), payload, pfReply, sessionId);
}

void ScriptedServer::Connection::sendPacket(TPacketBuffer packet, const Transform &encrypt)
{
    if (encrypt) {
        const std::vector<uint8_t> cipher = encrypt(std::vector<uint8_t>(packet.begin() + 5, packet.end()));
        packet.resize(5);
        packet.insert(packet.end(), cipher.begin(), cipher.end());
        PutU16(&packet[hdr::PayloadLength], uint16_t(packet.size() - PacketHeaderSize));
        packet[hdr::Flags] |= pfRsa;
    }
    Scramble(packet);
    sendRaw(packet);
}

void ScriptedServer::Connection::sendRaw(const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

void ScriptedServer::Connection::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool ScriptedServer::acceptLogin(Connection &c, uint16_t sessionId)
{
    auto login = c.readPacket();
    if (!login || (*login)[hdr::Code] != 101)
        return false;
    c.sendReply(*login, 0, {}, sessionId);
    auto confirm = c.readPacket();
    if (!confirm || (*confirm)[hdr::Code] != 102)
        return false;
    c.sendReply(*confirm, 0, {}, sessionId);
    return true;
}

ScriptedServer::ScriptedServer(Script s) : script(std::move(s))
{
    listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(listenFd, 8);
    socklen_t len = sizeof addr;
    ::getsockname(listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    listenPort = ntohs(addr.sin_port);
    worker = std::thread([this] { acceptLoop(); });
}

ScriptedServer::~ScriptedServer()
{
    stopping = true;
    worker.join();
    ::close(listenFd);
}

void ScriptedServer::acceptLoop()
{
    while (!stopping) {
        pollfd p{listenFd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int fd = ::accept(listenFd, nullptr, nullptr);
        if (fd < 0)
            continue;
        ++accepted;
        Connection c(fd, stopping);
        script(c);
        c.close();
    }
}

int UnusedPort()
{
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr *>(&addr), &len);
    int port = ntohs(addr.sin_port);
    ::close(s);  // bound but never listened on: connects are refused
    return port;
}
