#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "clientsession.h"
#include "commands.h"
#include "languagetables.h"
#include "scriptedserver.h"
#include "serieslist.h"
#include "testapp.h"

namespace {

constexpr uint8_t cmdTrigger = 200;  // test only: the dealer pushes its payload as a quote

std::vector<uint8_t> u32le(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

std::vector<uint8_t> quotePayload(uint16_t id, int32_t ask, int32_t bid, int32_t time)
{
    std::vector<uint8_t> p{uint8_t(id), uint8_t(id >> 8)};
    for (int32_t v : {ask, bid, time}) {
        const auto b = u32le(uint32_t(v));
        p.insert(p.end(), b.begin(), b.end());
    }
    return p;
}

std::vector<uint8_t> barsPayload(uint8_t error, const std::vector<int32_t> &times, int32_t price)
{
    std::vector<uint8_t> p{error, uint8_t(times.size()), uint8_t(times.size() >> 8)};
    for (int32_t t : times)
        for (int32_t v : {t, price + 5, price - 5, price, price + 1}) {
            const auto b = u32le(uint32_t(v));
            p.insert(p.end(), b.begin(), b.end());
        }
    return p;
}

struct HistoryRequest {
    uint16_t instrument;
    uint8_t constant, timeframe;
    uint32_t newest, upper;
};

// A dealer that answers 130 in three packets with a quote pushed between the
// first two (it must be ignored), refuses instrument 99, answers instrument
// 97 with a packet that is not a reply, never answers instrument 98, and
// pushes the payload of the test's trigger command as a quote.
class BarDealer {
public:
    BarDealer()
        : server([this](ScriptedServer::Connection &c) { run(c); })
    {
    }
    void run(ScriptedServer::Connection &c)
    {
        if (!ScriptedServer::acceptLogin(c))
            return;
        while (auto command = c.readPacket(10000)) {
            const TPacketBuffer &p = *command;
            const uint8_t code = p[hdr::Code];
            const uint16_t id = GetU16(&p[hdr::PacketId]);
            if (code == cmdGetHistoryBars) {
                const uint8_t *d = &p[hdr::Data];
                {
                    std::lock_guard lock(mutex);
                    requests.push_back({GetU16(d), d[2], d[3], GetU32(d + 4), GetU32(d + 8)});
                }
                if (GetU16(d) == 99) {
                    c.sendReply(p, 12);
                    continue;
                }
                if (GetU16(d) == 98)
                    continue;
                if (GetU16(d) == 97) {
                    c.send(code, id, barsPayload(0, {60}, 12000), pfCommand);
                    continue;
                }
                c.send(code, id, barsPayload(0, {60, 120}, 12000), pfReply | pfFirst);
                c.send(cmdQuote, 0, quotePayload(GetU16(d), 13002, 13000, 125), pfCommand | pfNoReply);
                c.send(code, id, barsPayload(0, {180}, 12100), pfReply | pfMiddle);
                c.send(code, id, barsPayload(0, {240}, 12200), pfReply | pfLast);
            } else if (code == cmdTrigger) {
                c.send(cmdQuote, 0, std::vector<uint8_t>(p.begin() + hdr::Data, p.end()), pfCommand | pfNoReply);
                c.sendReply(p, 0);
            } else {
                c.sendReply(p, 0);
            }
        }
    }
    std::vector<HistoryRequest> takeRequests()
    {
        std::lock_guard lock(mutex);
        return std::exchange(requests, {});
    }
    std::mutex mutex;
    std::vector<HistoryRequest> requests;
    ScriptedServer server;
};

// The application object and the language come before the session.
struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class SeriesListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session.Thread().SetPort(dealer.server.port());
    }
    void login()
    {
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
    }
    // Pushes one quote through the dealer and waits until it was dispatched.
    void pushQuote(uint16_t id, int32_t bid, int32_t time)
    {
        const auto payload = quotePayload(id, bid + 2, bid, time);
        TCommandPtr command = NewCommand(cmdTrigger, int(payload.size()));
        std::copy(payload.begin(), payload.end(), command->Buffer.begin() + hdr::Data);
        bool answered = false;
        ASSERT_TRUE(session.SendCommand(std::move(command), nullptr, [&](TUserCmdRply *) { answered = true; }));
        ASSERT_TRUE(WaitUntil([&] { return answered; }));
    }
    EnglishApp app;
    QTemporaryDir dir;
    BarDealer dealer;
    ClientSession session;
    TSeriesList list{session, dir.path(), [](int id) { return id == 5 ? QStringLiteral("EURUSD") : QString(); }};
};

} // namespace

TEST_F(SeriesListTest, NotConnectedLeavesTheSeriesReady)
{
    TSerData *s = list.FindOrCreate(5, 3);
    EXPECT_EQ(s->Ready, 1);
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), QStringLiteral("No connect"));
    EXPECT_EQ(list.FindOrCreate(5, 3), s);  // one series per key
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(SeriesListTest, SplitHistoryReplyFillsTheSeriesAndTicksWaitForIt)
{
    login();
    list.Start();
    QSignalSpy changed(&list, &TSeriesList::seriesChanged);
    TSerData *s = list.FindOrCreate(5, 3);
    EXPECT_EQ(s->Ready, 0);
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }));
    const auto requests = dealer.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].instrument, 5);
    EXPECT_EQ(requests[0].constant, 2);
    EXPECT_EQ(requests[0].timeframe, 3);
    EXPECT_EQ(requests[0].newest, 0u);
    EXPECT_EQ(requests[0].upper, 0x00FFFFFFu);
    // The quote between the packets was dropped: only the four history bars.
    ASSERT_EQ(s->Count(), 4);
    EXPECT_EQ(s->Time()[3], 240);
    EXPECT_DOUBLE_EQ(s->Close()[3], 1.2201);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toUInt(), s->Key);

    // Live again: a quote at minute 250 opens the bar ending at 300.
    pushQuote(5, 12250, 250);
    ASSERT_EQ(s->Count(), 5);
    EXPECT_EQ(s->Time()[4], 300);
    // A new start asks only for what is newer than the newest bar.
    list.Start();
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1 && !dealer.requests.empty(); }));
    EXPECT_EQ(dealer.takeRequests().at(0).newest, 300u);
}

TEST_F(SeriesListTest, RepeatedStartsApplyEachTickOnce)
{
    login();
    TSerData *s = list.FindOrCreate(5, 1);
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }));
    list.Start();
    list.Start();  // a second system-variables reply on the same connection
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }));
    const int before = s->Count();
    pushQuote(5, 12000, 500);
    pushQuote(5, 12010, 500);
    ASSERT_EQ(s->Count(), before + 1);
    // Applied once each: the bar's open is the first quote, its close the second.
    EXPECT_DOUBLE_EQ(s->Open()[s->Last], 1.2);
    EXPECT_DOUBLE_EQ(s->Close()[s->Last], 1.201);
    EXPECT_DOUBLE_EQ(s->High()[s->Last], 1.201);
}

TEST_F(SeriesListTest, TwoViewersShareOneSeries)
{
    login();
    list.Start();
    TSerData *first = list.FindOrCreate(5, 2);
    TSerData *second = list.FindOrCreate(5, 2);
    ASSERT_EQ(first, second);
    ASSERT_TRUE(WaitUntil([&] { return first->Ready == 1; }));
    int seenByA = 0, seenByB = 0;
    QObject::connect(&list, &TSeriesList::seriesChanged, [&](uint32_t key) { seenByA += key == first->Key; });
    QObject::connect(&list, &TSeriesList::seriesChanged, [&](uint32_t key) { seenByB += key == first->Key; });
    pushQuote(5, 12000, 1000);
    EXPECT_EQ(seenByA, 1);
    EXPECT_EQ(seenByB, 1);
}

TEST_F(SeriesListTest, ErrorReplyAndDisconnectMakeSeriesReadyAgain)
{
    login();
    list.Start();
    std::vector<std::pair<uint32_t, int>> changes;  // key, Ready
    QObject::connect(&list, &TSeriesList::historyStateChanged, [&](uint32_t key) {
        changes.emplace_back(key, list.Find(key)->Ready);
    });
    TSerData *refused = list.FindOrCreate(99, 3);
    ASSERT_TRUE(WaitUntil([&] { return refused->Ready == 1; }));
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), QStringLiteral("Market offline"));
    EXPECT_EQ(refused->HistoryError, QStringLiteral("Market offline"));
    EXPECT_EQ(refused->Count(), 0);
    const std::vector<std::pair<uint32_t, int>> waitedThenFailed{{refused->Key, 0}, {refused->Key, 1}};
    EXPECT_EQ(changes, waitedThenFailed);
    // A retry clears the reason while it waits.
    ASSERT_TRUE(list.RequestHistory(*refused));
    EXPECT_TRUE(refused->HistoryError.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return refused->Ready == 1; }));
    EXPECT_FALSE(refused->HistoryError.isEmpty());
    // A whole reply leaves no reason.
    TSerData *fine = list.FindOrCreate(5, 3);
    ASSERT_TRUE(WaitUntil([&] { return fine->Ready == 1; }));
    EXPECT_TRUE(fine->HistoryError.isEmpty());
    // The dispatcher's reset drops the tick handler until the next start.
    session.Disconnect();
    EXPECT_FALSE(list.Started());
}

TEST_F(SeriesListTest, AnyAnswerOrAClearEndsTheWaitForHistory)
{
    login();
    // Created before the tick handler exists (between the login and the
    // system variables): only the request's own cancel can end its wait.
    TSerData *unanswered = list.FindOrCreate(98, 3);
    ASSERT_EQ(unanswered->Ready, 0);
    session.Disconnect();
    EXPECT_EQ(unanswered->Ready, 1);
    EXPECT_EQ(unanswered->HistoryError, MessageText(33));  // the link went

    login();
    list.Start();
    // Ready again, so the start asks for it once more.
    EXPECT_EQ(unanswered->Ready, 0);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(dealer.mutex);
        return std::any_of(dealer.requests.begin(), dealer.requests.end(),
                           [](const HistoryRequest &r) { return r.instrument == 98; });
    }));

    // An answer with flags bit 0 (not a reply) brings no bars but ends the wait.
    TSerData *odd = list.FindOrCreate(97, 3);
    ASSERT_TRUE(WaitUntil([&] { return odd->Ready == 1; }));
    EXPECT_EQ(odd->Count(), 0);
}
