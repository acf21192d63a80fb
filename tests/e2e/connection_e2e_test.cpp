// Login attempts against kelvra-dealer that the client stops while the
// dealer's answer is still on its way (held back in the relay).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "clientsession.h"
#include "dealerharness.h"
#include "languagetables.h"
#include "testapp.h"
#include "wiretap.h"

namespace {

class ConnectionAgainstDealer : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        SetEnglish(true);
        ASSERT_TRUE(dir.isValid());
        dealer = std::make_unique<DealerProcess>(dir.path(), QStringList{"--ticks-per-second", "0"});
        ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
        tap = std::make_unique<WireTap>(dealer->port());
        session = std::make_unique<ClientSession>();
        session->Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session->Thread().SetPort(tap->port());
        QObject::connect(session.get(), &ClientSession::sessionStarted, [this] { ++started; });
    }
    void TearDown() override { session.reset(); }

    int sent(uint8_t code) const
    {
        const std::vector<uint8_t> codes = tap->sentCodes();
        return int(std::count(codes.begin(), codes.end(), code));
    }
    // No attempt runs or waits, and what the last one posted has been handled.
    bool settled()
    {
        TConnectThread &t = session->Thread();
        const bool idle = WaitUntil(
            [&] { return !t.Busy() && !t.RequestPending() && (t.Connected() || t.Mode() == 0); }, 15000);
        QCoreApplication::sendPostedEvents();
        return idle;
    }
    std::string status() const { return session->PanelText(ClientSession::PanelStatus).toStdString(); }

    QTemporaryDir dir;
    std::unique_ptr<DealerProcess> dealer;
    std::unique_ptr<WireTap> tap;
    std::unique_ptr<ClientSession> session;
    int started = 0;
};

} // namespace

TEST_F(ConnectionAgainstDealer, ACloseDuringTheLoginHandshakeEndsItDisconnected)
{
    tap->holdReplies(true);
    session->Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return sent(cmdLogin) == 1; }));
    session->Disconnect();  // File > Close connection
    tap->holdReplies(false);  // the dealer's welcome comes too late
    ASSERT_TRUE(settled());
    EXPECT_FALSE(session->LoggedIn());
    EXPECT_EQ(started, 0);
    EXPECT_EQ(sent(cmdLoginConfirm), 0);

    // The dealer has let the abandoned session go: the next login works.
    session->Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session->LoggedIn(); }, 15000)) << status();
    EXPECT_EQ(started, 1);
}

TEST_F(ConnectionAgainstDealer, ALoginDuringABusyAttemptReplacesIt)
{
    tap->holdReplies(true);
    session->Login(1001, QStringLiteral("wrong"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return sent(cmdLogin) == 1; }));
    // The login dialog again, now with the right password, while the first
    // attempt still waits for its answer.
    session->Login(1001, QStringLiteral("demo"), TKeyRecord{});
    tap->holdReplies(false);
    ASSERT_TRUE(WaitUntil([&] { return session->LoggedIn(); }, 15000)) << status();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(session->LoggedIn());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(sent(cmdLogin), 2);
    EXPECT_EQ(sent(cmdLoginConfirm), 1);
}
