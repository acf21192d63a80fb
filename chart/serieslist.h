#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "serdata.h"

class ClientSession;
class TFxEvent;
class TUserCmdRply;

// The one list of quote series, sorted by key. It fills series from their
// bar files, from history requests and from live ticks, tells whoever shows
// a series when its bars changed, and writes the changed bar files when it
// is destroyed.
class TSeriesList : public QObject {
    Q_OBJECT
public:
    // Bars one series takes from history replies, far above what any dealer
    // sends (a real history is a few thousand).
    static constexpr int MaxHistoryBars = 500000;
    using NameLookup = std::function<QString(int instrumentId)>;

    TSeriesList(ClientSession &session, QString dataDir, NameLookup instrumentName, QObject *parent = nullptr);
    ~TSeriesList() override;

    // The series of an instrument and timeframe; a new one loads its bar file
    // and asks the server for newer bars at once.
    TSerData *FindOrCreate(int instrumentId, int timeframe);
    TSerData *Find(uint32_t key) const;
    int Count() const { return int(series.size()); }
    TSerData *At(int index) const { return series[size_t(index)].get(); }

    // Registers the tick handler (once per connection) and asks every ready
    // series for its newer bars. Runs after every system-variables reply.
    void Start();
    bool Started() const { return tickEvent != nullptr; }
    // The dispatcher's reset: every series ready again, no tick handler.
    void Reset();

    // Asks the server for the bars newer than the series' newest; the series
    // waits (ticks ignored) only when the command was accepted for sending.
    bool RequestHistory(TSerData &s);
    // One packet of a history reply for the series with that key.
    void HistoryReply(uint32_t key, TUserCmdRply *packet);
    // One quote push: the bid goes into every series of its instrument.
    void Tick(TUserCmdRply *packet);

    // Writes every changed bar file (as the destructor does).
    void SaveAll() const;
    QString DataDir() const { return dataDir; }

signals:
    // Sent synchronously after a history packet or a tick changed the series.
    void seriesChanged(uint32_t key);
    // The series started or stopped waiting for history (Ready), or its
    // request failed (HistoryError).
    void historyStateChanged(uint32_t key);

private:
    void failed(TSerData &s, const QString &why);  // ends the wait with the reason

    QPointer<ClientSession> session;
    QString dataDir;
    NameLookup instrumentName;
    std::vector<std::unique_ptr<TSerData>> series;  // sorted by key
    TFxEvent *tickEvent = nullptr;
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
