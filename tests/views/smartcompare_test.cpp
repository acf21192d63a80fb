#include <gtest/gtest.h>

#include "smartcompare.h"

TEST(SmartCompare, DatesTimesNumbersThenText)
{
    // Dates by value, not by text.
    EXPECT_LT(SmartCompare(QStringLiteral("31.12.2003 23:59"), QStringLiteral("01.01.2004 00:00")), 0);
    EXPECT_GT(SmartCompare(QStringLiteral("02.01.2004"), QStringLiteral("31.12.2003")), 0);
    EXPECT_LT(SmartCompare(QStringLiteral("9:05"), QStringLiteral("10:00")), 0);
    EXPECT_EQ(SmartCompare(QStringLiteral("10:00"), QStringLiteral("10:00")), 0);
    // Numbers by value, with either decimal separator and thousands groups.
    EXPECT_LT(SmartCompare(QStringLiteral("9.5"), QStringLiteral("10.25")), 0);
    EXPECT_LT(SmartCompare(QStringLiteral("9,5"), QStringLiteral("10,25")), 0);
    EXPECT_GT(SmartCompare(QStringLiteral("1,234.50"), QStringLiteral("999.99")), 0);
    EXPECT_LT(SmartCompare(QStringLiteral("1 234.50"), QStringLiteral("2")), 0);  // read up to the blank
    EXPECT_LT(SmartCompare(QStringLiteral("-3.00"), QStringLiteral("2.00")), 0);
    EXPECT_GT(SmartCompare(QStringLiteral("12 lots"), QStringLiteral("3 lots")), 0);
    // Texts otherwise, and mixed kinds fall back to text.
    EXPECT_LT(SmartCompare(QStringLiteral("Buy"), QStringLiteral("Sell")), 0);
    EXPECT_NE(SmartCompare(QStringLiteral("10.00"), QStringLiteral("EURUSD")), 0);
    EXPECT_LT(PlainCompare(QStringLiteral("10"), QStringLiteral("9")), 0);
}
