#include "units.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

// Readable failure messages for texts.
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr qint32 kInt32Max = std::numeric_limits<qint32>::max();
constexpr qint32 kInt32Min = std::numeric_limits<qint32>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::nan("");

// Minute time of a UTC date and time, worked out through the calendar rather
// than through the code under test.
qint32 minuteTime(int year, int month, int day, int hour = 0, int minute = 0)
{
    const qint64 days = QDate(2000, 1, 1).daysTo(QDate(year, month, day));
    return qint32(days * 1440 + hour * 60 + minute);
}

} // namespace

// ---- date-times -------------------------------------------------------------

TEST(DateTime, MinuteTimesStartAtTheYear2000)
{
    EXPECT_EQ(MinutesToDateTime(0), 36526.0);
    EXPECT_EQ(MinutesToDateTime(720), 36526.5);
    EXPECT_EQ(minuteTime(2004, 5, 3, 10, 5), 2281565);
    EXPECT_EQ(formatDateTime(QStringLiteral("hh:nn"), AddMinutes(-5, MinutesToDateTime(605))), u"10:00");
    EXPECT_EQ(dateTimeToQt(MinutesToDateTime(2281565)),
              QDateTime(QDate(2004, 5, 3), QTime(10, 5), Qt::UTC));
}

TEST(DateTime, QtConversionsRoundTripInUtc)
{
    const QDateTime t(QDate(2026, 2, 28), QTime(23, 59, 59, 999), Qt::UTC);
    EXPECT_EQ(dateTimeToQt(dateTimeFromQt(t)), t);
    EXPECT_EQ(dateTimeFromQt(QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)), 0.0);

    // A time with an offset is taken as the same instant in UTC.
    const QDateTime moscow(QDate(2000, 1, 1), QTime(3, 0), Qt::OffsetFromUTC, 3 * 3600);
    EXPECT_EQ(dateTimeFromQt(moscow), 36526.0);

    // Before the base day the fraction is still the time of day.
    EXPECT_EQ(dateTimeToQt(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_EQ(dateTimeFromQt(QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)), -1.25);
}

TEST(DateTime, NearlyWholeValuesRoundToTheMillisecond)
{
    // 10:05 from minute arithmetic may land a hair below the minute.
    for (qint32 m = 2281000; m < 2282000; ++m) {
        const QDateTime t = dateTimeToQt(MinutesToDateTime(m));
        ASSERT_EQ(t.time().second(), 0) << m;
        ASSERT_EQ(t.time().msec(), 0) << m;
    }
    // Just before midnight carries into the next day.
    EXPECT_EQ(dateTimeToQt(36526.0 - 1e-10), QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC));
}

TEST(DateTime, UnrepresentableValuesAreInvalid)
{
    for (double v : {kNan, kInf, -kInf, 1e300, 2958466.0, -693594.0})
        EXPECT_FALSE(dateTimeToQt(v).isValid()) << v;
    EXPECT_EQ(formatDateTime(QStringLiteral("dd.mm.yyyy"), kNan), QString());
    EXPECT_EQ(dateTimeFromQt(QDateTime()), 0.0);
    EXPECT_TRUE(dateTimeToQt(2958465.5).isValid()); // 9999-12-31 12:00
}

TEST(DateTime, FormatPatterns)
{
    const TDateTime t = dateTimeFromQt(QDateTime(QDate(2004, 5, 3), QTime(9, 7, 4, 56), Qt::UTC));
    EXPECT_EQ(formatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss.zzz"), t), u"03.05.2004 09:07:04.056");
    EXPECT_EQ(formatDateTime(QStringLiteral("d.m.yy h:n:s"), t), u"3.5.04 9:7:4");
    EXPECT_EQ(formatDateTime(QStringLiteral("DD.MM.YYYY"), t), u"03.05.2004");
    EXPECT_EQ(formatDateTime(QStringLiteral("hh:nn 'dd' \"at\" / 'GMT'"), t), u"09:07 dd at / GMT");
    EXPECT_EQ(formatDateTime(QStringLiteral("GMT"), t), u"G5T"); // unquoted letters are fields
    EXPECT_EQ(formatDateTime(QStringLiteral("hh 'unterminated"), t), u"09 unterminated");
    EXPECT_EQ(formatDateTime(QString(), t), QString());
}

TEST(DateTime, MillisecondsBetweenCountsWholeMilliseconds)
{
    // Truncating the scaled difference would give 59999 for many of these.
    for (qint32 m = 2281000; m < 2282000; ++m)
        ASSERT_EQ(MillisecondsBetween(MinutesToDateTime(m + 1), MinutesToDateTime(m)), 60000) << m;
    const TDateTime a = MinutesToDateTime(0);
    EXPECT_EQ(MillisecondsBetween(a, a + 1.0), 86400000);
    EXPECT_EQ(MillisecondsBetween(a + 1.0, a), 86400000);
    EXPECT_EQ(MillisecondsBetween(a, a), 0);
    EXPECT_EQ(MillisecondsBetween(a, kNan), 0);
    EXPECT_GT(MillisecondsBetween(-1e300, 1e300), 0); // clamped, no overflow
}

// ---- texts ------------------------------------------------------------------

TEST(Texts, PriceText)
{
    EXPECT_EQ(PriceText(0), QString());
    EXPECT_EQ(PriceText(12345), u"1.2345");
    EXPECT_EQ(PriceText(1051200), u"105.12");
    EXPECT_EQ(PriceText(9876), u"0.9876");
    EXPECT_EQ(PriceText(12), u"0.0012");
    EXPECT_EQ(PriceText(1050000), u"105.00");
    EXPECT_EQ(PriceText(-12345), u"-1.234"); // the sign costs a digit
    EXPECT_EQ(PriceText(kInt32Max), u"214748");
}

TEST(Texts, DoublePriceTextKeepsTheSignsDigit)
{
    EXPECT_EQ(DoublePriceText(1.2345), u"1.2345");
    EXPECT_EQ(DoublePriceText(-1.2345), u"-1.2345");
    EXPECT_EQ(DoublePriceText(1.23459), u"1.2345"); // cut, not rounded
    EXPECT_EQ(DoublePriceText(105.126), u"105.12");
    EXPECT_EQ(DoublePriceText(0), u"0.0000");
}

TEST(Texts, MoneyAndCountTexts)
{
    EXPECT_EQ(MoneyText(0, false), u"0.00");
    EXPECT_EQ(MoneyText(0, true), QString());
    EXPECT_EQ(MoneyText(-0.0, false), u"0.00");
    EXPECT_EQ(MoneyText(-0.0, true), QString());
    EXPECT_EQ(MoneyText(0.001, true), u"0.00"); // only an exact zero is blanked
    EXPECT_EQ(MoneyText(1234.5, true), u"1234.50");
    EXPECT_EQ(MoneyText(MoneyToDouble(-310)), u"-3.10");

    EXPECT_EQ(CountText(0, true), QString());
    EXPECT_EQ(CountText(0, false), u"0");
    EXPECT_EQ(CountText(-7, true), u"-7");
}

TEST(Texts, MinuteTimeText)
{
    const qint32 m = minuteTime(2004, 5, 3, 10, 5);
    EXPECT_EQ(MinuteTimeText(m, true), u"10:05");
    EXPECT_EQ(MinuteTimeText(m, false), u"03.05.2004 10:05");
    EXPECT_EQ(MinuteTimeText(0, false), u"01.01.2000 00:00");
    EXPECT_EQ(MinuteTimeText(-1, false), u"31.12.1999 23:59");
    EXPECT_EQ(MinuteTimeText(minuteTime(1800, 1, 1, 6, 0), false), u"01.01.1800 06:00");
}

// ---- prices -----------------------------------------------------------------

TEST(Prices, DoubleConversions)
{
    EXPECT_EQ(PriceFromDouble(1.2345), 12345);
    EXPECT_EQ(PriceFromDouble(105.12), 1051200);
    EXPECT_EQ(PriceFromDouble(-1.2345), -12345);
    EXPECT_EQ(PriceFromDouble(PriceToDouble(9876)), 9876);
    EXPECT_DOUBLE_EQ(PriceToDouble(12345), 1.2345);
    EXPECT_DOUBLE_EQ(MoneyToDouble(-150), -1.5);
}

TEST(Prices, PriceFromDoubleRoundsHalvesToEven)
{
    // Binary fractions whose scaled value is exactly a half.
    EXPECT_EQ(PriceFromDouble(0.03125), 312);  // 312.5
    EXPECT_EQ(PriceFromDouble(0.09375), 938);  // 937.5
    EXPECT_EQ(PriceFromDouble(-0.03125), -312);
    EXPECT_EQ(PriceFromDouble(0.00003), 0);
}

TEST(Prices, PriceFromDoubleHandlesUnsafeInput)
{
    EXPECT_EQ(PriceFromDouble(kNan), 0);
    EXPECT_EQ(PriceFromDouble(1e12), kInt32Max);
    EXPECT_EQ(PriceFromDouble(kInf), kInt32Max);
    EXPECT_EQ(PriceFromDouble(-1e12), kInt32Min);
    EXPECT_EQ(PriceFromDouble(-kInf), kInt32Min);
}

TEST(Prices, PointSizeThresholds)
{
    const std::pair<qint32, qint32> cases[] = {
        {kInt32Min, 1}, {-5, 1}, {0, 1}, {99999, 1}, {100000, 10}, {999999, 10},
        {1000000, 100}, {9999999, 100}, {10000000, 1000}, {99999999, 1000},
        {100000000, 10000}, {999999999, 10000}, {1000000000, 0}, {kInt32Max, 0},
    };
    for (const auto &[price, point] : cases)
        EXPECT_EQ(PointSize(price), point) << price;
}

TEST(Prices, RoundToPoint)
{
    EXPECT_EQ(RoundToPoint(1051249), 1051200);
    EXPECT_EQ(RoundToPoint(1051251), 1051300);
    EXPECT_EQ(RoundToPoint(1051250), 1051200); // 10512.5 -> even
    EXPECT_EQ(RoundToPoint(1051350), 1051400); // 10513.5 -> even
    EXPECT_EQ(RoundToPoint(100005), 100000);
    EXPECT_EQ(RoundToPoint(12347), 12347); // small prices are already on the point
    EXPECT_EQ(RoundToPoint(99999), 99999);
    EXPECT_EQ(RoundToPoint(-5), -5);
    EXPECT_EQ(RoundToPoint(999999999), 1000000000);
    EXPECT_EQ(RoundToPoint(1000000000), 0);
    EXPECT_EQ(RoundToPoint(kInt32Max), 0);
}

TEST(Prices, Sides)
{
    // buy-side types 1, 2, 4; sell-side 3, 5, 6; none for the rest
    const int expected[] = {0, 1, 1, 2, 1, 2, 2, 0, 0, 0, 0, 0};
    for (int type = 0; type < 12; ++type)
        EXPECT_EQ(OrderSide(type), expected[type]) << type;
    EXPECT_EQ(PriceForSide(CloseSide(1), 12347, 12345), 12345); // a buy closes at the bid
    EXPECT_EQ(PriceForSide(CloseSide(2), 12347, 12345), 12347);
    EXPECT_EQ(CrossPrice(1, 12347, 12345), 12345);
    EXPECT_EQ(CrossPrice(2, 12347, 12345), 12347);
    EXPECT_EQ(CrossPrice(3, 12347, 12345), 0);
}

// ---- dealing prices ---------------------------------------------------------

class DealingPricesTest : public ::testing::Test {
protected:
    // kind 1: (3, 5, 10); kind 2: (2, 4, 0); kind 3: (0, 1, 255)
    const std::array<quint8, 9> table{3, 5, 10, 2, 4, 0, 0, 1, 255};

    std::pair<qint32, qint32> deal(qint32 ask, qint32 bid, qint64 lots, int kind) const
    {
        DealingPrices(ask, bid, lots, table, kind);
        return {ask, bid};
    }
};

TEST_F(DealingPricesTest, CentredOnTheMidPrice)
{
    // (12347 + 12345 + 3) / 2 = 12347.5 -> 12348
    EXPECT_EQ(deal(12347, 12345, 1, 1), std::make_pair(12348, 12345));
    // (12347 + 12345 + 5) / 2 = 12348.5 -> 12348
    EXPECT_EQ(deal(12347, 12345, 11, 1), std::make_pair(12348, 12343));
    // prices between 100 and 999.99: point 100, the mid is rounded to it
    EXPECT_EQ(deal(1051300, 1051200, 1, 1), std::make_pair(1051400, 1051100));
    EXPECT_EQ(deal(1051349, 1051200, 1, 1), std::make_pair(1051400, 1051100));
}

TEST_F(DealingPricesTest, ThresholdSeparatesSmallAndLargeTrades)
{
    EXPECT_EQ(deal(12347, 12345, 10, 1).first - deal(12347, 12345, 10, 1).second, 3); // equal: small
    EXPECT_EQ(deal(12347, 12345, 11, 1).first - deal(12347, 12345, 11, 1).second, 5);
    EXPECT_EQ(deal(12346, 12345, 0, 2), std::make_pair(12346, 12344));  // threshold 0, 12346.5 -> even
    EXPECT_EQ(deal(12346, 12344, 1, 2), std::make_pair(12347, 12343));  // large: 4 points
    EXPECT_EQ(deal(12346, 12344, 255, 3), std::make_pair(12345, 12345)); // no spread
    EXPECT_EQ(deal(12346, 12344, 256, 3), std::make_pair(12346, 12345));
}

TEST_F(DealingPricesTest, UnknownKindLeavesThePricesAlone)
{
    for (int kind : {0, 4, -1, 1000, kInt32Min})
        EXPECT_EQ(deal(12347, 12345, 1, kind), std::make_pair(12347, 12345)) << kind;

    // A plain byte array is a table too.
    const quint8 plain[9] = {0, 0, 0, 0, 0, 0, 3, 5, 10};
    qint32 ask = 12347, bid = 12345;
    DealingPrices(ask, bid, 1, plain, 3);
    EXPECT_EQ(std::make_pair(ask, bid), std::make_pair(12348, 12345));
}

TEST_F(DealingPricesTest, ExtremePricesDoNotOverflow)
{
    EXPECT_EQ(deal(kInt32Max, kInt32Max, 1, 1), std::make_pair(0, 0));
    const auto [ask, bid] = deal(kInt32Min, kInt32Min, 1, 1);
    EXPECT_EQ(ask, kInt32Min + 2); // (2 * min + 3) / 2 rounded to even
    EXPECT_EQ(bid, kInt32Min);     // clamped, not wrapped
}

// ---- bars -------------------------------------------------------------------

TEST(Bars, NextBarTimeIsTheEndOfTheBar)
{
    EXPECT_EQ(NextBarTime(2, 600), 605); // on a boundary: the next bar
    EXPECT_EQ(NextBarTime(2, 601), 605);
    EXPECT_EQ(NextBarTime(2, 604), 605);
    EXPECT_EQ(NextBarTime(1, 601), 601);
    EXPECT_EQ(NextBarTime(3, 600), 660);
    EXPECT_EQ(NextBarTime(4, 959), 960);
    EXPECT_EQ(NextBarTime(5, 0), 1440);
    EXPECT_EQ(NextBarTime(6, 10079), 10080);
    for (int code : {0, 7, -1})
        EXPECT_EQ(NextBarTime(code, 600), 0) << code;
}

TEST(Bars, NextBarTimeBeforeTheBaseAndAtTheRangeEnd)
{
    // A minute before 2000 still falls inside its bar.
    EXPECT_EQ(NextBarTime(2, -1), 0);
    EXPECT_EQ(NextBarTime(2, -5), 0);
    EXPECT_EQ(NextBarTime(2, -6), -5);
    EXPECT_EQ(NextBarTime(6, kInt32Max), kInt32Max);
}

TEST(Bars, BarPeriodTextPerTimeframe)
{
    const qint32 t = minuteTime(2004, 5, 3, 10, 5);
    EXPECT_EQ(BarPeriodText(2, t, t), u"03.05.04 10:00-10:04:59");
    EXPECT_EQ(BarPeriodText(2, t, t - 2), u"03.05.04 10:00-10:03:59"); // last tick inside the bar
    EXPECT_EQ(BarPeriodText(1, t, t), u"03.05.04 10:05");
    EXPECT_EQ(BarPeriodText(3, t, t), u"03.05.04 09:05-10:04:59");

    const qint32 day = minuteTime(2004, 5, 4);
    EXPECT_EQ(BarPeriodText(5, day, day), u"03.05.04 00:00-23:59:59");
    EXPECT_EQ(BarPeriodText(4, day, day), u"03.05.04 20:00-23:59:59");

    for (int code : {0, 7, -3})
        EXPECT_EQ(BarPeriodText(code, t, t), QString()) << code;
}

TEST(Bars, WeeklyBarPeriodNamesBothDays)
{
    const qint32 end = minuteTime(2004, 5, 10);
    EXPECT_EQ(BarPeriodText(6, end, end), u"03.05.04 00:00-09.05.04 23:59:59");
    EXPECT_EQ(BarPeriodText(6, end, end + 123), u"03.05.04 00:00-10.05.04 02:03:59");
}

TEST(Bars, BarPeriodTextAcrossTheBaseDate)
{
    EXPECT_EQ(BarPeriodText(2, 0, 0), u"31.12.99 23:55-23:59:59");
    EXPECT_EQ(BarPeriodText(6, kInt32Min, kInt32Min).isEmpty(), false); // no overflow
}
