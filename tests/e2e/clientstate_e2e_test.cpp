// The client state on a real session against kelvra-dealer, with a relay in
// between that keeps what the client sends.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <QTemporaryDir>

#include "clientsession.h"
#include "clientstate.h"
#include "dealerharness.h"
#include "e2e_support.h"
#include "languagetables.h"
#include "testapp.h"
#include "wiretap.h"

namespace {

struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class StateAgainstDealer : public ::testing::Test {
protected:
    EnglishApp app;

    void TearDown() override { session.Shutdown(); }

    // A frozen market unless told otherwise; logged in through the relay
    // once every start-up list has arrived.
    void start(QStringList extra = {"--ticks-per-second", "0"})
    {
        ASSERT_TRUE(dir.isValid());
        dealer = std::make_unique<DealerProcess>(dir.path(), extra);
        ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
        tap = std::make_unique<WireTap>(dealer->port());
        QObject::connect(&state, &ClientState::replyHandled, [this](quint8 code, bool last, bool) {
            if (last)
                answered.push_back(code);
        });
        state.MailIdsHandler = [this](TUserCmdRply *) { ++idListsAnswered; };
        state.MessageIdsHandler = [this](TUserCmdRply *) { ++idListsAnswered; };
        session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session.Thread().SetPort(tap->port());
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }, 15000)) << status();
        ASSERT_TRUE(WaitUntil([&] { return answered.size() >= 7 && idListsAnswered == 2; })) << status();
    }
    std::string status() const { return session.PanelText(ClientSession::PanelStatus).toStdString(); }
    TClientLists &lists() { return state.Lists(); }
    TUserCurrency &instrument(const QString &name)
    {
        TUserCurrency *i = lists().Instruments.FindRecord(lists().Instruments.IdByName(name));
        EXPECT_NE(i, nullptr) << name.toStdString();
        return *i;
    }
    // The dealing prices of the moment, as a trade dialog computes them.
    std::pair<qint32, qint32> dealing(const TUserCurrency &i, int lots)
    {
        qint32 ask = i.Ask, bid = i.Bid;
        DealingPrices(ask, bid, lots, TSpreadTable(lists().SysVars.SpreadTable), i.Kind);
        return {ask, bid};
    }
    // Sends a command and waits for its reply; the error code (-1: none came).
    int command(TCommandPtr c)
    {
        auto error = std::make_shared<int>(-1);
        if (!session.SendCommand(std::move(c), nullptr, [error](TUserCmdRply *p) {
                *error = p->Buffer.size() > size_t(hdr::Data) ? p->Buffer[hdr::Data] : 255;
            }))
            return -1;
        WaitUntil([error] { return *error >= 0; });
        return *error;
    }
    // What the client sent from packet `from` on.
    std::vector<TPacketBuffer> sentSince(size_t from) const
    {
        std::vector<TPacketBuffer> all = tap->sent();
        return std::vector<TPacketBuffer>(all.begin() + long(std::min(from, all.size())), all.end());
    }
    static std::vector<uint8_t> codes(const std::vector<TPacketBuffer> &packets)
    {
        std::vector<uint8_t> out;
        for (const TPacketBuffer &p : packets)
            out.push_back(p[hdr::Code]);
        return out;
    }
    static long countOf(const std::vector<TPacketBuffer> &packets, uint8_t code)
    {
        return std::count_if(packets.begin(), packets.end(), [code](const TPacketBuffer &p) {
            return p[hdr::Code] == code;
        });
    }
    // Opens a market position and waits for it in the list.
    TUserDeal *openPosition(const QString &name, uint8_t type, uint8_t lots)
    {
        const TUserCurrency &i = instrument(name);
        const auto [ask, bid] = dealing(i, lots);
        const int before = lists().Positions.Count();
        EXPECT_EQ(command(e2e::placeCommand(quint16(i.Id), type, lots, type == 1 ? ask : bid)), 0) << status();
        if (!WaitUntil([&] { return lists().Positions.Count() == before + 1; }))
            return nullptr;
        for (int k = 0; k < lists().Positions.Count(); ++k)
            if (lists().Positions.Item(k)->CurrencyId == i.Id && lists().Positions.Item(k)->Lots == lots)
                return lists().Positions.Item(k);
        return nullptr;
    }

    QTemporaryDir dir;
    std::unique_ptr<DealerProcess> dealer;
    std::unique_ptr<WireTap> tap;
    ClientSession session;
    ClientState state{session};
    std::vector<quint8> answered;
    int idListsAnswered = 0;
};

TEST_F(StateAgainstDealer, StartupRequestsLeaveInOrderAndFillTheLists)
{
    start();
    const std::vector<uint8_t> sent = codes(sentSince(0));
    ASSERT_GE(sent.size(), 11u);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 11),
              (std::vector<uint8_t>{101, 102, 131, 105, 109, 108, 127, 129, 139, 145, 144}));
    // The history requests carry the period: one day.
    for (const TPacketBuffer &p : sentSince(0)) {
        if (p[hdr::Code] == cmdGetAccountHistory || p[hdr::Code] == cmdGetOrderHistory) {
            EXPECT_EQ(GetU32(&p[hdr::Data]), 1u);
        }
    }

    EXPECT_EQ(lists().SysVars.LotSize, 100000);
    EXPECT_EQ(lists().SysVars.Title, QStringLiteral("Kelvra demo dealer"));
    EXPECT_EQ(lists().Instruments.Count(), 9);
    EXPECT_EQ(instrument(QStringLiteral("EURGBP")).CrossId, instrument(QStringLiteral("GBPUSD")).Id);
    EXPECT_EQ(lists().Positions.Count(), 0);
    EXPECT_EQ(lists().Orders.Count(), 0);
    EXPECT_DOUBLE_EQ(lists().Account().Balance, 10000.0);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 10000.0);
    ASSERT_EQ(lists().AccountHistory.Count(), 1);  // the opening deposit
    EXPECT_EQ(lists().AccountHistory.Item(0)->OperationType, 1);
    EXPECT_EQ(lists().OrderHistory.Count(), 0);
}

TEST_F(StateAgainstDealer, AQuoteUpdatesInstrumentPositionOrderAndAccount)
{
    start();
    TUserDeal *position = openPosition(QStringLiteral("EURUSD"), 1, 2);
    ASSERT_NE(position, nullptr);
    const qint32 positionId = position->Id;
    TUserCurrency &eur = instrument(QStringLiteral("EURUSD"));
    ASSERT_EQ(command(e2e::placeCommand(quint16(eur.Id), 2, 1, eur.Bid - 200)), 0) << status();
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Count() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return lists().Account().Margin > 0; }));

    const qint32 newBid = eur.Bid + 37;
    ASSERT_TRUE(dealer->admin({"set-price", "EURUSD", e2e::priceArgument(newBid)}));
    ASSERT_TRUE(WaitUntil([&] { return eur.Bid == newBid; }));
    EXPECT_GT(eur.Ask, newBid);
    EXPECT_EQ(eur.Mark, 0);  // the bid rose

    position = lists().Positions.FindRecord(positionId);
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->Bid, newBid);
    EXPECT_EQ(position->Ask, eur.Ask);
    EXPECT_EQ(position->CurrentPrice(), newBid);
    // A buy of 2 lots of 100000: (bid - open) points of 20 each.
    EXPECT_EQ(e2e::cents(position->Profit), (newBid - position->OpenPrice) * 2000);

    const TUserOrder *order = lists().Orders.Item(0);
    EXPECT_EQ(order->Ask, eur.Ask);
    EXPECT_EQ(order->Bid, newBid);
    EXPECT_EQ(order->CurrentPrice(), eur.Ask);  // a buy limit fills at the ask

    const TUserAccount &account = lists().Account();
    EXPECT_DOUBLE_EQ(account.Equity, account.Balance + position->Profit);
    EXPECT_DOUBLE_EQ(account.FreeMargin, account.Equity - account.Margin);
    EXPECT_EQ(account.SummaryText().trimmed(),
              QStringLiteral("Balans: %1; Equty: %2; Free margin: %3")
                  .arg(MoneyText(account.Balance), MoneyText(account.Equity), MoneyText(account.FreeMargin)));
}

TEST_F(StateAgainstDealer, APositionArrivesThrough114And115AndLeavesThrough118)
{
    start();
    const size_t mark = tap->sent().size();
    TUserDeal *position = openPosition(QStringLiteral("USDJPY"), 6, 3);
    ASSERT_NE(position, nullptr);
    const qint32 id = position->Id;
    EXPECT_EQ(position->Operation, 2);
    EXPECT_EQ(position->Symbol, QStringLiteral("USDJPY"));
    EXPECT_EQ(position->CurrentPrice(), instrument(QStringLiteral("USDJPY")).Ask);  // a sell closes at the ask

    // The push brought a request for that one position, not the whole list.
    std::vector<TPacketBuffer> after = sentSince(mark);
    auto single = std::find_if(after.begin(), after.end(), [](const TPacketBuffer &p) {
        return p[hdr::Code] == cmdGetPosition;
    });
    ASSERT_NE(single, after.end());
    EXPECT_EQ(GetU32(&(*single)[hdr::Data]), quint32(id));
    EXPECT_EQ(countOf(after, cmdGetPositions), 0);
    EXPECT_TRUE(WaitUntil([&] { return lists().Account().Margin > 0; }));

    const TUserCurrency &jpy = instrument(QStringLiteral("USDJPY"));
    const auto [ask, bid] = dealing(jpy, 1);
    (void)bid;
    const size_t beforeClose = tap->sent().size();
    ASSERT_EQ(command(NewClosePositionCommand(quint32(id), 3, quint32(ask))), 0) << status();
    ASSERT_TRUE(WaitUntil([&] { return lists().Positions.Count() == 0; }));
    EXPECT_EQ(lists().Positions.FindRecord(id), nullptr);
    // The close pushes 128 as well: the balance and history follow.
    ASSERT_TRUE(WaitUntil([&] { return lists().Account().Margin == 0 && lists().AccountHistory.Count() == 2; }));
    after = sentSince(beforeClose);
    EXPECT_EQ(countOf(after, cmdGetPositions), 0);
    EXPECT_EQ(countOf(after, cmdGetAccount), 1);
    EXPECT_EQ(countOf(after, cmdGetAccountHistory), 1);
    // The balance is the deposit plus what the dealer booked for the close.
    const TUserHistoryAccount *closed = nullptr;
    for (int k = 0; k < lists().AccountHistory.Count(); ++k)
        if (lists().AccountHistory.Item(k)->OperationType == 102)
            closed = lists().AccountHistory.Item(k);
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->ClosePrice, ask);
    EXPECT_EQ(closed->Lots, 3);
    EXPECT_EQ(e2e::cents(lists().Account().Balance), 1000000 + closed->Profit + closed->Swap);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, lists().Account().Balance);
}

TEST_F(StateAgainstDealer, AnAccountChangeBrings127Then129)
{
    start();
    const size_t mark = tap->sent().size();
    const size_t answeredBefore = answered.size();
    ASSERT_TRUE(dealer->admin({"deposit", "1001", "250.75"}));
    ASSERT_TRUE(WaitUntil([&] { return answered.size() >= answeredBefore + 2; }));
    const std::vector<uint8_t> sent = codes(sentSince(mark));
    EXPECT_EQ(sent, (std::vector<uint8_t>{cmdGetAccount, cmdGetAccountHistory})) << sent.size();
    EXPECT_EQ(std::vector<quint8>(answered.begin() + long(answeredBefore), answered.end()),
              (std::vector<quint8>{cmdGetAccount, cmdGetAccountHistory}));
    EXPECT_DOUBLE_EQ(lists().Account().Balance, 10250.75);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 10250.75);
    ASSERT_EQ(lists().AccountHistory.Count(), 2);
    EXPECT_EQ(e2e::cents(lists().AccountHistory.Total()), 1025075);
    // A withdrawal beyond the free margin is refused and changes nothing.
    EXPECT_FALSE(dealer->admin({"deposit", "1001", "-20000"}));
    EXPECT_DOUBLE_EQ(lists().Account().Balance, 10250.75);
}

} // namespace
