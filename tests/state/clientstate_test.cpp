#include <gtest/gtest.h>

#include <QSignalSpy>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "forexexception.h"
#include "languagetables.h"
#include "recordingview.h"
#include "testapp.h"
#include "wirerecords.h"

void PrintTo(const QString &s, std::ostream *os);

namespace {

constexpr uint32_t kMay3 = 2281565;  // 2004-05-03 10:05

std::string messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "no exception";
}

// The handlers fed with packets directly, on a session that is not logged in.
// The application object and the language come before the session.
struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class Handlers : public ::testing::Test {
protected:
    EnglishApp app;
    void SetUp() override
    {
        lists().SysVars.LotSize = 100000;
        state.OnInstruments(wire::Reply(cmdGetInstruments, 1, wire::ListOf(std::vector<wire::Instrument>{
            {.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050},
            {.id = 2, .kind = 2, .name = "USDJPY", .ask = 1051300, .bid = 1051200},
        })).get());
    }
    TClientLists &lists() { return state.Lists(); }
    std::vector<qint32> positionIds()
    {
        std::vector<qint32> ids;
        for (int i = 0; i < lists().Positions.Count(); ++i)
            ids.push_back(lists().Positions.Item(i)->Id);
        return ids;
    }
    static wire::Bytes positions(std::initializer_list<int32_t> ids)
    {
        std::vector<wire::Position> records;
        for (int32_t id : ids)
            records.push_back({.id = id, .currencyId = 1, .openPrice = 12000});
        return wire::ListOf(records);
    }

    ClientSession session;
    ClientState state{session};
};

} // namespace

TEST_F(Handlers, SplitListsContinueAndOthersReplace)
{
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({1, 2}), pfReply | pfFirst).get());
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({3}), pfReply | pfMiddle).get());
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({4}), pfReply | pfLast).get());
    EXPECT_EQ(positionIds(), (std::vector<qint32>{1, 2, 3, 4}));

    state.OnPositions(wire::Reply(cmdGetPositions, 4, positions({7})).get());
    EXPECT_EQ(positionIds(), (std::vector<qint32>{7}));
    state.OnPositions(wire::Reply(cmdGetPositions, 5, positions({})).get());
    EXPECT_TRUE(positionIds().empty());
}

TEST_F(Handlers, ShortListReplyLeavesTheListAsItWas)
{
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({1, 2})).get());
    wire::Bytes data = positions({5, 6, 7});
    data.resize(data.size() - 1);  // the third record is one byte short
    EXPECT_EQ(messageOf([&] { state.OnPositions(wire::Reply(cmdGetPositions, 4, data).get()); }),
              "Not valid packet is recieved");
    EXPECT_EQ(positionIds(), (std::vector<qint32>{1, 2}));
    // No count at all.
    EXPECT_THROW(state.OnOrders(wire::Reply(cmdGetOrders, 4, {1}).get()), EForexException);
    EXPECT_THROW(state.OnOrders(wire::Reply(cmdGetOrders, 4, {}).get()), EForexException);
}

TEST_F(Handlers, DuplicateInAListKeepsTheRecordsBeforeIt)
{
    EXPECT_EQ(messageOf([&] { state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({4, 9, 4, 5})).get()); }),
              "try add duplicate item");
    EXPECT_EQ(positionIds(), (std::vector<qint32>{4, 9}));
}

TEST_F(Handlers, FailedReplyShowsItsTextAndChangesNothing)
{
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({1})).get());
    state.OnPositions(wire::ErrorReply(cmdGetPositions, 4, 3).get());
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"Record not found");
    EXPECT_EQ(positionIds(), (std::vector<qint32>{1}));
    state.OnAccount(wire::ErrorReply(cmdGetAccount, 5, 42, "server says no").get());
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"Error code: 42 server says no");
}

TEST_F(Handlers, QuoteRunsOrdersThenPositionsThenInstruments)
{
    QStringList journal;
    RecordingView instrumentView(false, &journal, u"instruments"_qs);
    RecordingView positionView(true, &journal, u"positions"_qs);
    RecordingView orderView(false, &journal, u"orders"_qs);
    state.OnPositions(wire::Reply(cmdGetPositions, 3, positions({1})).get());
    state.OnOrders(wire::Reply(cmdGetOrders, 4, wire::ListOf(std::vector<wire::Order>{
        {.id = 8, .currencyId = 1, .orderType = 2, .price = 11900},
        {.id = 9, .currencyId = 2, .orderType = 3, .price = 1060000},
    })).get());
    state.OnAccount(wire::Reply(cmdGetAccount, 5, wire::Account{.balance = 100000}.bytes()).get());
    instrumentView.attach(lists().Instruments);
    positionView.attach(lists().Positions);
    orderView.attach(lists().Orders);
    state.RegisterPushHandlers();

    QSignalSpy quoted(&state, &ClientState::instrumentChanged);
    journal.clear();
    session.Dispatcher().Dispatch(wire::Push(cmdQuote, wire::Quote{.id = 1, .ask = 12102, .bid = 12100,
                                                                    .minutes = kMay3}.bytes()));
    EXPECT_EQ(journal, (QStringList{u"orders"_qs, u"positions"_qs, u"instruments"_qs}));
    EXPECT_DOUBLE_EQ(lists().Positions.Item(0)->Profit, 1000.0);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 2000.0);
    EXPECT_EQ(lists().Orders.FindRecord(8)->Ask, 12102);
    EXPECT_EQ(lists().Orders.FindRecord(9)->Ask, 1051300);  // another instrument's order is untouched
    EXPECT_EQ(lists().Instruments.FindRecord(1)->Bid, 12100);
    EXPECT_EQ(lists().Instruments.FindRecord(1)->Mark, 0);
    EXPECT_EQ(quoted.count(), 1);
    EXPECT_EQ(positionView.footer->caption, u" Balans: 1000.00; Equty: 2000.00; Free margin: 2000.00");

    // No position of that instrument: the footer is still recomputed and redrawn.
    journal.clear();
    const int footerWrites = positionView.footer->writes;
    session.Dispatcher().Dispatch(wire::Push(cmdQuote, wire::Quote{.id = 2, .ask = 1061000, .bid = 1060000}.bytes()));
    EXPECT_GT(positionView.footer->writes, footerWrites);
    EXPECT_EQ(journal, (QStringList{u"orders"_qs, u"positions"_qs, u"instruments"_qs}));

    // An unknown instrument changes no instrument; a short quote raises.
    session.Dispatcher().Dispatch(wire::Push(cmdQuote, wire::Quote{.id = 77, .ask = 1, .bid = 1}.bytes()));
    EXPECT_EQ(quoted.count(), 2);
    EXPECT_THROW(session.Dispatcher().Dispatch(wire::Push(cmdQuote, {1, 0, 2})), EForexException);

    lists().Instruments.DetachView();
    lists().Positions.DetachView();
    lists().Orders.DetachView();
}

TEST_F(Handlers, UpsertsAndRemovals)
{
    RecordingView view(true);
    view.attach(lists().Positions);
    state.OnAccount(wire::Reply(cmdGetAccount, 5, wire::Account{.balance = 100000}.bytes()).get());
    state.RegisterPushHandlers();

    const wire::Position opened{.id = 77, .currencyId = 1, .operation = 1, .openPrice = 12000, .lots = 1};
    state.OnPosition(wire::Reply(cmdGetPosition, 6, opened.bytes()).get());
    ASSERT_EQ(positionIds(), (std::vector<qint32>{77}));
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 1500.0);
    EXPECT_EQ(view.count(), 1);

    wire::Position changed = opened;
    changed.stopLoss = 11800;
    state.OnPosition(wire::Reply(cmdGetPosition, 7, changed.bytes()).get());
    EXPECT_EQ(view.count(), 1);  // refreshed in place
    EXPECT_EQ(view.row(0)->col(6), u"1.1800");
    EXPECT_THROW(state.OnPosition(wire::Reply(cmdGetPosition, 8, {1, 2, 3}).get()), EForexException);
    EXPECT_EQ(positionIds(), (std::vector<qint32>{77}));

    const int repaints = view.repaints;
    session.Dispatcher().Dispatch(wire::Push(cmdPositionClosed, wire::U32(5)));  // unknown: nothing
    EXPECT_EQ(positionIds(), (std::vector<qint32>{77}));
    session.Dispatcher().Dispatch(wire::Push(cmdPositionClosed, wire::U32(77)));
    EXPECT_TRUE(positionIds().empty());
    EXPECT_EQ(view.count(), 0);
    EXPECT_GT(view.repaints, repaints);
    EXPECT_DOUBLE_EQ(lists().Account().Equity, 1000.0);

    state.OnOrder(wire::Reply(cmdGetOrder, 9, wire::Order{.id = 12, .currencyId = 2, .orderType = 4}.bytes()).get());
    ASSERT_NE(lists().Orders.FindRecord(12), nullptr);
    EXPECT_EQ(lists().Orders.FindRecord(12)->Symbol, u"USDJPY");
    session.Dispatcher().Dispatch(wire::Push(cmdOrderDeleted, wire::U32(12)));
    EXPECT_EQ(lists().Orders.Count(), 0);
    lists().Positions.DetachView();
}

TEST_F(Handlers, SystemVariablesAndServerTime)
{
    wire::SysVariables vars{.serverTime = kMay3, .lotSize = 50000, .kept = 9,
                            .spreadTable = {3, 5, 10, 2, 4, 20, 1, 1, 1}, .title = "Demo dealer"};
    QSignalSpy loaded(&state, &ClientState::sysVariablesLoaded);
    state.OnSysVariables(wire::Reply(cmdGetSysVariables, 1, vars.bytes()).get());
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(lists().SysVars.LotSize, 50000);
    EXPECT_EQ(lists().SysVars.SpreadTable[3], 2);
    EXPECT_EQ(lists().SysVars.Title, u"Demo dealer");
    EXPECT_EQ(state.WindowTitle(1001), u"Demo dealer <1001>");
    EXPECT_EQ(state.WindowTitle(4000000000u), u"Demo dealer <4000000000>");
    EXPECT_EQ(session.PanelText(ClientSession::PanelTime), u"10:05 GMT");

    wire::Bytes shortVars = vars.bytes();
    shortVars.resize(60);
    vars.lotSize = 1;
    EXPECT_THROW(state.OnSysVariables(wire::Reply(cmdGetSysVariables, 2, shortVars).get()), EForexException);
    EXPECT_EQ(lists().SysVars.LotSize, 50000);

    state.RegisterPushHandlers();
    session.Dispatcher().Dispatch(wire::Push(cmdServerTime, wire::U32(kMay3 + 60)));
    EXPECT_EQ(lists().SysVars.ServerTime, kMay3 + 60);
    EXPECT_EQ(session.PanelText(ClientSession::PanelTime), u"11:05 GMT");
}

TEST_F(Handlers, AccountHistoryReplyRewritesTheFooter)
{
    RecordingView view(true);
    view.attach(lists().AccountHistory);
    lists().AccountHistory.Days = 0;
    state.OnAccount(wire::Reply(cmdGetAccount, 5, wire::Account{.balance = 20000}.bytes()).get());
    state.OnAccountHistory(wire::Reply(cmdGetAccountHistory, 6, wire::ListOf(std::vector<wire::HistoryAccount>{
        {.id = 1, .profit = 500, .operationType = 101},
    })).get());
    EXPECT_EQ(view.footer->caption, u"Current balans :  200.00");
    EXPECT_EQ(view.shown, view.footer.get());
    EXPECT_EQ(view.count(), 1);
    lists().AccountHistory.DetachView();
}
