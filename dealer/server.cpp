#include "server.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include "admin.h"
#include "keyfiles.h"
#include "osrandom.h"
#include "session.h"
#include "wirerecords.h"

namespace {
constexpr uint8_t codeQuote = 104;
constexpr uint8_t codeServerTime = 112;
}

DealerServer::DealerServer(const DealerOptions &options, const std::string &dataDir)
    : config(options), directory(dataDir),
      registrations(options.registrationsPerSecond, std::max(5.0, options.registrationsPerSecond))
{
    steady.start();
    serviceTimer.setInterval(0);
    connect(&serviceTimer, &QTimer::timeout, this, &DealerServer::serviceTurn);
}

DealerServer::~DealerServer()
{
    tickTimer.stop();
    clockTimer.stop();
    admin.reset();
    for (Session *s : std::set<Session *>(sessions))
        delete s;
    sessions.clear();
    if (lockFd >= 0)
        ::close(lockFd);
}

bool DealerServer::start(std::string &error)
{
    // Whatever the server creates (database, journals, key files, admin
    // socket) is the owner's only: the database holds passwords and keys.
    ::umask(077);
    std::vector<std::string> notes;
    try {
        std::filesystem::create_directories(directory);
        if (!lockDataDirectory(error))
            return false;
        notes = protectDataFiles();
        storage = std::make_unique<Storage>((std::filesystem::path(directory) / "dealer.db").string());
        BookSettings settings;
        settings.leverage = config.leverage;
        settings.requotePoints = config.requotePoints;
        const uint64_t seed = config.seedGiven ? config.seed : uint64_t(std::random_device{}());
        simulated = std::make_unique<Market>(seed, minutesOfDays(systemDays()));
        accountBook = std::make_unique<AccountBook>(*storage, *simulated, settings);
        if (!accountBook->hasAccounts())
            setUpFirstStart();
        loadKeys();
    } catch (const std::exception &e) {
        error = e.what();
        return false;
    }

    listener = std::make_unique<QTcpServer>();
    // Room for bursts of connections; the caps below apply once accepted.
    listener->setListenBacklogSize(1024);
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(config.listen))) {
        error = "not an address: " + config.listen;
        return false;
    }
    if (!listener->listen(address, quint16(config.port))) {
        error = "cannot listen on " + config.listen + ":" + std::to_string(config.port) + ": "
                + listener->errorString().toStdString();
        return false;
    }
    connect(listener.get(), &QTcpServer::newConnection, this, &DealerServer::onNewConnection);

    admin = std::make_unique<AdminChannel>(*this);
    std::string adminError;
    const bool adminUp = admin->listen(adminError);

    std::printf("listening on %s:%u\n", listener->serverAddress().toString().toUtf8().constData(),
                unsigned(listener->serverPort()));
    std::printf("data directory %s\n", directory.c_str());
    for (const auto &[id, key] : keys)
        std::printf("key file of encrypted account %u: %s\n", unsigned(id),
                    (std::filesystem::path(directory) / (std::to_string(id) + ".prk")).string().c_str());
    for (const std::string &note : notes)
        std::printf("%s\n", note.c_str());
    if (!adminUp)
        std::printf("admin channel unavailable: %s\n", adminError.c_str());
    std::fflush(stdout);

    lastMinute = nowMinutes();
    tickClock.start();
    if (config.ticksPerSecond > 0) {
        tickTimer.setTimerType(Qt::PreciseTimer);
        tickTimer.setInterval(std::max(1, int(1000.0 / config.ticksPerSecond)));
        connect(&tickTimer, &QTimer::timeout, this, &DealerServer::onTick);
        tickTimer.start();
    }
    clockTimer.setInterval(1000);
    connect(&clockTimer, &QTimer::timeout, this, &DealerServer::onClock);
    clockTimer.start();
    return true;
}

uint16_t DealerServer::port() const { return listener ? listener->serverPort() : 0; }

bool DealerServer::lockDataDirectory(std::string &error)
{
    // Two servers on one directory would hand out the same account ids and
    // overwrite each other's rows. The lock goes with the process.
    const std::string path = (std::filesystem::path(directory) / "dealer.lock").string();
    lockFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "another kelvra-dealer is running on the data directory " + directory
                                     : "cannot lock " + path + ": " + std::strerror(errno);
        ::close(lockFd);
        lockFd = -1;
        return false;
    }
    return true;
}

std::vector<std::string> DealerServer::protectDataFiles()
{
    namespace fs = std::filesystem;
    std::vector<std::string> notes;
    auto tighten = [&](const fs::path &path, fs::perms wanted) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(path, ec);
        if (ec || fs::is_symlink(st) || !fs::exists(st))
            return;
        const fs::perms loose = st.permissions() & (fs::perms::group_all | fs::perms::others_all);
        if (loose == fs::perms::none)
            return;
        fs::permissions(path, wanted, fs::perm_options::replace, ec);
        notes.push_back((ec ? "could not restrict " : "restricted to the owner: ") + path.string()
                        + (ec ? ": " + ec.message() : ""));
    };
    tighten(directory, fs::perms::owner_all);
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(directory, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("dealer.", 0) == 0 || entry.path().extension() == ".prk")
            tighten(entry.path(), fs::perms::owner_read | fs::perms::owner_write);
    }
    return notes;
}

void DealerServer::setUpFirstStart()
{
    accountBook->createAccount(1001, "demo", "Demo account", "demo@example.com", 1, 1000000, false, "");
    const RsaKeyPair pair = generateKeyPair();
    const std::string keyText = serverKeyText(pair);
    // The client's key file first: an account without it could never log in.
    writeClientKeyFile(std::filesystem::path(directory) / "1002.prk", pair);
    accountBook->createAccount(1002, "demo", "Encrypted demo account", "demo@example.com", 1, 1000000, true,
                               keyText);
}

void DealerServer::loadKeys()
{
    for (uint32_t id : accountBook->accountIds()) {
        const Account *a = accountBook->account(id);
        if (!a->encrypted)
            continue;
        try {
            keys[id] = std::make_unique<ServerRsa>(parseServerKeyText(a->serverKey, "account " + std::to_string(id)));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "kelvra-dealer: key of account %u unusable: %s\n", unsigned(id), e.what());
        }
    }
}

void DealerServer::onNewConnection()
{
    while (QTcpSocket *socket = listener->nextPendingConnection()) {
        if (!admitConnection()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *session = new Session(socket, *this, newSessionId(), ++connectionsAccepted);
        sessions.insert(session);
    }
}

bool DealerServer::admitConnection()
{
    if (sessions.size() >= MaxConnections)
        return false;
    // Idle or slow handshakes must not keep real clients out: the oldest of
    // them goes.
    Session *oldest = nullptr;
    size_t unauthenticated = 0;
    for (Session *s : sessions) {
        if (s->loggedIn())
            continue;
        ++unauthenticated;
        if (!oldest || s->serial() < oldest->serial())
            oldest = s;
    }
    if (unauthenticated >= MaxUnauthenticated && oldest)
        oldest->close();
    return true;
}

uint16_t DealerServer::newSessionId() const
{
    // Drawn at random: a confirmation replayed from an earlier login carries
    // another session's number.
    for (;;) {
        const auto id = osRandomValue<uint16_t>();
        bool used = id == 0;
        for (const Session *s : sessions)
            used = used || s->id() == id;
        if (!used)
            return id;
    }
}

void DealerServer::schedule(Session *session)
{
    if (std::find(waiting.begin(), waiting.end(), session) == waiting.end())
        waiting.push_back(session);
    if (!serviceTimer.isActive())
        serviceTimer.start();
}

void DealerServer::serviceTurn()
{
    // Round robin: each waiting session handles a few commands, then the
    // event loop runs (quotes, other sockets) before the next turn.
    std::deque<Session *> turn;
    turn.swap(waiting);
    for (Session *s : turn) {
        if (!sessions.count(s))
            continue;
        if (s->handleSome() && sessions.count(s))
            waiting.push_back(s);
    }
    if (waiting.empty())
        serviceTimer.stop();
}

Session *DealerServer::sessionOf(uint32_t account) const
{
    auto it = holders.find(account);
    return it == holders.end() ? nullptr : it->second;
}

bool DealerServer::claim(uint32_t account, Session *session)
{
    Session *holder = sessionOf(account);
    if (holder && holder != session) {
        if (holder->alive())
            return false;
        holder->close();  // a session whose socket died is dropped first
    }
    holders[account] = session;
    return true;
}

void DealerServer::release(uint32_t account, Session *session)
{
    auto it = holders.find(account);
    if (it != holders.end() && it->second == session)
        holders.erase(it);
}

void DealerServer::sessionClosed(Session *session)
{
    sessions.erase(session);
    waiting.erase(std::remove(waiting.begin(), waiting.end(), session), waiting.end());
    for (auto it = holders.begin(); it != holders.end();) {
        if (it->second == session)
            it = holders.erase(it);
        else
            ++it;
    }
}

std::optional<DealerServer::PacketFault> DealerServer::faultDue(uint32_t account)
{
    auto it = faults.find(account);
    if (it == faults.end())
        return std::nullopt;
    if (it->second.skip > 0) {
        --it->second.skip;
        return std::nullopt;
    }
    const PacketFault fault = it->second;
    faults.erase(it);
    return fault;
}

bool DealerServer::releaseReply(uint32_t account)
{
    Session *s = sessionOf(account);
    return s && s->releaseHeldReplies();
}

const ServerRsa *DealerServer::keyOf(uint32_t account) const
{
    auto it = keys.find(account);
    return it == keys.end() ? nullptr : it->second.get();
}

void DealerServer::fatal(const std::string &what)
{
    std::fprintf(stderr, "kelvra-dealer: %s; stopping\n", what.c_str());
    std::fflush(stderr);
    std::_Exit(3);
}

void DealerServer::flushPushes()
{
    for (const Push &p : accountBook->takePushes()) {
        Bytes payload;
        if (p.id != 0)
            putU32(payload, p.id);
        if (p.account == 0) {
            // A copy: a session that fails to take the push closes and
            // leaves the set while the loop runs.
            for (Session *s : std::vector<Session *>(sessions.begin(), sessions.end()))
                if (sessions.count(s) && s->loggedIn())
                    s->sendPush(p.code, payload);
            continue;
        }
        Session *s = sessionOf(p.account);
        if (s && s->loggedIn())
            s->sendPush(p.code, payload);
    }
}

void DealerServer::broadcastQuote(const Instrument &instrument)
{
    try {
        accountBook->onQuote(instrument);
    } catch (const StorageError &e) {
        fatal(e.what());
    }
    Bytes payload;
    putQuote(payload, instrument);
    // A copy: a session that fails to take the push closes and leaves the set.
    for (Session *s : std::vector<Session *>(sessions.begin(), sessions.end()))
        if (sessions.count(s) && s->loggedIn())
            s->sendPush(codeQuote, payload);
    flushPushes();
}

void DealerServer::onTick()
{
    const uint64_t due = uint64_t(double(tickClock.elapsed()) * config.ticksPerSecond / 1000.0);
    // After a stall the market catches up a little, never in a flood.
    if (due > ticksDone + 1000)
        ticksDone = due - 1000;
    const uint32_t now = nowMinutes();
    while (ticksDone < due) {
        ++ticksDone;
        broadcastQuote(simulated->randomTick(now));
    }
}

void DealerServer::onClock()
{
    const uint32_t now = nowMinutes();
    if (now == lastMinute)
        return;
    const bool newDay = now / 1440 != lastMinute / 1440;
    lastMinute = now;
    Bytes payload;
    putU32(payload, now);
    for (Session *s : std::vector<Session *>(sessions.begin(), sessions.end()))
        if (sessions.count(s) && s->loggedIn())
            s->sendPush(codeServerTime, payload);
    if (newDay)
        runRollover();
}

void DealerServer::runRollover()
{
    try {
        accountBook->rollover();
    } catch (const StorageError &e) {
        fatal(e.what());
    }
    flushPushes();
}

bool DealerServer::setPrice(const std::string &symbol, int32_t bid, bool hold, std::string &error)
{
    const Instrument *i = simulated->findByName(symbol);
    if (!i) {
        error = "no instrument " + symbol;
        return false;
    }
    const Instrument *moved = simulated->setPrice(i->id, bid, nowMinutes(), hold);
    if (!moved) {
        error = "not a price";
        return false;
    }
    broadcastQuote(*moved);
    return true;
}
