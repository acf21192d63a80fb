#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QString>
#include <QStringList>

#include "clientsession.h"
#include "commands.h"
#include "scriptedserver.h"

// The real kelvra-dealer binary on a free port with its own data directory.
class DealerProcess {
public:
    explicit DealerProcess(QString dataDir, QStringList extra = {});
    ~DealerProcess();
    // Starts it and reads the port from its first line.
    bool start();
    // SIGTERM, then waits for a clean exit.
    bool stop();
    // `kelvra-dealer admin --data DIR args...`; true on exit status 0.
    bool admin(const QStringList &args, QString *out = nullptr);
    int port() const { return listenPort; }
    // Waits for the process to end by itself; its exit code, -1 when it did not.
    int exitCode(int timeoutMs = 15000);
    // What it printed after the first line (and on stderr) so far.
    QString output();
    QString firstLine;

private:
    QString dir;
    QStringList arguments;
    std::unique_ptr<QProcess> process;
    int listenPort = 0;
};

// A reply as received: the packet bytes of every part.
using Parts = std::vector<TPacketBuffer>;

// The client core logged in to the dealer, recording every push.
class DealerClient {
public:
    explicit DealerClient(int port);
    ~DealerClient();
    // Logs in and waits for the session; false (with the status text) otherwise.
    bool login(uint32_t account, const QString &password, const TKeyRecord &key = {});
    bool registerAccount(const QString &name, const QString &email, uint32_t deposit, uint32_t &account,
                         QString &password);
    // Sends the command and waits for every part of its reply.
    Parts request(TCommandPtr command, int timeoutMs = 10000);
    // Waits until a push of that code (and id, when given) has arrived.
    bool waitPush(uint8_t code, uint32_t id = 0, int timeoutMs = 10000);
    size_t pushCount(uint8_t code) const;
    QString status() const { return session.PanelText(ClientSession::PanelStatus); }

    ClientSession session;
    std::map<uint8_t, std::vector<TPacketBuffer>> pushed;

private:
    void listen();
};

// A bare socket speaking the frame by hand.
class RawClient {
public:
    explicit RawClient(int port);
    ~RawClient();
    bool connected() const { return fd >= 0; }
    void sendBytes(const std::vector<uint8_t> &bytes);
    // A client command: flags 0x05, scrambled.
    void sendCommand(uint8_t code, uint16_t packetId, const std::vector<uint8_t> &payload);
    std::optional<TPacketBuffer> read(int timeoutMs = 5000);
    // The next packet that is not a push.
    std::optional<TPacketBuffer> readReply(int timeoutMs = 5000);
    // True when the server has closed the connection (within the time).
    bool closedByServer(int timeoutMs = 5000);
    bool login(uint32_t account, const QString &password);
    // Copied into every command; set by a successful first login step.
    uint16_t sessionId = 0;

private:
    int fd = -1;
    std::atomic<bool> stopping{false};
    std::unique_ptr<ScriptedServer::Connection> connection;
};

// A plain TCP connection to 127.0.0.1:port; -1 when refused.
int ConnectLoopback(int port);

uint8_t ErrorOf(const TPacketBuffer &reply);
// The data after the error byte.
std::vector<uint8_t> DataOf(const TPacketBuffer &reply);

// A test with a fresh data directory for the real server.
class DealerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void startDealer(QStringList extra = {"--ticks-per-second", "0"});
    std::unique_ptr<DealerClient> connect(uint32_t account = 1001, const QString &password = "demo",
                                          const TKeyRecord &key = {});

    QTemporaryDir dir;
    std::unique_ptr<DealerProcess> dealer;
};
