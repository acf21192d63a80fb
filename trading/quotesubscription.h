#pragma once

#include <functional>
#include <memory>

#include "dispatcher.h"

class ClientSession;

// A window's registration for the quote pushes (code 104). It can be
// removed at any time and any number of times: once the dispatcher's Clear
// has dropped it (the connection ended or a new one began) removing does
// nothing, so a stale event is never handed back to the dispatcher. The
// callbacks never run after the subscription is gone.
class TQuoteSubscription {
public:
    explicit TQuoteSubscription(ClientSession &session) : session(session) {}
    ~TQuoteSubscription();
    TQuoteSubscription(const TQuoteSubscription &) = delete;
    TQuoteSubscription &operator=(const TQuoteSubscription &) = delete;

    // Registers (again, after removing a live registration). onDropped runs
    // when the dispatcher drops the registration.
    void Add(TPacketEvent onQuote, std::function<void()> onDropped = {});
    void Remove();
    bool Active() const { return state && state->event; }

private:
    struct State {
        TFxEvent *event = nullptr;
        TPacketEvent onQuote;
        std::function<void()> onDropped;
    };
    ClientSession &session;
    std::shared_ptr<State> state;
};
