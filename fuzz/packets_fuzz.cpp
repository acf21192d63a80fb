// The client's receive path. Frames are read as the connection thread reads
// them (the first five bytes checked, the payload, descrambling, the header
// fields) and handed on as the session's pump does: through a real
// dispatcher to the push handlers of the client state, the mail, the chat
// and the charts' series, and to the reply handler of the packet's code as
// if its request were waiting (the trading lists, mail, messages, bars).
// The lists are shown in views, so every column text is made.
//
// Input: the bytes the server sends, frame after frame.
#include <set>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "fuzzsupport.h"
#include "messaging.h"
#include "rowsink.h"
#include "serieslist.h"

namespace {

class Client {
public:
    Client()
    {
        // The push handlers, as at the start of a session.
        emit session.sessionStarted();
        series.Start();
        TClientLists &lists = state.Lists();
        lists.SysVars.LotSize = 100000;
        lists.Instruments.AttachView(&views[0]);
        lists.Positions.AttachView(&views[1]);
        lists.Orders.AttachView(&views[2]);
        lists.AccountHistory.AttachView(&views[3]);
        lists.OrderHistory.AttachView(&views[4]);
        messaging.Mail.AttachView(&views[5]);
    }
    ~Client()
    {
        TClientLists &lists = state.Lists();
        for (TUserBaseList *list : std::initializer_list<TUserBaseList *>{
                 &lists.Instruments, &lists.Positions, &lists.Orders, &lists.AccountHistory, &lists.OrderHistory,
                 &messaging.Mail})
            list->DetachView();
    }

    void Receive(TPacketPtr packet)
    {
        awaitReply(*packet);
        try {
            session.Dispatcher().Dispatch(std::move(packet));
        } catch (const std::exception &) {
            // The pump reports it and goes on with the next packet.
        }
    }

private:
    // The reply event a request of this code and id would have registered;
    // it stays while more parts of a split reply follow.
    void awaitReply(const TUserCmdRply &packet)
    {
        TPacketEvent handler = replyHandler(packet.Code);
        const auto key = std::make_pair(packet.Code, packet.Id);
        if (!handler || !waiting.insert(key).second)
            return;
        if (packet.Code == cmdGetHistoryBars)
            bars->Ready = 0;
        session.Dispatcher().AddReplyEvent(packet.Code, packet.Id, nullptr,
                                           [this, key, handler](TUserCmdRply *p) {
                                               if (!(p->Flags() & (pfFirst | pfMiddle)))
                                                   waiting.erase(key);
                                               handler(p);
                                           });
    }

    TPacketEvent replyHandler(uint8_t code)
    {
        const auto of = [this](void (ClientState::*handler)(TUserCmdRply *)) {
            return [this, handler](TUserCmdRply *p) { (state.*handler)(p); };
        };
        switch (code) {
        case cmdGetSysVariables: return of(&ClientState::OnSysVariables);
        case cmdGetInstruments: return of(&ClientState::OnInstruments);
        case cmdGetPositions: return of(&ClientState::OnPositions);
        case cmdGetOrders: return of(&ClientState::OnOrders);
        case cmdGetAccount: return of(&ClientState::OnAccount);
        case cmdGetAccountHistory: return of(&ClientState::OnAccountHistory);
        case cmdGetOrderHistory: return of(&ClientState::OnOrderHistory);
        case cmdGetPosition: return of(&ClientState::OnPosition);
        case cmdGetOrder: return of(&ClientState::OnOrder);
        case cmdGetMailIds: return [this](TUserCmdRply *p) { messaging.MailClient.OnMailIds(p); };
        case cmdGetMail: return [this](TUserCmdRply *p) { messaging.MailClient.OnMail(p); };
        case cmdGetMessageIds: return [this](TUserCmdRply *p) { messaging.Chat.OnMessageIds(p); };
        case cmdGetMessage: return [this](TUserCmdRply *p) { messaging.Chat.OnMessage(p); };
        case cmdSendMessage: return [this](TUserCmdRply *p) { messaging.Chat.OnSendReply(p); };
        case cmdGetHistoryBars: return [this](TUserCmdRply *p) { series.HistoryReply(bars->Key, p); };
        default: return nullptr;
        }
    }

    ClientSession session;
    ClientState state{session};
    // No account: the mailbox and the messages are not written.
    TMessaging messaging{session, state, fuzz::ScratchDir()};
    // No instrument name: no bar file is read or written.
    TSeriesList series{session, fuzz::ScratchDir(), [](int) { return QString(); }};
    TSerData *bars = series.FindOrCreate(1, 3);
    fuzz::RowSink views[6];
    std::set<std::pair<uint8_t, uint16_t>> waiting;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Client client;
    fuzz::Input in({data, size});
    while (in.Remaining() >= 5) {
        const auto head = in.Take(5);
        // A bad header or a frame cut short ends the connection.
        if (!IsValidHeader(head.data()))
            break;
        TPacketPtr packet = CreatePacketFromHeader(head.data());
        const auto payload = in.Take(packet->Buffer.size() - 5);
        if (payload.size() < packet->Buffer.size() - 5)
            break;
        std::copy(payload.begin(), payload.end(), packet->Buffer.begin() + 5);
        Descramble(packet->Buffer);
        try {
            packet->ReadHeader();
        } catch (const std::exception &) {
            break;
        }
        client.Receive(std::move(packet));
    }
    return 0;
}
