#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include <QTemporaryDir>

#include "book.h"

namespace {

class BookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        reopen();
        account = book->createAccount(1001, "demo", "Demo", "d@example.com", 1, 1000000, false, "");
        book->takePushes();
    }
    void reopen()
    {
        book.reset();
        storage.reset();
        storage = std::make_unique<Storage>(dir.filePath("dealer.db").toStdString());
        book = std::make_unique<AccountBook>(*storage, market, BookSettings{});
        book->setClock([this] { return 36526.0 + double(minute) / 1440.0; });
    }
    // Puts EURUSD where asked and lets the books react.
    void quote(int32_t bid, uint16_t id = 1)
    {
        book->onQuote(*market.setPrice(id, bid, minute));
    }
    DealPrices deal(uint16_t id, int lots = 1)
    {
        const Instrument *i = market.find(id);
        return dealingPrices(i->ask, i->bid, lots, book->settings().spread, i->kind);
    }
    std::vector<uint8_t> codes()
    {
        std::vector<uint8_t> out;
        for (const Push &p : book->takePushes())
            out.push_back(p.code);
        return out;
    }

    QTemporaryDir dir;
    uint32_t minute = 14000000;
    Market market{5, minute, 1};
    std::unique_ptr<Storage> storage;
    std::unique_ptr<AccountBook> book;
    uint32_t account = 0;
};

TEST_F(BookTest, NewAccountHasItsDepositAndWelcomeMail)
{
    EXPECT_EQ(book->balance(account), 1000000);
    const auto history = book->accountHistory(account, 0);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].operation, opDeposit);
    EXPECT_EQ(history[0].profit, 1000000);
    ASSERT_EQ(book->unconfirmedMail(account).size(), 1u);
    const Mail *m = book->mail(account, book->unconfirmedMail(account)[0]);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->subject, "Welcome");
    book->confirmMail(account, m->id);
    EXPECT_TRUE(book->unconfirmedMail(account).empty());
    EXPECT_EQ(book->mail(999, m->id), nullptr);
}

TEST_F(BookTest, MarketBuyIsJudgedAgainstTheDealingPrice)
{
    quote(11000);
    const int32_t ask = deal(1).ask;
    Outcome r = book->openMarket(account, 1, 1, 1, 0, 0, ask + 50, true);
    EXPECT_EQ(r.error, errRequote);
    EXPECT_EQ(r.requotePrice, ask);
    EXPECT_TRUE(book->positions(account).empty());

    r = book->openMarket(account, 1, 1, 1, 0, 0, ask + 5, true);  // within the tolerance
    ASSERT_EQ(r.error, errOk);
    const Position *p = book->position(account, r.id);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->openPrice, ask + 5);
    EXPECT_EQ(p->operation, 1);
    EXPECT_EQ(p->margin, marginCents(1, ask + 5, 0, 0, 100000, 100));
    EXPECT_EQ(codes(), (std::vector<uint8_t>{114, 128}));
    // The executed market order is in the order history.
    const auto orders = book->orderHistory(account, 1);
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].type, 1);
    EXPECT_EQ(orders[0].status, statusExecuted);
}

TEST_F(BookTest, RefusesWhatCannotBeDealt)
{
    quote(11000);
    const int32_t ask = deal(1).ask;
    EXPECT_EQ(book->openMarket(account, 1, 1, 100, 0, 0, deal(1, 100).ask, true).error, errNoMoney);
    EXPECT_EQ(book->openMarket(account, 77, 1, 1, 0, 0, ask, true).error, errNotFound);
    EXPECT_EQ(book->openMarket(account, 1, 1, 0, 0, 0, ask, true).error, errPrice);
    EXPECT_EQ(book->openMarket(account, 1, 3, 1, 0, 0, ask, true).error, errPrice);
    // Stops of a buy, measured from the bid it closes at.
    EXPECT_EQ(book->openMarket(account, 1, 1, 1, 11005, 0, ask, true).error, errStopLoss);
    EXPECT_EQ(book->openMarket(account, 1, 1, 1, 10999, 0, ask, true).error, errStopLossInMarket);
    EXPECT_EQ(book->openMarket(account, 1, 1, 1, 0, 10990, ask, true).error, errTakeProfit);
    EXPECT_EQ(book->openMarket(account, 1, 1, 1, 0, 11001, ask, true).error, errTakeProfitInMarket);
    // A sell has them the other way round.
    const int32_t bid = deal(1).bid;
    EXPECT_EQ(book->openMarket(account, 1, 6, 1, 10990, 0, bid, true).error, errStopLoss);
    EXPECT_EQ(book->openMarket(account, 1, 6, 1, 11100, 10900, bid, true).error, errOk);
    // Pending prices: a buy limit below the market, a buy stop above it.
    EXPECT_EQ(book->placePending(account, 1, 2, 1, 0, 0, 11100).error, errPrice);
    EXPECT_EQ(book->placePending(account, 1, 2, 1, 0, 0, 11000).error, errPriceInMarket);
    EXPECT_EQ(book->placePending(account, 1, 4, 1, 0, 0, 10900).error, errPrice);
    EXPECT_EQ(book->placePending(account, 1, 5, 1, 10850, 0, 10900).error, errStopLoss);
    EXPECT_EQ(book->placePending(account, 1, 7, 1, 0, 0, 10900).error, errPrice);
    EXPECT_TRUE(book->orders(account).empty());
    // An operator's absurd prices leave a margin that cannot be computed.
    quote(2000000000, 2);
    quote(2000000000, 7);
    EXPECT_EQ(book->openMarket(account, 7, 1, 1, 0, 0, deal(7).ask, true).error, errPrice);
}

TEST_F(BookTest, ActiveOrdersAreLimited)
{
    quote(11000);
    for (size_t k = 0; k < book->settings().maxActiveOrders; ++k)
        ASSERT_EQ(book->placePending(account, 1, 2, 1, 0, 0, 10900 - int32_t(k)).error, errOk);
    EXPECT_EQ(book->placePending(account, 1, 2, 1, 0, 0, 10800).error, errTooManyOrders);
}

TEST_F(BookTest, ClosingBooksTheClientsProfit)
{
    quote(11000);
    const Outcome r = book->openMarket(account, 1, 1, 3, 0, 0, deal(1, 3).ask, true);
    ASSERT_EQ(r.error, errOk);
    const int32_t open = book->position(account, r.id)->openPrice;
    quote(11050);
    EXPECT_EQ(book->floatingProfit(*book->position(account, r.id)), profitCents(1, 1, open, 0, 0, 300000, 11050));
    codes();
    // A part first: the position keeps its id with fewer lots.
    const int32_t close = deal(1).bid;
    ASSERT_EQ(book->closePosition(account, r.id, 1, close, true).error, errOk);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{116, 128}));
    ASSERT_NE(book->position(account, r.id), nullptr);
    EXPECT_EQ(book->position(account, r.id)->lots, 2);
    const int64_t first = profitCents(1, 1, open, 0, 0, 100000, close);
    EXPECT_EQ(book->balance(account), 1000000 + first);
    EXPECT_EQ(book->closePosition(account, r.id, 3, close, true).error, errPrice);
    EXPECT_EQ(book->closePosition(account, r.id, 2, close + 100, true).error, errRequote);
    ASSERT_EQ(book->closePosition(account, r.id, 2, close, true).error, errOk);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{118, 128}));
    EXPECT_EQ(book->position(account, r.id), nullptr);
    EXPECT_EQ(book->balance(account), 1000000 + first + profitCents(1, 1, open, 0, 0, 200000, close));
    EXPECT_EQ(book->usedMargin(account), 0);
    const auto history = book->accountHistory(account, 1);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[1].operation, opClosedBuy);
    EXPECT_EQ(history[1].lots, 1);
    EXPECT_EQ(history[2].lots, 2);
    EXPECT_NE(history[1].id, history[2].id);
}

TEST_F(BookTest, ReversalOpensTheAdditionalLotsTheOtherWay)
{
    quote(11000);
    const Outcome r = book->openMarket(account, 1, 1, 3, 0, 0, deal(1, 3).ask, true);
    ASSERT_EQ(r.error, errOk);
    codes();
    const int32_t price = deal(1).bid;
    EXPECT_EQ(book->reversePosition(account, r.id, price, 0, true).error, errPrice);
    const Outcome rev = book->reversePosition(account, r.id, price, 1, true);
    ASSERT_EQ(rev.error, errOk);
    EXPECT_EQ(book->position(account, r.id), nullptr);
    const Position *n = book->position(account, rev.id);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->operation, 2);
    EXPECT_EQ(n->lots, 1);
    EXPECT_EQ(n->openPrice, price);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{118, 114, 128}));
}

TEST_F(BookTest, PendingOrderExecutesAndCancelsItsGroup)
{
    quote(11000);
    const Outcome buyStop = book->placePending(account, 1, 4, 2, 10900, 11200, 11050);
    const Outcome sellStop = book->placePending(account, 1, 5, 1, 0, 0, 10950);
    const Outcome other = book->placePending(account, 1, 2, 1, 0, 0, 10800);
    ASSERT_EQ(buyStop.error, errOk);
    ASSERT_EQ(sellStop.error, errOk);
    ASSERT_EQ(other.error, errOk);
    EXPECT_EQ(book->groupOrders(account, 9, {buyStop.id, 12345}).error, errNotFound);
    ASSERT_EQ(book->groupOrders(account, 9, {buyStop.id, sellStop.id}).error, errOk);
    EXPECT_EQ(book->order(account, sellStop.id)->group, 9);
    EXPECT_EQ(book->order(account, other.id)->group, 0);
    codes();

    quote(11030);  // the ask is not yet at 1.1050
    EXPECT_TRUE(book->positions(account).empty());
    quote(11049);
    ASSERT_EQ(book->positions(account).size(), 1u);
    const Position *p = book->positions(account)[0];
    EXPECT_EQ(p->operation, 1);
    EXPECT_EQ(p->lots, 2);
    EXPECT_EQ(p->openPrice, 11050);
    EXPECT_EQ(p->stopLoss, 10900);
    EXPECT_EQ(book->order(account, sellStop.id), nullptr);
    ASSERT_NE(book->order(account, other.id), nullptr);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{123, 114, 128, 123}));
    const auto history = book->orderHistory(account, 0);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].id, buyStop.id);
    EXPECT_EQ(history[0].status, statusExecuted);
    EXPECT_EQ(history[1].id, sellStop.id);
    EXPECT_EQ(history[1].status, statusCanceled);
}

TEST_F(BookTest, GroupOfOneOrNoneDissolves)
{
    quote(11000);
    const uint32_t a = book->placePending(account, 1, 2, 1, 0, 0, 10900).id;
    const uint32_t b = book->placePending(account, 1, 2, 1, 0, 0, 10800).id;
    ASSERT_EQ(book->groupOrders(account, 3, {a, b}).error, errOk);
    EXPECT_EQ(book->groupOrders(account, 0, {a, b}).error, errPrice);
    ASSERT_EQ(book->groupOrders(account, 3, {}).error, errOk);
    EXPECT_EQ(book->order(account, a)->group, 0);
    EXPECT_EQ(book->order(account, b)->group, 0);
    EXPECT_EQ(codes().back(), 138);
}

TEST_F(BookTest, StopLossAndTakeProfitCloseAtTheirPrice)
{
    quote(11000);
    const Outcome buy = book->openMarket(account, 1, 1, 1, 10950, 11100, deal(1).ask, true);
    const Outcome sell = book->openMarket(account, 1, 6, 1, 11080, 0, deal(1).bid, true);
    ASSERT_EQ(buy.error, errOk);
    ASSERT_EQ(sell.error, errOk);
    codes();
    quote(10960);
    EXPECT_EQ(book->positions(account).size(), 2u);
    quote(10940);
    EXPECT_EQ(book->position(account, buy.id), nullptr);
    ASSERT_NE(book->position(account, sell.id), nullptr);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{118, 128}));
    const auto history = book->accountHistory(account, 0);
    EXPECT_EQ(history.back().closePrice, 10950);
    const auto orders = book->orderHistory(account, 0);
    EXPECT_EQ(orders.back().type, 7);  // buy stop loss
    quote(11080);  // the ask reaches the sell's stop
    EXPECT_EQ(book->position(account, sell.id), nullptr);
    EXPECT_EQ(book->orderHistory(account, 0).back().type, 9);
}

TEST_F(BookTest, StopChangesAndOrderChangesAreChecked)
{
    quote(11000);
    const Outcome buy = book->openMarket(account, 1, 1, 1, 0, 0, deal(1).ask, true);
    EXPECT_EQ(book->changePosition(account, buy.id, 11001, 0).error, errStopLoss);
    EXPECT_EQ(book->changePosition(account, buy.id + 50, 10900, 0).error, errNotFound);
    ASSERT_EQ(book->changePosition(account, buy.id, 10900, 11200).error, errOk);
    EXPECT_EQ(book->position(account, buy.id)->stopLoss, 10900);
    const uint32_t order = book->placePending(account, 1, 2, 1, 0, 0, 10900).id;
    EXPECT_EQ(book->changeOrder(account, order, 11100, 0, 0).error, errPrice);
    ASSERT_EQ(book->changeOrder(account, order, 10800, 10700, 10900).error, errOk);
    EXPECT_EQ(book->order(account, order)->price, 10800);
    codes();
    ASSERT_EQ(book->deleteOrder(account, order).error, errOk);
    EXPECT_EQ(book->deleteOrder(account, order).error, errNotFound);
    EXPECT_EQ(codes(), (std::vector<uint8_t>{123}));
    EXPECT_EQ(book->orderHistory(account, 0).back().status, statusDeleted);
}

TEST_F(BookTest, AnotherAccountsRecordsAreOutOfReach)
{
    quote(11000);
    const uint32_t other = book->createAccount(0, "x", "Other", "o@example.com", 0, 500000, false, "");
    EXPECT_EQ(other, 1002u);
    const Outcome p = book->openMarket(account, 1, 1, 1, 0, 0, deal(1).ask, true);
    EXPECT_EQ(book->position(other, p.id), nullptr);
    EXPECT_EQ(book->closePosition(other, p.id, 1, deal(1).bid, true).error, errNotFound);
    EXPECT_EQ(book->reversePosition(other, p.id, deal(1).bid, 1, true).error, errNotFound);
    EXPECT_EQ(book->changePosition(other, p.id, 0, 0).error, errNotFound);
    EXPECT_TRUE(book->positions(other).empty());
}

TEST_F(BookTest, RolloverAddsSwapsThatCloseBooks)
{
    quote(11000);
    const Outcome buy = book->openMarket(account, 1, 1, 2, 0, 0, deal(1, 2).ask, true);
    codes();
    book->rollover();
    EXPECT_EQ(codes(), (std::vector<uint8_t>{134}));
    const int32_t swap = 2 * market.find(1)->swapLong;
    EXPECT_EQ(book->position(account, buy.id)->swap, swap);
    EXPECT_EQ(book->equity(account), 1000000 + swap + book->floatingProfit(*book->position(account, buy.id)));
    const int32_t close = deal(1).bid;
    const int64_t profit = profitCents(1, 1, book->position(account, buy.id)->openPrice, 0, 0, 200000, close);
    ASSERT_EQ(book->closePosition(account, buy.id, 2, close, true).error, errOk);
    EXPECT_EQ(book->balance(account), 1000000 + profit + swap);
    EXPECT_EQ(book->accountHistory(account, 0).back().swap, swap);
}

TEST_F(BookTest, DepositsAndWithdrawals)
{
    ASSERT_EQ(book->deposit(account, 2550).error, errOk);
    EXPECT_EQ(book->balance(account), 1002550);
    EXPECT_EQ(book->deposit(account, -2000000).error, errNoMoney);
    ASSERT_EQ(book->deposit(account, -2550).error, errOk);
    EXPECT_EQ(book->accountHistory(account, 0).back().operation, opWithdrawal);
    EXPECT_EQ(book->deposit(4242, 100).error, errNotFound);
}

TEST_F(BookTest, HistoryIsCutByDays)
{
    minute += 3 * 1440;
    ASSERT_EQ(book->deposit(account, 100).error, errOk);
    EXPECT_EQ(book->accountHistory(account, 1).size(), 1u);
    EXPECT_EQ(book->accountHistory(account, 3).size(), 2u);
    EXPECT_EQ(book->accountHistory(account, 0).size(), 2u);
}

TEST_F(BookTest, RegistrationChecksAndMakesAnAccount)
{
    std::string password;
    EXPECT_EQ(book->registerAccount("  ", "a@b.cd", 0, 1000, password).error, errLogin);
    EXPECT_EQ(book->registerAccount("Ivan", "a@b.cd", 0, 999, password).error, errNoMoney);
    EXPECT_EQ(book->registerAccount("Ivan", "a@b.cd", 0, 10001, password).error, errNoMoney);
    const Outcome r = book->registerAccount("Ivan", "a@b.cd", 1, 5000, password);
    ASSERT_EQ(r.error, errOk);
    EXPECT_LE(password.size(), 10u);
    EXPECT_FALSE(password.empty());
    EXPECT_EQ(book->account(r.id)->password, password);
    EXPECT_EQ(book->balance(r.id), 500000);
}

TEST_F(BookTest, ChatMessagesAreListedUntilConfirmed)
{
    const uint32_t mine = book->receiveMessage(account, "hello", 36526.5);
    EXPECT_TRUE(book->unconfirmedMessages(account).empty());  // the trader's own are not offered back
    const Outcome answer = book->sendMessage(account, std::string(600, 'x'));
    ASSERT_EQ(answer.error, errOk);
    EXPECT_NE(answer.id, mine);
    EXPECT_EQ(book->message(account, answer.id)->text.size(), 512u);
    EXPECT_EQ(book->unconfirmedMessages(account), std::vector<uint32_t>{answer.id});
    book->confirmMessage(account, answer.id);
    EXPECT_TRUE(book->unconfirmedMessages(account).empty());
}

TEST_F(BookTest, EverythingSurvivesAReopen)
{
    quote(11000);
    const Outcome p = book->openMarket(account, 1, 1, 2, 10900, 11200, deal(1, 2).ask, true);
    const Outcome o = book->placePending(account, 1, 2, 1, 0, 0, 10900);
    book->sendMessage(account, "hi");
    book->setTitle("Renamed dealer");
    const int64_t balance = book->balance(account);
    const size_t history = book->accountHistory(account, 0).size();
    reopen();
    ASSERT_NE(book->position(account, p.id), nullptr);
    EXPECT_EQ(book->position(account, p.id)->stopLoss, 10900);
    EXPECT_EQ(book->position(account, p.id)->lots, 2);
    ASSERT_NE(book->order(account, o.id), nullptr);
    EXPECT_EQ(book->balance(account), balance);
    EXPECT_EQ(book->accountHistory(account, 0).size(), history);
    EXPECT_EQ(book->unconfirmedMessages(account).size(), 1u);
    EXPECT_EQ(book->title(), "Renamed dealer");
    // Numbers go on where they stopped.
    const Outcome next = book->placePending(account, 1, 2, 1, 0, 0, 10850);
    EXPECT_GT(next.id, o.id);
}

} // namespace

// A row the database refuses for its content fails that statement only:
// the error says so, its transaction rolls back and the file stays usable.
TEST(DealerStorage, ARefusedRowRollsBackAndTheDatabaseGoesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Storage storage(dir.filePath("dealer.db").toStdString());
    ChatMessage m;
    m.id = 1;
    m.account = 1001;
    m.text = "hello";
    m.date = std::nan("");  // stored as NULL, which the column refuses
    try {
        Storage::Transaction tx(storage);
        storage.putSetting("before", "x");
        storage.putMessage(m);
        tx.commit();
        FAIL() << "a NaN date was stored";
    } catch (const StorageError &e) {
        EXPECT_TRUE(e.Refused()) << e.what();
    }
    m.date = 46000.5;
    {
        Storage::Transaction tx(storage);
        storage.putMessage(m);
        tx.commit();
    }
    const Storage::Contents c = storage.loadAll();
    EXPECT_EQ(c.settings.count("before"), 0u);
    ASSERT_EQ(c.messages.size(), 1u);
    EXPECT_EQ(c.messages.at(1).date, 46000.5);
}
