#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "admission.h"
#include "book.h"
#include "market.h"
#include "options.h"
#include "serverrsa.h"
#include "storage.h"

class QTcpServer;
class Session;
class AdminChannel;

// The running dealer: listens for clients, owns the books, the market and the
// sessions, drives the quote and minute timers and delivers the pushes.
class DealerServer : public QObject {
    Q_OBJECT
public:
    DealerServer(const DealerOptions &options, const std::string &dataDir);
    ~DealerServer() override;

    // Connections beyond these are turned away: the total, and those that
    // have not logged in yet (the oldest of them makes room for a new one).
    static constexpr size_t MaxConnections = 512;
    static constexpr size_t MaxUnauthenticated = 64;

    // Takes the data directory (a second server on it is refused), opens the
    // database (creating the demo accounts on first start), starts listening
    // and prints "listening on ADDR:PORT"; false with a message on failure.
    bool start(std::string &error);
    uint16_t port() const;

    AccountBook &book() { return *accountBook; }
    Market &market() { return *simulated; }
    const std::string &dataDir() const { return directory; }
    const DealerOptions &options() const { return config; }
    uint32_t nowMinutes() const { return accountBook->nowMinutes(); }

    // Sessions: the one that holds an account (logged in or logging in).
    Session *sessionOf(uint32_t account) const;
    // Takes the account for the session; a dead holder is dropped first.
    // False while another live session holds it.
    bool claim(uint32_t account, Session *session);
    void release(uint32_t account, Session *session);
    void sessionClosed(Session *session);
    const ServerRsa *keyOf(uint32_t account) const;

    // Sends the pushes the books collected.
    void flushPushes();
    // A database failure: the server stops (a restart reloads the last commit).
    [[noreturn]] void fatal(const std::string &what);

    // Admin operations (also used by the tests through the admin channel).
    bool setPrice(const std::string &symbol, int32_t bid, bool hold, std::string &error);
    void broadcastQuote(const Instrument &instrument);
    void runRollover();

    size_t sessionCount() const { return sessions.size(); }

    // Milliseconds of a steady clock since the server was made.
    int64_t nowMs() const { return steady.elapsed(); }
    LoginLockout &lockout() { return failedLogins; }
    // True when a registration may take place now (a few per second at most).
    bool admitRegistration() { return registrations.take(nowMs()); }

    // The session has complete commands waiting: it gets turns until none is left.
    void schedule(Session *session);

    // Test aid for a client's handling of a dealer that does not answer: the
    // reply to the account's next trade command is held back (the command is
    // carried out and its pushes go out) until releaseReply sends it late.
    void holdNextReply(uint32_t account) { replyHolds.insert(account); }
    // True, once, when the account's next trade reply is to be held.
    bool takeReplyHold(uint32_t account) { return replyHolds.erase(account) > 0; }
    // Sends the reply held for the account's session; false when none is held.
    bool releaseReply(uint32_t account);

    // Test aids for a client's handling of a broken link: a fault put on a
    // packet to the account's session (current or next), after `skip`
    // packets have gone out normally.
    enum class FaultKind { Drop, Stall, Corrupt };
    struct PacketFault {
        FaultKind kind = FaultKind::Drop;
        int skip = 0;
        int seconds = 0;  // of a stall
    };
    void setFault(uint32_t account, const PacketFault &fault) { faults[account] = fault; }
    // The fault due on the packet about to go to the account's session.
    std::optional<PacketFault> faultDue(uint32_t account);

private:
    void onNewConnection();
    // One turn: every waiting session handles a few of its commands.
    void serviceTurn();
    uint16_t newSessionId() const;
    // Makes room for a new connection; false when the server is full.
    bool admitConnection();
    bool lockDataDirectory(std::string &error);
    // The database and key files readable by the owner only; the lines to print.
    std::vector<std::string> protectDataFiles();
    void onTick();
    void onClock();
    void setUpFirstStart();
    void loadKeys();

    DealerOptions config;
    std::string directory;
    std::unique_ptr<Storage> storage;
    std::unique_ptr<Market> simulated;
    std::unique_ptr<AccountBook> accountBook;
    std::unique_ptr<QTcpServer> listener;
    std::unique_ptr<AdminChannel> admin;
    std::set<Session *> sessions;
    std::deque<Session *> waiting;  // sessions with commands to handle, in turn order
    QTimer serviceTimer;
    std::map<uint32_t, Session *> holders;
    std::map<uint32_t, std::unique_ptr<ServerRsa>> keys;
    std::set<uint32_t> replyHolds;
    std::map<uint32_t, PacketFault> faults;
    QTimer tickTimer;
    QTimer clockTimer;
    QElapsedTimer tickClock;
    uint64_t ticksDone = 0;
    uint32_t lastMinute = 0;
    uint64_t connectionsAccepted = 0;
    int lockFd = -1;
    QElapsedTimer steady;
    LoginLockout failedLogins;
    RateLimiter registrations;
};
