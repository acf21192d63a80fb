#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <atomic>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "commands.h"
#include "connectthread.h"
#include "dispatcher.h"
#include "languagetables.h"
#include "scriptedserver.h"
#include "testapp.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A one-way signal between a test and a server script or a lookup.
class Latch {
public:
    void open()
    {
        {
            std::lock_guard lock(m);
            isOpen = true;
        }
        cv.notify_all();
    }
    bool wait(std::chrono::milliseconds limit = 20s)
    {
        std::unique_lock lock(m);
        return cv.wait_for(lock, limit, [&] { return isOpen; });
    }

private:
    std::mutex m;
    std::condition_variable cv;
    bool isOpen = false;
};

TcpAddress LoopbackAddress(int port)
{
    TcpAddress a;
    auto &in = reinterpret_cast<sockaddr_in &>(a.address);
    a.family = in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    in.sin_port = htons(uint16_t(port));
    a.length = sizeof in;
    return a;
}

// A name lookup that answers (with the port given) only when let.
struct HeldLookup {
    std::atomic<int> callers{0};
    Latch answer;
};

TcpClient::Resolver HeldResolver(std::shared_ptr<HeldLookup> lookup, int port)
{
    return [lookup, port](const std::string &, int) {
        ++lookup->callers;
        lookup->answer.wait(60s);
        return std::vector<TcpAddress>{LoopbackAddress(port)};
    };
}

// An address that never answers: a listener (backlog 0) whose accept queue
// is full and never drained drops every further SYN.
struct BlackHole {
    BlackHole()
    {
        const TcpAddress any = LoopbackAddress(0);
        ::bind(listener, reinterpret_cast<const sockaddr *>(&any.address), any.length);
        ::listen(listener, 0);
        sockaddr_in bound{};
        socklen_t len = sizeof bound;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&bound), &len);
        port = ntohs(bound.sin_port);
        const TcpAddress self = LoopbackAddress(port);
        ::connect(filler, reinterpret_cast<const sockaddr *>(&self.address), self.length);
    }
    ~BlackHole()
    {
        ::close(filler);
        ::close(listener);
    }
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
};

// Collects the connection thread's notifications on the main thread.
class Recorder : public QObject {
public:
    explicit Recorder(TConnectThread &t) : thread(t) {}
    bool event(QEvent *e) override
    {
        const int type = int(e->type());
        if (type == WM_CONNECTED || type == WM_DISCONNECTED || type == WM_STATUS || type == WM_REGISTRATION) {
            messages.push_back(type);
            if (type == WM_STATUS)
                statuses.push_back(static_cast<TThreadEvent *>(e)->Text);
            return true;
        }
        return QObject::event(e);
    }
    int count(int message) const { return int(std::count(messages.begin(), messages.end(), message)); }
    int countStatus(const QString &text) const { return int(std::count(statuses.begin(), statuses.end(), text)); }
    bool sawStatus(const QString &text) const
    {
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }

    TConnectThread &thread;
    std::vector<int> messages;
    std::vector<QString> statuses;
};

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        SetEnglish(true);
        thread.SetReceiver(&recorder);
        thread.SetDispatcher(&dispatcher);
        thread.SetServerList(QStringLiteral("127.0.0.1"));
    }
    void TearDown() override
    {
        thread.SetReceiver(nullptr);
        thread.Terminate();
    }
    void login(int port, uint32_t account = 1001, const QString &password = QStringLiteral("demo"))
    {
        thread.SetPort(port);
        thread.StartLogin(account, password, TKeyRecord{});
    }
    // The attempt is over and every notice it posted has been seen.
    bool idle()
    {
        const bool ended = WaitUntil([&] { return !thread.Busy() && !thread.Connected() && thread.Mode() == 0; });
        QCoreApplication::sendPostedEvents();
        return ended;
    }

    TDispCmdRply dispatcher;
    TConnectThread thread;
    Recorder recorder{thread};
};

} // namespace

TEST(ServerRotation, WalksTheListAndKeepsBlanks)
{
    TConnectThread t;
    t.SetServerList(QStringLiteral("alpha, beta,gamma"));
    EXPECT_EQ(t.CurrentServer(), QStringLiteral("alpha"));
    t.SetServerIndex(1);
    EXPECT_EQ(t.CurrentServer(), QStringLiteral(" beta"));
    t.SetServerIndex(2);
    EXPECT_EQ(t.CurrentServer(), QStringLiteral("gamma"));
    EXPECT_EQ(t.ServerIndex(), -1);
    // The last server worked: a new attempt stays with it.
    EXPECT_EQ(t.CurrentServer(), QStringLiteral("gamma"));
    t.SetServerIndex(7);
    EXPECT_EQ(t.CurrentServer(), QStringLiteral("gamma"));

    t.SetServerList(QStringLiteral("single"));
    t.SetServerIndex(3);
    EXPECT_EQ(t.CurrentServer(), QStringLiteral("single"));
}

TEST(PacketIds, StartAtOneAndNeverZero)
{
    TConnectThread t;
    EXPECT_EQ(t.NextPacketId(), 1);
    for (int i = 2; i <= 65535; ++i)
        ASSERT_NE(t.NextPacketId(), 0);
    EXPECT_EQ(t.NextPacketId(), 1);  // the 65536th
}

TEST_F(ConnectionTest, LoginSucceedsAndCommandsFlow)
{
    std::atomic<uint16_t> loginId{0}, confirmId{0}, confirmSession{0}, commandId{0};
    std::atomic<uint32_t> account{0};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto login = c.readPacket();
        if (!login)
            return;
        loginId = GetU16(&(*login)[hdr::PacketId]);
        account = GetU32(&(*login)[hdr::Data]);
        c.sendReply(*login, 0, {}, 0x1234);
        auto confirm = c.readPacket();
        if (!confirm)
            return;
        confirmId = GetU16(&(*confirm)[hdr::PacketId]);
        confirmSession = GetU16(&(*confirm)[hdr::SessionId]);
        c.sendReply(*confirm, 0);
        auto command = c.readPacket();
        if (!command)
            return;
        commandId = GetU16(&(*command)[hdr::PacketId]);
        c.sendReply(*command, 0, {1, 2, 3, 4, 5, 6, 7, 8});
        c.readPacket(10000);  // hold the connection until the client goes
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
    EXPECT_TRUE(thread.Connected());
    EXPECT_FALSE(thread.Encrypted());
    EXPECT_EQ(loginId.load(), 1);
    EXPECT_EQ(confirmId.load(), 2);
    EXPECT_EQ(confirmSession.load(), 0x1234);
    EXPECT_EQ(account.load(), 1001u);

    TCommandPtr c = NewCommand(cmdGetAccount, 0);
    c->SetId(thread.NextPacketId());
    dispatcher.PushOutgoing(std::move(c));
    ASSERT_TRUE(WaitUntil([&] { return dispatcher.ReceivedCount() == 1; }));
    EXPECT_EQ(commandId.load(), 3);
    TPacketPtr reply = dispatcher.PopReceived();
    EXPECT_EQ(reply->Code, cmdGetAccount);
    EXPECT_EQ(reply->Id, 3);
    EXPECT_EQ(reply->Size, 19u);

    thread.Stop();
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.count(WM_DISCONNECTED), 1);
}

TEST_F(ConnectionTest, WrongPasswordShowsTheServerError)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (auto login = c.readPacket())
            c.sendReply(*login, 1);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.sawStatus(QStringLiteral("Incorrect login name or password")); }));
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);
}

TEST_F(ConnectionTest, AnyCodeIsTakenAsTheLoginReply)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        auto login = c.readPacket();
        if (!login)
            return;
        TPacketBuffer odd = *login;
        odd[hdr::Code] = 77;
        c.sendReply(odd, 0);
        if (auto confirm = c.readPacket())
            c.sendReply(*confirm, 0);
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
}

TEST_F(ConnectionTest, UnreachableServersRotate)
{
    const int port = UnusedPort();
    thread.SetServerList(QStringLiteral("127.0.0.1,127.0.0.2,127.0.0.3"));
    thread.SetPort(port);
    const QStringList expected{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.1", "127.0.0.2"};
    for (int i = 0; i < expected.size(); ++i) {
        thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
        const QString text = QStringLiteral("Can't connect to %1:%2 server").arg(expected[i]).arg(port);
        ASSERT_TRUE(WaitUntil([&] { return recorder.sawStatus(text); })) << i;
        ASSERT_TRUE(idle());
    }
    EXPECT_TRUE(recorder.sawStatus(QStringLiteral("Trying connect to 127.0.0.3:%1 server...").arg(port)));
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);
}

TEST_F(ConnectionTest, APortBeyondTcpFailsInsteadOfWrapping)
{
    ScriptedServer server([](ScriptedServer::Connection &c) { ScriptedServer::acceptLogin(c); });
    // Taken modulo 65536 this would be the listening port.
    const int port = server.port() + 65536;
    thread.SetServerList(QStringLiteral("127.0.0.1"));
    thread.SetPort(port);
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil(
        [&] { return recorder.sawStatus(QStringLiteral("Can't connect to 127.0.0.1:%1 server").arg(port)); }));
    ASSERT_TRUE(idle());
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(ConnectionTest, InvalidHeaderDisconnects)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (!ScriptedServer::acceptLogin(c))
            return;
        c.sendRaw({0x01, 0x10, 0x00, 0x00, 0x05});
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.sawStatus(QStringLiteral("Not valid packet is recieved")); }));
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_DISCONNECTED) == 1; }));
    ASSERT_TRUE(idle());
}

TEST_F(ConnectionTest, PeerClosingPostsDisconnected)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (ScriptedServer::acceptLogin(c))
            c.send(cmdServerTime, 0, {1, 0, 0, 0}, pfCommand | pfNoReply);
        c.close();
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_DISCONNECTED) == 1; }));
    ASSERT_TRUE(idle());
    // The packet that came before the close was still delivered.
    EXPECT_EQ(dispatcher.ReceivedCount(), 1u);
}

TEST_F(ConnectionTest, PartialPacketsWaitForTheirRest)
{
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        if (!ScriptedServer::acceptLogin(c))
            return;
        TPacketBuffer push = NewPacketBuffer(4);
        push[hdr::Flags] = pfCommand | pfNoReply;
        push[hdr::Code] = cmdServerTime;
        Scramble(push);
        c.sendRaw({push.begin(), push.begin() + 3});
        {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
        }
        c.sendRaw({push.begin() + 3, push.end()});
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
    // Let the connected loop run some turns over the three buffered bytes.
    const quint64 turns = thread.LoopTurns();
    ASSERT_TRUE(WaitUntil([&] { return thread.LoopTurns() > turns + 5; }));
    EXPECT_EQ(dispatcher.ReceivedCount(), 0u);
    EXPECT_TRUE(thread.Connected());
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitUntil([&] { return dispatcher.ReceivedCount() == 1; }));
    EXPECT_EQ(dispatcher.PopReceived()->Code, cmdServerTime);
}

TEST_F(ConnectionTest, StartLoginWhileBusyChangesNothing)
{
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<uint32_t> seenAccount{0};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto login = c.readPacket();
        if (!login)
            return;
        seenAccount = GetU32(&(*login)[hdr::Data]);
        {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
        }
        c.sendReply(*login, 0);
        if (auto confirm = c.readPacket())
            c.sendReply(*confirm, 0);
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return seenAccount.load() != 0; }));
    EXPECT_TRUE(thread.Busy());
    thread.StartLogin(2002, QStringLiteral("other"), TKeyRecord{});
    EXPECT_FALSE(thread.RequestPending());
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
    EXPECT_EQ(seenAccount.load(), 1001u);
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(ConnectionTest, NewLoginWhileConnectedSurvivesTheReset)
{
    std::atomic<int> logins{0};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        if (ScriptedServer::acceptLogin(c))
            ++logins;
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
    thread.Stop();
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 2 && logins.load() == 2; }));
    EXPECT_TRUE(thread.Connected());
}

TEST_F(ConnectionTest, EncryptedServerWithoutKeyNeedsAKeyFile)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (auto login = c.readPacket())
            c.send(cmdLogin, 1, {0}, pfReply | pfRsa);
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return recorder.sawStatus(MessageText(18)); }));
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);
}

TEST_F(ConnectionTest, TerminateEndsABlockedRead)
{
    std::atomic<bool> gotLogin{false};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        if (c.readPacket())
            gotLogin = true;
        c.readPacket(20000);  // never answers
    });
    login(server.port());
    ASSERT_TRUE(WaitUntil([&] { return gotLogin.load(); }));
    ASSERT_TRUE(thread.Busy());
    thread.Terminate();
    EXPECT_TRUE(thread.isFinished());
}

// ---- name lookup and connect time ------------------------------------------

TEST_F(ConnectionTest, AHangingLookupCountsAgainstTheConnectTimeAndEndsAtStopOrTerminate)
{
    auto lookup = std::make_shared<HeldLookup>();
    const int port = UnusedPort();
    thread.SetResolver(HeldResolver(lookup, port));
    thread.SetConnectTimeout(300);
    thread.SetPort(port);
    const QString failed = QStringLiteral("Can't connect to 127.0.0.1:%1 server").arg(port);

    // The lookup never answers: the attempt fails once the time is up.
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return recorder.sawStatus(failed); }));
    ASSERT_TRUE(idle());

    // A Stop abandons a lookup at once; it is no failure of the server.
    thread.SetConnectTimeout(60000);
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return lookup->callers.load() == 2; }));
    thread.Stop();
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.countStatus(failed), 1);
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);

    // So does Terminate (program exit).
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return lookup->callers.load() == 3; }));
    const auto before = Clock::now();
    thread.Terminate();
    EXPECT_TRUE(thread.isFinished());
    EXPECT_LT(Clock::now() - before, 5s);
    // The abandoned lookups end late and clean up after themselves.
    lookup->answer.open();
}

TEST(TcpConnect, ADeadFirstAddressDoesNotHoldUpTheNextOne)
{
    EnsureTestApp();
    BlackHole hole;
    ScriptedServer live([](ScriptedServer::Connection &) {});
    TcpClient tcp;
    tcp.setHost(QStringLiteral("dealer.test"));
    tcp.setPort(2222);
    // Alone, the black hole never answers: the connect runs out of time.
    tcp.setResolver([port = hole.port](const std::string &, int) { return std::vector{LoopbackAddress(port)}; });
    try {
        tcp.connectTo(400);
        ADD_FAILURE() << "connected to the black hole";
    } catch (const TcpClient::Error &e) {
        EXPECT_STREQ(e.what(), "Connect timed out");
    }
    // Before a live server, it only delays that one by a short stagger.
    tcp.setResolver([dead = hole.port, alive = live.port()](const std::string &, int) {
        return std::vector{LoopbackAddress(dead), LoopbackAddress(alive)};
    });
    const auto before = Clock::now();
    tcp.connectTo(6000);
    EXPECT_LT(Clock::now() - before, 3s);
    EXPECT_TRUE(WaitUntil([&] { return live.connections() == 1; }));
}

TEST(TcpConnectDeathTest, TheProgramEndsWhileALookupHangs)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Never answered: its thread is still in it when the program ends.
            auto lookup = std::make_shared<HeldLookup>();
            TcpClient tcp;
            tcp.setPort(2222);
            tcp.setResolver(HeldResolver(lookup, 2222));
            EXPECT_THROW(tcp.connectTo(100), TcpClient::Error);
            std::exit(lookup->callers.load() == 1 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---- Stop during an attempt ------------------------------------------------

TEST_F(ConnectionTest, StopDuringTheLoginHandshakeEndsTheAttemptDisconnected)
{
    Latch loginSeen, release;
    std::atomic<int> logins{0};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto login = c.readPacket();
        if (!login)
            return;
        ++logins;
        loginSeen.open();
        release.wait();
        c.sendReply(*login, 0);
        if (auto confirm = c.readPacket(2000))
            c.sendReply(*confirm, 0);
        c.readPacket(2000);
    });
    login(server.port());
    ASSERT_TRUE(loginSeen.wait());
    ASSERT_TRUE(thread.Busy());
    thread.Stop();
    // A start that would follow the stopped attempt goes with a second Stop.
    thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
    thread.Stop();
    EXPECT_FALSE(thread.RequestPending());
    release.open();
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);
    EXPECT_FALSE(recorder.sawStatus(QStringLiteral("Interrupted")));
    EXPECT_EQ(logins.load(), 1);
}

TEST_F(ConnectionTest, AStartAfterAStopDuringAnAttemptRunsWhenTheAttemptEnds)
{
    std::atomic<int> logins{0};
    std::atomic<uint32_t> lastAccount{0};
    Latch firstSeen;
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto login = c.readPacket();
        if (!login)
            return;
        lastAccount = GetU32(&(*login)[hdr::Data]);
        if (++logins == 1) {
            firstSeen.open();
            c.readPacket(20000);  // no answer while the client stays
            return;
        }
        c.sendReply(*login, 0);
        if (auto confirm = c.readPacket())
            c.sendReply(*confirm, 0);
        c.readPacket(10000);
    });
    login(server.port());
    ASSERT_TRUE(firstSeen.wait());
    // What Login does: the disconnected handling (a Stop), then the start.
    thread.Stop();
    thread.StartLogin(2002, QStringLiteral("other"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return recorder.count(WM_CONNECTED) == 1; }));
    EXPECT_TRUE(thread.Connected());
    EXPECT_EQ(logins.load(), 2);
    EXPECT_EQ(lastAccount.load(), 2002u);
}

TEST_F(ConnectionTest, AStopDuringARegistrationKeepsTheNewAccount)
{
    Latch requestSeen, release;
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto request = c.readPacket();
        if (!request)
            return;
        requestSeen.open();
        release.wait();
        c.sendReply(*request, 0, {0x39, 0x30, 0, 0, 2, 'p', 'w'});
        c.readPacket(2000);
    });
    thread.SetPort(server.port());
    thread.StartRegistration(QStringLiteral("Ann"), QStringLiteral("a@b.c"), 100, 0);
    ASSERT_TRUE(requestSeen.wait());
    thread.Stop();
    release.open();
    ASSERT_TRUE(idle());
    EXPECT_EQ(recorder.count(WM_REGISTRATION), 1);
    EXPECT_EQ(thread.RegAccount(), 12345u);
    EXPECT_EQ(thread.RegPassword(), QStringLiteral("pw"));
    EXPECT_EQ(recorder.count(WM_CONNECTED), 0);
}

// ---- handshake answers -----------------------------------------------------

TEST_F(ConnectionTest, AHandshakeAnswerThatIsNotAReplyIsInvalid)
{
    // The packet with flags bit 0 (a command or push) answers: 0 the login
    // command, 1 its confirmation, 2 a registration.
    for (int step : {0, 1, 2}) {
        ScriptedServer server([step](ScriptedServer::Connection &c) {
            auto command = c.readPacket();
            if (!command)
                return;
            if (step == 1) {
                c.sendReply(*command, 0);
                if (!(command = c.readPacket()))
                    return;
            }
            std::vector<uint8_t> payload{0, 0x39, 0x30, 0, 0, 0};
            c.send((*command)[hdr::Code], GetU16(&(*command)[hdr::PacketId]), payload, pfCommand | pfReply);
            if (auto next = c.readPacket(2000))
                c.sendReply(*next, 0);
            c.readPacket(2000);
        });
        recorder.messages.clear();
        recorder.statuses.clear();
        thread.SetPort(server.port());
        if (step == 2)
            thread.StartRegistration(QStringLiteral("Ann"), QStringLiteral("a@b.c"), 100, 0);
        else
            thread.StartLogin(1001, QStringLiteral("demo"), TKeyRecord{});
        EXPECT_TRUE(WaitUntil([&] { return recorder.sawStatus(QStringLiteral("Not valid packet is recieved")); }))
            << "step " << step;
        ASSERT_TRUE(idle());
        EXPECT_EQ(recorder.count(WM_CONNECTED), 0) << "step " << step;
        EXPECT_EQ(recorder.count(WM_REGISTRATION), 0) << "step " << step;
    }
}
