#include "serieslist.h"

#include <algorithm>

#include "clientsession.h"
#include "commands.h"
#include "errortext.h"
#include "forexexception.h"
#include "languagetables.h"
#include "packetreader.h"

TSeriesList::TSeriesList(ClientSession &session, QString dataDir, NameLookup instrumentName, QObject *parent)
    : QObject(parent), session(&session), dataDir(std::move(dataDir)), instrumentName(std::move(instrumentName))
{
}

TSeriesList::~TSeriesList()
{
    if (session && tickEvent)
        session->Dispatcher().RemoveEvent(tickEvent);
    SaveAll();
}

void TSeriesList::SaveAll() const
{
    for (const auto &s : series)
        s->SaveBarFile(dataDir);
}

TSerData *TSeriesList::Find(uint32_t key) const
{
    const auto it = std::lower_bound(series.begin(), series.end(), key,
                                     [](const std::unique_ptr<TSerData> &s, uint32_t k) { return s->Key < k; });
    return it != series.end() && (*it)->Key == key ? it->get() : nullptr;
}

TSerData *TSeriesList::FindOrCreate(int instrumentId, int timeframe)
{
    const uint32_t key = TSerData::MakeKey(timeframe, instrumentId);
    if (TSerData *found = Find(key))
        return found;
    auto created = std::make_unique<TSerData>(timeframe, instrumentId,
                                              instrumentName ? instrumentName(instrumentId) : QString());
    created->LoadBarFile(dataDir);
    TSerData *s = created.get();
    const auto at = std::lower_bound(series.begin(), series.end(), key,
                                     [](const std::unique_ptr<TSerData> &e, uint32_t k) { return e->Key < k; });
    series.insert(at, std::move(created));
    RequestHistory(*s);
    return s;
}

void TSeriesList::Start()
{
    if (!session)
        return;
    // Every system-variables reply starts the list again; one tick handler
    // per connection, or each tick would be applied twice.
    if (!tickEvent)
        tickEvent = session->Dispatcher().AddCommandEvent(
            cmdQuote, [this](TFxEvent *) { Reset(); }, [this](TUserCmdRply *p) { Tick(p); });
    for (const auto &s : series)
        RequestHistory(*s);
}

void TSeriesList::Reset()
{
    tickEvent = nullptr;
    for (const auto &s : series)
        if (s->Ready != 1) {
            s->Ready = 1;
            s->HistoryError = MessageText(33);  // the link went; a new login asks again
            emit historyStateChanged(s->Key);
        }
}

bool TSeriesList::RequestHistory(TSerData &s)
{
    if (s.Ready != 1 || !session)
        return false;
    const uint32_t newest = s.Last >= 0 ? uint32_t(s.Time()[s.Last]) : 0;
    const uint32_t key = s.Key;
    std::weak_ptr<int> token = alive;
    // The request's own cancel: a request dropped by the dispatcher's Clear
    // leaves the series ready to ask again, whether or not the tick handler
    // (whose cancel resets every series) existed when it was sent.
    const bool sent = session->SendCommand(
        NewHistoryBarsCommand(uint16_t(s.InstrumentId), uint8_t(s.Timeframe), newest),
        [this, key, token](TFxEvent *) {
            if (token.expired())
                return;
            if (TSerData *waiting = Find(key); waiting && waiting->Ready != 1) {
                waiting->Ready = 1;
                waiting->HistoryError = MessageText(33);
                emit historyStateChanged(key);
            }
        },
        [this, key, token](TUserCmdRply *p) {
            if (!token.expired())
                HistoryReply(key, p);
        });
    if (sent) {
        s.Ready = 0;
        s.HistoryError.clear();
        emit historyStateChanged(key);
    }
    return sent;
}

void TSeriesList::HistoryReply(uint32_t key, TUserCmdRply *packet)
{
    TSerData *s = Find(key);
    if (!s || s->Ready != 0)
        return;
    // Whatever answers the request ends the wait: a packet that is not a
    // reply carries no bars, and leaving the series waiting would drop
    // every tick from then on.
    auto *reply = dynamic_cast<TUserReply *>(packet);
    if (!reply) {
        failed(*s, MessageText(25));
        return;
    }
    if (!reply->IsOk()) {
        const QString why = ErrorText(*reply);
        failed(*s, why);
        if (session)
            session->ShowStatus(why);
        return;
    }
    const bool lastPacket = (reply->Flags() & (pfFirst | pfMiddle)) == 0;
    if (lastPacket) {
        s->Ready = 1;
        emit historyStateChanged(key);
    }
    // The whole packet is checked before any bar is taken from it.
    PacketReader reader(*reply);
    const uint16_t count = reader.u16();
    if (reader.remaining() < size_t(count) * TSerData::BarRecordSize)
        throw EForexException(MessageText(25));
    // A history that never ends is a faulty server: the series stops waiting.
    if (s->Count() + int(count) > MaxHistoryBars) {
        failed(*s, MessageText(25));
        throw EForexException(MessageText(25));
    }
    s->Modified = true;
    std::vector<TSerData::BarValues> bars(count);
    for (TSerData::BarValues &b : bars) {
        b.time = reader.i32();
        b.high = reader.i32();
        b.low = reader.i32();
        b.open = reader.i32();
        b.close = reader.i32();
    }
    s->AddBars(std::move(bars));
    emit seriesChanged(key);
}

void TSeriesList::failed(TSerData &s, const QString &why)
{
    s.Ready = 1;
    s.HistoryError = why;
    emit historyStateChanged(s.Key);
}

void TSeriesList::Tick(TUserCmdRply *packet)
{
    PacketReader reader(*packet, hdr::Data);
    const int instrument = reader.u16();
    reader.i32();  // ask
    const int32_t bid = reader.i32();
    const int32_t time = reader.i32();
    // Notified after all are applied: a receiver may create series.
    std::vector<uint32_t> changed;
    for (const auto &s : series)
        if (s->ApplyTick(instrument, time, bid))
            changed.push_back(s->Key);
    for (uint32_t key : changed)
        emit seriesChanged(key);
}
