#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "clientsession.h"
#include "commands.h"
#include "languagetables.h"
#include "packetreader.h"
#include "scriptedserver.h"
#include "testapp.h"

namespace {

// The application object and the language must exist before the session.
struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { session.Thread().SetServerList(QStringLiteral("127.0.0.1")); }
    void loginTo(const ScriptedServer &server)
    {
        session.Thread().SetPort(server.port());
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
    }
    EnglishApp app;
    ClientSession session;
};

// A dealer that logs in, answers every command with an echo of its code and
// pushes whatever the test queued.
void EchoDealer(ScriptedServer::Connection &c)
{
    if (!ScriptedServer::acceptLogin(c))
        return;
    while (auto command = c.readPacket(10000)) {
        const uint8_t code = (*command)[hdr::Code];
        if (code == cmdGetAccount) {
            // Too short for what its handler reads.
            c.send(cmdServerTime, 0, {1, 2}, pfCommand | pfNoReply);
            c.send(cmdServerTime, 0, {60, 0, 0, 0}, pfCommand | pfNoReply);
        }
        if (((*command)[hdr::Flags] & pfNoReply) == 0)
            c.sendReply(*command, 0, {code});
    }
}

} // namespace

TEST_F(SessionTest, SendCommandWithoutConnectionFreesIt)
{
    EXPECT_FALSE(session.LoggedIn());
    EXPECT_EQ(session.PanelText(ClientSession::PanelConnection), QStringLiteral("Disconnect"));
    bool replied = false;
    EXPECT_FALSE(session.SendCommand(NewCommand(cmdGetOrders, 0), nullptr, [&](TUserCmdRply *) { replied = true; }));
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), QStringLiteral("No connect"));
    EXPECT_EQ(session.Dispatcher().OutgoingCount(), 0u);
    EXPECT_EQ(session.Dispatcher().EventCount(), 0u);
}

TEST(RateText, UnitsAndThresholds)
{
    SetEnglish(true);
    EXPECT_EQ(ClientSession::RateText(0.05), QStringLiteral("Connect "));
    EXPECT_EQ(ClientSession::RateText(0.1), QStringLiteral("Connect (0.1b)"));
    EXPECT_EQ(ClientSession::RateText(100), QStringLiteral("Connect (100.0b)"));
    EXPECT_EQ(ClientSession::RateText(1500), QStringLiteral("Connect (1.5Kb)"));
    EXPECT_EQ(ClientSession::RateText(100000), QStringLiteral("Connect (100.0Kb)"));
    EXPECT_EQ(ClientSession::RateText(2500000), QStringLiteral("Connect (2.5Mb)"));
}

TEST_F(SessionTest, RepliesAndPushesReachTheirHandlers)
{
    ScriptedServer server(EchoDealer);
    loginTo(server);
    EXPECT_EQ(session.PanelText(ClientSession::PanelConnection), QStringLiteral("Connect"));

    uint8_t echoed = 0;
    EXPECT_TRUE(session.SendCommand(NewCommand(cmdGetOrders, 0), nullptr, [&](TUserCmdRply *p) {
        echoed = PacketReader(*p).u8();
    }));
    EXPECT_EQ(session.Dispatcher().EventCount(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return echoed != 0; }));
    EXPECT_EQ(echoed, cmdGetOrders);
    EXPECT_EQ(session.Dispatcher().EventCount(), 0u);
    EXPECT_TRUE(session.PanelText(ClientSession::PanelConnection).startsWith(QStringLiteral("Connect (")));

    // A no-reply command registers nothing.
    EXPECT_TRUE(session.SendCommand(NewCommandU32(cmdMailRead, 5, true), nullptr, nullptr));
    EXPECT_EQ(session.Dispatcher().EventCount(), 0u);
}

TEST_F(SessionTest, ShortPayloadIsDroppedAndPumpingGoesOn)
{
    ScriptedServer server(EchoDealer);
    loginTo(server);
    QSignalSpy failures(&session, &ClientSession::handlerFailed);
    std::vector<uint32_t> times;
    session.Dispatcher().AddCommandEvent(cmdServerTime, nullptr, [&](TUserCmdRply *p) {
        times.push_back(PacketReader(*p).u32());
    });
    ASSERT_TRUE(session.SendCommand(NewCommand(cmdGetAccount, 0), nullptr, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return times.size() == 1 && failures.size() == 1; }));
    EXPECT_EQ(times[0], 60u);
    EXPECT_EQ(failures.at(0).at(0).toString(), QStringLiteral("Not valid packet is recieved"));
    EXPECT_TRUE(session.LoggedIn());
}

TEST_F(SessionTest, LateDisconnectOfAnOldConnectionIsIgnored)
{
    ScriptedServer server(EchoDealer);
    loginTo(server);
    const quint64 current = session.Thread().CurrentConnection();
    QCoreApplication::postEvent(&session, new TThreadEvent(WM_DISCONNECTED, current - 1));
    QCoreApplication::sendPostedEvents(&session);
    EXPECT_TRUE(session.LoggedIn());

    // The current connection's own notice does end it.
    QSignalSpy ended(&session, &ClientSession::sessionEnded);
    session.Disconnect();
    EXPECT_FALSE(session.LoggedIn());
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(session.PanelText(ClientSession::PanelConnection), QStringLiteral("Disconnect"));
}

TEST_F(SessionTest, ReloginWhileConnectedEndsLoggedIn)
{
    ScriptedServer server(EchoDealer);
    loginTo(server);
    QSignalSpy started(&session, &ClientSession::sessionStarted);
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    EXPECT_FALSE(session.LoggedIn());
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn() && started.size() == 1; }));
    // The old connection's close must not end the new one.
    ASSERT_TRUE(WaitUntil([&] { return server.connections() == 2; }));
    const quint64 turns = session.Thread().LoopTurns();
    ASSERT_TRUE(WaitUntil([&] { return session.Thread().LoopTurns() > turns + 20; }));
    EXPECT_TRUE(session.LoggedIn());
}

// A server whose pushes all fail their handler: one error box at a time
// (further faults go to the status panel with a count), and after a hundred
// faults within a minute the connection is dropped.
TEST_F(SessionTest, AFaultyServerGetsOneBoxAndThenLosesTheConnection)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (!ScriptedServer::acceptLogin(c))
            return;
        if (!c.readPacket(10000))  // the test is ready
            return;
        // A few while the first box is open, then a flood.
        for (int k = 0; k < 20; ++k)
            c.send(cmdServerTime, 0, {1}, pfCommand | pfNoReply);
        QThread::msleep(600);
        for (int k = 0; k < 3000; ++k)
            c.send(cmdServerTime, 0, {1}, pfCommand | pfNoReply);
        while (c.readPacket(500)) {
        }
    });
    loginTo(server);
    session.Dispatcher().AddCommandEvent(cmdServerTime, nullptr, [](TUserCmdRply *p) { PacketReader(*p).u32(); });
    int depth = 0, deepest = 0, boxes = 0;
    QObject::connect(&session, &ClientSession::handlerFailed, [&](const QString &) {
        // A modal box: its own event loop runs while it is open.
        ++boxes;
        deepest = std::max(deepest, ++depth);
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        --depth;
    });
    QStringList statuses;
    QObject::connect(&session, &ClientSession::panelChanged, [&](int panel, const QString &text) {
        if (panel == ClientSession::PanelStatus)
            statuses << text;
    });
    ASSERT_TRUE(session.SendCommand(NewCommand(cmdGetAccount, 0, true), nullptr, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return !session.LoggedIn(); }, 20000));
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus),
              QStringLiteral("Too many faulty packets from the server: the connection was dropped"));
    EXPECT_TRUE(WaitUntil([&] { return boxes >= 1 && depth == 0; }));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Not valid packet is recieved (19 more errors)"))) << statuses.size();
    EXPECT_TRUE(session.AutoConnectTimerActive());  // the usual reconnection follows
}

// A server that answers the login a byte at a time, slower than any single
// read waits, cannot hold the handshake beyond its limit.
TEST_F(SessionTest, ATricklingServerCannotHoldTheHandshake)
{
    std::atomic<bool> done{false};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        if (!c.readPacket())
            return;
        const TPacketBuffer reply = NewPacketBuffer(1);
        for (size_t k = 0; !done && k < reply.size(); ++k) {
            c.sendRaw({reply[k]});
            QThread::msleep(300);
        }
        while (!done)
            QThread::msleep(20);
    });
    session.Thread().SetHandshakeLimit(1000);
    session.Thread().SetPort(server.port());
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    EXPECT_TRUE(WaitUntil([&] { return session.PanelText(ClientSession::PanelStatus) == "Read timed out."; }, 8000));
    EXPECT_FALSE(session.LoggedIn());
    done = true;
}
