#include "clientstate.h"

#include <QPointer>

#include "clientsession.h"
#include "commands.h"
#include "errortext.h"
#include "forexexception.h"
#include "languagetables.h"
#include "packetreader.h"

namespace {

bool isContinuation(const TUserCmdRply *packet) { return (packet->Flags() & (pfMiddle | pfLast)) != 0; }

// The records of a list reply: a 16-bit count at data offset 0, then the
// records back to back. Raises before anything changes when the count does
// not fit the payload.
struct ListReply {
    ListReply(const TUserCmdRply &packet, size_t recordSize) : size(recordSize)
    {
        PacketReader reader(packet, hdr::ReplyData);
        count = reader.u16();
        first = reader.offset();
        if (size_t(count) * recordSize > reader.remaining())
            throw EForexException(MessageText(25));
        buffer = &packet.Buffer;
    }
    std::span<const uint8_t> record(size_t i) const { return {buffer->data() + first + i * size, size}; }

    size_t size;
    size_t count = 0;
    size_t first = 0;
    const TPacketBuffer *buffer = nullptr;
};

// Records one list reply may bring, far above any real account: a reply
// that never ends is a faulty server, not a reason to fill the memory.
constexpr size_t MaxListRecords = 100000;

void checkRoom(int inList, const ListReply &reply, const TUserCmdRply &packet)
{
    const size_t before = isContinuation(&packet) ? size_t(inList) : 0;
    if (before + reply.count > MaxListRecords)
        throw EForexException(MessageText(25));
}

template <class TRecord, class TList>
void loadRecords(TList &list, const TUserCmdRply &packet)
{
    const ListReply reply(packet, TRecord::WireSize);
    checkRoom(list.Count(), reply, packet);
    if (!isContinuation(&packet))
        list.Clear();
    for (size_t i = 0; i < reply.count; ++i) {
        auto record = std::make_unique<TRecord>(&list);
        record->LoadFrom(reply.record(i));
        list.Add(std::move(record));
    }
}

// Data of a single-record reply.
std::span<const uint8_t> replyData(const TUserCmdRply &packet)
{
    if (packet.Buffer.size() < size_t(hdr::ReplyData))
        throw EForexException(MessageText(25));
    return {packet.Buffer.data() + hdr::ReplyData, packet.Buffer.size() - hdr::ReplyData};
}

template <class TRecord, class TList>
void upsert(TList &list, const TUserCmdRply &packet)
{
    const std::span<const uint8_t> data = replyData(packet);
    PacketReader reader(packet, hdr::ReplyData);
    const qint32 id = reader.i32();
    if (TRecord *existing = list.FindRecord(id)) {
        existing->LoadFrom(data);
        return;
    }
    auto record = std::make_unique<TRecord>(&list);
    record->LoadFrom(data);
    list.Add(std::move(record));
}

struct Quote {
    explicit Quote(const TUserCmdRply &packet)
    {
        PacketReader reader(packet, hdr::Data);
        id = reader.u16();
        ask = reader.i32();
        bid = reader.i32();
        minutes = reader.u32();
    }
    quint16 id = 0;
    qint32 ask = 0;
    qint32 bid = 0;
    quint32 minutes = 0;
};

quint32 pushId(const TUserCmdRply &packet) { return PacketReader(packet, hdr::Data).u32(); }

} // namespace

ClientState::ClientState(ClientSession &s, QObject *parent) : QObject(parent), session(s)
{
    connect(&session, &ClientSession::sessionStarted, this, &ClientState::StartSession);
}

ClientState::~ClientState() = default;

void ClientState::StartSession()
{
    pushRequests.clear();  // the reply events of the last session are gone
    SendStartupRequests();
    RegisterPushHandlers();
}

void ClientState::SendStartupRequests()
{
    RequestSysVariables();
    RequestInstruments();
    RequestPositions();
    RequestOrders();
    RequestAccount();
    RequestAccountHistory();
    RequestOrderHistory();
    QPointer<ClientState> self(this);
    session.SendRequest(NewCommand(cmdGetMailIds, 0), [self](TUserCmdRply *packet) {
        if (self && self->MailIdsHandler)
            self->MailIdsHandler(packet);
    });
    session.SendRequest(NewCommand(cmdGetMessageIds, 0), [self](TUserCmdRply *packet) {
        if (self && self->MessageIdsHandler)
            self->MessageIdsHandler(packet);
    });
}

void ClientState::RegisterPushHandlers()
{
    TDispCmdRply &d = session.Dispatcher();
    // Registered instruments, positions, orders: they run orders first.
    d.AddCommandEvent(cmdQuote, nullptr, pushEvent(&ClientState::OnQuoteInstruments));
    d.AddCommandEvent(cmdQuote, nullptr, pushEvent(&ClientState::OnQuotePositions));
    d.AddCommandEvent(cmdQuote, nullptr, pushEvent(&ClientState::OnQuoteOrders));
    QPointer<ClientState> self(this);
    d.AddCommandEvent(cmdPositionsChanged, nullptr, [self](TUserCmdRply *) {
        if (self)
            self->RequestPositions();
    });
    d.AddCommandEvent(cmdOrdersChanged, nullptr, [self](TUserCmdRply *) {
        if (self)
            self->RequestOrders();
    });
    d.AddCommandEvent(cmdSysVariablesChanged, nullptr, [self](TUserCmdRply *) {
        if (self)
            self->RequestSysVariables();
    });
    d.AddCommandEvent(cmdPositionOpened, nullptr, pushEvent(&ClientState::OnPositionPush));
    d.AddCommandEvent(cmdPositionChanged, nullptr, pushEvent(&ClientState::OnPositionPush));
    d.AddCommandEvent(cmdPositionClosed, nullptr, pushEvent(&ClientState::OnPositionClosed));
    d.AddCommandEvent(cmdAccountChanged, nullptr, pushEvent(&ClientState::OnAccountChanged));
    d.AddCommandEvent(cmdOrderPlaced, nullptr, pushEvent(&ClientState::OnOrderPush));
    d.AddCommandEvent(cmdOrderChanged, nullptr, pushEvent(&ClientState::OnOrderPush));
    d.AddCommandEvent(cmdOrderDeleted, nullptr, pushEvent(&ClientState::OnOrderDeleted));
    d.AddCommandEvent(cmdServerTime, nullptr, pushEvent(&ClientState::OnServerTime));
}

TPacketEvent ClientState::replyEvent(quint8 code, Handler handler)
{
    QPointer<ClientState> self(this);
    return [self, code, handler](TUserCmdRply *packet) {
        if (!self)
            return;
        const bool last = (packet->Flags() & (pfFirst | pfMiddle)) == 0;
        const bool ok = packet->Buffer.size() > size_t(hdr::Data) && packet->Buffer[hdr::Data] == 0;
        try {
            (self->*handler)(packet);
        } catch (...) {
            if (self)
                emit self->replyHandled(code, last, ok);
            throw;
        }
        if (self)
            emit self->replyHandled(code, last, ok);
    };
}

TPacketEvent ClientState::pushEvent(Handler handler)
{
    QPointer<ClientState> self(this);
    return [self, handler](TUserCmdRply *packet) {
        if (self)
            (self->*handler)(packet);
    };
}

void ClientState::request(quint8 code, quint32 parameter, bool withParameter, Handler handler)
{
    TCommandPtr command = withParameter ? NewCommandU32(code, parameter) : NewCommand(code, 0);
    session.SendRequest(std::move(command), replyEvent(code, handler));
}

void ClientState::RequestSysVariables() { request(cmdGetSysVariables, 0, false, &ClientState::OnSysVariables); }
void ClientState::RequestInstruments() { request(cmdGetInstruments, 0, false, &ClientState::OnInstruments); }
void ClientState::RequestPositions() { request(cmdGetPositions, 0, false, &ClientState::OnPositions); }
void ClientState::RequestOrders() { request(cmdGetOrders, 0, false, &ClientState::OnOrders); }
void ClientState::RequestAccount() { request(cmdGetAccount, 0, false, &ClientState::OnAccount); }

void ClientState::RequestAccountHistory()
{
    request(cmdGetAccountHistory, quint32(lists.AccountHistory.Days), true, &ClientState::OnAccountHistory);
}

void ClientState::RequestOrderHistory()
{
    request(cmdGetOrderHistory, quint32(lists.OrderHistory.Days), true, &ClientState::OnOrderHistory);
}

void ClientState::RequestPosition(quint32 id) { request(cmdGetPosition, id, true, &ClientState::OnPosition); }
void ClientState::RequestOrder(quint32 id) { request(cmdGetOrder, id, true, &ClientState::OnOrder); }

void ClientState::SetAccountHistoryDays(int days)
{
    lists.AccountHistory.Days = days;
    RequestAccountHistory();
}

void ClientState::SetOrderHistoryDays(int days)
{
    lists.OrderHistory.Days = days;
    RequestOrderHistory();
}

QString ClientState::WindowTitle(quint32 account) const
{
    // Account numbers are unsigned: those above 2^31 - 1 must not show negative.
    return QString::asprintf("%s <%u>", lists.SysVars.Title.toUtf8().constData(), unsigned(account));
}

bool ClientState::replyOk(TUserCmdRply *packet) { return session.ReplySucceeded(packet); }

// ---- replies

void ClientState::OnSysVariables(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    PacketReader reader(*packet, hdr::ReplyData);
    TSystemVariables vars;
    vars.ServerTime = reader.u32();
    vars.LotSize = reader.i32();
    vars.Kept = reader.u32();
    for (quint8 &b : vars.SpreadTable)
        b = reader.u8();
    vars.Title = reader.shortString(100);
    lists.SysVars = vars;
    session.ShowServerTime(vars.ServerTime);
    emit sysVariablesLoaded();
}

void ClientState::OnInstruments(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    TListCurrency &list = lists.Instruments;
    const ListReply reply(*packet, TUserCurrency::WireSize);
    checkRoom(list.Count(), reply, *packet);
    if (!isContinuation(packet))
        list.Clear();
    for (size_t i = 0; i < reply.count; ++i) {
        auto instrument = std::make_unique<TUserCurrency>(&list);
        instrument->LoadFrom(reply.record(i));
        list.AddInstrument(std::move(instrument));
    }
    emit instrumentsLoaded();
    for (int i = 0; i < list.Count(); ++i)
        emit instrumentChanged(list.Item(i));
}

void ClientState::OnPositions(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    loadRecords<TUserDeal>(lists.Positions, *packet);
    lists.Account().RefreshItem();
    lists.Positions.ShowItem(lists.Account().Item);
}

void ClientState::OnOrders(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    loadRecords<TUserOrder>(lists.Orders, *packet);
}

void ClientState::OnAccount(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    lists.Account().LoadFrom(replyData(*packet));
}

void ClientState::OnAccountHistory(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    loadRecords<TUserHistoryAccount>(lists.AccountHistory, *packet);
    lists.AccountHistory.RewriteFooter();
    lists.AccountHistory.ShowItem(lists.AccountHistory.Footer);
}

void ClientState::OnOrderHistory(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    loadRecords<TUserHistoryOrder>(lists.OrderHistory, *packet);
}

void ClientState::OnPosition(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    upsert<TUserDeal>(lists.Positions, *packet);
    lists.Account().RefreshItem();
}

void ClientState::OnOrder(TUserCmdRply *packet)
{
    if (!replyOk(packet))
        return;
    upsert<TUserOrder>(lists.Orders, *packet);
}

// ---- pushes

void ClientState::OnQuoteOrders(TUserCmdRply *packet)
{
    const Quote quote(*packet);
    TListOrder &orders = lists.Orders;
    for (int i = 0; i < orders.Count(); ++i)
        if (orders.Item(i)->CurrencyId == quote.id)
            orders.Item(i)->UpdatePrices(quote.ask, quote.bid);
}

void ClientState::OnQuotePositions(TUserCmdRply *packet)
{
    const Quote quote(*packet);
    TListDeal &positions = lists.Positions;
    for (int i = 0; i < positions.Count(); ++i)
        if (positions.Item(i)->CurrencyId == quote.id)
            positions.Item(i)->UpdatePrices(quote.ask, quote.bid);
    lists.Account().RefreshItem();
}

void ClientState::OnQuoteInstruments(TUserCmdRply *packet)
{
    const Quote quote(*packet);
    if (TUserCurrency *instrument = lists.Instruments.FindRecord(quote.id)) {
        instrument->ApplyQuote(quote.ask, quote.bid, quote.minutes);
        emit instrumentChanged(instrument);
        emit quoteApplied(instrument);
    }
}

void ClientState::OnPositionPush(TUserCmdRply *packet)
{
    pushRequest(cmdGetPosition, pushId(*packet), &ClientState::OnPosition);
}

void ClientState::OnPositionClosed(TUserCmdRply *packet)
{
    TListDeal &positions = lists.Positions;
    TUserDeal *position = positions.FindRecord(qint32(pushId(*packet)));
    if (!position)
        return;
    positions.Remove(position);
    lists.Account().RefreshItem();
    if (positions.View)
        positions.View->Repaint();
}

void ClientState::OnOrderPush(TUserCmdRply *packet)
{
    pushRequest(cmdGetOrder, pushId(*packet), &ClientState::OnOrder);
}

void ClientState::pushRequest(quint8 code, quint32 id, Handler handler)
{
    const std::pair<quint8, quint32> key{code, id};
    // A request still on its way answers this push too: the server handles
    // it after the push was sent, so its reply has the newer record.
    if (pushRequests.count(key))
        return;
    if (pushRequests.size() >= MaxPushRequests)
        throw EForexException(MessageText(25));
    pushRequests.insert(key);
    QPointer<ClientState> self(this);
    const TPacketEvent handle = replyEvent(code, handler);
    session.SendRequest(NewCommandU32(code, id), [self, key, handle](TUserCmdRply *packet) {
        if (self)
            self->pushRequests.erase(key);
        handle(packet);
    });
}

void ClientState::OnOrderDeleted(TUserCmdRply *packet)
{
    if (TUserOrder *order = lists.Orders.FindRecord(qint32(pushId(*packet))))
        lists.Orders.Remove(order);
}

void ClientState::OnAccountChanged(TUserCmdRply *)
{
    RequestAccount();
    RequestAccountHistory();
}

void ClientState::OnServerTime(TUserCmdRply *packet)
{
    lists.SysVars.ServerTime = pushId(*packet);
    session.ShowServerTime(lists.SysVars.ServerTime);
    emit serverTimeChanged(lists.SysVars.ServerTime);
}
