#include "dispatcher.h"

#include <algorithm>

bool TFXCommandEvent::Handle(TUserCmdRply *packet, bool &remove)
{
    remove = false;
    if (packet->Code != Code)
        return false;
    if (OnCommand)
        OnCommand(packet);
    return true;
}

bool TFXReplyEvent::Handle(TUserCmdRply *packet, bool &remove)
{
    remove = false;
    if (packet->Code != Code || packet->Id != PacketId)
        return false;
    // Decided first: a handler that throws on the last packet of its reply
    // must not leave its event waiting for packets that never come.
    remove = (packet->Flags() & (pfFirst | pfMiddle)) == 0;
    if (OnReply)
        OnReply(packet);
    return true;
}

TDispCmdRply::~TDispCmdRply()
{
    Clear();
    busyDepth = 0;
    collectDead();
}

TFXCommandEvent *TDispCmdRply::AddCommandEvent(uint8_t code, TNotifyEvent onCancel, TPacketEvent onCommand)
{
    auto event = std::make_unique<TFXCommandEvent>(code, std::move(onCancel), std::move(onCommand));
    TFXCommandEvent *raw = event.get();
    Events.push_back(std::move(event));
    return raw;
}

TFXReplyEvent *TDispCmdRply::AddReplyEvent(uint8_t code, uint16_t packetId, TNotifyEvent onCancel,
                                           TPacketEvent onReply)
{
    auto event = std::make_unique<TFXReplyEvent>(code, packetId, std::move(onCancel), std::move(onReply));
    TFXReplyEvent *raw = event.get();
    Events.push_back(std::move(event));
    return raw;
}

void TDispCmdRply::RemoveEvent(TFxEvent *event)
{
    auto it = std::find_if(Events.begin(), Events.end(), [event](const auto &e) { return e.get() == event; });
    if (it == Events.end())
        return;
    if (busyDepth > 0)
        (*it)->dead = true;
    else
        Events.erase(it);
}

// Marks a Dispatch or Clear as running; removals wait until the outermost ends.
struct TDispCmdRply::BusyScope {
    TDispCmdRply &d;
    explicit BusyScope(TDispCmdRply &owner) : d(owner) { ++d.busyDepth; }
    ~BusyScope()
    {
        --d.busyDepth;
        d.collectDead();
    }
};

void TDispCmdRply::collectDead()
{
    if (busyDepth > 0)
        return;
    Events.erase(std::remove_if(Events.begin(), Events.end(), [](const auto &e) { return e->dead; }), Events.end());
}

void TDispCmdRply::PushOutgoing(TCommandPtr command)
{
    std::lock_guard guard(Lock);
    Outgoing.push_back(std::move(command));
}

TCommandPtr TDispCmdRply::PopOutgoing()
{
    std::lock_guard guard(Lock);
    if (Outgoing.empty())
        return nullptr;
    TCommandPtr command = std::move(Outgoing.front());
    Outgoing.pop_front();
    return command;
}

void TDispCmdRply::PushReceived(TPacketPtr packet)
{
    std::lock_guard guard(Lock);
    Received.push_back(std::move(packet));
}

TPacketPtr TDispCmdRply::PopReceived()
{
    std::lock_guard guard(Lock);
    if (Received.empty())
        return nullptr;
    TPacketPtr packet = std::move(Received.front());
    Received.pop_front();
    return packet;
}

void TDispCmdRply::Dispatch(TPacketPtr packet)
{
    // Events registered by the handlers themselves wait for the next packet.
    std::vector<TFxEvent *> snapshot;
    snapshot.reserve(Events.size());
    for (auto it = Events.rbegin(); it != Events.rend(); ++it)
        if (!(*it)->dead)
            snapshot.push_back(it->get());

    BusyScope busy(*this);

    for (TFxEvent *event : snapshot) {
        if (event->dead)
            continue;
        bool remove = false;
        bool handled = false;
        try {
            handled = event->Handle(packet.get(), remove);
        } catch (...) {
            if (remove)
                event->dead = true;
            throw;
        }
        if (handled && remove)
            event->dead = true;
    }
}

void TDispCmdRply::Clear()
{
    {
        std::vector<TFxEvent *> snapshot;
        for (auto &e : Events)
            if (!e->dead)
                snapshot.push_back(e.get());
        // Everything listed now goes, whatever the cancel notifications do.
        for (TFxEvent *event : snapshot)
            event->dead = true;

        BusyScope busy(*this);

        for (TFxEvent *event : snapshot)
            if (event->OnCancel)
                event->OnCancel(event);
        // What the cancel actions registered meanwhile goes too, without a
        // cancel of its own: the list ends empty, and no cancel action that
        // registers again can keep Clear going round.
        for (auto &e : Events)
            e->dead = true;
    }
    std::deque<TPacketPtr> received;
    std::deque<TCommandPtr> outgoing;
    {
        std::lock_guard guard(Lock);
        received.swap(Received);
        outgoing.swap(Outgoing);
    }
}

size_t TDispCmdRply::EventCount() const
{
    return size_t(std::count_if(Events.begin(), Events.end(), [](const auto &e) { return !e->dead; }));
}

size_t TDispCmdRply::OutgoingCount() const
{
    std::lock_guard guard(Lock);
    return Outgoing.size();
}

size_t TDispCmdRply::ReceivedCount() const
{
    std::lock_guard guard(Lock);
    return Received.size();
}
