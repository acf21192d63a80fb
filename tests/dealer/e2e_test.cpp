#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <QTemporaryDir>

#include <random>

#include "dealerharness.h"
#include "errortext.h"
#include "keyfile.h"
#include "languagetables.h"
#include "packetreader.h"
#include "testapp.h"
#include "units.h"
#include "wiretext.h"

namespace {

struct Instr {
    uint16_t id;
    uint8_t kind;
    QString name;
    uint16_t cross;
    int32_t ask, bid;
};

class DealerEndToEnd : public DealerTest {
protected:
    static Parts ask(DealerClient &c, uint8_t code) { return c.request(NewCommand(code, 0)); }
    static Parts ask(DealerClient &c, uint8_t code, uint32_t value) { return c.request(NewCommandU32(code, value)); }
    std::vector<Instr> instruments(DealerClient &c)
    {
        std::vector<Instr> out;
        for (const TPacketBuffer &p : ask(c, cmdGetInstruments)) {
            TUserReply r(0);
            r.Buffer = p;
            r.SyncSize();
            PacketReader in(r, hdr::ReplyData);
            const uint16_t n = in.u16();
            for (uint16_t k = 0; k < n; ++k) {
                Instr i;
                i.id = in.u16();
                i.kind = in.u8();
                i.name = in.shortString(10);
                in.u32();
                i.cross = in.u16();
                i.ask = in.i32();
                i.bid = in.i32();
                out.push_back(i);
            }
        }
        return out;
    }
    Instr instrument(DealerClient &c, const QString &name)
    {
        for (const Instr &i : instruments(c))
            if (i.name == name)
                return i;
        return {};
    }
    // The client's dealing prices of the moment.
    std::pair<int32_t, int32_t> dealing(DealerClient &c, const QString &name, int lots)
    {
        const Parts sys = ask(c, cmdGetSysVariables);
        const std::vector<uint8_t> d = DataOf(sys.at(0));
        const Instr i = instrument(c, name);
        qint32 a = i.ask, b = i.bid;
        DealingPrices(a, b, lots, TSpreadTable(d.data() + 12, 9), i.kind);
        return {a, b};
    }
    static std::vector<uint8_t> positionRecord(DealerClient &c, uint32_t id)
    {
        const Parts r = c.request(NewCommandU32(cmdGetPosition, id));
        return r.empty() || ErrorOf(r[0]) ? std::vector<uint8_t>{} : DataOf(r[0]);
    }
    TCommandPtr marketOrder(uint16_t instrument, uint8_t type, uint8_t lots, uint32_t price, uint32_t sl = 0,
                            uint32_t tp = 0)
    {
        TOrderFields o;
        o.CurrencyId = instrument;
        o.Side = type == 1 ? 1 : type == 6 ? 2 : 0;
        o.OrderType = type;
        o.Lots = lots;
        o.Price = price;
        o.StopLoss = sl;
        o.TakeProfit = tp;
        return NewPlaceCommand(o);
    }
    static uint32_t lastPushId(DealerClient &c, uint8_t code) { return GetU32(&c.pushed[code].back()[hdr::Data]); }
};

TEST_F(DealerEndToEnd, PlainLoginAndTheStartupReplies)
{
    startDealer({"--ticks-per-second", "40"});
    EXPECT_TRUE(QFile::exists(dir.filePath("1002.prk")));
    auto c = connect();
    EXPECT_FALSE(c->session.Thread().Encrypted());

    const Parts sys = ask(*c, cmdGetSysVariables);
    ASSERT_EQ(sys.size(), 1u);
    ASSERT_EQ(ErrorOf(sys[0]), 0);
    const std::vector<uint8_t> d = DataOf(sys[0]);
    ASSERT_EQ(d.size(), 122u);
    EXPECT_GT(GetU32(&d[0]), 14000000u);
    EXPECT_EQ(GetU32(&d[4]), 100000u);
    EXPECT_EQ(DecodeWireText(d.data() + 22, d[21]), "Kelvra demo dealer");

    const std::vector<Instr> list = instruments(*c);
    ASSERT_EQ(list.size(), 9u);
    std::map<QString, Instr> byName;
    for (const Instr &i : list)
        byName[i.name] = i;
    EXPECT_EQ(byName["EURUSD"].kind, 1);
    EXPECT_EQ(byName["USDJPY"].kind, 2);
    EXPECT_EQ(byName["EURGBP"].kind, 3);
    EXPECT_EQ(byName["EURGBP"].cross, byName["GBPUSD"].id);
    EXPECT_EQ(byName["GBPJPY"].cross, byName["USDJPY"].id);

    const Parts account = ask(*c, cmdGetAccount);
    ASSERT_EQ(DataOf(account.at(0)).size(), 8u);
    EXPECT_EQ(GetU32(DataOf(account[0]).data()), 1000000u);
    for (uint8_t code : {cmdGetPositions, cmdGetOrders}) {
        const Parts r = ask(*c, code);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0][hdr::Flags] & (pfFirst | pfMiddle | pfLast), 0);
        EXPECT_EQ(DataOf(r[0]), (std::vector<uint8_t>{0, 0}));
    }
    const Parts history = ask(*c, cmdGetAccountHistory, 0);
    ASSERT_EQ(DataOf(history.at(0)).size(), 2u + 40u);
    EXPECT_EQ(DataOf(history[0])[2 + 39], 1);  // the opening deposit
    EXPECT_EQ(DataOf(ask(*c, cmdGetOrderHistory, 0).at(0)).size(), 2u);

    // The welcome mail is listed until its receipt is confirmed.
    const std::vector<uint8_t> ids = DataOf(ask(*c, cmdGetMailIds).at(0));
    ASSERT_EQ(ids.size(), 6u);
    const uint32_t mailId = GetU32(&ids[2]);
    const std::vector<uint8_t> mail = DataOf(ask(*c, cmdGetMail, mailId).at(0));
    ASSERT_GE(mail.size(), 370u);
    EXPECT_EQ(GetU32(&mail[0]), mailId);
    EXPECT_EQ(DecodeWireText(&mail[5], mail[4]), "Kelvra demo dealer");
    EXPECT_EQ(DecodeWireText(&mail[114], mail[113]), "Welcome");
    EXPECT_EQ(mail.size(), 370u + GetU16(&mail[368]));
    c->session.SendCommand(NewReadReceipt(cmdMailRead, mailId), nullptr, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return DataOf(ask(*c, cmdGetMailIds).at(0)).size() == 2u; }));

    // Quotes flow once logged in; the minute push carries the time.
    EXPECT_TRUE(c->waitPush(cmdQuote));
    EXPECT_EQ(c->pushed[cmdQuote].back().size(), 10u + 14u);
}

TEST_F(DealerEndToEnd, UnknownCodesAndShortPayloadsAreAnsweredNotFatal)
{
    startDealer();
    auto c = connect();
    const Parts unknown = c->request(NewCommand(200, 0));
    ASSERT_EQ(unknown.size(), 1u);
    EXPECT_EQ(ErrorOf(unknown[0]), 4);
    TUserReply r(0);
    r.Buffer = unknown[0];
    r.SyncSize();
    r.ReadHeader();
    EXPECT_EQ(ErrorText(r, true), "Unsuported command");
    EXPECT_EQ(ErrorOf(c->request(NewCommand(cmdGetPosition, 2)).at(0)), 4);
    EXPECT_EQ(ErrorOf(ask(*c, cmdGetPosition, 777).at(0)), 3);
    EXPECT_TRUE(c->session.LoggedIn());
    EXPECT_EQ(ErrorOf(ask(*c, cmdGetAccount).at(0)), 0);
}

TEST_F(DealerEndToEnd, EncryptedAccountLogsInWithItsKeyFile)
{
    startDealer();
    const TKeyRecord key = LoadKeyFile(dir.filePath("1002.prk"));
    auto c = connect(1002, "demo", key);
    ASSERT_TRUE(c->session.LoggedIn());
    EXPECT_TRUE(c->session.Thread().Encrypted());
    // Encrypted both ways (109, 127, 115) and plain (113, 131) on one session.
    EXPECT_EQ(GetU32(DataOf(ask(*c, cmdGetAccount).at(0)).data()), 1000000u);
    const auto [dask, dbid] = dealing(*c, "USDJPY", 2);
    (void)dbid;
    const Parts placed = c->request(marketOrder(4, 1, 2, uint32_t(dask)));
    ASSERT_EQ(ErrorOf(placed.at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdPositionOpened));
    const std::vector<uint8_t> p = positionRecord(*c, lastPushId(*c, cmdPositionOpened));
    ASSERT_EQ(p.size(), 36u);
    EXPECT_EQ(p[27], 2);
    EXPECT_EQ(DataOf(ask(*c, cmdGetPositions).at(0)).size(), 2u + 36u);
    EXPECT_EQ(DataOf(ask(*c, cmdGetAccountHistory, 0).at(0)).size(), 2u + 40u);

    // Without the key the client cannot go on.
    DealerClient nokey(dealer->port());
    c.reset();
    EXPECT_FALSE(nokey.login(1002, "demo"));
}

TEST_F(DealerEndToEnd, BadPasswordAndASecondLoginAreRefused)
{
    startDealer();
    DealerClient wrong(dealer->port());
    EXPECT_FALSE(wrong.login(1001, "nope"));
    EXPECT_TRUE(WaitUntil([&] { return wrong.status() == "Incorrect login name or password"; }));

    auto first = connect();
    DealerClient second(dealer->port());
    EXPECT_FALSE(second.login(1001, "demo"));
    EXPECT_TRUE(WaitUntil([&] { return second.status() == "User the same name already exist in system"; }));
    // Once the first has gone the account is free again at once.
    first.reset();
    EXPECT_TRUE(second.login(1001, "demo")) << second.status().toStdString();
}

TEST_F(DealerEndToEnd, MarketPositionLifeCycle)
{
    startDealer();
    auto c = connect();
    const Instr eur = instrument(*c, "EURUSD");
    auto [dask, dbid] = dealing(*c, "EURUSD", 3);
    ASSERT_EQ(ErrorOf(c->request(marketOrder(eur.id, 1, 3, uint32_t(dask))).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdPositionOpened));
    ASSERT_TRUE(c->waitPush(cmdAccountChanged));
    const uint32_t id = lastPushId(*c, cmdPositionOpened);
    std::vector<uint8_t> p = positionRecord(*c, id);
    ASSERT_EQ(p.size(), 36u);
    EXPECT_EQ(GetU32(&p[0]), id);
    EXPECT_EQ(GetU16(&p[4]), eur.id);
    EXPECT_EQ(p[6], 1);
    EXPECT_EQ(int32_t(GetU32(&p[11])), dask);
    EXPECT_EQ(p[27], 3);
    // The account's margin is the position's.
    const std::vector<uint8_t> acc = DataOf(ask(*c, cmdGetAccount).at(0));
    EXPECT_EQ(GetU32(&acc[0]), 1000000u);
    EXPECT_GT(GetU32(&acc[4]), 0u);

    // Stops: a stop loss above the bid of a buy is refused, a sound one taken.
    uint8_t record[36];
    std::copy(p.begin(), p.end(), record);
    EXPECT_EQ(ErrorOf(c->request(NewChangePositionCommand(record, 0, uint32_t(eur.bid + 100))).at(0)), 15);
    ASSERT_EQ(ErrorOf(c->request(NewChangePositionCommand(record, uint32_t(eur.bid + 300), uint32_t(eur.bid - 300)))
                          .at(0)),
              0);
    ASSERT_TRUE(c->waitPush(cmdPositionChanged, id));
    p = positionRecord(*c, id);
    EXPECT_EQ(int32_t(GetU32(&p[28])), eur.bid + 300);
    EXPECT_EQ(int32_t(GetU32(&p[32])), eur.bid - 300);

    // One lot closed, then the rest; the balance moves by the client's profit.
    std::tie(dask, dbid) = dealing(*c, "EURUSD", 1);
    ASSERT_EQ(ErrorOf(c->request(NewClosePositionCommand(id, 1, uint32_t(dbid))).at(0)), 0);
    EXPECT_TRUE(WaitUntil([&] { return c->pushCount(cmdPositionChanged) >= 2; }));
    EXPECT_EQ(positionRecord(*c, id).at(27), 2);
    ASSERT_EQ(ErrorOf(c->request(NewClosePositionCommand(id, 2, uint32_t(dbid))).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdPositionClosed, id));
    EXPECT_TRUE(positionRecord(*c, id).empty());
    const double profit = (double(dask) - dbid) * 300000 * -1 / 10000;
    const std::vector<uint8_t> after = DataOf(ask(*c, cmdGetAccount).at(0));
    EXPECT_EQ(int32_t(GetU32(&after[0])), 1000000 + int32_t(std::nearbyint(profit * 100)));
    EXPECT_EQ(GetU32(&after[4]), 0u);
    // Account history: deposit and two closed parts of a buy.
    const std::vector<uint8_t> h = DataOf(ask(*c, cmdGetAccountHistory, 1).at(0));
    ASSERT_EQ(GetU16(h.data()), 3);
    EXPECT_EQ(h[2 + 40 + 39], 101);
    EXPECT_EQ(h[2 + 40 + 20], 1);
    EXPECT_EQ(h[2 + 80 + 20], 2);
    // Not enough money for a hundred lots.
    std::tie(dask, dbid) = dealing(*c, "EURUSD", 100);
    EXPECT_EQ(ErrorOf(c->request(marketOrder(eur.id, 1, 100, uint32_t(dask))).at(0)), 8);
}

TEST_F(DealerEndToEnd, RequoteAcceptedRefusedAndLate)
{
    startDealer({"--ticks-per-second", "0", "--requote-points", "2", "--confirm-seconds", "1"});
    auto c = connect();
    const Instr eur = instrument(*c, "EURUSD");
    const auto [dask, dbid] = dealing(*c, "EURUSD", 1);
    (void)dbid;
    const uint32_t stale = uint32_t(dask + 30);

    Parts r = c->request(marketOrder(eur.id, 1, 1, stale));
    ASSERT_EQ(ErrorOf(r.at(0)), 100);
    ASSERT_EQ(DataOf(r[0]).size(), 4u);  // exactly the new price
    EXPECT_EQ(int32_t(GetU32(DataOf(r[0]).data())), dask);
    ASSERT_EQ(ErrorOf(c->request(NewConfirmPriceCommand(true)).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdPositionOpened));
    const uint32_t id = lastPushId(*c, cmdPositionOpened);
    EXPECT_EQ(int32_t(GetU32(&positionRecord(*c, id)[11])), dask);

    // Refused: nothing happens.
    ASSERT_EQ(ErrorOf(c->request(marketOrder(eur.id, 1, 1, stale)).at(0)), 100);
    EXPECT_EQ(ErrorOf(c->request(NewConfirmPriceCommand(false)).at(0)), 5);
    // Close and reverse are judged with the one-lot prices as well.
    ASSERT_EQ(ErrorOf(c->request(NewClosePositionCommand(id, 1, uint32_t(dask + 50))).at(0)), 100);
    // Too late: the answer comes after the confirmation window.
    QElapsedTimer since;
    since.start();
    WaitUntil([&] { return since.elapsed() > 1300; }, 3000);
    EXPECT_EQ(ErrorOf(c->request(NewConfirmPriceCommand(true)).at(0)), 14);
    EXPECT_EQ(positionRecord(*c, id).size(), 36u);
    // Never for changes of stops or pending orders; 140 with nothing offered.
    EXPECT_EQ(ErrorOf(c->request(NewConfirmPriceCommand(true)).at(0)), 3);
    ASSERT_EQ(ErrorOf(c->request(NewReversePositionCommand(id, uint32_t(dbid + 40), 1)).at(0)), 100);
    ASSERT_EQ(ErrorOf(c->request(NewConfirmPriceCommand(true)).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdPositionClosed, id));
    EXPECT_TRUE(WaitUntil([&] { return c->pushCount(cmdPositionOpened) == 2; }));
    const std::vector<uint8_t> reversed = positionRecord(*c, lastPushId(*c, cmdPositionOpened));
    ASSERT_EQ(reversed.size(), 36u);
    EXPECT_EQ(reversed[6], 2);
    EXPECT_EQ(reversed[27], 1);
}

TEST_F(DealerEndToEnd, AHeldReplyGoesOutOnlyWhenReleased)
{
    startDealer();
    auto c = connect();
    QString out;
    EXPECT_FALSE(dealer->admin({"release-reply", "1001"}, &out));
    EXPECT_EQ(out, "no reply held for 1001");
    EXPECT_FALSE(dealer->admin({"hold-reply", "999999"}, &out));
    ASSERT_TRUE(dealer->admin({"hold-reply", "1001"}, &out)) << out.toStdString();
    // Requests that are not trade commands are answered as ever.
    ASSERT_EQ(ErrorOf(ask(*c, cmdGetAccount).at(0)), 0);

    const auto [dask, dbid] = dealing(*c, "EURUSD", 1);
    auto replies = std::make_shared<Parts>();
    ASSERT_TRUE(c->session.SendCommand(marketOrder(1, 1, 1, uint32_t(dask)), nullptr,
                                       [replies](TUserCmdRply *p) { replies->push_back(p->Buffer); }));
    // Carried out: its push arrives, and a reply sent would have come before it.
    ASSERT_TRUE(c->waitPush(cmdPositionOpened));
    EXPECT_TRUE(replies->empty());
    ASSERT_TRUE(dealer->admin({"release-reply", "1001"}, &out)) << out.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !replies->empty(); }));
    EXPECT_EQ(ErrorOf(replies->at(0)), 0);
    EXPECT_FALSE(dealer->admin({"release-reply", "1001"}, &out));
    // Only the next command was held.
    const uint32_t id = lastPushId(*c, cmdPositionOpened);
    EXPECT_EQ(ErrorOf(c->request(NewClosePositionCommand(id, 1, uint32_t(dbid))).at(0)), 0);
}

TEST_F(DealerEndToEnd, PendingOrdersGroupsAndStops)
{
    startDealer();
    auto c = connect();
    const Instr eur = instrument(*c, "EURUSD");
    // An OCO pair around the market and a third order outside the group.
    const Parts a = c->request(marketOrder(eur.id, 4, 1, uint32_t(eur.ask + 50), uint32_t(eur.ask - 100)));
    const Parts b = c->request(marketOrder(eur.id, 5, 1, uint32_t(eur.bid - 50)));
    const Parts x = c->request(marketOrder(eur.id, 2, 1, uint32_t(eur.bid - 200)));
    ASSERT_EQ(ErrorOf(a.at(0)), 0);
    ASSERT_EQ(ErrorOf(b.at(0)), 0);
    ASSERT_EQ(ErrorOf(x.at(0)), 0);
    EXPECT_EQ(ErrorOf(c->request(marketOrder(eur.id, 2, 1, uint32_t(eur.ask + 10))).at(0)), 6);
    ASSERT_TRUE(WaitUntil([&] { return c->pushCount(cmdOrderPlaced) == 3; }));
    std::vector<uint32_t> ids;
    for (const TPacketBuffer &p : c->pushed[cmdOrderPlaced])
        ids.push_back(GetU32(&p[hdr::Data]));
    const std::vector<uint8_t> o = DataOf(ask(*c, cmdGetOrder, ids[0]).at(0));
    ASSERT_EQ(o.size(), 30u);
    EXPECT_EQ(o[8], 4);
    EXPECT_EQ(o[7], 1);
    EXPECT_EQ(int32_t(GetU32(&o[26])), eur.ask + 50);

    ASSERT_EQ(ErrorOf(c->request(NewGroupOrdersCommand(7, {ids[0], ids[1]})).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdOrdersChanged));
    const std::vector<uint8_t> all = DataOf(ask(*c, cmdGetOrders).at(0));
    ASSERT_EQ(GetU16(all.data()), 3);
    EXPECT_EQ(all[2 + 4], 7);
    EXPECT_EQ(all[2 + 30 + 4], 7);
    EXPECT_EQ(all[2 + 60 + 4], 0);

    // The market reaches the buy stop: it executes, its partner is cancelled.
    ASSERT_TRUE(dealer->admin({"set-price", "EURUSD", QString::number((eur.bid + 60) / 10000.0, 'f', 4)}));
    ASSERT_TRUE(c->waitPush(cmdPositionOpened));
    ASSERT_TRUE(c->waitPush(cmdOrderDeleted, ids[0]));
    ASSERT_TRUE(c->waitPush(cmdOrderDeleted, ids[1]));
    EXPECT_EQ(GetU16(DataOf(ask(*c, cmdGetOrders).at(0)).data()), 1);
    const std::vector<uint8_t> oh = DataOf(ask(*c, cmdGetOrderHistory, 0).at(0));
    ASSERT_EQ(GetU16(oh.data()), 2);
    std::map<uint32_t, uint8_t> status;
    for (int k = 0; k < 2; ++k)
        status[GetU32(&oh[2 + 31 * k])] = oh[2 + 31 * k + 30];
    EXPECT_EQ(status[ids[0]], 4);
    EXPECT_EQ(status[ids[1]], 5);

    // The new position's stop loss is hit when the market falls.
    const uint32_t position = lastPushId(*c, cmdPositionOpened);
    EXPECT_EQ(int32_t(GetU32(&positionRecord(*c, position)[32])), eur.ask - 100);
    ASSERT_TRUE(dealer->admin({"set-price", "EURUSD", QString::number((eur.ask - 120) / 10000.0, 'f', 4)}));
    ASSERT_TRUE(c->waitPush(cmdPositionClosed, position));
    const std::vector<uint8_t> ah = DataOf(ask(*c, cmdGetAccountHistory, 0).at(0));
    ASSERT_EQ(GetU16(ah.data()), 2);
    EXPECT_EQ(int32_t(GetU32(&ah[2 + 40 + 16])), eur.ask - 100);  // closed at the stop
    // The remaining order: changed, then deleted.
    uint8_t rec[30];
    std::copy(all.begin() + 62, all.begin() + 92, rec);
    TOrderFields f;
    f.Id = GetU32(rec);
    f.CurrencyId = eur.id;
    f.OrderType = 2;
    f.Lots = 1;
    f.Price = uint32_t(eur.bid - 300);
    ASSERT_EQ(ErrorOf(c->request(NewChangeOrderCommand(f)).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdOrderChanged, f.Id));
    ASSERT_EQ(ErrorOf(ask(*c, cmdDeleteOrder, f.Id).at(0)), 0);
    ASSERT_TRUE(c->waitPush(cmdOrderDeleted, f.Id));
    EXPECT_EQ(ErrorOf(ask(*c, cmdDeleteOrder, f.Id).at(0)), 3);
}

TEST_F(DealerEndToEnd, HistoryBarsAreSplitAndLabelled)
{
    startDealer();
    auto c = connect();
    const Parts m1 = c->request(NewHistoryBarsCommand(1, 1, 0));
    ASSERT_GE(m1.size(), 3u);
    EXPECT_EQ(m1.front()[hdr::Flags] & (pfFirst | pfMiddle | pfLast), pfFirst);
    EXPECT_EQ(m1[1][hdr::Flags] & (pfFirst | pfMiddle | pfLast), pfMiddle);
    EXPECT_EQ(m1.back()[hdr::Flags] & (pfFirst | pfMiddle | pfLast), pfLast);
    std::vector<int32_t> times;
    for (const TPacketBuffer &p : m1) {
        ASSERT_LE(p.size(), size_t(MaxPayloadLength) + 10);
        const std::vector<uint8_t> d = DataOf(p);
        const uint16_t n = GetU16(d.data());
        ASSERT_EQ(d.size(), 2u + 20u * n);
        for (uint16_t k = 0; k < n; ++k) {
            const uint8_t *b = &d[2 + 20 * k];
            times.push_back(int32_t(GetU32(b)));
            const int32_t high = int32_t(GetU32(b + 4)), low = int32_t(GetU32(b + 8));
            const int32_t open = int32_t(GetU32(b + 12)), close = int32_t(GetU32(b + 16));
            EXPECT_LE(low, std::min(open, close));
            EXPECT_GE(high, std::max(open, close));
        }
    }
    EXPECT_EQ(times.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    // Hour bars carry the end of their hour; a time asks for what is at or after it.
    const Parts h1 = c->request(NewHistoryBarsCommand(4, 3, uint32_t(times.back() / 60 * 60)));
    ASSERT_EQ(h1.size(), 1u);
    const std::vector<uint8_t> d = DataOf(h1[0]);
    ASSERT_GE(GetU16(d.data()), 1);
    EXPECT_EQ(GetU32(&d[2]) % 60, 0u);
    EXPECT_GE(GetU32(&d[2]), uint32_t(times.back() / 60 * 60));
    EXPECT_EQ(ErrorOf(c->request(NewHistoryBarsCommand(99, 3, 0)).at(0)), 3);
}

TEST_F(DealerEndToEnd, RegistrationThenLoginWithTheNewAccount)
{
    startDealer();
    uint32_t account = 0;
    QString password;
    {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Ivan Petrov", "ivan@example.com", 5000, account, password));
        EXPECT_GT(account, 1002u);
        EXPECT_LE(password.size(), 10);
        // The registering connection is already the new account's session.
        EXPECT_EQ(GetU32(DataOf(ask(reg, cmdGetAccount).at(0)).data()), 500000u);
        EXPECT_EQ(DataOf(ask(reg, cmdGetMailIds).at(0)).size(), 6u);
        // The client then logs in normally on a new connection.
        EXPECT_TRUE(reg.login(account, password)) << reg.status().toStdString();
    }
    auto c = connect(account, password);
    EXPECT_EQ(GetU32(DataOf(ask(*c, cmdGetAccount).at(0)).data()), 500000u);
}

TEST_F(DealerEndToEnd, MailChatAndTitle)
{
    startDealer();
    auto c = connect();
    ASSERT_TRUE(dealer->admin({"send-mail", "1001", "Margin call", "Please top up."}));
    ASSERT_TRUE(c->waitPush(cmdNewMail));
    const std::vector<uint8_t> mail = DataOf(ask(*c, cmdGetMail, lastPushId(*c, cmdNewMail)).at(0));
    EXPECT_EQ(DecodeWireText(&mail[114], mail[113]), "Margin call");

    const Parts sent = c->request(NewSendMessageCommand(QStringLiteral("Hello dealer"), 40000.5));
    ASSERT_EQ(ErrorOf(sent.at(0)), 0);
    ASSERT_EQ(DataOf(sent[0]).size(), 8u);  // message id and server time
    EXPECT_GT(GetU32(&DataOf(sent[0])[4]), 14000000u);
    ASSERT_TRUE(c->waitPush(cmdNewMessage));
    const uint32_t answer = lastPushId(*c, cmdNewMessage);
    EXPECT_NE(answer, GetU32(DataOf(sent[0]).data()));
    const std::vector<uint8_t> m = DataOf(ask(*c, cmdGetMessage, answer).at(0));
    ASSERT_GE(m.size(), 14u);
    EXPECT_EQ(m.size(), 14u + GetU16(&m[12]));
    EXPECT_EQ(DataOf(ask(*c, cmdGetMessageIds).at(0)).size(), 6u);
    c->session.SendCommand(NewReadReceipt(cmdMessageRead, answer), nullptr, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return DataOf(ask(*c, cmdGetMessageIds).at(0)).size() == 2u; }));

    ASSERT_TRUE(dealer->admin({"set-title", "Night desk"}));
    ASSERT_TRUE(c->waitPush(cmdSysVariablesChanged));
    const std::vector<uint8_t> sys = DataOf(ask(*c, cmdGetSysVariables).at(0));
    EXPECT_EQ(DecodeWireText(&sys[22], sys[21]), "Night desk");
    QString out;
    EXPECT_FALSE(dealer->admin({"deposit", "999999", "10"}, &out));
    EXPECT_TRUE(dealer->admin({"deposit", "1001", "25.50"}, &out));
    ASSERT_TRUE(c->waitPush(cmdAccountChanged));
    EXPECT_EQ(GetU32(DataOf(ask(*c, cmdGetAccount).at(0)).data()), 1002550u);
}

// A client's clock is not trusted: a date that is not a number or out of
// any sane range is stored as the server's time, and the server stays up.
TEST_F(DealerEndToEnd, ChatDatesThatAreNoDatesTakeTheServersTime)
{
    startDealer();
    auto c = connect();
    for (const double date : {std::nan(""), 1e300, -5.0}) {
        const Parts sent = c->request(NewSendMessageCommand(QStringLiteral("odd clock"), date));
        ASSERT_EQ(ErrorOf(sent.at(0)), 0);
        const std::vector<uint8_t> m = DataOf(ask(*c, cmdGetMessage, GetU32(DataOf(sent[0]).data())).at(0));
        ASSERT_GE(m.size(), 14u);
        double stored = 0;
        std::memcpy(&stored, &m[4], 8);
        EXPECT_TRUE(std::isfinite(stored));
        EXPECT_GT(stored, 45000.0);  // a date of this century, in days
        EXPECT_LT(stored, 73051.0);
    }
    QString out;
    EXPECT_TRUE(dealer->admin({"status"}, &out));
}

TEST_F(DealerEndToEnd, StateSurvivesARestart)
{
    startDealer();
    uint32_t id = 0;
    {
        auto c = connect();
        const auto [dask, dbid] = dealing(*c, "GBPJPY", 2);
        (void)dbid;
        ASSERT_EQ(ErrorOf(c->request(marketOrder(9, 1, 2, uint32_t(dask))).at(0)), 0);
        ASSERT_TRUE(c->waitPush(cmdPositionOpened));
        id = lastPushId(*c, cmdPositionOpened);
    }
    ASSERT_TRUE(dealer->stop());
    startDealer();
    auto c = connect();
    const std::vector<uint8_t> p = positionRecord(*c, id);
    ASSERT_EQ(p.size(), 36u);
    EXPECT_EQ(GetU16(&p[4]), 9);
    EXPECT_EQ(p[27], 2);
    EXPECT_EQ(GetU16(DataOf(ask(*c, cmdGetOrderHistory, 0).at(0)).data()), 1);
}

TEST_F(DealerEndToEnd, AFaultyClientLosesOnlyItsOwnSession)
{
    startDealer({"--ticks-per-second", "20"});
    auto good = connect();

    RawClient garbage(dealer->port());
    ASSERT_TRUE(garbage.connected());
    garbage.sendBytes({0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05});
    EXPECT_TRUE(garbage.closedByServer());

    RawClient oversize(dealer->port());
    oversize.sendBytes({0x02, 0x10, 0x01, 0x18, 0x45});  // 6145 bytes announced
    EXPECT_TRUE(oversize.closedByServer());

    RawClient early(dealer->port());
    early.sendCommand(cmdGetAccount, 1, {});
    EXPECT_TRUE(early.closedByServer());

    RawClient taken(dealer->port());
    EXPECT_FALSE(taken.login(1001, "demo"));  // held by the good session
    RawClient raw(dealer->port());
    uint32_t account = 0;
    QString password;
    {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Raw Client", "raw@example.com", 1000, account, password));
    }
    ASSERT_TRUE(raw.login(account, password));
    raw.sendCommand(cmdClosePosition, 9, {1, 0});
    auto reply = raw.readReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[hdr::Code], cmdClosePosition);
    EXPECT_EQ(GetU16(&(*reply)[hdr::PacketId]), 9);
    EXPECT_EQ(ErrorOf(*reply), 4);
    // Pushes come as commands, scrambled; replies echo the code and id.
    raw.sendCommand(cmdGetAccount, 10, {});
    reply = raw.readReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[hdr::Flags] & (pfCommand | pfReply), pfReply);
    EXPECT_EQ(GetU16(&(*reply)[hdr::PacketId]), 10);

    // The good session never noticed.
    EXPECT_TRUE(good->session.LoggedIn());
    EXPECT_EQ(ErrorOf(ask(*good, cmdGetAccount).at(0)), 0);
    const size_t quotes = good->pushCount(cmdQuote);
    EXPECT_TRUE(WaitUntil([&] { return good->pushCount(cmdQuote) > quotes; }));
}

} // namespace

namespace {

// Well-framed packets with random codes and payloads never take the server
// down; the session answers or closes, the others go on.
TEST_F(DealerEndToEnd, RandomPayloadsAreSurvived)
{
    startDealer({"--ticks-per-second", "10"});
    auto good = connect();
    uint32_t account = 0;
    QString password;
    {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Fuzz Client", "fuzz@example.com", 1000, account, password));
    }
    std::mt19937 random(20240601);
    for (int round = 0; round < 4; ++round) {
        RawClient raw(dealer->port());
        ASSERT_TRUE(raw.login(account, password));
        for (int k = 0; k < 300; ++k) {
            std::vector<uint8_t> payload(random() % 64);
            for (uint8_t &b : payload)
                b = uint8_t(random());
            raw.sendCommand(uint8_t(100 + random() % 55), uint16_t(k + 3), payload);
        }
        raw.sendCommand(cmdGetAccount, 999, {});
        // Either the answer to the last command arrives or the session was closed.
        for (;;) {
            auto reply = raw.readReply(5000);
            if (!reply || GetU16(&(*reply)[hdr::PacketId]) == 999)
                break;
        }
    }
    EXPECT_TRUE(good->session.LoggedIn());
    EXPECT_EQ(ErrorOf(ask(*good, cmdGetAccount).at(0)), 0);
}

} // namespace
