#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <atomic>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "commands.h"
#include "connectthread.h"
#include "dispatcher.h"
#include "languagetables.h"
#include "scriptedserver.h"
#include "testapp.h"

namespace {

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
    bool idle()
    {
        return WaitUntil([&] { return !thread.Busy() && !thread.Connected() && thread.Mode() == 0; });
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
