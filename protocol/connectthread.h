#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include "keyrecord.h"
#include "packet.h"
#include "tcpclient.h"

class TDispCmdRply;


// Notifications the connection thread posts to its main-thread receiver.
enum TThreadMessage : int {
    WM_CONNECTED = 4881,
    WM_DISCONNECTED = 4882,
    WM_STATUS = 4884,
    WM_REGISTRATION = 4885,
};

// A posted notification; Connection tells which connection attempt sent it,
// so that a late notice of an ended connection cannot end a newer one.
class TThreadEvent : public QEvent {
public:
    TThreadEvent(TThreadMessage message, quint64 connection, QString text = QString())
        : QEvent(QEvent::Type(int(message))), Connection(connection), Text(std::move(text)) {}
    TThreadMessage Message() const { return TThreadMessage(int(type())); }
    const quint64 Connection;
    // The status text as it was set (for 4884): a later text cannot overtake it.
    const QString Text;
};

// The one background thread: owns the TCP connection to the dealing server,
// runs the login (or registration) handshake, then sends queued commands and
// reads every packet into the dispatcher. It never touches client state or
// windows; it posts notifications and the main thread reads its locked fields.
class TConnectThread : public QThread {
public:
    TConnectThread();
    ~TConnectThread() override;

    // Main thread. Ignored while an attempt is busy, unless a Stop came
    // during that attempt: the request then waits until the attempt has
    // ended. The values are copied under the lock and taken over by the
    // thread when it picks up the request.
    void StartLogin(uint32_t account, const QString &password, const TKeyRecord &key);
    void StartRegistration(const QString &name, const QString &email, uint32_t deposit, uint32_t group);
    // Ends the connected loop at its next turn, and drops a start request
    // that has not been taken up yet. During an attempt: the
    // attempt ends without connecting (no connected notice); a connect or a
    // login handshake is abandoned at once, a registration runs to its end
    // so that an account the server has made is not lost.
    void Stop();
    // Ends the thread at program exit, even while it is blocked in connect or read.
    void Terminate();

    // Where notifications go (null: nowhere); cleared before the receiver dies.
    void SetReceiver(QObject *receiver);
    void SetDispatcher(TDispCmdRply *dispatcher);

    // The name lookup and the connect time-out of the attempts to come
    // (tests shorten and replace them); by default getaddrinfo and 9000 ms.
    void SetResolver(TcpClient::Resolver resolver);
    void SetConnectTimeout(int ms);
    // The whole login or registration handshake must be done within this
    // (30 s by default): a server that trickles its replies cannot hold it.
    void SetHandshakeLimit(int ms);

    // Program-wide connection settings.
    void SetServerList(const QString &servers);
    void SetPort(int port);
    QString ServerList() const;
    int Port() const;
    int ServerIndex() const;
    void SetServerIndex(int index);
    // The server of the list at ServerIndex (Algorithms of server rotation).
    QString CurrentServer();

    // Locked accessors.
    uint8_t Mode() const;
    void SetMode(uint8_t mode);
    bool Busy() const;
    bool Connected() const;
    void SetConnected(bool connected);
    bool Encrypted() const;
    QString StatusText() const;
    void SetStatusText(const QString &text);
    uint16_t NextPacketId();
    // The number of the attempt that runs or ran last; 0 before the first.
    quint64 CurrentConnection() const;
    // True while a start request waits to be taken up by the thread.
    bool RequestPending() const;

    // Turns of the connected loop so far (for watching the loop from outside).
    quint64 LoopTurns() const { return loopTurns.load(); }

    uint32_t RegAccount() const;
    QString RegPassword() const;
    QString Host() const;

protected:
    void run() override;

private:
    struct Request {
        uint8_t mode = 0;
        uint32_t account = 0;
        QString password;
        TKeyRecord key{};
        QString regName, regEmail;
        uint32_t regDeposit = 0, regGroup = 0;
        QString host;
        int port = 0;
        bool deferred = false;  // made during an attempt: its server is chosen when it starts
    };

    void startRequest(Request request);
    bool takeRequest();
    void runAttempt();
    void loginHandshake();
    void registrationHandshake();
    void connectedLoop();
    void finishAttempt();
    bool stopped() const;
    // The handshake is over: no read limit, and a lost link is noticed again.
    void endHandshake();
    // Leaves the connect: from here a Stop no longer interrupts when
    // interruptible is false. False when a Stop has already come.
    bool enterHandshake(bool interruptible);

    void SendPacket(TUserCommand &command);
    void SendNext();
    bool PacketAvailable();
    void ReceiveAll();
    TPacketPtr ReadPacket(bool first);
    void OnTcpDisconnected();

    void post(TThreadMessage message, const QString &text = QString());
    void setStatus(const QString &text);
    bool terminating() const { return terminateFlag.load(); }
    QString currentServerLocked();

    // Values of the attempt in progress: written by the thread only.
    uint8_t attemptMode = 0;
    uint32_t Account = 0;
    QString Password;
    QString RegName, RegEmail;
    uint32_t RegDeposit = 0, RegGroup = 0;
    TKeyRecord Key{};
    QString host;
    int port = 0;
    uint16_t SessionId = 0;
    int attemptTimeoutMs = 9000;

    TcpClient Tcp;
    mutable std::mutex Lock;
    std::condition_variable wake;
    std::optional<Request> pending;
    uint8_t mode = 0;
    bool busy = false;
    bool attemptRunning = false;  // from taking a request to the end of its connection
    // A Stop came during the busy attempt: it ends disconnected.
    bool stopRequested = false;
    // A Stop during the attempt interrupts its waits (connect, login).
    bool stopInterrupts = false;
    bool connected = false;
    bool encrypted = false;
    QString statusText;
    uint16_t LastPacketId = 0;
    quint64 connection = 0;
    uint32_t regAccount = 0;
    QString regPassword;
    QString currentHost;
    QString serverList = QStringLiteral("localhost");
    int serverPort = 2222;
    int serverIndex = 0;
    TcpClient::Resolver resolver;
    int connectTimeoutMs = 9000;
    int handshakeLimitMs = 30000;
    bool handshaking = false;  // a lost link then ends the attempt, without a notice
    QObject *receiver = nullptr;
    TDispCmdRply *dispatcher = nullptr;
    std::atomic<bool> terminateFlag{false};
    std::atomic<quint64> loopTurns{0};
};
