#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "packet.h"

// A small TCP server on loopback that plays a scripted dealer: every
// accepted connection runs the script on the server's own thread.
class ScriptedServer {
public:
    class Connection {
    public:
        explicit Connection(int fd, std::atomic<bool> &stopping) : fd(fd), stopping(stopping) {}
        // The next packet, descrambled; nothing when the peer closed or on time-out.
        std::optional<TPacketBuffer> readPacket(int timeoutMs = 5000);
        // A reply (or push when command is set) with the given code, id and payload; scrambled.
        void send(uint8_t code, uint16_t packetId, const std::vector<uint8_t> &payload, uint8_t flags,
                  uint16_t sessionId = 0);
        void sendReply(const TPacketBuffer &command, uint8_t errorCode, const std::vector<uint8_t> &data = {},
                       uint16_t sessionId = 7);
        void sendRaw(const std::vector<uint8_t> &bytes);
        // Sends a built packet (header filled in): scrambled, and before that
        // turned into RSA ciphertext when a transform is given.
        using Transform = std::function<std::vector<uint8_t>(const std::vector<uint8_t> &)>;
        void sendPacket(TPacketBuffer packet, const Transform &encrypt = nullptr);
        void close();
        bool closed() const { return fd < 0; }
        // The peer closed the connection (or it failed); a time-out is not that.
        bool peerClosed() const { return fd < 0 || eof; }

    private:
        bool readExact(uint8_t *out, size_t n, int timeoutMs);
        int fd;
        bool eof = false;
        std::atomic<bool> &stopping;
    };

    using Script = std::function<void(Connection &)>;

    explicit ScriptedServer(Script script);
    ~ScriptedServer();

    int port() const { return listenPort; }
    int connections() const { return accepted.load(); }
    // The plain login handshake answered with success; returns false if it did not happen.
    static bool acceptLogin(Connection &c, uint16_t sessionId = 7);

private:
    void acceptLoop();

    Script script;
    int listenFd = -1;
    int listenPort = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::thread worker;
};

// A port on loopback where nothing listens.
int UnusedPort();
