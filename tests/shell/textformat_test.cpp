#include <gtest/gtest.h>

#include "textformat.h"

TEST(FormatText, FillsPlaceholdersAndToleratesMismatches)
{
    EXPECT_EQ(FormatText(QStringLiteral("%s <%d>"), {QStringLiteral("Dealer"), 1001}), QStringLiteral("Dealer <1001>"));
    EXPECT_EQ(FormatText(QStringLiteral(" Balans: %.2f; Equty: %.2f"), {10000.0, 9999.996}),
              QStringLiteral(" Balans: 10000.00; Equty: 10000.00"));
    EXPECT_EQ(FormatText(QStringLiteral("%5d|%-4s|%x|100%%"), {42, QStringLiteral("ab"), 255}),
              QStringLiteral("   42|ab  |FF|100%"));
    // A text without placeholders keeps its arguments out; missing ones are empty.
    EXPECT_EQ(FormatText(QStringLiteral("Out of range"), {1, 99}), QStringLiteral("Out of range"));
    EXPECT_EQ(FormatText(QStringLiteral("from %s to %s"), {QStringLiteral("a")}), QStringLiteral("from a to "));
    // Unknown directives and a lone percent sign stand as written.
    EXPECT_EQ(FormatText(QStringLiteral("50%q %"), {}), QStringLiteral("50%q %"));
    EXPECT_EQ(FormatText(QStringLiteral("%.3s"), {QStringLiteral("abcdef")}), QStringLiteral("abc"));
}
