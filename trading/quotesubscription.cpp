#include "quotesubscription.h"

#include "clientsession.h"
#include "commands.h"

TQuoteSubscription::~TQuoteSubscription() { Remove(); }

void TQuoteSubscription::Add(TPacketEvent onQuote, std::function<void()> onDropped)
{
    Remove();
    state = std::make_shared<State>();
    state->onQuote = std::move(onQuote);
    state->onDropped = std::move(onDropped);
    std::weak_ptr<State> weak = state;
    state->event = session.Dispatcher().AddCommandEvent(
        cmdQuote,
        [weak](TFxEvent *) {
            auto s = weak.lock();
            if (!s)
                return;
            s->event = nullptr;
            if (s->onDropped)
                s->onDropped();
        },
        [weak](TUserCmdRply *packet) {
            if (auto s = weak.lock(); s && s->onQuote)
                s->onQuote(packet);
        });
}

void TQuoteSubscription::Remove()
{
    if (!state)
        return;
    std::shared_ptr<State> s = std::move(state);
    if (s->event) {
        TFxEvent *event = s->event;
        s->event = nullptr;
        session.Dispatcher().RemoveEvent(event);
    }
}
