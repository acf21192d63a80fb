#include "connectthread.h"

#include <QCoreApplication>

#include "dispatcher.h"
#include "errortext.h"
#include "forexexception.h"
#include "languagetables.h"
#include "commands.h"
#include "packetreader.h"
#include "rsapacket.h"

namespace {

constexpr int ReadTimeoutMs = 9000;
constexpr int PollMs = 10;
constexpr int IdleSleepMs = 10;
constexpr int TurnSleepMs = 1;
// Received packets waiting for the main thread beyond which reading pauses.
constexpr size_t MaxQueuedPackets = 10000;

QString HostPortText(int message, const QString &host, int port)
{
    return QString::asprintf(MessageText(message).toUtf8().constData(), host.toUtf8().constData(), port);
}

// The answer that a handshake waits for must be a reply (flags bit 0 clear),
// whatever its code; a command or push in its place is an invalid packet.
const TUserReply &HandshakeReply(const TPacketPtr &packet)
{
    const auto *reply = dynamic_cast<const TUserReply *>(packet.get());
    if (!reply)
        throw EForexException(MessageText(25));
    return *reply;
}

} // namespace

TConnectThread::TConnectThread()
{
    Tcp.onDisconnected = [this] { OnTcpDisconnected(); };
}

TConnectThread::~TConnectThread()
{
    Terminate();
    Tcp.onDisconnected = nullptr;
}

void TConnectThread::Terminate()
{
    {
        std::lock_guard guard(Lock);
        receiver = nullptr;
    }
    terminateFlag = true;
    wake.notify_all();
    // Wakes a blocking connect, read or poll at once.
    Tcp.interrupt();
    if (isRunning())
        wait();
}

void TConnectThread::SetReceiver(QObject *object)
{
    std::lock_guard guard(Lock);
    receiver = object;
}

void TConnectThread::SetDispatcher(TDispCmdRply *d)
{
    std::lock_guard guard(Lock);
    dispatcher = d;
}

void TConnectThread::post(TThreadMessage message, const QString &text)
{
    std::lock_guard guard(Lock);
    if (receiver)
        QCoreApplication::postEvent(receiver, new TThreadEvent(message, connection, text));
}

void TConnectThread::setStatus(const QString &text)
{
    SetStatusText(text);
    post(WM_STATUS, text);
}

// ---- settings and server rotation

void TConnectThread::SetServerList(const QString &servers)
{
    std::lock_guard guard(Lock);
    serverList = servers;
}

void TConnectThread::SetPort(int p)
{
    std::lock_guard guard(Lock);
    serverPort = p;
}

QString TConnectThread::ServerList() const
{
    std::lock_guard guard(Lock);
    return serverList;
}

int TConnectThread::Port() const
{
    std::lock_guard guard(Lock);
    return serverPort;
}

int TConnectThread::ServerIndex() const
{
    std::lock_guard guard(Lock);
    return serverIndex;
}

void TConnectThread::SetServerIndex(int index)
{
    std::lock_guard guard(Lock);
    serverIndex = index;
}

void TConnectThread::SetResolver(TcpClient::Resolver r)
{
    std::lock_guard guard(Lock);
    resolver = std::move(r);
}

void TConnectThread::SetConnectTimeout(int ms)
{
    std::lock_guard guard(Lock);
    connectTimeoutMs = ms;
}

void TConnectThread::SetHandshakeLimit(int ms)
{
    std::lock_guard guard(Lock);
    handshakeLimitMs = ms;
}

QString TConnectThread::currentServerLocked()
{
    const QStringList items = serverList.split(QLatin1Char(','));
    const int last = int(items.size()) - 1;
    if (serverIndex >= 0 && serverIndex < last)
        return items[serverIndex];
    // At or past the last item, or after the last one worked (-1): the last
    // item, and the next failure starts the list again from the first.
    serverIndex = -1;
    return items[last];
}

QString TConnectThread::CurrentServer()
{
    std::lock_guard guard(Lock);
    return currentServerLocked();
}

// ---- locked accessors

uint8_t TConnectThread::Mode() const
{
    std::lock_guard guard(Lock);
    return mode;
}

void TConnectThread::SetMode(uint8_t m)
{
    std::lock_guard guard(Lock);
    mode = m;
}

bool TConnectThread::Busy() const
{
    std::lock_guard guard(Lock);
    return busy;
}

bool TConnectThread::Connected() const
{
    std::lock_guard guard(Lock);
    return connected;
}

void TConnectThread::SetConnected(bool c)
{
    std::lock_guard guard(Lock);
    connected = c;
}

bool TConnectThread::Encrypted() const
{
    std::lock_guard guard(Lock);
    return encrypted;
}

QString TConnectThread::StatusText() const
{
    std::lock_guard guard(Lock);
    return statusText;
}

void TConnectThread::SetStatusText(const QString &text)
{
    std::lock_guard guard(Lock);
    statusText = text;
}

uint16_t TConnectThread::NextPacketId()
{
    std::lock_guard guard(Lock);
    if (++LastPacketId == 0)
        LastPacketId = 1;
    return LastPacketId;
}

quint64 TConnectThread::CurrentConnection() const
{
    std::lock_guard guard(Lock);
    return connection;
}

bool TConnectThread::RequestPending() const
{
    std::lock_guard guard(Lock);
    return pending.has_value();
}

uint32_t TConnectThread::RegAccount() const
{
    std::lock_guard guard(Lock);
    return regAccount;
}

QString TConnectThread::RegPassword() const
{
    std::lock_guard guard(Lock);
    return regPassword;
}

QString TConnectThread::Host() const
{
    std::lock_guard guard(Lock);
    return currentHost;
}

// ---- start requests

void TConnectThread::startRequest(Request request)
{
    {
        std::lock_guard guard(Lock);
        // Busy: ignored, unless the attempt has been stopped; then this
        // request follows it (as Login's Stop-then-start means it to).
        if (busy && !stopRequested)
            return;
        connected = false;
        request.deferred = busy;
        request.host = currentServerLocked();
        request.port = serverPort;
        mode = request.mode;
        currentHost = request.host;
        pending = std::move(request);
    }
    wake.notify_all();
    if (!isRunning() && !terminating())
        start();
}

void TConnectThread::StartLogin(uint32_t account, const QString &password, const TKeyRecord &key)
{
    Request r;
    r.mode = 1;
    r.account = account;
    r.password = password;
    r.key = key;
    startRequest(std::move(r));
}

void TConnectThread::StartRegistration(const QString &name, const QString &email, uint32_t deposit, uint32_t group)
{
    Request r;
    r.mode = 2;
    r.regName = name;
    r.regEmail = email;
    r.regDeposit = deposit;
    r.regGroup = group;
    startRequest(std::move(r));
}

void TConnectThread::Stop()
{
    std::lock_guard guard(Lock);
    connected = false;
    // A start that has not begun yet (one waiting for a stopped attempt)
    // is stopped with it.
    if (pending) {
        pending.reset();
        mode = attemptRunning ? attemptMode : 0;
    }
    if (busy) {
        stopRequested = true;
        if (stopInterrupts)
            Tcp.interrupt();
    }
}

void TConnectThread::endHandshake()
{
    std::lock_guard guard(Lock);
    Tcp.setReadLimit(0);
    handshaking = false;
}

bool TConnectThread::stopped() const
{
    std::lock_guard guard(Lock);
    return stopRequested;
}

bool TConnectThread::enterHandshake(bool interruptible)
{
    std::lock_guard guard(Lock);
    if (stopRequested)
        return false;
    stopInterrupts = interruptible;
    return true;
}

// Takes a waiting start request (under the lock, together with Busy), or
// waits up to the idle period for one.
bool TConnectThread::takeRequest()
{
    std::unique_lock guard(Lock);
    connected = false;
    if (!pending) {
        wake.wait_for(guard, std::chrono::milliseconds(IdleSleepMs));
        if (!pending || terminating())
            return false;
    }
    // The interrupt a Stop gave the attempt before is used up; one that
    // Terminate gave is seen through the flag, which it sets first.
    Tcp.rearm();
    if (terminating())
        return false;
    Request r = std::move(*pending);
    pending.reset();
    if (r.deferred) {
        // The attempt it waited for may have moved on in the server list.
        r.host = currentServerLocked();
        r.port = serverPort;
        currentHost = r.host;
    }
    attemptMode = r.mode;
    Account = r.account;
    Password = r.password;
    Key = r.key;
    RegName = r.regName;
    RegEmail = r.regEmail;
    RegDeposit = r.regDeposit;
    RegGroup = r.regGroup;
    host = r.host;
    port = r.port;
    busy = true;
    attemptRunning = true;
    stopRequested = false;
    stopInterrupts = true;
    Tcp.setResolver(resolver);
    attemptTimeoutMs = connectTimeoutMs;
    ++connection;
    return true;
}

// ---- the loop

void TConnectThread::run()
{
    while (!terminating()) {
        if (!takeRequest())
            continue;
        runAttempt();
        finishAttempt();
    }
    Tcp.disconnect();
}

void TConnectThread::runAttempt()
{
    Tcp.setHost(host);
    Tcp.setPort(port);
    if (Tcp.connected())
        Tcp.disconnect();

    setStatus(HostPortText(31, host, port));
    try {
        Tcp.setReadTimeout(ReadTimeoutMs);
        Tcp.connectTo(attemptTimeoutMs);
        setStatus(QString());
    } catch (const std::exception &) {
        if (terminating())
            return;
        // Abandoned by a Stop: no failure of the server, so no message and
        // no move to the next one.
        if (stopped()) {
            setStatus(QString());
            return;
        }
        setStatus(HostPortText(14, host, port));
        Tcp.disconnect();
        {
            std::lock_guard guard(Lock);
            ++serverIndex;
            currentHost = currentServerLocked();
        }
        return;
    }

    // A registration is not interrupted: the server may already have made
    // the account, and its reply is the only place its password comes from.
    if (!enterHandshake(attemptMode != 2))
        return;
    try {
        {
            std::lock_guard guard(Lock);
            Tcp.setReadLimit(handshakeLimitMs);
            handshaking = true;
        }
        if (attemptMode == 2)
            registrationHandshake();
        else
            loginHandshake();
        endHandshake();
    } catch (const EForexException &e) {
        endHandshake();
        if (!stopped())
            setStatus(e.Message());
        Tcp.disconnect();
        return;
    } catch (const std::exception &e) {
        endHandshake();
        if (!terminating() && !stopped())
            setStatus(QString::fromUtf8(e.what()));
        Tcp.disconnect();
        return;
    }

    bool connect;
    {
        // One step with Busy: a Stop either came before (and is honoured
        // here) or comes after and ends the connected loop.
        std::lock_guard guard(Lock);
        busy = false;
        connect = !stopRequested && Tcp.connected();
        if (connect)
            connected = true;
    }
    if (!connect)
        return;
    // Connected is set before the notice leaves, so that a Stop that
    // follows the notice is never undone here.
    post(WM_CONNECTED);
    connectedLoop();
}

void TConnectThread::connectedLoop()
{
    try {
        while (Connected() && !terminating()) {
            SendNext();
            ReceiveAll();
            ++loopTurns;
            QThread::msleep(TurnSleepMs);
        }
    } catch (const EForexException &e) {
        setStatus(e.Message());
        Tcp.disconnect();
    } catch (const std::exception &e) {
        if (!terminating())
            setStatus(QString::fromUtf8(e.what()));
        Tcp.disconnect();
    }
}

void TConnectThread::finishAttempt()
{
    Tcp.disconnect();
    std::lock_guard guard(Lock);
    busy = false;
    attemptRunning = false;
    stopRequested = false;
    stopInterrupts = false;
    // A request made while this connection was open keeps its mode.
    mode = pending ? pending->mode : 0;
}

// ---- handshakes

void TConnectThread::loginHandshake()
{
    {
        std::lock_guard guard(Lock);
        LastPacketId = 0;
    }
    SessionId = 0;

    TCommandPtr login = NewLoginCommand(cmdLogin, Account, Password);
    SendPacket(*login);
    login.reset();

    TPacketPtr reply = ReadPacket(true);
    if (const TUserReply &r = HandshakeReply(reply); !r.IsOk())
        throw EForexException(Encrypted() ? MessageText(36) : ErrorText(r));
    SessionId = reply->SessionId();
    reply.reset();

    TCommandPtr confirm = NewLoginCommand(cmdLoginConfirm, Account, Password);
    SendPacket(*confirm);
    confirm.reset();

    reply = ReadPacket(false);
    if (const TUserReply &r = HandshakeReply(reply); !r.IsOk())
        throw EForexException(ErrorText(r));
}

void TConnectThread::registrationHandshake()
{
    {
        std::lock_guard guard(Lock);
        LastPacketId = 0;
    }
    SessionId = 0;

    TCommandPtr command = NewRegisterCommand(RegName, RegEmail, RegGroup, RegDeposit);
    SendPacket(*command);
    command.reset();

    TPacketPtr reply = ReadPacket(true);
    if (const TUserReply &r = HandshakeReply(reply); !r.IsOk())
        throw EForexException(ErrorCodeText(r));
    PacketReader data(*reply, hdr::ReplyData);
    const uint32_t account = data.u32();
    const QString password = data.shortStringVar();
    {
        std::lock_guard guard(Lock);
        regAccount = account;
        regPassword = password;
    }
    post(WM_REGISTRATION);
}

// ---- packets

void TConnectThread::SendPacket(TUserCommand &command)
{
    if (command.Id == 0)
        command.SetId(NextPacketId());
    PutU16(&command.Buffer[hdr::SessionId], SessionId);
    if (Encrypted())
        EncryptPacket(command, Key);
    Scramble(command.Buffer);
    command.SyncSize();
    Tcp.write(command.Buffer.data(), command.Buffer.size());
}

void TConnectThread::SendNext()
{
    TDispCmdRply *d;
    {
        std::lock_guard guard(Lock);
        d = dispatcher;
    }
    if (!d)
        return;
    if (TCommandPtr command = d->PopOutgoing())
        SendPacket(*command);
}

bool TConnectThread::PacketAvailable()
{
    const auto complete = [this] {
        const size_t count = Tcp.bufferedCount();
        return count >= 5 && count >= GetU16(Tcp.peek() + hdr::PayloadLength);
    };
    // Waits up to the poll period only when nothing complete is buffered yet,
    // so a burst of packets is read without a wait per packet.
    if (Tcp.connected())
        Tcp.poll(complete() ? 0 : PollMs);
    if (complete())
        return true;
    // Everything complete has been read; a closed peer ends the connection.
    if (Tcp.connected() && Tcp.peerClosed())
        Tcp.disconnect();
    return false;
}

void TConnectThread::ReceiveAll()
{
    TDispCmdRply *d;
    {
        std::lock_guard guard(Lock);
        d = dispatcher;
    }
    // While the main thread has this much to handle, the rest waits in the
    // socket: a flooding server is slowed by TCP instead of filling memory.
    while (Connected() && !(d && d->ReceivedCount() >= MaxQueuedPackets) && PacketAvailable()) {
        TPacketPtr packet = ReadPacket(false);
        if (d)
            d->PushReceived(std::move(packet));
    }
}

TPacketPtr TConnectThread::ReadPacket(bool first)
{
    Tcp.checkForDisconnection();
    uint8_t head[5];
    Tcp.readExact(head, 5);
    if (!IsValidHeader(head))
        throw EForexException(MessageText(25));
    if (first) {
        const bool rsa = (head[hdr::Flags] & pfRsa) != 0;
        {
            std::lock_guard guard(Lock);
            encrypted = rsa;
        }
        // A record without a usable key (none, or one whose modulus is
        // missing, zero or even) cannot serve an encrypted session.
        if (rsa && !KeyIsUsable(Key))
            throw EForexException(MessageText(18));
    }
    TPacketPtr packet = CreatePacketFromHeader(head);
    Tcp.readExact(packet->Buffer.data() + 5, packet->Buffer.size() - 5);
    Descramble(packet->Buffer);
    if (Encrypted())
        DecryptPacket(*packet, Key);
    packet->ReadHeader();
    return packet;
}

void TConnectThread::OnTcpDisconnected()
{
    bool duringHandshake;
    {
        std::lock_guard guard(Lock);
        duringHandshake = handshaking;
        encrypted = false;
        connected = false;
    }
    // A link lost during the handshake ends the attempt here, which says
    // why; a notice would make the main thread stop the attempt first and
    // the reason would be lost.
    if (!duringHandshake)
        post(WM_DISCONNECTED);
}
