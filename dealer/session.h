#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include "packet.h"
#include "wirerecords.h"

class QTcpSocket;
class DealerServer;
class ServerRsa;
class PacketReader;

// One client connection: frames in and out (scrambling, the RSA layer of
// encrypted accounts), the login or registration handshake, and the answer
// to every command. Only framing faults (and commands before login) end the
// session; everything else is answered with an error code.
class Session : public QObject {
    Q_OBJECT
public:
    // Failed logins (and confirmations) after which the connection is closed.
    static constexpr int MaxFailedLogins = 3;
    // Commands handled per turn of the server's round robin, and the time
    // after which a turn ends early (at least one command is always handled).
    static constexpr int CommandsPerTurn = 4;
    static constexpr int64_t TurnBudgetMs = 5;
    // Client bytes read ahead of the commands being handled; the rest waits
    // in the kernel, so a flooding client is slowed by TCP itself.
    static constexpr qint64 MaxBufferedBytes = 64 * 1024;

    // serial: the order of acceptance (the oldest handshake makes room first).
    Session(QTcpSocket *socket, DealerServer &server, uint16_t sessionId, uint64_t serial);
    ~Session() override;

    uint16_t id() const { return sessionId; }
    uint64_t serial() const { return acceptedAs; }
    // Handles the next few complete commands; true when more are waiting.
    bool handleSome();

    bool loggedIn() const { return state == State::Ready; }
    uint32_t account() const { return accountId; }
    // False when the peer has gone (closed, reset or hung up), even if no
    // event has reported it yet.
    bool alive() const;
    void close();

    // A push: pfCommand, never encrypted.
    void sendPush(uint8_t code, const Bytes &payload);

    // Test aid: writes the replies held back (DealerServer::holdNextReply);
    // false when none is held. A session that ends drops them.
    bool releaseHeldReplies();

    // Most records per packet of a list reply (with the given record size)
    // so that the payload on the wire stays within the limit.
    size_t recordsPerPacket(size_t recordSize) const;

private:
    enum class State { Fresh, AwaitConfirm, Ready, Closed };

    struct Requote {
        uint8_t code = 0;  // 113, 135 or 141
        uint32_t id = 0;   // position (135, 141)
        uint16_t instrument = 0;
        uint8_t type = 0;
        int lots = 0;
        int32_t stopLoss = 0, takeProfit = 0;
        int32_t additional = 0;
        int32_t price = 0;  // the price offered
        QElapsedTimer since;
    };

    void onReadyRead();
    // Moves client bytes into the buffer, up to its limit.
    void pull();
    // True when a whole frame is buffered (a bad header closes the session).
    bool frameWaiting();
    // One whole frame; false when it ended the session.
    bool handleFrame(TPacketBuffer buffer);
    // A wrong password or confirmation: counted for the account, and the
    // connection closes after the last allowed attempt.
    void loginFailed(uint8_t code, uint16_t packetId, uint32_t account);
    void handle(const TPacketBuffer &packet);
    void handleLogin(const TPacketBuffer &packet, PacketReader &in);
    void handleConfirm(const TPacketBuffer &packet, PacketReader &in);
    void handleRegister(const TPacketBuffer &packet, PacketReader &in);
    void handleCommand(uint8_t code, uint16_t packetId, PacketReader &in);
    void answerTrade(uint8_t code, uint16_t packetId, const struct Outcome &result, const Requote &request);
    void confirmPrice(uint16_t packetId, uint32_t answer);

    void sendReply(uint8_t code, uint16_t packetId, uint8_t error, const Bytes &data, uint8_t extraFlags = 0);
    void sendError(uint8_t code, uint16_t packetId, uint8_t error, const char *text = nullptr);
    // A list reply: split over packets when it does not fit one.
    void sendList(uint8_t code, uint16_t packetId, size_t recordSize, const Bytes &records);
    void write(TPacketBuffer &packet, bool encrypt);

    QTcpSocket *socket;
    DealerServer &server;
    QByteArray inbound;
    State state = State::Fresh;
    uint16_t sessionId;
    uint64_t acceptedAs;
    int failedLogins = 0;
    bool registrationTried = false;
    uint32_t accountId = 0;
    std::string password;
    const ServerRsa *rsa = nullptr;  // set for an encrypted account
    bool encrypted = false;
    bool requotePending = false;
    bool silent = false;  // the command being handled expects no reply
    bool holding = false;  // its replies are held back instead of sent
    struct HeldReply {
        TPacketBuffer packet;
        bool encrypt;
    };
    std::vector<HeldReply> heldReplies;
    // A stalled link (test aid): what is written meanwhile waits here.
    bool stalling = false;
    QByteArray stalled;
    Requote requote;
};
