#include <gtest/gtest.h>

#include "market.h"
#include "pricing.h"

namespace {

constexpr int64_t lot = 100000;

TEST(DealerPricing, ProfitMatchesTheClientFormulaForAllKinds)
{
    // Kind 1: a buy of one lot from 1.2000 valued at 1.2050.
    EXPECT_EQ(profitCents(1, 1, 12000, 0, 0, lot, 12050), 50000);
    EXPECT_EQ(profitCents(2, 1, 12000, 0, 0, lot, 12050), -50000);
    // Kind 2: divided by the current price, halves to even on the cent.
    EXPECT_EQ(profitCents(1, 2, 1100000, 0, 0, lot, 1105000), 45249);
    // Kind 3 through a kind-1 cross (GBPUSD bid 1.2500): 10 points of EURGBP.
    EXPECT_EQ(profitCents(1, 3, 8600, 12500, 1, lot, 8610), 12500);
    // Kind 3 through a kind-2 cross (USDJPY ask 150.00).
    EXPECT_EQ(profitCents(2, 3, 1620000, 1500000, 2, lot, 1619000), 6667);
    // No cross price: no profit.
    EXPECT_EQ(profitCents(1, 3, 8600, 0, 1, lot, 8700), 0);
    // Large amounts do not overflow.
    EXPECT_EQ(profitCents(1, 1, 10000, 0, 0, 100 * lot, 20000), 1000000000);
}

TEST(DealerPricing, HalfCentsRoundToEven)
{
    // A sell of 50 units: one point is half a cent.
    EXPECT_EQ(profitCents(2, 1, 10001, 0, 0, 50, 10000), 0);  // 0.5 -> 0
    EXPECT_EQ(profitCents(2, 1, 10003, 0, 0, 50, 10000), 2);  // 1.5 -> 2
    EXPECT_EQ(profitCents(2, 1, 10005, 0, 0, 50, 10000), 2);  // 2.5 -> 2
    EXPECT_EQ(profitCents(1, 1, 10005, 0, 0, 50, 10000), -2); // -2.5 -> -2
}

TEST(DealerPricing, DealingPricesCentreOnTheMidWithTheKindsSpread)
{
    const SpreadBytes spread{3, 5, 10, 4, 6, 10, 5, 8, 2};
    DealPrices p = dealingPrices(12347, 12345, 1, spread, 1);
    EXPECT_EQ(p.ask, 12348);
    EXPECT_EQ(p.bid, 12345);
    // More lots than the threshold: the large-trade spread.
    p = dealingPrices(12347, 12345, 11, spread, 1);
    EXPECT_EQ(p.ask - p.bid, 5);
    p = dealingPrices(12347, 12345, 10, spread, 1);
    EXPECT_EQ(p.ask - p.bid, 3);
    // A JPY-like price moves in steps of 100 units.
    p = dealingPrices(1500100, 1500000, 1, spread, 2);
    EXPECT_EQ(p.ask % 100, 0);
    EXPECT_EQ(p.ask - p.bid, 400);
}

TEST(DealerPricing, TickNormalisationKeepsFiveDigits)
{
    EXPECT_EQ(normaliseTickPrice(99999), 99999);
    EXPECT_EQ(normaliseTickPrice(1234567), 1234600);
    EXPECT_EQ(normaliseTickPrice(123456), 123460);
    EXPECT_EQ(normaliseTickPrice(1000000000), 0);
}

TEST(DealerPricing, MarginFollowsLeverageAndConversion)
{
    // 1 lot EURUSD at 1.1000, leverage 100: 1100.00.
    EXPECT_EQ(marginCents(1, 11000, 0, 0, lot, 100), 110000);
    // USD is the base of kind 2: the amount itself.
    EXPECT_EQ(marginCents(2, 1500000, 0, 0, lot, 100), 100000);
    // EURGBP 0.8600 through GBPUSD 1.2500: 1075.00.
    EXPECT_EQ(marginCents(3, 8600, 12500, 1, lot, 100), 107500);
}

// Prices at the edge of the range: no wrap-around into a negative margin
// that would pass any money check, and a profit that stays a number.
TEST(DealerPricing, ExtremePricesGiveNoMarginAndABoundedProfit)
{
    const int32_t top = 2100000000;
    EXPECT_EQ(marginCents(3, top, top, 1, 100 * lot, 1), NoMargin);
    EXPECT_EQ(marginCents(1, -5, 0, 0, lot, 100), NoMargin);
    EXPECT_EQ(profitCents(1, 3, 1, top, 1, 100 * lot, top), MaxMoneyCents);
    EXPECT_EQ(profitCents(2, 3, 1, top, 1, 100 * lot, top), -MaxMoneyCents);
}

TEST(DealerMarket, BarLabelsAreTheEndOfTheirPeriod)
{
    EXPECT_EQ(barLabel(1, 600), 600);
    EXPECT_EQ(barLabel(2, 600), 605);
    EXPECT_EQ(barLabel(3, 600), 660);
    EXPECT_EQ(barLabel(3, 659), 660);
    EXPECT_EQ(barLabel(5, 0), 1440);
    EXPECT_EQ(barLabel(6, 10079), 10080);
    EXPECT_EQ(barLabel(7, 100), 0);
}

class MarketTest : public ::testing::Test {
protected:
    static constexpr uint32_t now = 14000000 + 37;  // not on an hour
    Market market{42, now, 3};
};

TEST_F(MarketTest, HasTheThreeKindsWithConversionInstruments)
{
    ASSERT_EQ(market.instruments().size(), 9u);
    for (const Instrument &i : market.instruments()) {
        EXPECT_GT(i.bid, 0) << i.name;
        EXPECT_GT(i.ask, i.bid) << i.name;
        EXPECT_EQ(normaliseTickPrice(i.bid), i.bid) << i.name;
        if (i.kind == 3) {
            const Instrument *cross = market.find(i.crossId);
            ASSERT_NE(cross, nullptr) << i.name;
            EXPECT_NE(cross->kind, 3);
            EXPECT_GT(market.crossPrice(i), 0);
        }
    }
    EXPECT_EQ(market.findByName("EURGBP")->crossId, market.findByName("GBPUSD")->id);
}

TEST_F(MarketTest, HourBarsAgreeWithTheirMinutes)
{
    const uint16_t id = market.findByName("EURUSD")->id;
    const std::vector<Bar> minutes = market.bars(id, 1, 1, Market::NoUpperLimit, 100000, 0);
    const std::vector<Bar> hours = market.bars(id, 3, 1, Market::NoUpperLimit, 100000, 0);
    ASSERT_EQ(minutes.size(), 3u * 1440);
    ASSERT_FALSE(hours.empty());
    for (size_t k = 1; k < hours.size(); ++k) {
        EXPECT_EQ(hours[k].time % 60, 0);
        EXPECT_EQ(hours[k].time - hours[k - 1].time, 60);
    }
    // The newest hour holds the newest minutes and ends after now.
    const Bar &last = hours.back();
    EXPECT_EQ(last.time, int32_t(now / 60 + 1) * 60);
    EXPECT_EQ(last.close, minutes.back().close);
    int32_t high = 0, low = INT32_MAX;
    int32_t open = 0;
    for (const Bar &m : minutes)
        if (barLabel(3, m.time) == last.time) {
            if (open == 0)
                open = m.open;
            high = std::max(high, m.high);
            low = std::min(low, m.low);
        }
    EXPECT_EQ(last.open, open);
    EXPECT_EQ(last.high, high);
    EXPECT_EQ(last.low, low);
}

TEST_F(MarketTest, BarsAreCutByTimeAndDepth)
{
    const uint16_t id = 4;
    const std::vector<Bar> all = market.bars(id, 2, 1, Market::NoUpperLimit, 100000, 0);
    const int32_t from = all[all.size() - 10].time;
    std::vector<Bar> tail = market.bars(id, 2, uint32_t(from), Market::NoUpperLimit, 100000, 0);
    ASSERT_EQ(tail.size(), 10u);
    EXPECT_EQ(tail.front().time, from);
    EXPECT_EQ(tail.front().open, all[all.size() - 10].open);
    // An upper limit keeps bars at or before it.
    tail = market.bars(id, 2, uint32_t(from), uint32_t(from + 10), 100000, 0);
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_EQ(tail.back().time, from + 10);
    // Time 0 asks for a bounded depth of the newest bars.
    tail = market.bars(id, 2, 0, Market::NoUpperLimit, 100000, 25);
    ASSERT_EQ(tail.size(), 25u);
    EXPECT_EQ(tail.back().time, all.back().time);
    // A cap keeps the newest.
    tail = market.bars(id, 1, 1, Market::NoUpperLimit, 7, 0);
    ASSERT_EQ(tail.size(), 7u);
    EXPECT_EQ(tail.back().time, int32_t(now - 1));
    EXPECT_TRUE(market.bars(id, 9, 0, Market::NoUpperLimit, 10, 10).empty());
    EXPECT_TRUE(market.bars(999, 1, 0, Market::NoUpperLimit, 10, 10).empty());
}

TEST_F(MarketTest, LiveTicksExtendTheMinuteBars)
{
    const Instrument *moved = market.setPrice(1, 11111, now);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->ask, 11111 + moved->rawSpread);
    market.setPrice(1, 11099, now);
    std::vector<Bar> last = market.bars(1, 1, now, Market::NoUpperLimit, 10, 0);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].time, int32_t(now));
    EXPECT_EQ(last[0].high, 11111);
    EXPECT_EQ(last[0].low, 11099);
    EXPECT_EQ(last[0].close, 11099);
    EXPECT_EQ(market.setPrice(1, 0, now), nullptr);
}

// A held price stays where it was put while the walk goes on; a plain
// setPrice lets the walk take it again.
TEST_F(MarketTest, AHeldPriceStaysOutOfTheWalk)
{
    market.setPrice(1, 11111, now, true);
    bool othersMoved = false;
    for (int k = 0; k < 500; ++k)
        othersMoved |= market.randomTick(now).id != 1;
    EXPECT_TRUE(othersMoved);
    EXPECT_EQ(market.find(1)->bid, 11111);
    market.setPrice(1, 11111, now);
    bool moved = false;
    for (int k = 0; k < 2000 && !moved; ++k)
        moved = market.randomTick(now).id == 1;
    EXPECT_TRUE(moved);
}

TEST(DealerMarketSeed, TheSameSeedGivesTheSameMarket)
{
    Market a(7, 14000000, 1), b(7, 14000000, 1), c(8, 14000000, 1);
    EXPECT_EQ(a.find(1)->bid, b.find(1)->bid);
    EXPECT_EQ(a.randomTick(14000000).bid, b.randomTick(14000000).bid);
    bool differs = false;
    for (const Instrument &i : a.instruments())
        differs |= c.find(i.id)->bid != i.bid;
    EXPECT_TRUE(differs);
}

} // namespace
