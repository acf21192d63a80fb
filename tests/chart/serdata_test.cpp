#include <gtest/gtest.h>

#include "serdata.h"

namespace {

// Minutes since 2000-01-01 of hh:mm on the first day.
int32_t at(int h, int m) { return h * 60 + m; }

} // namespace

TEST(SerData, KeyAndFreshState)
{
    TSerData s(3, 0x12345, QStringLiteral("  EURUSD "));
    EXPECT_EQ(s.Key, (3u << 16) | 0x2345u);
    EXPECT_EQ(s.InstrumentName, QStringLiteral("EURUSD"));
    EXPECT_EQ(s.Capacity, 100);
    EXPECT_EQ(s.Last, -1);
    EXPECT_EQ(s.Ready, 1);
    EXPECT_FALSE(s.Modified);
    // Names longer than ten characters are not kept.
    EXPECT_TRUE(TSerData(3, 1, QStringLiteral("ABCDEFGHIJK")).InstrumentName.isEmpty());
}

TEST(SerData, TicksLandInTheBarEndingTheirPeriod)
{
    TSerData h1(3, 7, QStringLiteral("EURUSD"));
    ASSERT_TRUE(h1.ApplyTick(7, at(10, 0), 12345));
    ASSERT_TRUE(h1.ApplyTick(7, at(10, 59), 12350));
    ASSERT_EQ(h1.Count(), 1);
    EXPECT_EQ(h1.Time()[0], at(11, 0));
    ASSERT_TRUE(h1.ApplyTick(7, at(11, 0), 12340));
    ASSERT_EQ(h1.Count(), 2);
    EXPECT_EQ(h1.Time()[1], at(12, 0));
    // Open kept, close moved, high and low widened outward only.
    EXPECT_DOUBLE_EQ(h1.Open()[0], 1.2345);
    EXPECT_DOUBLE_EQ(h1.Close()[0], 1.2350);
    EXPECT_DOUBLE_EQ(h1.High()[0], 1.2350);
    EXPECT_DOUBLE_EQ(h1.Low()[0], 1.2345);
    EXPECT_DOUBLE_EQ(h1.Open()[1], 1.2340);
    EXPECT_DOUBLE_EQ(h1.High()[1], 1.2340);

    TSerData m1(1, 7, QStringLiteral("EURUSD"));
    m1.ApplyTick(7, at(10, 17), 12345);
    EXPECT_EQ(m1.Time()[0], at(10, 17));
}

TEST(SerData, TicksOfOtherInstrumentsOrWhileWaitingAreIgnored)
{
    TSerData s(1, 7, QStringLiteral("EURUSD"));
    EXPECT_FALSE(s.ApplyTick(8, 10, 12345));
    s.Ready = 0;
    EXPECT_FALSE(s.ApplyTick(7, 10, 12345));
    EXPECT_EQ(s.Count(), 0);
    EXPECT_FALSE(s.Modified);
}

TEST(SerData, TickPricesKeepFiveSignificantDigits)
{
    EXPECT_EQ(TSerData::NormalizeTickPrice(99999), 99999);
    EXPECT_EQ(TSerData::NormalizeTickPrice(1234567), 1234600);
    EXPECT_EQ(TSerData::NormalizeTickPrice(123455), 123460);   // tie to even
    EXPECT_EQ(TSerData::NormalizeTickPrice(123445), 123440);   // tie to even
    EXPECT_EQ(TSerData::NormalizeTickPrice(1000000000), 0);
    TSerData s(1, 7, QStringLiteral("USDJPY"));
    s.ApplyTick(7, 5, 1234567);
    EXPECT_DOUBLE_EQ(s.Close()[0], 123.46);
}

TEST(SerData, BarsMergeAndInsertInTimeOrder)
{
    TSerData s(3, 1, QStringLiteral("EURUSD"));
    s.AddBar(120, 100, 110, 90, 105);
    s.AddBar(240, 200, 210, 190, 205);
    s.AddBar(60, 10, 11, 9, 10);    // older than all: index 0
    s.AddBar(180, 50, 51, 49, 50);  // between 120 and 240
    s.AddBar(300, 70, 71, 69, 70);  // newest: appended
    ASSERT_EQ(s.Count(), 5);
    const int32_t expected[] = {60, 120, 180, 240, 300};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(s.Time()[i], expected[i]) << i;
    // An equal time merges: open kept, close replaced, extremes widened.
    s.AddBar(120, 999, 130, 95, 101);
    ASSERT_EQ(s.Count(), 5);
    EXPECT_DOUBLE_EQ(s.Open()[1], 0.0100);
    EXPECT_DOUBLE_EQ(s.Close()[1], 0.0101);
    EXPECT_DOUBLE_EQ(s.High()[1], 0.0130);
    EXPECT_DOUBLE_EQ(s.Low()[1], 0.0090);
    EXPECT_TRUE(s.Modified);
    const TSerData::BarRecord r = s.Bar(1);
    EXPECT_EQ(r[0], 120);
    EXPECT_EQ(r[4], 130);  // high comes first in the file layout
    EXPECT_EQ(r[8], 90);
    EXPECT_EQ(r[12], 100);
    EXPECT_EQ(r[16], 101);
}

// History packets newest first (each packet newest first too), packets
// that overlap and repeat times: the same series as bar by bar in any order.
TEST(SerData, PacketsOfBarsInAnyOrderGiveTheSameSeries)
{
    TSerData byBar(1, 1, QStringLiteral("EURUSD")), byPacket(1, 1, QStringLiteral("EURUSD"));
    std::vector<std::vector<TSerData::BarValues>> packets;
    for (int p = 0; p < 5; ++p) {
        std::vector<TSerData::BarValues> bars;
        for (int k = 0; k < 150; ++k) {
            const int32_t t = 100000 - (p * 150 + k) * 60;
            bars.push_back({t, t % 97, t % 97 + 5, t % 97 - 5, t % 89});
        }
        packets.push_back(bars);
    }
    packets.push_back({{100000, 1, 200, 0, 7}, {70000, 3, 4, 2, 3}, {100060, 5, 6, 4, 5}, {100060, 9, 9, 1, 8}});
    for (const auto &bars : packets) {
        byPacket.AddBars(bars);
        for (const TSerData::BarValues &b : bars)
            byBar.AddBar(b.time, b.open, b.high, b.low, b.close);
    }
    ASSERT_EQ(byPacket.Count(), byBar.Count());
    EXPECT_EQ(byPacket.Count(), 751);
    for (int i = 0; i < byBar.Count(); ++i) {
        ASSERT_EQ(byPacket.Bar(i), byBar.Bar(i)) << i;
        if (i > 0) {
            ASSERT_LT(byPacket.Time()[i - 1], byPacket.Time()[i]);
        }
    }
}

TEST(SerData, GrowthKeepsBarsAndShiftsOutputBuffers)
{
    TSerData s(1, 1, QStringLiteral("EURUSD"));
    const int out = s.AddOutputBuffer();
    const int freed = s.AddOutputBuffer();
    EXPECT_EQ(out, TSerData::aiFirstOutput);
    s.FreeOutputBuffer(freed);
    EXPECT_EQ(s.ArrayByIndex(freed), nullptr);
    for (int i = 0; i < 101; ++i) {
        s.AddBar(10 + 2 * i, 1000 + i, 1000 + i, 1000 + i, 1000 + i);
        s.ArrayByIndex(out)[i] = i;
    }
    EXPECT_EQ(s.Capacity, 200);
    ASSERT_EQ(s.Count(), 101);
    EXPECT_EQ(s.Time()[100], 210);
    EXPECT_DOUBLE_EQ(s.Close()[0], 0.1);
    // An insert shifts the output buffer with the bars.
    s.AddBar(11, 5, 5, 5, 5);
    EXPECT_EQ(s.Time()[1], 11);
    EXPECT_DOUBLE_EQ(s.ArrayByIndex(out)[0], 0);
    EXPECT_DOUBLE_EQ(s.ArrayByIndex(out)[2], 1);
    EXPECT_DOUBLE_EQ(s.ArrayByIndex(out)[101], 100);
    EXPECT_EQ(s.ArrayByIndex(freed), nullptr);
    EXPECT_EQ(s.AddOutputBuffer(), freed + 1);  // indexes never move
}

TEST(SerData, IndexAndTimeConversions)
{
    TSerData s(3, 1, QStringLiteral("EURUSD"));
    s.AddBar(60, 1, 1, 1, 1);
    s.AddBar(120, 1, 1, 1, 1);
    EXPECT_EQ(s.IndexToTime(3.5), -1);  // two bars: no extrapolation
    EXPECT_EQ(s.TimeToIndex(90), -1);
    s.AddBar(180, 1, 1, 1, 1);
    EXPECT_DOUBLE_EQ(s.IndexToTime(1.25), 120.25);
    EXPECT_DOUBLE_EQ(s.IndexToTime(s.Last + 2.5), 180 + 120.5);
    EXPECT_EQ(s.IndexToTime(-0.5 - 1), -1);
    EXPECT_DOUBLE_EQ(s.TimeToIndex(130.5), 1.5);
    EXPECT_DOUBLE_EQ(s.TimeToIndex(60), 0);
    EXPECT_DOUBLE_EQ(s.TimeToIndex(300.25), 2 + 2 + 0.25);
    EXPECT_EQ(s.TimeToIndex(59), -1);
    EXPECT_EQ(s.TimeToIndex(0.5), -1);
}

TEST(SerData, RangeExtremes)
{
    const double v[] = {3, 9, -2, 7};
    EXPECT_EQ(TSerData::RangeMaximum(v, 0, 3), 9);
    EXPECT_EQ(TSerData::RangeMinimum(v, 1, 3), -2);
    EXPECT_EQ(TSerData::RangeMaximum(v, 3, 1), 7);  // to < from: the value at from
    EXPECT_EQ(TSerData::RangeMinimum(v, 2, 2), -2);
}
