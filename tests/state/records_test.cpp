#include <gtest/gtest.h>

#include <stdexcept>

#include "clientlists.h"
#include "forexexception.h"
#include "inifile.h"
#include "languagetables.h"
#include "profit.h"
#include "recordingview.h"
#include "sixbittext.h"
#include "tradetexts.h"
#include "wirerecords.h"

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Minute time of 2004-05-03 10:05 UTC.
constexpr uint32_t kMay3 = 2281565;

class Records : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnglish(true);
        lists.SysVars.LotSize = 100000;
    }

    TUserCurrency *addInstrument(const wire::Instrument &w)
    {
        auto instrument = std::make_unique<TUserCurrency>(&lists.Instruments);
        instrument->LoadFrom(w.bytes());
        TUserCurrency *raw = instrument.get();
        lists.Instruments.AddInstrument(std::move(instrument));
        return raw;
    }
    TUserDeal *addPosition(const wire::Position &w)
    {
        auto position = std::make_unique<TUserDeal>(&lists.Positions);
        position->LoadFrom(w.bytes());
        TUserDeal *raw = position.get();
        lists.Positions.Add(std::move(position));
        return raw;
    }
    TUserOrder *addOrder(const wire::Order &w)
    {
        auto order = std::make_unique<TUserOrder>(&lists.Orders);
        order->LoadFrom(w.bytes());
        TUserOrder *raw = order.get();
        lists.Orders.Add(std::move(order));
        return raw;
    }
    template <class T, class L, class W>
    T *addHistory(L &list, const W &w)
    {
        auto entry = std::make_unique<T>(&list);
        entry->LoadFrom(w.bytes());
        T *raw = entry.get();
        list.Add(std::move(entry));
        return raw;
    }

    TClientLists lists;
};

// A record that reports its destruction.
struct Tracked : TUserBaseobject {
    Tracked(qint32 id, int &freed) : TUserBaseobject(id), freed(freed) {}
    ~Tracked() override { ++freed; }
    int &freed;
};

} // namespace

// ---- profit -----------------------------------------------------------------

TEST(ProfitFunction, KindsOneTwoThree)
{
    // A buy is valued at the bid; a sell mirrors it.
    EXPECT_DOUBLE_EQ(Profit(1, 1, 12000, 0, 0, 100000, 12050), 500.00);
    EXPECT_DOUBLE_EQ(Profit(2, 1, 12000, 0, 0, 100000, 12050), -500.00);
    // Kind 2 divides by the current price: 452.488… rounds to 452.49.
    EXPECT_DOUBLE_EQ(Profit(1, 2, 1100000, 0, 0, 100000, 1105000), 452.49);
    EXPECT_DOUBLE_EQ(Profit(1, 2, 1100000, 0, 0, 100000, 0), 0.0);
    // Kind 3 through a cross quoted 1.2500: kind 1 divides by 10000 × 10000 / 12500 = 8000,
    // kind 2 by the cross price itself, any other cross kind by 10000.
    EXPECT_DOUBLE_EQ(Profit(1, 3, 10000, 12500, 1, 100000, 10100), 1250.00);
    EXPECT_DOUBLE_EQ(Profit(1, 3, 10000, 12500, 2, 100000, 10100), 800.00);
    EXPECT_DOUBLE_EQ(Profit(1, 3, 10000, 12500, 7, 100000, 10100), 1000.00);
    EXPECT_DOUBLE_EQ(Profit(1, 3, 10000, 0, 1, 100000, 10100), 0.0);
    // A fractional kind-3 divisor (10000 × 10000 / 30000 = 3333.33…) is not truncated.
    EXPECT_DOUBLE_EQ(Profit(2, 3, 10100, 30000, 1, 100000, 10000), 3000.00);
}

TEST(ProfitFunction, HundredLotsDoNotOverflow)
{
    // 500 points × 10 000 000 units is 5e9, beyond 32 bits.
    EXPECT_DOUBLE_EQ(Profit(1, 1, 12000, 0, 0, 100LL * 100000, 12500), 500000.00);
    EXPECT_DOUBLE_EQ(Profit(2, 1, 12000, 0, 0, 100LL * 100000, 12500), -500000.00);
}

TEST(ProfitFunction, HalvesOfCentsGoToEven)
{
    // 0.005 → 0.00 and 0.025 → 0.02 (round-half-away would give 0.01 and 0.03); 0.015 → 0.02.
    EXPECT_DOUBLE_EQ(Profit(2, 1, 10001, 0, 0, 50, 10000), 0.0);
    EXPECT_DOUBLE_EQ(Profit(2, 1, 10005, 0, 0, 50, 10000), 0.02);
    EXPECT_DOUBLE_EQ(Profit(2, 1, 10003, 0, 0, 50, 10000), 0.02);
    EXPECT_FALSE(std::signbit(Profit(1, 1, 10000, 0, 0, 50, 10000)));
}

// ---- sorted lists -----------------------------------------------------------

TEST(SortedList, SignedOrderBinarySearchAndDuplicates)
{
    TSortedObjectList list;
    int index = -1;
    EXPECT_FALSE(list.FindIndex(5, index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.Find(5), nullptr);

    int freed = 0;
    for (qint32 id : {3, -5, 2147483647, -2147483647 - 1, 0, 100})
        list.Add(std::make_unique<Tracked>(id, freed));
    std::vector<qint32> ids;
    for (int i = 0; i < list.Count(); ++i)
        ids.push_back(list.At(i)->Id);
    EXPECT_EQ(ids, (std::vector<qint32>{-2147483647 - 1, -5, 0, 3, 100, 2147483647}));

    EXPECT_TRUE(list.FindIndex(100, index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(list.FindIndex(50, index));
    EXPECT_EQ(index, 4);

    try {
        list.Add(std::make_unique<Tracked>(3, freed));
        FAIL() << "duplicate accepted";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "try add duplicate item");
    }
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(freed, 1);  // the rejected record

    list.Remove(list.Find(0));
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(list.Count(), 5);
    list.Clear();
    EXPECT_EQ(freed, 7);
}

// ---- views ------------------------------------------------------------------

TEST_F(Records, AttachFillsInListOrderAndRowsFollowTheRecords)
{
    addInstrument({.id = 7, .name = "GBPUSD", .ask = 15002, .bid = 15000});
    addInstrument({.id = 2, .name = "EURUSD", .ask = 12002, .bid = 12000});
    RecordingView view;
    view.AddRow();  // a stale row the attach must remove
    view.attach(lists.Instruments);
    ASSERT_EQ(view.count(), 2);
    EXPECT_EQ(view.row(0)->caption, u"EURUSD");
    EXPECT_EQ(view.row(1)->caption, u"GBPUSD");
    EXPECT_EQ(view.row(0)->data, lists.Instruments.Item(0));
    EXPECT_EQ(view.updating, 0);

    // A record loaded while attached gets its own row; a removed one takes it away.
    TUserCurrency *usdjpy = addInstrument({.id = 9, .name = "USDJPY", .ask = 1051300, .bid = 1051200});
    ASSERT_EQ(view.count(), 3);
    EXPECT_EQ(view.rowOf(usdjpy)->col(0), u"105.12");
    lists.Instruments.Remove(usdjpy);
    EXPECT_EQ(view.count(), 2);

    lists.Instruments.DetachView();
    EXPECT_EQ(lists.Instruments.Item(0)->Item, nullptr);
    lists.Instruments.Clear();  // no view: nothing deleted from it
    EXPECT_EQ(view.deletes, 1);
}

// ---- instruments ------------------------------------------------------------

TEST_F(Records, InstrumentLoadAndQuoteMarks)
{
    RecordingView view;
    view.attach(lists.Instruments);
    TUserCurrency *eur = addInstrument({.id = 1, .kind = 1, .name = "  EURUSD ", .minutes = 0, .crossId = 4,
                                        .ask = 12347, .bid = 12345});
    EXPECT_EQ(eur->Name, u"EURUSD");
    EXPECT_EQ(eur->Mark, -1);
    EXPECT_EQ(eur->CrossId, 4);
    EXPECT_EQ(eur->QuoteTime, 0);
    RecordingRow *row = view.rowOf(eur);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->image, -1);
    EXPECT_EQ(row->sub, (QStringList{u"1.2345"_qs, u"1.2347"_qs, QString()}));

    row->written.clear();
    eur->ApplyQuote(wire::Quote{.id = 1, .ask = 12349, .bid = 12346, .minutes = kMay3}.bytes());
    EXPECT_EQ(eur->Mark, 0);  // bid rose
    EXPECT_EQ(row->image, 0);
    EXPECT_EQ(row->col(2), u"10:05");
    EXPECT_EQ(eur->DateTimeText(), u"03.05.2004 10:05");
    EXPECT_EQ(row->written, (std::vector<int>{0, 1, 2}));

    eur->ApplyQuote(12360, 12346, kMay3);  // ask moved, bid did not
    EXPECT_EQ(eur->Mark, 2);
    eur->ApplyQuote(12340, 12338, kMay3);
    EXPECT_EQ(eur->Mark, 1);
    EXPECT_EQ(row->col(0), u"1.2338");

    EXPECT_THROW(eur->ApplyQuote(std::vector<uint8_t>(13)), EForexException);
}

TEST_F(Records, InstrumentNameIsCutToTenCharacters)
{
    wire::Bytes raw = wire::Instrument{.id = 3, .name = "ABCDEFGHIJ"}.bytes();
    raw[3] = 200;  // a length byte beyond the capacity
    TUserCurrency instrument(&lists.Instruments);
    instrument.LoadFrom(raw);
    EXPECT_EQ(instrument.Name, u"ABCDEFGHIJ");
    EXPECT_THROW(instrument.LoadFrom(std::vector<uint8_t>(27)), EForexException);
}

TEST_F(Records, InstrumentLookupsAndNameIndex)
{
    addInstrument({.id = 5, .kind = 2, .name = "USDJPY", .ask = 1051300, .bid = 1051200});
    addInstrument({.id = 6, .kind = 1, .name = "usdjpy"});  // same name: first id stays
    qint32 ask = -1, bid = -1;
    lists.Instruments.GetPrices(5, ask, bid);
    EXPECT_EQ(ask, 1051300);
    EXPECT_EQ(bid, 1051200);
    lists.Instruments.GetPrices(99, ask, bid);
    EXPECT_EQ(ask, 0);
    EXPECT_EQ(bid, 0);
    EXPECT_EQ(lists.Instruments.GetKind(5), 2);
    EXPECT_EQ(lists.Instruments.GetKind(99), 0);
    EXPECT_EQ(lists.Instruments.IdByName(u"UsdJpy"_qs), 5);
    EXPECT_EQ(lists.Instruments.IdByName(u"EURUSD"_qs), -1);
    lists.Instruments.Clear();
    EXPECT_EQ(lists.Instruments.IdByName(u"USDJPY"_qs), -1);
}

TEST_F(Records, InstrumentImageAndStoredList)
{
    TUserCurrency *eur = addInstrument({.id = 300, .kind = 3, .name = "EURGBP", .minutes = kMay3,
                                        .crossId = 301, .ask = 8702, .bid = 8700});
    const auto image = eur->SaveImage();
    ASSERT_EQ(image.size(), 47u);
    EXPECT_EQ(image[0], 300 & 0xff);
    EXPECT_EQ(image[1], 300 >> 8);
    for (int i = 4; i < 12; ++i)
        EXPECT_EQ(image[size_t(i)], 0) << "object reference byte " << i;
    EXPECT_EQ(image[20], 6);  // name length
    EXPECT_EQ(image[43], 301 & 0xff);

    TUserCurrency copy(&lists.Instruments);
    copy.LoadImage(image);
    EXPECT_EQ(copy.Id, 300);
    EXPECT_EQ(copy.Name, u"EURGBP");
    EXPECT_EQ(copy.Kind, 3);
    EXPECT_EQ(copy.CrossId, 301);
    EXPECT_EQ(copy.Ask, 8702);
    EXPECT_EQ(copy.Bid, 8700);
    EXPECT_EQ(copy.QuoteTime, eur->QuoteTime);
    EXPECT_EQ(copy.Mark, -1);

    addInstrument({.id = 2, .name = "EURUSD"});
    TIniFile ini;
    SetEnglish(false);
    lists.Instruments.SaveToIni(ini);
    EXPECT_EQ(ini.ReadInteger(u"desktop"_qs, u"Lang"_qs, -1), 0);
    EXPECT_EQ(ini.SectionValues(u"currency"_qs).size(), 2);
    // A damaged line, a line of another length and a repeated id are skipped.
    ini.WriteString(u"currency"_qs, u"2"_qs, u"abc"_qs);
    ini.WriteString(u"currency"_qs, u"3"_qs, ini.ReadString(u"currency"_qs, u"0"_qs));
    ini.WriteInteger(u"desktop"_qs, u"Lang"_qs, 1);

    TClientLists restored;
    EXPECT_EQ(restored.Instruments.LoadFromIni(ini), 2);
    EXPECT_TRUE(IsEnglish());
    ASSERT_EQ(restored.Instruments.Count(), 2);
    EXPECT_EQ(restored.Instruments.Item(0)->Name, u"EURUSD");
    EXPECT_EQ(restored.Instruments.Item(1)->Name, u"EURGBP");
    EXPECT_EQ(restored.Instruments.IdByName(u"EURGBP"_qs), 300);
}

// ---- positions --------------------------------------------------------------

TEST_F(Records, PositionRowAndRefreshedColumns)
{
    addInstrument({.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050});
    RecordingView view(true);
    view.attach(lists.Positions);
    TUserDeal *deal = addPosition({.id = 501, .currencyId = 1, .operation = 1, .openTime = kMay3,
                                   .openPrice = 12000, .swap = 0, .lots = 1, .takeProfit = 12500});
    EXPECT_DOUBLE_EQ(deal->Profit, 500.0);
    RecordingRow *row = view.rowOf(deal);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->caption, u"501");
    EXPECT_EQ(row->image, 0);
    EXPECT_EQ(row->sub, (QStringList{u"03.05.2004 10:05"_qs, u"EURUSD"_qs, u"Buy"_qs, u"1.2000"_qs, u"1.2050"_qs,
                                     u"1"_qs, QString(), u"1.2500"_qs, u"0.00"_qs, u"500.00"_qs}));

    row->written.clear();
    deal->UpdatePrices(11992, 11990);
    EXPECT_DOUBLE_EQ(deal->Profit, -100.0);
    EXPECT_EQ(row->image, 1);
    EXPECT_EQ(row->written, (std::vector<int>{4, 5, 6, 7, 9}));
    EXPECT_EQ(row->col(9), u"-100.00");

    // A sell is valued at the ask.
    TUserDeal *sell = addPosition({.id = 502, .currencyId = 1, .operation = 2, .openPrice = 12000, .lots = 2});
    EXPECT_EQ(sell->CurrentPrice(), 12052);
    EXPECT_DOUBLE_EQ(sell->Profit, -1040.0);
    EXPECT_EQ(view.rowOf(sell)->col(2), u"Sell");
}

TEST_F(Records, PositionWithUnknownInstrumentOrCross)
{
    RecordingView view;
    view.attach(lists.Positions);
    TUserDeal *orphan = addPosition({.id = 1, .currencyId = 42, .openPrice = 12000});
    ASSERT_NE(view.rowOf(orphan), nullptr);
    EXPECT_EQ(orphan->Symbol, QString());
    EXPECT_EQ(orphan->Profit, 0);
    EXPECT_EQ(view.rowOf(orphan)->col(4), QString());

    // A cross rate whose conversion instrument is unknown: kept, neither shown nor valued.
    addInstrument({.id = 10, .kind = 3, .name = "EURGBP", .crossId = 11, .ask = 8702, .bid = 8700});
    TUserDeal *cross = addPosition({.id = 2, .currencyId = 10, .openPrice = 8600});
    EXPECT_EQ(view.rowOf(cross), nullptr);
    EXPECT_EQ(lists.Positions.Find(2), cross);
    EXPECT_EQ(cross->Profit, 0);
    cross->UpdatePrices(8802, 8800);
    EXPECT_EQ(view.rowOf(cross), nullptr);
    EXPECT_EQ(cross->Profit, 0);

    // Once the cross instrument is there, a reload values it.
    addInstrument({.id = 11, .kind = 1, .name = "GBPUSD", .ask = 12502, .bid = 12500});
    cross->LoadFrom(wire::Position{.id = 2, .currencyId = 10, .openPrice = 8600}.bytes());
    ASSERT_NE(view.rowOf(cross), nullptr);
    EXPECT_DOUBLE_EQ(cross->Profit, 1250.0);  // 100 points × 100000 / 8000
}

// ---- account ----------------------------------------------------------------

TEST_F(Records, AccountRecomputationImagesAndFooter)
{
    addInstrument({.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050});
    RecordingView view(true);
    view.attach(lists.Positions);
    TUserAccount &account = lists.Account();
    EXPECT_EQ(account.Item, view.footer.get());
    EXPECT_EQ(view.footer->image, 6);

    addPosition({.id = 1, .currencyId = 1, .operation = 1, .openPrice = 12000, .swap = -150, .lots = 1});
    account.LoadFrom(wire::Account{.balance = 100000, .margin = 50000}.bytes());
    EXPECT_DOUBLE_EQ(account.Balance, 1000.0);
    EXPECT_DOUBLE_EQ(account.TotalSwap, -1.5);
    EXPECT_DOUBLE_EQ(account.Equity, 1498.5);
    EXPECT_DOUBLE_EQ(account.FreeMargin, 998.5);
    EXPECT_DOUBLE_EQ(account.MarginLevel, 299.7);
    EXPECT_EQ(view.footer->caption, u" Balans: 1000.00; Equty: 1498.50; Free margin: 998.50");
    EXPECT_EQ(view.footer->image, 6);  // the equity before was 0
    EXPECT_EQ(view.count(), 1);        // the account never takes a row of its own
    const int repaints = view.repaints;

    lists.Positions.Item(0)->UpdatePrices(11952, 11950);
    account.RefreshItem();
    EXPECT_EQ(view.footer->image, 4);  // fell
    EXPECT_GT(view.repaints, repaints);
    account.RefreshItem();
    EXPECT_EQ(view.footer->image, 5);  // unchanged
    lists.Positions.Item(0)->UpdatePrices(12152, 12150);
    account.RefreshItem();
    EXPECT_EQ(view.footer->image, 5);  // rose

    // Free margin below zero shows 0; no margin means margin level 0.
    account.LoadFrom(wire::Account{.balance = -300000, .margin = 0}.bytes());
    EXPECT_DOUBLE_EQ(account.MarginLevel, 0.0);
    EXPECT_LT(account.FreeMargin, 0.0);
    EXPECT_EQ(view.footer->caption, u" Balans: -3000.00; Equty: -1501.50; Free margin: 0.00");

    // Without positions the equity is the balance.
    lists.Positions.Remove(lists.Positions.Item(0));
    account.RefreshItem();
    EXPECT_DOUBLE_EQ(account.Equity, -3000.0);
    EXPECT_DOUBLE_EQ(account.TotalSwap, 0.0);

    lists.Positions.DetachView();
    EXPECT_EQ(account.Item, nullptr);
    EXPECT_THROW(account.LoadFrom(std::vector<uint8_t>(7)), EForexException);
}

// ---- orders -----------------------------------------------------------------

TEST_F(Records, OrderPricesRowAndDescription)
{
    addInstrument({.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050});
    RecordingView view;
    view.attach(lists.Orders);
    // Fill prices: the ask for the buy-side types 1, 2, 4, the bid for the others.
    for (uint8_t type = 1; type <= 10; ++type) {
        TUserOrder *order = addOrder({.id = type, .currencyId = 1, .orderType = type, .price = 12000});
        const bool buySide = type == 1 || type == 2 || type == 4;
        EXPECT_EQ(order->CurrentPrice(), buySide ? 12052 : 12050) << "type " << int(type);
    }
    TUserOrder *grouped = addOrder({.id = 20, .group = 17, .currencyId = 1, .orderType = 2, .time = kMay3,
                                    .lots = 2, .takeProfit = 12500, .stopLoss = 12000, .price = 12010});
    RecordingRow *row = view.rowOf(grouped);
    EXPECT_EQ(row->image, 2);
    EXPECT_EQ(row->sub, (QStringList{u"17"_qs, u"03.05.2004 10:05"_qs, u"EURUSD"_qs, u"Buy limit"_qs, u"1.2010"_qs,
                                     u"1.2052"_qs, u"2"_qs, u"1.2000"_qs, u"1.2500"_qs}));
    EXPECT_EQ(view.rowOf(lists.Orders.FindRecord(3))->image, -1);
    EXPECT_EQ(view.rowOf(lists.Orders.FindRecord(3))->col(0), QString());

    row->written.clear();
    grouped->UpdatePrices(12062, 12060);
    EXPECT_EQ(row->written, (std::vector<int>{4, 5, 7, 8}));
    EXPECT_EQ(row->col(5), u"1.2062");

    EXPECT_EQ(grouped->Describe(), u"Buy limit EURUSD lot: 2;at price: 1.2010 (s/l=1.2000 ; t/p=1.2500)");
    grouped->StopLoss = 0;
    EXPECT_EQ(grouped->Describe(), u"Buy limit EURUSD lot: 2;at price: 1.2010 (t/p=1.2500)");
    grouped->TakeProfit = 0;
    EXPECT_EQ(grouped->Describe(), u"Buy limit EURUSD lot: 2;at price: 1.2010 ");
}

TEST_F(Records, AnOrderGivesItsWholeRecordBackToAChangeRequest)
{
    addInstrument({.id = 1, .kind = 1, .name = "EURUSD", .ask = 12052, .bid = 12050});
    const wire::Order w{.id = 20, .group = 17, .currencyId = 1, .orderType = 2, .time = kMay3,
                        .reserved = 0xA1B2C3D4, .lots = 2, .takeProfit = 12500, .stopLoss = 12000, .price = 12010};
    TUserOrder *order = addOrder(w);
    // Byte 13 (the reserved word) goes back as the server sent it.
    TCommandPtr change = NewChangeOrderCommand(order->Fields());
    const std::vector<uint8_t> payload(change->Buffer.begin() + hdr::Data, change->Buffer.end());
    EXPECT_EQ(payload, w.bytes());
}

TEST_F(Records, NewGroupNumberDrawsTenTimes)
{
    int draws = 0;
    std::vector<int> script;
    lists.Orders.RandomGroup = [&] { return script.at(size_t(draws++)); };
    addOrder({.id = 1, .group = 5});
    addOrder({.id = 2, .group = 6});
    script = {5, 6, 9};
    EXPECT_EQ(lists.Orders.NewGroupNumber(), 9);
    EXPECT_EQ(draws, 3);

    for (int g = 1; g <= 254; ++g)
        addOrder({.id = 100 + g, .group = uint8_t(g)});
    draws = 0;
    script.assign(20, 77);
    EXPECT_EQ(lists.Orders.NewGroupNumber(), -1);
    EXPECT_EQ(draws, 10);

    // The default source stays within 1..254.
    lists.Orders.RandomGroup = nullptr;
    lists.Orders.Clear();
    for (int i = 0; i < 200; ++i) {
        const int g = lists.Orders.NewGroupNumber();
        ASSERT_GE(g, 1);
        ASSERT_LE(g, 254);
    }
}

// ---- histories --------------------------------------------------------------

TEST_F(Records, AccountHistoryRowsByOperation)
{
    addInstrument({.id = 1, .name = "EURUSD"});
    RecordingView view(true);
    view.attach(lists.AccountHistory);
    auto *deposit = addHistory<TUserHistoryAccount>(
        lists.AccountHistory,
        wire::HistoryAccount{.id = 1, .time = kMay3, .lots = 3, .currencyId = 1, .profit = 1250, .operationType = 1});
    RecordingRow *row = view.rowOf(deposit);
    EXPECT_EQ(row->image, 0);
    EXPECT_EQ(row->sub, (QStringList{u"03.05.2004 10:05"_qs, u"add"_qs, {}, {}, {}, {}, {}, {}, {}, {}, u"12.50"_qs}));

    auto *trade = addHistory<TUserHistoryAccount>(
        lists.AccountHistory,
        wire::HistoryAccount{.id = 2, .time = kMay3, .openPrice = 12000, .closeTime = kMay3 + 60,
                             .closePrice = 12000, .lots = 1, .currencyId = 1, .profit = 0, .swap = 0,
                             .stopLoss = 11900, .takeProfit = 0, .operationType = 102});
    row = view.rowOf(trade);
    EXPECT_EQ(row->image, 1);
    EXPECT_EQ(row->sub, (QStringList{u"03.05.2004 10:05"_qs, u"Sell"_qs, u"EURUSD"_qs, u"1"_qs, u"1.2000"_qs,
                                     u"03.05.2004 11:05"_qs, u"1.2000"_qs, u"1.1900"_qs, QString(), QString(),
                                     u"0.00"_qs}));
    EXPECT_EQ(HistoryOperationText(2), u"delete");
    EXPECT_EQ(HistoryOperationText(101), u"Buy");
    EXPECT_EQ(HistoryOperationText(3), QString());
}

TEST_F(Records, AccountHistoryFooter)
{
    lists.AccountHistory.Today = [] { return QDate(2004, 5, 10); };
    addHistory<TUserHistoryAccount>(lists.AccountHistory,
                                    wire::HistoryAccount{.id = 1, .profit = 10050, .swap = -50, .operationType = 101});
    addHistory<TUserHistoryAccount>(lists.AccountHistory,
                                    wire::HistoryAccount{.id = 2, .profit = 100000, .operationType = 1});
    lists.Account().LoadFrom(wire::Account{.balance = 250000}.bytes());
    EXPECT_DOUBLE_EQ(lists.AccountHistory.Total(), 1100.0);

    RecordingView view(true);
    lists.AccountHistory.Days = 7;
    view.attach(lists.AccountHistory);
    const QLocale locale = QLocale::system();
    const QString expected = QStringLiteral("Total: %1 (%2 - %3) , Current balans : %4")
                                 .arg(u"1100.00"_qs, locale.toString(QDate(2004, 5, 3), QLocale::ShortFormat),
                                      locale.toString(QDate(2004, 5, 10), QLocale::ShortFormat), u"2500.00"_qs);
    EXPECT_EQ(view.footer->caption, expected);
    EXPECT_EQ(view.footer->image, 2);

    lists.AccountHistory.Days = 0;
    lists.Account().LoadFrom(wire::Account{.balance = 12345}.bytes());  // rewrites the footer
    EXPECT_EQ(view.footer->caption, u"Current balans :  123.45");

    lists.AccountHistory.DetachView();
    EXPECT_EQ(lists.AccountHistory.Footer, nullptr);
    lists.AccountHistory.RewriteFooter();  // no footer: nothing to write
}

TEST_F(Records, OrderHistoryRowAndStates)
{
    addInstrument({.id = 1, .name = "EURUSD"});
    RecordingView view;
    view.attach(lists.OrderHistory);
    auto *entry = addHistory<TUserHistoryOrder>(
        lists.OrderHistory, wire::HistoryOrder{.id = 9, .currencyId = 1, .orderType = 5, .openTime = kMay3,
                                               .closeTime = kMay3 + 1, .lots = 4, .takeProfit = 11000,
                                               .stopLoss = 0, .price = 11500, .status = 5});
    RecordingRow *row = view.rowOf(entry);
    EXPECT_EQ(row->image, -1);
    EXPECT_EQ(row->sub, (QStringList{u"03.05.2004 10:05"_qs, u"Sell stop"_qs, u"EURUSD"_qs, u"1.1500"_qs, u"4"_qs,
                                     QString(), u"1.1000"_qs, u"03.05.2004 10:06"_qs, u"canceled"_qs}));
    EXPECT_EQ(OrderStateText(3), u"deleted");
    EXPECT_EQ(OrderStateText(4), u"executed");
    EXPECT_EQ(OrderStateText(6), QString());
    SetEnglish(false);
    EXPECT_NE(OrderStateText(4), u"executed");
    EXPECT_FALSE(OrderStateText(4).isEmpty());
    EXPECT_EQ(OrderTypeText(10), u"Sell take profit");
    EXPECT_EQ(OrderTypeText(11), QString());
}
