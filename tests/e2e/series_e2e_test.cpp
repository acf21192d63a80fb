// Quote series filled from kelvra-dealer's history replies and live quotes.

#include <gtest/gtest.h>

#include <memory>

#include <QTemporaryDir>

#include "barfile.h"
#include "dealerharness.h"
#include "e2e_support.h"
#include "languagetables.h"
#include "serieslist.h"
#include "testapp.h"
#include "wiretap.h"

namespace {

class SeriesAgainstDealer : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        SetEnglish(true);
        ASSERT_TRUE(dir.isValid());
        dealer = std::make_unique<DealerProcess>(dir.filePath(QStringLiteral("dealer")),
                                                 QStringList{"--ticks-per-second", "0"});
        ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
        tap = std::make_unique<WireTap>(dealer->port());
        client = std::make_unique<DealerClient>(tap->port());
        ASSERT_TRUE(client->login(1001, QStringLiteral("demo"))) << client->status().toStdString();
    }
    void TearDown() override
    {
        list.reset();
        client.reset();
    }
    void makeList()
    {
        list = std::make_unique<TSeriesList>(client->session, dir.path(), [](int id) {
            return id == 1 ? QStringLiteral("EURUSD") : id == 4 ? QStringLiteral("USDJPY") : QString();
        });
        QObject::connect(list.get(), &TSeriesList::seriesChanged, [this](uint32_t key) { changes.push_back(key); });
        list->Start();
    }
    // The bars of a raw history reply, in the file layout.
    static std::vector<std::array<uint8_t, 20>> rawBars(const Parts &parts)
    {
        std::vector<std::array<uint8_t, 20>> out;
        for (const TPacketBuffer &p : parts) {
            const std::vector<uint8_t> d = DataOf(p);
            const size_t n = GetU16(d.data());
            for (size_t k = 0; k < n; ++k) {
                std::array<uint8_t, 20> r{};
                std::copy(d.begin() + long(2 + 20 * k), d.begin() + long(2 + 20 * k + 20), r.begin());
                out.push_back(r);
            }
        }
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<DealerProcess> dealer;
    std::unique_ptr<WireTap> tap;
    std::unique_ptr<DealerClient> client;
    std::unique_ptr<TSeriesList> list;
    std::vector<uint32_t> changes;
};

TEST_F(SeriesAgainstDealer, ASplitHistoryReplyFillsTheSeries)
{
    // An empty minute series asks from 0: the dealer sends its newest 1000
    // bars, more than one packet holds.
    const Parts raw = client->request(NewHistoryBarsCommand(1, 1, 0));
    ASSERT_GE(raw.size(), 3u);
    ASSERT_EQ(raw.back()[hdr::Flags] & pfLast, pfLast);
    const auto expected = rawBars(raw);
    ASSERT_EQ(expected.size(), 1000u);

    makeList();
    TSerData *s = list->FindOrCreate(1, 1);
    ASSERT_EQ(s->Ready, 0);
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }, 15000));
    // One notification per packet, and the bars as the dealer sent them.
    EXPECT_EQ(changes.size(), raw.size());
    ASSERT_EQ(s->Count(), 1000);
    for (int i = 0; i < s->Count(); ++i)
        ASSERT_EQ(s->Bar(i), expected[size_t(i)]) << "bar " << i;
    for (int i = 1; i < s->Count(); ++i)
        ASSERT_LT(s->Time()[i - 1], s->Time()[i]);
    EXPECT_TRUE(s->Modified);

    // The bar file holds what the series holds once the list is gone.
    list.reset();
    std::vector<BarFileRecord> file;
    EXPECT_EQ(readBarFile(dir.filePath(QStringLiteral("EURUSDM1.da0")),
                          [&](const BarFileRecord &r) { file.push_back(r); }),
              1000);
    ASSERT_EQ(file.size(), 1000u);
    EXPECT_EQ(file.front().time, int32_t(GetU32(expected.front().data())));
    EXPECT_EQ(file.back().close, int32_t(GetU32(expected.back().data() + 16)));
}

TEST_F(SeriesAgainstDealer, AfterItsHistoryASeriesFollowsTheLiveQuotes)
{
    makeList();
    TSerData *s = list->FindOrCreate(4, 3);  // USDJPY hours
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }, 15000));
    ASSERT_GT(s->Count(), 100);
    const int before = s->Count();
    const double open = s->Open()[s->Last];
    const int32_t newest = s->Time()[s->Last];

    // A quote the dealer is told to make: the bid, on the hour grid, in the
    // bar of its hour.
    const int32_t bid = int32_t(std::nearbyint(s->Close()[s->Last] * 10000)) + 2500;
    ASSERT_TRUE(dealer->admin({"set-price", "USDJPY", e2e::priceArgument(bid)}));
    ASSERT_TRUE(client->waitPush(cmdQuote));
    ASSERT_TRUE(WaitUntil([&] { return std::nearbyint(s->Close()[s->Last] * 10000) == bid; }));
    EXPECT_GE(s->Time()[s->Last], newest);
    EXPECT_EQ(s->Time()[s->Last] % 60, 0);
    if (s->Count() == before) {  // merged into the newest bar: its open stays
        EXPECT_EQ(s->Open()[s->Last], open);
        EXPECT_GE(s->High()[s->Last] * 10000, bid - 0.5);
    } else {
        EXPECT_EQ(s->Count(), before + 1);
        EXPECT_EQ(std::nearbyint(s->Open()[s->Last] * 10000), bid);
    }

    // The next program run loads the file and asks only from its newest bar.
    const int32_t kept = s->Time()[s->Last];
    const int keptCount = s->Count();
    list.reset();
    makeList();
    s = list->FindOrCreate(4, 3);
    EXPECT_EQ(s->Count(), keptCount);
    ASSERT_TRUE(WaitUntil([&] { return s->Ready == 1; }, 15000));
    std::vector<TPacketBuffer> asked;
    for (const TPacketBuffer &p : tap->sent())
        if (p[hdr::Code] == cmdGetHistoryBars)
            asked.push_back(p);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(GetU16(&asked[0][hdr::Data]), 4);
    EXPECT_EQ(asked[0][hdr::Data + 3], 3);
    EXPECT_EQ(GetU32(&asked[0][hdr::Data + 4]), 0u);
    EXPECT_EQ(int32_t(GetU32(&asked[1][hdr::Data + 4])), kept);
    EXPECT_EQ(GetU32(&asked[1][hdr::Data + 8]), 0x00FFFFFFu);
    // Nothing was lost in between: the live bar is still the newest.
    EXPECT_EQ(s->Time()[s->Last], kept);
    EXPECT_EQ(std::nearbyint(s->Close()[s->Last] * 10000), bid);
}

} // namespace
