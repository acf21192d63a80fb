#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dispatcher.h"

namespace {

TPacketPtr Packet(uint8_t code, uint16_t id, uint8_t flags = pfReply)
{
    auto p = std::make_unique<TUserReply>(code);
    p->Size = 1;
    p->AllocBuffer();
    p->Buffer[hdr::Flags] = flags;
    PutU16(&p->Buffer[hdr::PacketId], id);
    p->ReadHeader();
    return p;
}

} // namespace

TEST(Dispatcher, CommandEventsRunNewestFirstAndStay)
{
    TDispCmdRply d;
    std::string order;
    d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { order += "a"; });
    d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { order += "b"; });
    d.AddCommandEvent(105, nullptr, [&](TUserCmdRply *) { order += "x"; });
    d.Dispatch(Packet(104, 0, pfCommand));
    d.Dispatch(Packet(104, 0, pfCommand));
    EXPECT_EQ(order, "baba");
    EXPECT_EQ(d.EventCount(), 3u);
}

TEST(Dispatcher, SplitRepliesKeepTheirEventUntilTheLastPart)
{
    TDispCmdRply d;
    int parts = 0;
    d.AddReplyEvent(109, 7, nullptr, [&](TUserCmdRply *) { ++parts; });
    d.Dispatch(Packet(109, 7, pfReply | pfFirst));
    d.Dispatch(Packet(109, 7, pfReply | pfMiddle));
    EXPECT_EQ(d.EventCount(), 1u);
    d.Dispatch(Packet(109, 8, pfReply | pfLast));  // another id: not ours
    d.Dispatch(Packet(108, 7, pfReply | pfLast));  // another code: not ours
    EXPECT_EQ(parts, 2);
    d.Dispatch(Packet(109, 7, pfReply | pfLast));
    EXPECT_EQ(parts, 3);
    EXPECT_EQ(d.EventCount(), 0u);
    d.Dispatch(Packet(109, 7, pfReply));
    EXPECT_EQ(parts, 3);
}

TEST(Dispatcher, ClearCancelsOnceAndFreesQueues)
{
    TDispCmdRply d;
    int cancels = 0, replies = 0;
    for (uint16_t id = 1; id <= 3; ++id)
        d.AddReplyEvent(127, id, [&](TFxEvent *) { ++cancels; }, [&](TUserCmdRply *) { ++replies; });
    d.AddCommandEvent(104, nullptr, nullptr);  // no cancel notification
    d.PushOutgoing(NewCommand(127, 0));
    d.PushReceived(Packet(127, 1));
    d.Clear();
    EXPECT_EQ(cancels, 3);
    EXPECT_EQ(d.EventCount(), 0u);
    EXPECT_EQ(d.OutgoingCount(), 0u);
    EXPECT_EQ(d.ReceivedCount(), 0u);
    d.Dispatch(Packet(127, 1));
    EXPECT_EQ(replies, 0);
    d.Clear();
    EXPECT_EQ(cancels, 3);
}

TEST(Dispatcher, HandlersMayRemoveAndAddEventsWhileDispatching)
{
    TDispCmdRply d;
    std::vector<std::string> ran;
    TFxEvent *victim = nullptr;
    TFxEvent *self = nullptr;
    victim = d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { ran.push_back("victim"); });
    // Newest first: this one runs before the victim and removes it and itself.
    self = d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) {
        ran.push_back("remover");
        d.RemoveEvent(victim);
        d.RemoveEvent(self);
        d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { ran.push_back("late"); });
    });
    d.Dispatch(Packet(104, 0, pfCommand));
    EXPECT_EQ(ran, (std::vector<std::string>{"remover"}));
    EXPECT_EQ(d.EventCount(), 1u);
    d.Dispatch(Packet(104, 0, pfCommand));
    EXPECT_EQ(ran.back(), "late");
}

TEST(Dispatcher, CancelNotificationsMayRemoveOtherEventsDuringClear)
{
    TDispCmdRply d;
    int cancels = 0;
    TFxEvent *second = nullptr;
    d.AddReplyEvent(113, 1, [&](TFxEvent *) {
        ++cancels;
        d.RemoveEvent(second);  // a dialog closing removes its own quote event
    }, nullptr);
    second = d.AddCommandEvent(104, [&](TFxEvent *) { ++cancels; }, nullptr);
    d.Clear();
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(d.EventCount(), 0u);
}

TEST(Dispatcher, ClearAlsoDropsWhatCancelNotificationsRegister)
{
    TDispCmdRply d;
    int handled = 0, lateCancels = 0;
    // A cancel action that asks again at once (and listens again).
    d.AddReplyEvent(130, 1, [&](TFxEvent *) {
        d.AddReplyEvent(130, 2, [&](TFxEvent *) { ++lateCancels; }, [&](TUserCmdRply *) { ++handled; });
        d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { ++handled; });
    }, nullptr);
    d.Clear();
    EXPECT_EQ(d.EventCount(), 0u);
    d.Dispatch(Packet(130, 2));
    d.Dispatch(Packet(104, 0, pfCommand));
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(lateCancels, 0);

    // The same when Clear runs inside a handler (a disconnection during a pump).
    d.AddCommandEvent(105, [&](TFxEvent *) { d.AddCommandEvent(104, nullptr, nullptr); },
                      [&](TUserCmdRply *) { d.Clear(); });
    d.Dispatch(Packet(105, 0, pfCommand));
    EXPECT_EQ(d.EventCount(), 0u);
}

TEST(Dispatcher, HandlerExceptionPropagatesAndStopsTheRest)
{
    TDispCmdRply d;
    bool olderRan = false;
    d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { olderRan = true; });
    d.AddCommandEvent(104, nullptr, [&](TUserCmdRply *) { throw std::runtime_error("bad"); });
    EXPECT_THROW(d.Dispatch(Packet(104, 0, pfCommand)), std::runtime_error);
    EXPECT_FALSE(olderRan);
    EXPECT_EQ(d.EventCount(), 2u);
}

TEST(Dispatcher, QueuesAreFifo)
{
    TDispCmdRply d;
    for (uint8_t code = 1; code <= 3; ++code)
        d.PushOutgoing(NewCommand(code, 0));
    for (uint8_t code = 1; code <= 3; ++code)
        EXPECT_EQ(d.PopOutgoing()->Code, code);
    EXPECT_EQ(d.PopOutgoing(), nullptr);
    EXPECT_EQ(d.PopReceived(), nullptr);
}

TEST(Dispatcher, AReplyHandlerThrowingOnTheLastPartStillEndsItsEvent)
{
    TDispCmdRply d;
    int calls = 0;
    d.AddReplyEvent(130, 3, nullptr, [&](TUserCmdRply *) {
        ++calls;
        throw std::runtime_error("damaged");
    });
    EXPECT_THROW(d.Dispatch(Packet(130, 3, pfReply | pfFirst)), std::runtime_error);
    EXPECT_EQ(d.EventCount(), 1u);  // more parts follow
    EXPECT_THROW(d.Dispatch(Packet(130, 3, pfReply | pfLast)), std::runtime_error);
    EXPECT_EQ(d.EventCount(), 0u);
    d.Dispatch(Packet(130, 3, pfReply));
    EXPECT_EQ(calls, 2);
}
