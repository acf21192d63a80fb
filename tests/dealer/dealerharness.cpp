#include "dealerharness.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>

#include "languagetables.h"
#include "testapp.h"

DealerProcess::DealerProcess(QString dataDir, QStringList extra) : dir(std::move(dataDir)), arguments(std::move(extra))
{
}

DealerProcess::~DealerProcess() { stop(); }

bool DealerProcess::start()
{
    process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::SeparateChannels);
    QStringList args{"--port", "0", "--data", dir, "--seed", "11"};
    args += arguments;
    process->start(QStringLiteral(KELVRA_DEALER_BINARY), args);
    if (!process->waitForStarted(10000))
        return false;
    QElapsedTimer t;
    t.start();
    while (!process->canReadLine()) {
        if (t.elapsed() > 20000 || process->state() != QProcess::Running)
            return false;
        process->waitForReadyRead(200);
    }
    firstLine = QString::fromUtf8(process->readLine()).trimmed();
    if (!firstLine.startsWith("listening on "))
        return false;
    listenPort = firstLine.section(':', -1).toInt();
    return listenPort > 0;
}

bool DealerProcess::stop()
{
    if (!process || process->state() == QProcess::NotRunning)
        return true;
    process->terminate();
    const bool done = process->waitForFinished(15000);
    if (!done)
        process->kill();
    return done && process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

int DealerProcess::exitCode(int timeoutMs)
{
    if (!process || !process->waitForFinished(timeoutMs) || process->exitStatus() != QProcess::NormalExit)
        return -1;
    return process->exitCode();
}

QString DealerProcess::output()
{
    if (!process)
        return {};
    process->waitForReadyRead(100);
    return QString::fromUtf8(process->readAllStandardOutput() + process->readAllStandardError());
}

bool DealerProcess::admin(const QStringList &args, QString *out)
{
    QProcess p;
    p.start(QStringLiteral(KELVRA_DEALER_BINARY), QStringList{"admin", "--data", dir} + args);
    if (!p.waitForFinished(15000))
        return false;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

DealerClient::DealerClient(int port)
{
    EnsureTestApp();
    session.Thread().SetServerList("127.0.0.1");
    session.Thread().SetPort(port);
    QObject::connect(&session, &ClientSession::sessionStarted, [this] { listen(); });
}

DealerClient::~DealerClient() { session.Shutdown(); }

void DealerClient::listen()
{
    for (uint8_t code : {104, 112, 114, 116, 118, 119, 122, 123, 128, 134, 136, 138, 143, 148})
        session.Dispatcher().AddCommandEvent(code, nullptr, [this, code](TUserCmdRply *p) {
            pushed[code].push_back(p->Buffer);
        });
}

bool DealerClient::login(uint32_t account, const QString &password, const TKeyRecord &key)
{
    session.Login(account, password, key);
    WaitUntil(
        [this] {
            TConnectThread &t = session.Thread();
            return session.LoggedIn() || (t.Mode() == 0 && !t.Busy() && !t.RequestPending());
        },
        15000);
    return session.LoggedIn();
}

bool DealerClient::registerAccount(const QString &name, const QString &email, uint32_t deposit, uint32_t &account,
                                   QString &password)
{
    bool done = false;
    auto c = QObject::connect(&session, &ClientSession::registrationDone, [&](uint32_t a, const QString &p) {
        account = a;
        password = p;
        done = true;
    });
    session.Register(name, email, deposit, 0);
    const bool ok = WaitUntil([&] { return done && session.LoggedIn(); }, 15000);
    QObject::disconnect(c);
    return ok;
}

Parts DealerClient::request(TCommandPtr command, int timeoutMs)
{
    auto parts = std::make_shared<Parts>();
    auto complete = std::make_shared<bool>(false);
    const bool sent = session.SendCommand(std::move(command), nullptr, [parts, complete](TUserCmdRply *p) {
        parts->push_back(p->Buffer);
        if (!(p->Flags() & (pfFirst | pfMiddle)))
            *complete = true;
    });
    if (!sent)
        return {};
    WaitUntil([complete] { return *complete; }, timeoutMs);
    return *parts;
}

bool DealerClient::waitPush(uint8_t code, uint32_t id, int timeoutMs)
{
    return WaitUntil(
        [&] {
            for (const TPacketBuffer &p : pushed[code])
                if (id == 0 || (p.size() >= 14 && GetU32(&p[hdr::Data]) == id))
                    return true;
            return false;
        },
        timeoutMs);
}

size_t DealerClient::pushCount(uint8_t code) const
{
    auto it = pushed.find(code);
    return it == pushed.end() ? 0 : it->second.size();
}

int ConnectLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

RawClient::RawClient(int port)
{
    fd = ConnectLoopback(port);
    if (fd < 0)
        return;
    connection = std::make_unique<ScriptedServer::Connection>(fd, stopping);
}

RawClient::~RawClient()
{
    if (connection)
        connection->close();
}

void RawClient::sendBytes(const std::vector<uint8_t> &bytes) { connection->sendRaw(bytes); }

void RawClient::sendCommand(uint8_t code, uint16_t packetId, const std::vector<uint8_t> &payload)
{
    TPacketBuffer b = NewPacketBuffer(int(payload.size()));
    b[hdr::Flags] = pfCommand | pfReply;
    PutU16(&b[hdr::PacketId], packetId);
    PutU16(&b[hdr::SessionId], sessionId);
    b[hdr::Code] = code;
    std::copy(payload.begin(), payload.end(), b.begin() + hdr::Data);
    connection->sendPacket(b);
}

std::optional<TPacketBuffer> RawClient::read(int timeoutMs) { return connection->readPacket(timeoutMs); }

std::optional<TPacketBuffer> RawClient::readReply(int timeoutMs)
{
    for (;;) {
        auto p = read(timeoutMs);
        if (!p || !((*p)[hdr::Flags] & pfCommand))
            return p;
    }
}

bool RawClient::closedByServer(int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    uint8_t b[256];
    while (t.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            const ssize_t n = ::recv(fd, b, sizeof b, 0);
            if (n <= 0)
                return true;
        }
    }
    return false;
}

bool RawClient::login(uint32_t account, const QString &password)
{
    TCommandPtr c = NewLoginCommand(cmdLogin, account, password);
    std::vector<uint8_t> payload(c->Buffer.begin() + hdr::Data, c->Buffer.end());
    sendCommand(cmdLogin, 1, payload);
    auto r = readReply();
    if (!r || ErrorOf(*r) != 0)
        return false;
    sessionId = GetU16(&(*r)[hdr::SessionId]);
    sendCommand(cmdLoginConfirm, 2, payload);
    r = readReply();
    return r && ErrorOf(*r) == 0;
}

void DealerTest::SetUp()
{
    EnsureTestApp();
    SetEnglish(true);
    ASSERT_TRUE(dir.isValid());
}

void DealerTest::startDealer(QStringList extra)
{
    dealer = std::make_unique<DealerProcess>(dir.path(), extra);
    ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
}

std::unique_ptr<DealerClient> DealerTest::connect(uint32_t account, const QString &password, const TKeyRecord &key)
{
    auto c = std::make_unique<DealerClient>(dealer->port());
    EXPECT_TRUE(c->login(account, password, key)) << c->status().toStdString();
    return c;
}

uint8_t ErrorOf(const TPacketBuffer &reply) { return reply.size() > hdr::Data ? reply[hdr::Data] : 0xFF; }

std::vector<uint8_t> DataOf(const TPacketBuffer &reply)
{
    return reply.size() > size_t(hdr::ReplyData) ? std::vector<uint8_t>(reply.begin() + hdr::ReplyData, reply.end())
                                                 : std::vector<uint8_t>{};
}
