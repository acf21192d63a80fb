#include <gtest/gtest.h>

#include <QSignalSpy>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "fakedealer.h"
#include "languagetables.h"
#include "testapp.h"
#include "wirerecords.h"

void PrintTo(const QString &s, std::ostream *os);

namespace {

constexpr uint32_t kMay3 = 2281565;

// The client state on a real session against the fake dealer.
// The application object and the language come before the session.
struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class SessionState : public ::testing::Test {
protected:
    EnglishApp app;
    void SetUp() override
    {
        dealer.setReply(cmdGetSysVariables,
                        wire::SysVariables{.serverTime = kMay3, .lotSize = 100000, .title = "Fake"}.bytes());
        dealer.setListOf(cmdGetInstruments, std::vector<wire::Instrument>{
            {.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050},
            {.id = 2, .kind = 2, .name = "USDJPY", .ask = 1051300, .bid = 1051200},
        });
        dealer.setListOf(cmdGetPositions, std::vector<wire::Position>{
            {.id = 10, .currencyId = 1, .operation = 1, .openPrice = 12000, .lots = 1},
        });
        dealer.setListOf(cmdGetOrders, std::vector<wire::Order>{
            {.id = 20, .currencyId = 1, .orderType = 2, .price = 11900},
        });
        dealer.setReply(cmdGetAccount, wire::Account{.balance = 100000, .margin = 10000}.bytes());
        dealer.setListOf(cmdGetAccountHistory, std::vector<wire::HistoryAccount>{
            {.id = 1, .profit = 100000, .operationType = 1},
        });
        dealer.setListOf(cmdGetOrderHistory, std::vector<wire::HistoryOrder>{{.id = 3, .currencyId = 1}});
        dealer.setReply(cmdGetMailIds, {0, 0});
        dealer.setReply(cmdGetMessageIds, {0, 0});
        session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session.Thread().SetPort(dealer.port());
        connect();
    }
    void connect()
    {
        QObject::connect(&state, &ClientState::replyHandled, [this](quint8 code, bool last, bool) {
            if (last)
                answered.push_back(code);
        });
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
        ASSERT_TRUE(WaitUntil([&] { return answered.size() >= 7; }));
    }
    bool answeredCount(uint8_t code, size_t n)
    {
        return size_t(std::count(answered.begin(), answered.end(), code)) >= n;
    }
    TClientLists &lists() { return state.Lists(); }

    FakeDealer dealer;
    ClientSession session;
    ClientState state{session};
    std::vector<uint8_t> answered;
};

} // namespace

TEST_F(SessionState, StartupSequenceFillsEveryList)
{
    ASSERT_TRUE(WaitUntil([&] { return dealer.receivedCodes().size() >= 9; }));
    const std::vector<uint8_t> codes = dealer.receivedCodes();
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 9),
              (std::vector<uint8_t>{131, 105, 109, 108, 127, 129, 139, 145, 144}));
    EXPECT_EQ(dealer.lastParameter(cmdGetAccountHistory), 1);
    EXPECT_EQ(dealer.lastParameter(cmdGetOrderHistory), 1);

    EXPECT_EQ(lists().Instruments.Count(), 2);
    ASSERT_EQ(lists().Positions.Count(), 1);
    EXPECT_EQ(lists().Positions.Item(0)->Symbol, u"EURUSD");
    EXPECT_DOUBLE_EQ(lists().Positions.Item(0)->Profit, 500.0);
    EXPECT_EQ(lists().Orders.Count(), 1);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 1500.0);
    EXPECT_DOUBLE_EQ(lists().Account().FreeMargin, 1400.0);
    EXPECT_EQ(lists().AccountHistory.Count(), 1);
    EXPECT_EQ(lists().OrderHistory.Count(), 1);
    EXPECT_EQ(state.WindowTitle(1001), u"Fake <1001>");
}

TEST_F(SessionState, PushesKeepTheListsCurrent)
{
    QSignalSpy quoted(&state, &ClientState::instrumentChanged);
    dealer.push(cmdQuote, wire::Quote{.id = 1, .ask = 12102, .bid = 12100, .minutes = kMay3}.bytes());
    ASSERT_TRUE(WaitUntil([&] { return lists().Instruments.FindRecord(1)->Bid == 12100; }));
    EXPECT_DOUBLE_EQ(lists().Positions.Item(0)->Profit, 1000.0);
    EXPECT_EQ(lists().Orders.Item(0)->Ask, 12102);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 2000.0);

    // 114: the position is asked for with 115 and inserted.
    dealer.setRecord(cmdGetPosition, 11,
                     wire::Position{.id = 11, .currencyId = 1, .operation = 2, .openPrice = 12200, .lots = 1}.bytes());
    dealer.push(cmdPositionOpened, wire::U32(11));
    ASSERT_TRUE(WaitUntil([&] { return lists().Positions.Find(11) != nullptr; }));
    EXPECT_EQ(dealer.lastParameter(cmdGetPosition), 11);
    EXPECT_DOUBLE_EQ(lists().Positions.FindRecord(11)->Profit, 980.0);  // a sell valued at the ask 1.2102
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 2980.0);

    // 116 is handled like 114.
    dealer.setRecord(cmdGetPosition, 11, wire::Position{.id = 11, .currencyId = 1, .operation = 2,
                                                        .openPrice = 12200, .lots = 2}.bytes());
    dealer.push(cmdPositionChanged, wire::U32(11));
    ASSERT_TRUE(WaitUntil([&] { return lists().Positions.FindRecord(11)->Lots == 2; }));

    // 118 removes it.
    dealer.push(cmdPositionClosed, wire::U32(11));
    ASSERT_TRUE(WaitUntil([&] { return lists().Positions.Find(11) == nullptr; }));
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 2000.0);

    // 128: the account, then its history.
    dealer.setReply(cmdGetAccount, wire::Account{.balance = 200000}.bytes());
    dealer.setListOf(cmdGetAccountHistory, std::vector<wire::HistoryAccount>{
        {.id = 1, .profit = 100000, .operationType = 1}, {.id = 2, .profit = 100000, .operationType = 1}});
    const size_t before = dealer.receivedCodes().size();
    dealer.push(cmdAccountChanged, {});
    ASSERT_TRUE(WaitUntil([&] { return lists().AccountHistory.Count() == 2; }));
    const std::vector<uint8_t> codes = dealer.receivedCodes();
    EXPECT_EQ(std::vector<uint8_t>(codes.begin() + long(before), codes.end()), (std::vector<uint8_t>{127, 129}));
    EXPECT_DOUBLE_EQ(lists().Account().Balance, 2000.0);

    // 119 and 122 ask for the order, 123 removes it; 138 reloads the orders.
    dealer.setRecord(cmdGetOrder, 21, wire::Order{.id = 21, .currencyId = 2, .orderType = 5}.bytes());
    dealer.push(cmdOrderPlaced, wire::U32(21));
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Find(21) != nullptr; }));
    dealer.push(cmdOrderDeleted, wire::U32(21));
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Find(21) == nullptr; }));
    dealer.setListOf(cmdGetOrders, std::vector<wire::Order>{{.id = 30}, {.id = 31}});
    dealer.push(cmdOrdersChanged, {});
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Count() == 2; }));
}

TEST_F(SessionState, SplitListOnTheWireAndRefusals)
{
    std::vector<wire::Position> many;
    for (int32_t id = 100; id < 105; ++id)
        many.push_back({.id = id, .currencyId = 2, .operation = 1, .openPrice = 1050000, .lots = 1});
    dealer.setListOf(cmdGetPositions, many, 2);  // three packets: first, middle, last
    dealer.push(cmdPositionsChanged, {});
    ASSERT_TRUE(WaitUntil([&] { return answeredCount(cmdGetPositions, 2); }));
    ASSERT_EQ(lists().Positions.Count(), 5);
    EXPECT_EQ(lists().Positions.Item(0)->Id, 100);
    EXPECT_EQ(lists().Positions.Item(4)->Id, 104);

    dealer.setError(cmdGetOrders, 3);
    dealer.push(cmdOrdersChanged, {});
    ASSERT_TRUE(WaitUntil([&] { return answeredCount(cmdGetOrders, 2); }));
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"Record not found");
    EXPECT_EQ(lists().Orders.Count(), 1);

    // A reply whose count promises more records than it carries.
    QSignalSpy failed(&session, &ClientSession::handlerFailed);
    wire::Bytes data = wire::ListOf(std::vector<wire::Position>{{.id = 1}});
    data[0] = 3;
    dealer.setReply(cmdGetPositions, data);
    dealer.push(cmdPositionsChanged, {});
    ASSERT_TRUE(WaitUntil([&] { return failed.count() > 0; }));
    EXPECT_EQ(failed.at(0).at(0).toString(), u"Not valid packet is recieved");
    EXPECT_EQ(lists().Positions.Count(), 5);
}

// Pushes that ask for a record: one request per record while unanswered,
// and a server that never answers cannot pile up more than the bound.
TEST_F(SessionState, PushDrivenRequestsAreSharedAndBounded)
{
    dealer.setSilent(cmdGetPosition);
    const size_t before = session.Dispatcher().EventCount();
    QSignalSpy failed(&session, &ClientSession::handlerFailed);
    const auto pushId = [](uint32_t id) {
        return wire::Bytes{uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)};
    };
    for (int k = 0; k < 5; ++k)
        dealer.push(cmdPositionOpened, pushId(7));
    for (uint32_t id = 100; id < 100 + ClientState::MaxPushRequests + 20; ++id)
        dealer.push(cmdPositionChanged, pushId(id));
    ASSERT_TRUE(WaitUntil([&] { return failed.size() >= 1 && session.Dispatcher().ReceivedCount() == 0; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return session.Dispatcher().EventCount() == before + ClientState::MaxPushRequests; }));
    EXPECT_TRUE(session.LoggedIn());
}
