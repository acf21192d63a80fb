#include <gtest/gtest.h>

#include "layouttext.h"

namespace {

// Lists nest inside values, quoted as often as needed; blanks, commas and
// quotes survive; booleans and numbers read with their rules.
TEST(LayoutText, NestedListsRoundTripAndValuesReadWithTheirRules)
{
    const QString window = LayoutText({{QStringLiteral("Left"), QStringLiteral("-12")},
                                       {QStringLiteral("Visible"), LayoutBoolText(false)}});
    EXPECT_EQ(window, QStringLiteral("Left=-12,Visible=FALSE"));
    const QString host = LayoutText({{QStringLiteral("DockedControls"), LayoutText({{QStringLiteral("view70"), window}})},
                                     {QStringLiteral("ActivePage"), QStringLiteral("Order \"history\", all")},
                                     {QStringLiteral("Empty"), QString()}});
    const QString whole = LayoutText({{QStringLiteral("PageControlHosts"), LayoutText({{QStringLiteral("h1"), host}})}});

    const TLayoutValues hosts = ParseLayoutText(LayoutValue(ParseLayoutText(whole), QStringLiteral("PageControlHosts")));
    ASSERT_EQ(hosts.size(), 1);
    const TLayoutValues h = ParseLayoutText(hosts[0].second);
    EXPECT_EQ(LayoutValue(h, QStringLiteral("ActivePage")), QStringLiteral("Order \"history\", all"));
    EXPECT_EQ(LayoutValue(h, QStringLiteral("Empty")), QString());
    const TLayoutValues w = ParseLayoutText(
        LayoutValue(ParseLayoutText(LayoutValue(h, QStringLiteral("DockedControls"))), QStringLiteral("view70")));
    EXPECT_EQ(LayoutInt(w, QStringLiteral("Left"), 0), -12);
    EXPECT_EQ(LayoutInt(w, QStringLiteral("Width"), 200), 200);  // missing
    EXPECT_FALSE(LayoutBool(w, QStringLiteral("Visible")));
    EXPECT_TRUE(LayoutBool(ParseLayoutText(QStringLiteral("Visible=false")), QStringLiteral("Visible")));
    EXPECT_EQ(LayoutInt(ParseLayoutText(QStringLiteral("Top=x1")), QStringLiteral("Top"), 0), 0);
    bool ok = true;
    ParseLayoutText(QStringLiteral("a=\"b,c"), &ok);
    EXPECT_FALSE(ok);  // a quote left open
    ParseLayoutText(whole, &ok);
    EXPECT_TRUE(ok);
    // Unquoted blanks separate items, as commas do.
    EXPECT_EQ(ParseLayoutText(QStringLiteral("a=1 b=2,,c")).size(), 3);

    const QByteArray state("\x00\xff\x10gr", 5);
    EXPECT_EQ(LayoutFromHex(LayoutHex(state)), state);
    EXPECT_TRUE(LayoutFromHex(QStringLiteral("0G")).isEmpty());
    EXPECT_TRUE(LayoutFromHex(QStringLiteral("ABC")).isEmpty());
}

} // namespace
