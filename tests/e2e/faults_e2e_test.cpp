// The client core against kelvra-dealer when the link breaks: dropped at
// each step of the handshake, in the middle of a split reply and between a
// trade command and its reply, stalled in the middle of a packet, spoilt
// packets. The dealer's test aids put the faults on the wire.

#include <gtest/gtest.h>

#include <memory>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "clientsession.h"
#include "clientstate.h"
#include "dealerharness.h"
#include "e2e_support.h"
#include "keyfile.h"
#include "languagetables.h"
#include "testapp.h"

namespace {

class FaultsAgainstDealer : public DealerTest {
protected:
    void SetUp() override
    {
        DealerTest::SetUp();
        startDealer();
        session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session.Thread().SetPort(dealer->port());
        session.SetAutoReconnect(true);
        QObject::connect(&state, &ClientState::replyHandled, [this](quint8 code, bool last, bool) {
            if (last)
                answered.push_back(code);
        });
    }
    void TearDown() override { session.Shutdown(); }

    void fault(const QStringList &args) { ASSERT_TRUE(dealer->admin(args)) << args.join(' ').toStdString(); }
    bool loggedIn() { return WaitUntil([&] { return session.LoggedIn(); }, 15000); }
    // Logged out, and no attempt running or waiting.
    bool dropped()
    {
        TConnectThread &t = session.Thread();
        const bool idle = WaitUntil(
            [&] { return !session.LoggedIn() && !t.Busy() && !t.RequestPending() && t.Mode() == 0; }, 15000);
        QCoreApplication::sendPostedEvents();  // the status the attempt posted
        return idle;
    }
    // The 30-second reconnection, one tick of it: a login with the saved
    // values and every start-up list again.
    bool reconnected()
    {
        answered.clear();
        session.AutoConnectTick();
        return loggedIn() && WaitUntil([&] { return answered.size() >= 7; });
    }
    QString status() const { return session.PanelText(ClientSession::PanelStatus); }

    ClientSession session;
    ClientState state{session};
    std::vector<uint8_t> answered;
};

} // namespace

TEST_F(FaultsAgainstDealer, DroppedAtEachStepOfTheLogin)
{
    for (const QString step : {"0", "1"}) {  // the 101 reply, the 102 reply
        fault({"drop-after", "1001", step});
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(dropped()) << "step " << step.toStdString();
        EXPECT_EQ(status(), QStringLiteral("Connection Closed Gracefully."));
        EXPECT_TRUE(session.AutoConnectTimerActive());
        ASSERT_TRUE(reconnected()) << status().toStdString();
        EXPECT_EQ(state.Lists().Instruments.Count(), 9);
        session.Disconnect();
        session.SetAutoReconnect(true);
    }
}

TEST_F(FaultsAgainstDealer, DroppedInASplitReplyOrBeforeATradeReply)
{
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(loggedIn());
    // A history of 1000 bars comes in four packets; the link goes after the first.
    int parts = 0, cancelled = 0;
    fault({"drop-after", "1001", "1"});
    ASSERT_TRUE(session.SendCommand(
        NewHistoryBarsCommand(1, 1, 0), [&](TFxEvent *) { ++cancelled; }, [&](TUserCmdRply *) { ++parts; }));
    ASSERT_TRUE(dropped());
    EXPECT_EQ(session.PanelText(ClientSession::PanelConnection), MessageText(33));
    EXPECT_LE(parts, 1);
    EXPECT_EQ(cancelled, 1);  // the waiting window is told
    ASSERT_TRUE(reconnected()) << status().toStdString();

    // A market order carried out by the dealer whose reply never comes.
    const TUserCurrency *eurusd = state.Lists().Instruments.FindRecord(1);
    ASSERT_NE(eurusd, nullptr);
    qint32 ask = eurusd->Ask, bid = eurusd->Bid;
    DealingPrices(ask, bid, 1, TSpreadTable(state.Lists().SysVars.SpreadTable.data(), 9), eurusd->Kind);
    fault({"drop-after", "1001", "0"});
    cancelled = 0;
    ASSERT_TRUE(
        session.SendCommand(e2e::placeCommand(1, 1, 1, ask), [&](TFxEvent *) { ++cancelled; }, nullptr));
    ASSERT_TRUE(dropped());
    EXPECT_EQ(cancelled, 1);  // a trade dialog unlocks with its cancel action
    EXPECT_EQ(state.Lists().Positions.Count(), 0);
    ASSERT_TRUE(reconnected()) << status().toStdString();
    // After the relogin the list is whole: the position the dealer opened is there.
    EXPECT_TRUE(WaitUntil([&] { return state.Lists().Positions.Count() == 1; }));
}

TEST_F(FaultsAgainstDealer, DroppedInASplitListReply)
{
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(loggedIn() && WaitUntil([&] { return answered.size() >= 7; }));
    // More deleted orders than one packet of the order history holds: the
    // dealer keeps 50 pending orders, so they come and go in rounds.
    const TUserCurrency *eurusd = state.Lists().Instruments.FindRecord(1);
    ASSERT_NE(eurusd, nullptr);
    const int rounds = 5, perRound = 45;
    int done = 0;
    const auto succeeded = [&](TUserCmdRply *p) {
        done += p->Buffer.size() > size_t(hdr::Data) && p->Buffer[hdr::Data] == 0;
    };
    for (int round = 0; round < rounds; ++round) {
        done = 0;
        for (int k = 0; k < perRound; ++k)
            ASSERT_TRUE(session.SendCommand(e2e::placeCommand(1, 2, 1, eurusd->Ask - 300 - k), nullptr, succeeded));
        ASSERT_TRUE(WaitUntil([&] { return done == perRound && state.Lists().Orders.Count() == perRound; }, 30000))
            << done << " placed, " << state.Lists().Orders.Count() << " listed";
        done = 0;
        for (int k = 0; k < perRound; ++k)
            ASSERT_TRUE(session.SendCommand(NewCommandU32(cmdDeleteOrder, state.Lists().Orders.Item(k)->Id), nullptr,
                                            succeeded));
        ASSERT_TRUE(WaitUntil([&] { return done == perRound && state.Lists().Orders.Count() == 0; }, 30000));
    }
    const int history = rounds * perRound;
    ASSERT_TRUE(WaitUntil([&] {
        state.RequestOrderHistory();
        return WaitUntil([&] { return state.Lists().OrderHistory.Count() == history; }, 2000);
    }));

    // The history is asked again and the link goes after its first packet
    // (which the client may or may not handle before it sees the drop).
    int firstParts = 0;
    QObject::connect(&state, &ClientState::replyHandled, [&](quint8 code, bool last, bool) {
        firstParts += code == cmdGetOrderHistory && !last;
    });
    fault({"drop-after", "1001", "1"});
    state.RequestOrderHistory();
    ASSERT_TRUE(dropped());
    EXPECT_LE(firstParts, 1);
    EXPECT_LE(state.Lists().OrderHistory.Count(), history);
    ASSERT_TRUE(reconnected()) << status().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return state.Lists().OrderHistory.Count() == history; }));
}

TEST_F(FaultsAgainstDealer, ASpoiltPacketOrAStallEndsTheSessionWithAReason)
{
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(loggedIn());
    fault({"corrupt", "1001"});
    state.RequestAccount();
    ASSERT_TRUE(dropped());
    EXPECT_EQ(status(), MessageText(25));
    ASSERT_TRUE(reconnected()) << status().toStdString();

    // Half a packet, then nothing for longer than a read may wait.
    fault({"stall", "1001", "12"});
    state.RequestAccount();
    ASSERT_TRUE(WaitUntil([&] { return !session.LoggedIn(); }, 20000));
    EXPECT_EQ(status(), QStringLiteral("Read timed out."));
    ASSERT_TRUE(reconnected()) << status().toStdString();
}

TEST_F(FaultsAgainstDealer, ClosedDuringTheEncryptedHandshake)
{
    const TKeyRecord key = LoadKeyFile(dir.filePath("1002.prk"));
    fault({"drop-after", "1002", "1"});  // after the 101 reply, in place of the 102 reply
    session.Login(1002, QStringLiteral("demo"), key);
    ASSERT_TRUE(dropped());
    EXPECT_EQ(status(), QStringLiteral("Connection Closed Gracefully."));
    EXPECT_FALSE(session.Thread().Encrypted());
    ASSERT_TRUE(reconnected()) << status().toStdString();
    EXPECT_TRUE(session.Thread().Encrypted());
}
