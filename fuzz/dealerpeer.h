#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <QByteArray>
#include <QString>

#include "keyrecord.h"
#include "packet.h"

class DealerServer;
class QTcpSocket;

// A demo dealer in the process and one client connection to it over a
// loopback socket, the frames made by hand: what the dealer target sends
// its inputs through, and how the seed generator records real traffic.
// Everything runs on the calling thread's event loop.
class DealerPeer {
public:
    static constexpr int WaitMs = 5000;

    DealerPeer();
    ~DealerPeer();

    // A new server on a fresh data directory (the demo accounts 1001, plain,
    // and 1002, encrypted, both with the password "demo"), without quote
    // ticks; false with the reason on stderr.
    bool Start(const QString &dataDir);
    DealerServer &Server() { return *server; }
    // The key record of the encrypted demo account (its 1002.prk).
    const TKeyRecord &EncryptedKey() const { return encryptedKey; }

    bool Connect();
    // The client's login handshake: 101, then 102 with the session id.
    bool Login(uint32_t account);
    // As the client sends a command: its session id, encrypted when the
    // session is and its code requires, scrambled.
    void Send(TUserCommand &command);
    void SendRaw(std::span<const uint8_t> bytes);
    // The next frame from the server, descrambled and decrypted; null when
    // none comes in time or the connection ends.
    TPacketPtr Receive();
    // Receives up to the last part of the reply to (code, id); false when
    // it does not come.
    bool AwaitReply(uint8_t code, uint16_t id);
    // Closes the connection and waits until the server has ended the session.
    bool Disconnect();

    // Every byte the server sent on this connection, as it came; the first
    // Parsed() of them were taken as frames.
    QByteArray Wire;
    qsizetype Parsed() const { return parsed; }
    uint16_t SessionId = 0;
    bool Encrypted = false;

    // Runs the event loop until done or the wait is over.
    static bool PumpUntil(const std::function<bool()> &done);

private:
    void stop();

    std::unique_ptr<DealerServer> server;
    QString dataDir;
    TKeyRecord encryptedKey{};
    std::unique_ptr<QTcpSocket> socket;
    qsizetype parsed = 0;  // bytes of Wire taken as frames
};
