#include <gtest/gtest.h>

#include <cstring>

#include "commands.h"
#include "wiretext.h"

TEST(CommandBuilders, PlaceAndChange)
{
    TOrderFields order;
    order.CurrencyId = 3;
    order.Side = 1;
    order.OrderType = 1;
    order.Lots = 2;
    order.TakeProfit = 12500;
    order.StopLoss = 12200;
    order.Price = 12348;
    TCommandPtr place = NewPlaceCommand(order);
    ASSERT_EQ(place->PayloadLength(), 30);
    const uint8_t *d = &place->Buffer[hdr::Data];
    EXPECT_EQ(GetU32(d), 0u);
    EXPECT_EQ(GetU16(d + 5), 3);
    EXPECT_EQ(d[7], 1);
    EXPECT_EQ(d[8], 1);
    EXPECT_EQ(d[17], 2);
    EXPECT_EQ(GetU32(d + 18), 12500u);
    EXPECT_EQ(GetU32(d + 22), 12200u);
    EXPECT_EQ(GetU32(d + 26), 12348u);

    uint8_t position[PositionRecordSize];
    for (int i = 0; i < PositionRecordSize; ++i)
        position[i] = uint8_t(i + 1);
    TCommandPtr change = NewChangePositionCommand(position, 777, 555);
    const uint8_t *p = &change->Buffer[hdr::Data];
    EXPECT_EQ(std::memcmp(p, position, 28), 0);
    EXPECT_EQ(GetU32(p + 28), 777u);
    EXPECT_EQ(GetU32(p + 32), 555u);
}

TEST(CommandBuilders, CloseGroupReverseAndConfirm)
{
    TCommandPtr close = NewClosePositionCommand(42, 3, 12345);
    ASSERT_EQ(close->PayloadLength(), 9);
    EXPECT_EQ(close->Buffer[hdr::Data + 4], 3);
    EXPECT_EQ(GetU32(&close->Buffer[hdr::Data + 5]), 12345u);

    TCommandPtr single = NewGroupOrdersCommand(7, {99});
    EXPECT_EQ(single->PayloadLength(), 3);
    EXPECT_EQ(GetU16(&single->Buffer[hdr::Data + 1]), 0);
    TCommandPtr two = NewGroupOrdersCommand(7, {99, 100});
    ASSERT_EQ(two->PayloadLength(), 11);
    EXPECT_EQ(GetU16(&two->Buffer[hdr::Data + 1]), 2);
    EXPECT_EQ(GetU32(&two->Buffer[hdr::Data + 7]), 100u);

    TCommandPtr reverse = NewReversePositionCommand(5, 12000, -2);
    ASSERT_EQ(reverse->PayloadLength(), 12);
    EXPECT_EQ(int32_t(GetU32(&reverse->Buffer[hdr::Data + 8])), -2);

    EXPECT_EQ(GetU32(&NewConfirmPriceCommand(true)->Buffer[hdr::Data]), 1u);
    EXPECT_EQ(GetU32(&NewConfirmPriceCommand(false)->Buffer[hdr::Data]), 0u);
}

TEST(CommandBuilders, HistoryBarsMessagesAndReceipts)
{
    TCommandPtr bars = NewHistoryBarsCommand(4, 3, 123456);
    ASSERT_EQ(bars->PayloadLength(), 12);
    const uint8_t *b = &bars->Buffer[hdr::Data];
    EXPECT_EQ(GetU16(b), 4);
    EXPECT_EQ(b[2], 2);
    EXPECT_EQ(b[3], 3);
    EXPECT_EQ(GetU32(b + 4), 123456u);
    EXPECT_EQ(GetU32(b + 8), 0x00FFFFFFu);

    TCommandPtr message = NewSendMessageCommand(QString(600, QLatin1Char('x')), 45000.5);
    ASSERT_EQ(message->PayloadLength(), 526);
    EXPECT_EQ(GetU16(&message->Buffer[hdr::Data + 12]), 512);
    double time;
    std::memcpy(&time, &message->Buffer[hdr::Data + 4], 8);
    EXPECT_EQ(time, 45000.5);

    TCommandPtr receipt = NewReadReceipt(cmdMailRead, 8);
    EXPECT_TRUE(receipt->NoReply);
    EXPECT_EQ(receipt->Flags(), pfCommand | pfNoReply | pfReply);

    EXPECT_EQ(GetU32(&NewHistoryCommand(cmdGetAccountHistory, 31)->Buffer[hdr::Data]), 31u);
}
