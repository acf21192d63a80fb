#pragma once

#include <set>
#include <utility>

#include <QObject>
#include <QString>

#include "clientlists.h"
#include "dispatcher.h"

class ClientSession;

// Keeps the client's lists current from the server: sends the start-up
// requests when a session starts, registers the push handlers, and applies
// replies and pushes to the lists. Widget-free; the desktop client and the
// headless client both drive it. Everything runs on the main thread.
class ClientState : public QObject {
    Q_OBJECT
public:
    explicit ClientState(ClientSession &session, QObject *parent = nullptr);
    ~ClientState() override;

    TClientLists &Lists() { return lists; }
    const TClientLists &Lists() const { return lists; }
    ClientSession &Session() { return session; }

    // On every new session: the start-up requests, then the push handlers.
    void StartSession();
    // 131, 105, 109, 108, 127, 129, 139, 145, 144 in this order.
    void SendStartupRequests();
    // 104 (instruments, positions, orders), 134, 138, 136, 114, 116, 118,
    // 128, 119, 122, 123, 112, in this order.
    void RegisterPushHandlers();

    // Requests; each registers a one-shot reply handler.
    void RequestSysVariables();
    void RequestInstruments();
    void RequestPositions();
    void RequestOrders();
    void RequestAccount();
    void RequestAccountHistory();
    void RequestOrderHistory();
    void RequestPosition(quint32 id);
    void RequestOrder(quint32 id);
    // The history period (1, 7, 31 days, 0 = all), then the history again.
    void SetAccountHistoryDays(int days);
    void SetOrderHistoryDays(int days);

    // "%s <%d>": the dealer's title and the account.
    QString WindowTitle(quint32 account) const;

    // Reply handlers. A failed reply shows its error text in the status bar
    // and changes nothing. A list reply replaces the list, or continues it
    // when it is a later part of a split reply; a reply whose records do not
    // fit its payload raises "Not valid packet is recieved" and leaves the
    // list as it was.
    void OnSysVariables(TUserCmdRply *packet);
    void OnInstruments(TUserCmdRply *packet);
    void OnPositions(TUserCmdRply *packet);
    void OnOrders(TUserCmdRply *packet);
    void OnAccount(TUserCmdRply *packet);
    void OnAccountHistory(TUserCmdRply *packet);
    void OnOrderHistory(TUserCmdRply *packet);
    void OnPosition(TUserCmdRply *packet);  // upsert
    void OnOrder(TUserCmdRply *packet);     // upsert

    // Push handlers.
    void OnQuoteInstruments(TUserCmdRply *packet);
    void OnQuotePositions(TUserCmdRply *packet);
    void OnQuoteOrders(TUserCmdRply *packet);
    void OnPositionPush(TUserCmdRply *packet);    // 114, 116
    void OnPositionClosed(TUserCmdRply *packet);  // 118
    void OnOrderPush(TUserCmdRply *packet);       // 119, 122
    void OnOrderDeleted(TUserCmdRply *packet);    // 123
    void OnAccountChanged(TUserCmdRply *packet);  // 128
    void OnServerTime(TUserCmdRply *packet);      // 112

    // The replies to 145 and 144 belong to the messaging; until it sets
    // these they are dropped.
    TPacketEvent MailIdsHandler;
    TPacketEvent MessageIdsHandler;

signals:
    // After every reply to one of this object's requests, also when its
    // handler raised; lastPart is false while more packets of a split reply
    // follow, ok is false when the server refused the request.
    void replyHandled(quint8 code, bool lastPart, bool ok);
    // After a packet of the instrument list was loaded.
    void instrumentsLoaded();
    // An instrument after a list load (each in list order) and after a quote.
    void instrumentChanged(TUserCurrency *instrument);
    // An instrument that has just taken a quote.
    void quoteApplied(TUserCurrency *instrument);
    void sysVariablesLoaded();
    void serverTimeChanged(quint32 minutes);

private:
    using Handler = void (ClientState::*)(TUserCmdRply *);
    TPacketEvent replyEvent(quint8 code, Handler handler);
    TPacketEvent pushEvent(Handler handler);
    void request(quint8 code, quint32 parameter, bool withParameter, Handler handler);
    // Shows the error text of a failed reply; true for a good one.
    bool replyOk(TUserCmdRply *packet);
    // The record request a push asks for: one per record while unanswered,
    // and a server that piles up more than MaxPushRequests of them without
    // answering is refused further ones (a faulty packet).
    void pushRequest(quint8 code, quint32 id, Handler handler);

public:
    static constexpr size_t MaxPushRequests = 1000;

private:
    ClientSession &session;
    TClientLists lists;
    std::set<std::pair<quint8, quint32>> pushRequests;
};
