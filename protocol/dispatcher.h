#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "packet.h"

class TFxEvent;

using TNotifyEvent = std::function<void(TFxEvent *)>;
using TPacketEvent = std::function<void(TUserCmdRply *)>;

// Binds a command code to a handler on the main thread.
class TFxEvent {
public:
    TFxEvent(uint8_t code, TNotifyEvent onCancel) : Code(code), OnCancel(std::move(onCancel)) {}
    virtual ~TFxEvent() = default;
    // Runs the handler when the packet is meant for this event.
    virtual bool Handle(TUserCmdRply *packet, bool &remove) = 0;

    uint8_t Code;
    TNotifyEvent OnCancel;

private:
    friend class TDispCmdRply;
    bool dead = false;  // removed while a dispatch or clear was running
};

// Listens to every packet of one code (the server's pushes).
class TFXCommandEvent : public TFxEvent {
public:
    TFXCommandEvent(uint8_t code, TNotifyEvent onCancel, TPacketEvent onCommand)
        : TFxEvent(code, std::move(onCancel)), OnCommand(std::move(onCommand)) {}
    bool Handle(TUserCmdRply *packet, bool &remove) override;

    TPacketEvent OnCommand;
};

// Waits for the reply to one command; stays while more parts of a split reply follow.
class TFXReplyEvent : public TFxEvent {
public:
    TFXReplyEvent(uint8_t code, uint16_t packetId, TNotifyEvent onCancel, TPacketEvent onReply)
        : TFxEvent(code, std::move(onCancel)), PacketId(packetId), OnReply(std::move(onReply)) {}
    bool Handle(TUserCmdRply *packet, bool &remove) override;

    uint16_t PacketId;
    TPacketEvent OnReply;
};

// Meeting point of the connection thread and the main thread: the two
// locked packet queues and the list of events. Only PopOutgoing and
// PushReceived are called from the connection thread.
//
// Handlers and cancel notifications may add and remove events (and even run
// Clear) while Dispatch or Clear is running: a removed event is only marked
// and freed once the outermost Dispatch or Clear has returned, so nothing
// touches a freed event.
class TDispCmdRply {
public:
    TDispCmdRply() = default;
    ~TDispCmdRply();
    TDispCmdRply(const TDispCmdRply &) = delete;
    TDispCmdRply &operator=(const TDispCmdRply &) = delete;

    TFXCommandEvent *AddCommandEvent(uint8_t code, TNotifyEvent onCancel, TPacketEvent onCommand);
    TFXReplyEvent *AddReplyEvent(uint8_t code, uint16_t packetId, TNotifyEvent onCancel, TPacketEvent onReply);
    // Removes and frees the event; an unknown or already removed event is ignored.
    void RemoveEvent(TFxEvent *event);

    void PushOutgoing(TCommandPtr command);
    TCommandPtr PopOutgoing();
    void PushReceived(TPacketPtr packet);
    TPacketPtr PopReceived();

    // Hands the packet to every matching event, newest first, then frees it.
    // A handler's exception propagates; the packet is freed all the same.
    void Dispatch(TPacketPtr packet);
    // Cancels and frees every event, then frees every queued packet.
    void Clear();

    size_t EventCount() const;
    size_t OutgoingCount() const;
    size_t ReceivedCount() const;

private:
    struct BusyScope;
    void collectDead();

    std::vector<std::unique_ptr<TFxEvent>> Events;
    mutable std::mutex Lock;
    std::deque<TPacketPtr> Received;
    std::deque<TCommandPtr> Outgoing;
    int busyDepth = 0;  // nesting of Dispatch / Clear on the main thread
};
