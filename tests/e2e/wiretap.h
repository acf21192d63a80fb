#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "packet.h"

// A relay on loopback between the client and a server: every connection it
// accepts is joined to the server's port byte for byte, and every packet the
// client sends is kept (descrambled) in the order it left.
class WireTap {
public:
    explicit WireTap(int serverPort);
    ~WireTap();
    WireTap(const WireTap &) = delete;
    WireTap &operator=(const WireTap &) = delete;

    int port() const { return listenPort; }
    // While held, what the server sends is kept back from the client (on
    // every connection); letting go passes it on.
    void holdReplies(bool hold) { holding = hold; }
    std::vector<TPacketBuffer> sent() const;
    std::vector<uint8_t> sentCodes() const;

private:
    void acceptLoop();
    void relay(int clientFd);
    void takeClientBytes(std::vector<uint8_t> &pending);

    int serverPort;
    int listenFd = -1;
    int listenPort = 0;
    std::atomic<bool> stopping{false};
    std::atomic<bool> holding{false};
    mutable std::mutex lock;
    std::vector<TPacketBuffer> log;
    std::vector<std::thread> relays;  // touched by the accepting thread only
    std::thread acceptor;
};
