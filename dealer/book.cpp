#include "book.h"
#include "osrandom.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "units.h"

double systemDays()
{
    using namespace std::chrono;
    const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return 25569.0 + seconds / 86400.0;  // 1970-01-01 is day 25569
}

uint32_t minutesOfDays(double days)
{
    const double minutes = (days - 36526.0) * 1440.0;
    return minutes <= 0 ? 0 : uint32_t(std::floor(minutes + 1e-7));
}

namespace {

constexpr uint8_t codePositionOpened = 114;
constexpr uint8_t codePositionChanged = 116;
constexpr uint8_t codePositionClosed = 118;
constexpr uint8_t codeOrderPlaced = 119;
constexpr uint8_t codeOrderChanged = 122;
constexpr uint8_t codeOrderDeleted = 123;
constexpr uint8_t codeAccountChanged = 128;
constexpr uint8_t codePositionsChanged = 134;
constexpr uint8_t codeSysVariablesChanged = 136;
constexpr uint8_t codeOrdersChanged = 138;
constexpr uint8_t codeNewMessage = 143;
constexpr uint8_t codeNewMail = 148;

const char *const welcomeSender = "Kelvra demo dealer";

std::string welcomeText(uint32_t account)
{
    return "Welcome to the Kelvra demo dealer.\r\n\r\nYour account #" + std::to_string(account)
           + " is ready. Quotes are simulated; orders, stops and histories behave as with a real dealer.\r\n"
             "Write to us in the chat window at any time.";
}

int32_t clampCents(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Position operation of an order type's side.
uint8_t operationOf(uint8_t type) { return (type == 1 || type == 2 || type == 4) ? 1 : 2; }

} // namespace

struct AccountBook::Valuation {
    int32_t cross = 0;
    int crossKind = 0;
};

AccountBook::AccountBook(Storage &s, Market &m, BookSettings settings)
    : storage(s), market(m), config(settings), clockDays(systemDays)
{
    Storage::Contents c = storage.loadAll();
    accounts = std::move(c.accounts);
    openPositions = std::move(c.positions);
    pendingOrders = std::move(c.orders);
    for (const AccountHistoryEntry &h : c.accountHistory)
        accountHistories[h.account].push_back(h);
    for (const OrderHistoryEntry &h : c.orderHistory)
        orderHistories[h.account].push_back(h);
    mailbox = std::move(c.mail);
    chat = std::move(c.messages);
    settingValues = std::move(c.settings);
}

uint32_t AccountBook::nowMinutes() const { return minutesOfDays(clockDays()); }

std::vector<uint32_t> AccountBook::accountIds() const
{
    std::vector<uint32_t> out;
    for (const auto &[id, a] : accounts)
        out.push_back(id);
    return out;
}

uint32_t AccountBook::nextId(const char *name)
{
    uint32_t next = 1;
    auto it = settingValues.find(name);
    if (it != settingValues.end())
        next = uint32_t(std::stoul(it->second));
    settingValues[name] = std::to_string(next + 1);
    storage.putSetting(name, settingValues[name]);
    return next;
}

void AccountBook::push(uint32_t account, uint8_t code, uint32_t id) { pushes.push_back(Push{account, code, id}); }

std::vector<Push> AccountBook::takePushes()
{
    std::vector<Push> out;
    out.swap(pushes);
    return out;
}

// ---- accounts

const Account *AccountBook::account(uint32_t id) const
{
    auto it = accounts.find(id);
    return it == accounts.end() ? nullptr : &it->second;
}

uint32_t AccountBook::createAccount(uint32_t id, const std::string &password, const std::string &name,
                                    const std::string &email, uint32_t group, int64_t depositCents, bool encrypted,
                                    const std::string &serverKey)
{
    Storage::Transaction tx(storage);
    if (id == 0) {
        id = 1001;
        if (!accounts.empty())
            id = std::max(id, accounts.rbegin()->first + 1);
    }
    Account a;
    a.id = id;
    a.password = password;
    a.name = name;
    a.email = email;
    a.group = group;
    a.encrypted = encrypted;
    a.serverKey = serverKey;
    a.created = nowMinutes();
    a.balance = depositCents;
    storage.putAccount(a);
    accounts[id] = a;

    AccountHistoryEntry h;
    h.id = nextId("seq.history");
    h.account = id;
    h.time = h.closeTime = a.created;
    h.profit = clampCents(depositCents);
    h.operation = opDeposit;
    storage.putAccountHistory(h);
    accountHistories[id].push_back(h);

    Mail m;
    m.id = nextId("seq.mail");
    m.account = id;
    m.sender = welcomeSender;
    m.subject = "Welcome";
    m.text = welcomeText(id);
    m.date = nowDays();
    storage.putMail(m);
    mailbox[m.id] = m;
    tx.commit();
    return id;
}

Outcome AccountBook::registerAccount(const std::string &name, const std::string &email, uint32_t group,
                                     uint32_t depositUnits, std::string &password)
{
    auto blank = [](const std::string &s) {
        return std::all_of(s.begin(), s.end(), [](unsigned char c) { return c <= ' '; });
    };
    if (blank(name) || blank(email))
        return {errLogin};
    if (depositUnits < MinRegistrationDeposit || depositUnits > MaxRegistrationDeposit)
        return {errNoMoney};
    // 32 characters, so a random byte modulo 32 picks each without bias.
    static const char alphabet[] = "abcdefghijkmnpqrstuvwxyz23456789";
    static_assert(sizeof alphabet - 1 == 32);
    uint8_t bytes[8];
    osRandom(bytes, sizeof bytes);
    password.clear();
    for (uint8_t b : bytes)
        password += alphabet[b % 32];
    const uint32_t id = createAccount(0, password, name, email, group, int64_t(depositUnits) * 100, false, "");
    return {errOk, 0, id};
}

Outcome AccountBook::deposit(uint32_t account, int64_t cents)
{
    auto it = accounts.find(account);
    if (it == accounts.end())
        return {errNotFound};
    if (cents == 0 || std::llabs(cents) > int64_t(INT32_MAX))
        return {errPrice};
    if (cents < 0 && equity(account) - usedMargin(account) + cents < 0)
        return {errNoMoney};
    Storage::Transaction tx(storage);
    it->second.balance += cents;
    storage.putAccount(it->second);
    AccountHistoryEntry h;
    h.id = nextId("seq.history");
    h.account = account;
    h.time = h.closeTime = nowMinutes();
    h.profit = clampCents(cents);
    h.operation = cents > 0 ? opDeposit : opWithdrawal;
    storage.putAccountHistory(h);
    accountHistories[account].push_back(h);
    tx.commit();
    push(account, codeAccountChanged);
    return {errOk, 0, h.id};
}

// ---- queries

std::vector<const Position *> AccountBook::positions(uint32_t account) const
{
    std::vector<const Position *> out;
    for (const auto &[id, p] : openPositions)
        if (p.account == account)
            out.push_back(&p);
    return out;
}

std::vector<const Order *> AccountBook::orders(uint32_t account) const
{
    std::vector<const Order *> out;
    for (const auto &[id, o] : pendingOrders)
        if (o.account == account)
            out.push_back(&o);
    return out;
}

const Position *AccountBook::position(uint32_t account, uint32_t id) const
{
    auto it = openPositions.find(id);
    return it == openPositions.end() || it->second.account != account ? nullptr : &it->second;
}

const Order *AccountBook::order(uint32_t account, uint32_t id) const
{
    auto it = pendingOrders.find(id);
    return it == pendingOrders.end() || it->second.account != account ? nullptr : &it->second;
}

std::vector<AccountHistoryEntry> AccountBook::accountHistory(uint32_t account, uint32_t days) const
{
    std::vector<AccountHistoryEntry> out;
    auto it = accountHistories.find(account);
    if (it == accountHistories.end())
        return out;
    const int64_t since = days == 0 ? INT64_MIN : int64_t(nowMinutes()) - int64_t(days) * 1440;
    for (const AccountHistoryEntry &h : it->second)
        if (int64_t(h.closeTime) >= since)
            out.push_back(h);
    return out;
}

std::vector<OrderHistoryEntry> AccountBook::orderHistory(uint32_t account, uint32_t days) const
{
    std::vector<OrderHistoryEntry> out;
    auto it = orderHistories.find(account);
    if (it == orderHistories.end())
        return out;
    const int64_t since = days == 0 ? INT64_MIN : int64_t(nowMinutes()) - int64_t(days) * 1440;
    for (const OrderHistoryEntry &h : it->second)
        if (int64_t(h.closeTime) >= since)
            out.push_back(h);
    return out;
}

int64_t AccountBook::balance(uint32_t account) const
{
    const Account *a = this->account(account);
    return a ? a->balance : 0;
}

int64_t AccountBook::usedMargin(uint32_t account) const
{
    int64_t sum = 0;
    for (const auto &[id, p] : openPositions)
        if (p.account == account)
            sum += p.margin;
    return sum;
}

AccountBook::Valuation AccountBook::value(const Instrument &i) const
{
    return Valuation{market.crossPrice(i), market.crossKind(i)};
}

int64_t AccountBook::floatingProfit(const Position &p) const
{
    const Instrument *i = market.find(p.instrument);
    if (!i)
        return 0;
    const Valuation v = value(*i);
    const int32_t current = p.operation == 1 ? i->bid : i->ask;
    return profitCents(p.operation, i->kind, p.openPrice, v.cross, v.crossKind, int64_t(p.lots) * config.lotSize,
                       current);
}

int64_t AccountBook::equity(uint32_t account) const
{
    int64_t sum = balance(account);
    for (const auto &[id, p] : openPositions)
        if (p.account == account)
            sum += floatingProfit(p) + p.swap;
    return sum;
}

int32_t AccountBook::pointOf(const Instrument &i) const { return std::max<int32_t>(1, PointSize(i.ask)); }

int64_t AccountBook::marginFor(const Instrument &i, int lots, int32_t price) const
{
    const Valuation v = value(i);
    return marginCents(i.kind, price, v.cross, v.crossKind, int64_t(lots) * config.lotSize, config.leverage);
}

// Stops of a position of `side` (1 buy, 2 sell) measured from the price it
// closes at (or, for a pending order, the price it opens at).
uint8_t AccountBook::checkStops(int side, int32_t reference, int32_t stopLoss, int32_t takeProfit,
                                int32_t point) const
{
    const int32_t level = config.stopLevelPoints * point;
    if (stopLoss < 0)
        return errStopLoss;
    if (takeProfit < 0)
        return errTakeProfit;
    if (stopLoss > 0) {
        const int32_t distance = side == 1 ? reference - stopLoss : stopLoss - reference;
        if (distance <= 0)
            return errStopLoss;
        if (distance < level)
            return errStopLossInMarket;
    }
    if (takeProfit > 0) {
        const int32_t distance = side == 1 ? takeProfit - reference : reference - takeProfit;
        if (distance <= 0)
            return errTakeProfit;
        if (distance < level)
            return errTakeProfitInMarket;
    }
    return errOk;
}

uint8_t AccountBook::checkPendingPrice(uint8_t type, const Instrument &i, int32_t price) const
{
    if (price <= 0)
        return errPrice;
    const int32_t level = config.stopLevelPoints * pointOf(i);
    int32_t distance = 0;
    switch (type) {
    case 2: distance = i.ask - price; break;  // buy limit: below the ask
    case 3: distance = price - i.bid; break;  // sell limit: above the bid
    case 4: distance = price - i.ask; break;  // buy stop: above the ask
    case 5: distance = i.bid - price; break;  // sell stop: below the bid
    default: return errPrice;
    }
    if (distance <= 0)
        return errPrice;
    if (distance < level)
        return errPriceInMarket;
    return errOk;
}

// ---- trading

Outcome AccountBook::openMarket(uint32_t account, uint16_t instrument, uint8_t type, int lots, int32_t stopLoss,
                                int32_t takeProfit, int32_t price, bool judge)
{
    const Instrument *i = market.find(instrument);
    if (!accounts.count(account) || !i)
        return {errNotFound};
    if ((type != 1 && type != 6) || lots < 1 || lots > 100 || price <= 0)
        return {errPrice};
    const uint8_t operation = type == 1 ? 1 : 2;
    if (judge) {
        const DealPrices deal = dealingPrices(i->ask, i->bid, lots, config.spread, i->kind);
        const int32_t expected = openPriceOf(operation, deal);
        if (std::llabs(int64_t(price) - expected) > int64_t(config.requotePoints) * pointOf(*i))
            return {errRequote, expected};
    }
    const int32_t closing = operation == 1 ? i->bid : i->ask;
    if (uint8_t e = checkStops(operation, closing, stopLoss, takeProfit, pointOf(*i)))
        return {e};
    const int64_t margin = marginFor(*i, lots, price);
    if (margin == NoMargin)
        return {errPrice};
    if (margin > equity(account) - usedMargin(account))
        return {errNoMoney};

    Storage::Transaction tx(storage);
    Position p;
    p.id = nextId("seq.position");
    p.account = account;
    p.instrument = instrument;
    p.operation = operation;
    p.openTime = nowMinutes();
    p.openPrice = price;
    p.margin = margin;
    p.lots = uint8_t(lots);
    p.stopLoss = stopLoss;
    p.takeProfit = takeProfit;
    storage.putPosition(p);
    openPositions[p.id] = p;

    Order record;
    record.id = nextId("seq.order");
    record.account = account;
    record.instrument = instrument;
    record.type = type;
    record.time = p.openTime;
    record.lots = p.lots;
    record.stopLoss = stopLoss;
    record.takeProfit = takeProfit;
    record.price = price;
    addOrderHistory(record, statusExecuted);
    tx.commit();
    push(account, codePositionOpened, p.id);
    push(account, codeAccountChanged);
    return {errOk, 0, p.id};
}

Outcome AccountBook::placePending(uint32_t account, uint16_t instrument, uint8_t type, int lots, int32_t stopLoss,
                                  int32_t takeProfit, int32_t price)
{
    const Instrument *i = market.find(instrument);
    if (!accounts.count(account) || !i)
        return {errNotFound};
    if (type < 2 || type > 5 || lots < 1 || lots > 100)
        return {errPrice};
    if (uint8_t e = checkPendingPrice(type, *i, price))
        return {e};
    if (uint8_t e = checkStops(operationOf(type), price, stopLoss, takeProfit, pointOf(*i)))
        return {e};
    if (orders(account).size() >= config.maxActiveOrders)
        return {errTooManyOrders};
    const int64_t margin = marginFor(*i, lots, price);
    if (margin == NoMargin)
        return {errPrice};
    if (margin > equity(account) - usedMargin(account))
        return {errNoMoney};

    Storage::Transaction tx(storage);
    Order o;
    o.id = nextId("seq.order");
    o.account = account;
    o.instrument = instrument;
    o.type = type;
    o.time = nowMinutes();
    o.lots = uint8_t(lots);
    o.stopLoss = stopLoss;
    o.takeProfit = takeProfit;
    o.price = price;
    storage.putOrder(o);
    pendingOrders[o.id] = o;
    tx.commit();
    push(account, codeOrderPlaced, o.id);
    return {errOk, 0, o.id};
}

Outcome AccountBook::changePosition(uint32_t account, uint32_t id, int32_t stopLoss, int32_t takeProfit)
{
    auto it = openPositions.find(id);
    if (it == openPositions.end() || it->second.account != account)
        return {errNotFound};
    Position &p = it->second;
    const Instrument *i = market.find(p.instrument);
    if (!i)
        return {errNotFound};
    const int32_t closing = p.operation == 1 ? i->bid : i->ask;
    if (uint8_t e = checkStops(p.operation, closing, stopLoss, takeProfit, pointOf(*i)))
        return {e};
    Storage::Transaction tx(storage);
    p.stopLoss = stopLoss;
    p.takeProfit = takeProfit;
    storage.putPosition(p);
    tx.commit();
    push(account, codePositionChanged, id);
    return {errOk, 0, id};
}

Outcome AccountBook::changeOrder(uint32_t account, uint32_t id, int32_t price, int32_t stopLoss, int32_t takeProfit)
{
    auto it = pendingOrders.find(id);
    if (it == pendingOrders.end() || it->second.account != account)
        return {errNotFound};
    Order &o = it->second;
    const Instrument *i = market.find(o.instrument);
    if (!i)
        return {errNotFound};
    if (uint8_t e = checkPendingPrice(o.type, *i, price))
        return {e};
    if (uint8_t e = checkStops(operationOf(o.type), price, stopLoss, takeProfit, pointOf(*i)))
        return {e};
    Storage::Transaction tx(storage);
    o.price = price;
    o.stopLoss = stopLoss;
    o.takeProfit = takeProfit;
    storage.putOrder(o);
    tx.commit();
    push(account, codeOrderChanged, id);
    return {errOk, 0, id};
}

void AccountBook::addOrderHistory(const Order &o, uint8_t status)
{
    OrderHistoryEntry h;
    h.id = o.id;
    h.account = o.account;
    h.group = o.group;
    h.instrument = o.instrument;
    h.type = o.type;
    h.openTime = o.time;
    h.closeTime = nowMinutes();
    h.lots = o.lots;
    h.takeProfit = o.takeProfit;
    h.stopLoss = o.stopLoss;
    h.price = o.price;
    h.status = status;
    storage.putOrderHistory(h);
    orderHistories[o.account].push_back(h);
}

Outcome AccountBook::deleteOrder(uint32_t account, uint32_t id)
{
    auto it = pendingOrders.find(id);
    if (it == pendingOrders.end() || it->second.account != account)
        return {errNotFound};
    Storage::Transaction tx(storage);
    addOrderHistory(it->second, statusDeleted);
    storage.deleteOrder(id);
    pendingOrders.erase(it);
    tx.commit();
    push(account, codeOrderDeleted, id);
    return {errOk, 0, id};
}

void AccountBook::bookClose(Position &p, int lots, int32_t price, uint8_t historyType)
{
    const Instrument *i = market.find(p.instrument);
    const Valuation v = i ? value(*i) : Valuation{};
    const int64_t profit = i ? profitCents(p.operation, i->kind, p.openPrice, v.cross, v.crossKind,
                                           int64_t(lots) * config.lotSize, price)
                             : 0;
    const int32_t swap = lots == p.lots ? p.swap : int32_t(int64_t(p.swap) * lots / p.lots);
    Account &a = accounts[p.account];
    a.balance += profit + swap;
    storage.putAccount(a);

    AccountHistoryEntry h;
    h.id = nextId("seq.history");
    h.account = p.account;
    h.time = p.openTime;
    h.openPrice = p.openPrice;
    h.closeTime = nowMinutes();
    h.closePrice = price;
    h.lots = uint8_t(lots);
    h.instrument = p.instrument;
    h.profit = clampCents(profit);
    h.swap = swap;
    h.stopLoss = p.stopLoss;
    h.takeProfit = p.takeProfit;
    h.operation = p.operation == 1 ? opClosedBuy : opClosedSell;
    storage.putAccountHistory(h);
    accountHistories[p.account].push_back(h);

    if (historyType != 0) {
        Order record;
        record.id = nextId("seq.order");
        record.account = p.account;
        record.instrument = p.instrument;
        record.type = historyType;
        record.time = p.openTime;
        record.lots = uint8_t(lots);
        record.stopLoss = p.stopLoss;
        record.takeProfit = p.takeProfit;
        record.price = price;
        addOrderHistory(record, statusExecuted);
    }

    if (lots == p.lots) {
        storage.deletePosition(p.id);
        push(p.account, codePositionClosed, p.id);
        openPositions.erase(p.id);  // p is gone from here on
        return;
    }
    p.margin = p.margin * (p.lots - lots) / p.lots;
    p.swap -= swap;
    p.lots = uint8_t(p.lots - lots);
    storage.putPosition(p);
    push(p.account, codePositionChanged, p.id);
}

Outcome AccountBook::closePosition(uint32_t account, uint32_t id, int lots, int32_t price, bool judge)
{
    auto it = openPositions.find(id);
    if (it == openPositions.end() || it->second.account != account)
        return {errNotFound};
    Position &p = it->second;
    const Instrument *i = market.find(p.instrument);
    if (!i)
        return {errNotFound};
    if (lots < 1 || lots > p.lots || price <= 0)
        return {errPrice};
    if (judge) {
        const DealPrices deal = dealingPrices(i->ask, i->bid, 1, config.spread, i->kind);
        const int32_t expected = closePriceOf(p.operation, deal);
        if (std::llabs(int64_t(price) - expected) > int64_t(config.requotePoints) * pointOf(*i))
            return {errRequote, expected};
    }
    Storage::Transaction tx(storage);
    bookClose(p, lots, price, 0);
    tx.commit();
    push(account, codeAccountChanged);
    return {errOk, 0, id};
}

Outcome AccountBook::reversePosition(uint32_t account, uint32_t id, int32_t price, int32_t additionalLots,
                                     bool judge)
{
    auto it = openPositions.find(id);
    if (it == openPositions.end() || it->second.account != account)
        return {errNotFound};
    Position &p = it->second;
    const Instrument *i = market.find(p.instrument);
    if (!i)
        return {errNotFound};
    if (additionalLots < 1 || additionalLots > 100 || price <= 0)
        return {errPrice};
    if (judge) {
        const DealPrices deal = dealingPrices(i->ask, i->bid, 1, config.spread, i->kind);
        const int32_t expected = closePriceOf(p.operation, deal);
        if (std::llabs(int64_t(price) - expected) > int64_t(config.requotePoints) * pointOf(*i))
            return {errRequote, expected};
    }
    // The money after the close, without this position's floating profit and margin.
    const Valuation v = value(*i);
    const int64_t booked = profitCents(p.operation, i->kind, p.openPrice, v.cross, v.crossKind,
                                       int64_t(p.lots) * config.lotSize, price);
    const int64_t newMargin = marginFor(*i, additionalLots, price);
    if (newMargin == NoMargin)
        return {errPrice};
    const int64_t freeAfter = equity(account) - floatingProfit(p) + booked - (usedMargin(account) - p.margin);
    if (newMargin > freeAfter)
        return {errNoMoney};
    const uint8_t operation = p.operation == 1 ? 2 : 1;

    Storage::Transaction tx(storage);
    bookClose(p, p.lots, price, 0);
    Position n;
    n.id = nextId("seq.position");
    n.account = account;
    n.instrument = i->id;
    n.operation = operation;
    n.openTime = nowMinutes();
    n.openPrice = price;
    n.margin = newMargin;
    n.lots = uint8_t(additionalLots);
    storage.putPosition(n);
    openPositions[n.id] = n;
    Order record;
    record.id = nextId("seq.order");
    record.account = account;
    record.instrument = n.instrument;
    record.type = operation == 1 ? 1 : 6;
    record.time = n.openTime;
    record.lots = n.lots;
    record.price = price;
    addOrderHistory(record, statusExecuted);
    tx.commit();
    push(account, codePositionOpened, n.id);
    push(account, codeAccountChanged);
    return {errOk, 0, n.id};
}

Outcome AccountBook::groupOrders(uint32_t account, uint8_t group, const std::vector<uint32_t> &ids)
{
    if (!accounts.count(account))
        return {errNotFound};
    if (group == 0 || group == 255)
        return {errPrice};
    const bool dissolve = ids.size() < 2;
    for (uint32_t id : ids)
        if (!order(account, id))
            return {errNotFound};
    Storage::Transaction tx(storage);
    bool changed = false;
    for (auto &[id, o] : pendingOrders) {
        if (o.account != account)
            continue;
        const bool member = !dissolve && std::find(ids.begin(), ids.end(), id) != ids.end();
        const uint8_t want = member ? group : (o.group == group ? 0 : o.group);
        if (want != o.group) {
            o.group = want;
            storage.putOrder(o);
            changed = true;
        }
    }
    tx.commit();
    if (changed)
        push(account, codeOrdersChanged);
    return {errOk};
}

void AccountBook::cancelGroupOf(const Order &executed)
{
    if (executed.group == 0)
        return;
    std::vector<uint32_t> members;
    for (const auto &[id, o] : pendingOrders)
        if (o.account == executed.account && o.group == executed.group && id != executed.id)
            members.push_back(id);
    for (uint32_t id : members) {
        addOrderHistory(pendingOrders[id], statusCanceled);
        storage.deleteOrder(id);
        pendingOrders.erase(id);
        push(executed.account, codeOrderDeleted, id);
    }
}

void AccountBook::executeOrder(const Order &o)
{
    const Instrument *i = market.find(o.instrument);
    const int64_t margin = i ? marginFor(*i, o.lots, o.price) : NoMargin;
    const bool affordable = margin != NoMargin && margin <= equity(o.account) - usedMargin(o.account);
    addOrderHistory(o, affordable ? statusExecuted : statusCanceled);
    storage.deleteOrder(o.id);
    push(o.account, codeOrderDeleted, o.id);
    if (affordable) {
        Position p;
        p.id = nextId("seq.position");
        p.account = o.account;
        p.instrument = o.instrument;
        p.operation = operationOf(o.type);
        p.openTime = nowMinutes();
        p.openPrice = o.price;
        p.margin = margin;
        p.lots = o.lots;
        p.stopLoss = o.stopLoss;
        p.takeProfit = o.takeProfit;
        storage.putPosition(p);
        openPositions[p.id] = p;
        push(o.account, codePositionOpened, p.id);
        push(o.account, codeAccountChanged);
        cancelGroupOf(o);
    }
}

void AccountBook::onQuote(const Instrument &i)
{
    std::vector<uint32_t> due;
    for (const auto &[id, o] : pendingOrders) {
        if (o.instrument != i.id)
            continue;
        const bool reached = (o.type == 2 && i.ask <= o.price) || (o.type == 3 && i.bid >= o.price)
                             || (o.type == 4 && i.ask >= o.price) || (o.type == 5 && i.bid <= o.price);
        if (reached)
            due.push_back(id);
    }
    struct Stop {
        uint32_t id;
        int32_t price;
        uint8_t type;
    };
    std::vector<Stop> stops;
    for (const auto &[id, p] : openPositions) {
        if (p.instrument != i.id)
            continue;
        if (p.operation == 1) {
            if (p.stopLoss > 0 && i.bid <= p.stopLoss)
                stops.push_back({id, p.stopLoss, 7});
            else if (p.takeProfit > 0 && i.bid >= p.takeProfit)
                stops.push_back({id, p.takeProfit, 8});
        } else {
            if (p.stopLoss > 0 && i.ask >= p.stopLoss)
                stops.push_back({id, p.stopLoss, 9});
            else if (p.takeProfit > 0 && i.ask <= p.takeProfit)
                stops.push_back({id, p.takeProfit, 10});
        }
    }
    if (due.empty() && stops.empty())
        return;

    Storage::Transaction tx(storage);
    for (uint32_t id : due) {
        auto it = pendingOrders.find(id);
        if (it == pendingOrders.end())
            continue;  // cancelled with its group a moment ago
        const Order o = it->second;
        pendingOrders.erase(it);
        executeOrder(o);
    }
    for (const Stop &s : stops) {
        auto it = openPositions.find(s.id);
        if (it == openPositions.end())
            continue;
        const uint32_t account = it->second.account;
        bookClose(it->second, it->second.lots, s.price, s.type);
        push(account, codeAccountChanged);
    }
    tx.commit();
}

void AccountBook::rollover()
{
    if (openPositions.empty())
        return;
    std::vector<uint32_t> touched;
    Storage::Transaction tx(storage);
    for (auto &[id, p] : openPositions) {
        const Instrument *i = market.find(p.instrument);
        if (!i)
            continue;
        p.swap += int32_t(p.lots) * (p.operation == 1 ? i->swapLong : i->swapShort);
        storage.putPosition(p);
        if (std::find(touched.begin(), touched.end(), p.account) == touched.end())
            touched.push_back(p.account);
    }
    tx.commit();
    for (uint32_t account : touched)
        push(account, codePositionsChanged);
}

// ---- mail and chat

namespace {

// Mail and chat messages are kept alike: by id, owned by an account,
// listed until the client confirms them.
template <class Item, class Pick>
std::vector<uint32_t> unconfirmedIds(const std::map<uint32_t, Item> &items, uint32_t account, Pick listed)
{
    std::vector<uint32_t> out;
    for (const auto &[id, item] : items)
        if (item.account == account && !item.confirmed && listed(item))
            out.push_back(id);
    return out;
}

// Works on the const and the mutable map alike.
template <class Map>
auto ownedItem(Map &items, uint32_t account, uint32_t id) -> decltype(&items.begin()->second)
{
    auto it = items.find(id);
    return it == items.end() || it->second.account != account ? nullptr : &it->second;
}

} // namespace

std::vector<uint32_t> AccountBook::unconfirmedMail(uint32_t account) const
{
    return unconfirmedIds(mailbox, account, [](const Mail &) { return true; });
}

const Mail *AccountBook::mail(uint32_t account, uint32_t id) const
{
    return ownedItem(mailbox, account, id);
}

void AccountBook::confirmMail(uint32_t account, uint32_t id)
{
    Mail *m = ownedItem(mailbox, account, id);
    if (!m || m->confirmed)
        return;
    Storage::Transaction tx(storage);
    m->confirmed = true;
    storage.putMail(*m);
    tx.commit();
}

Outcome AccountBook::sendMail(uint32_t account, const std::string &sender, const std::string &subject,
                              const std::string &text)
{
    if (!accounts.count(account))
        return {errNotFound};
    Storage::Transaction tx(storage);
    Mail m;
    m.id = nextId("seq.mail");
    m.account = account;
    m.sender = sender.substr(0, 100);
    m.subject = subject.substr(0, 254);
    m.text = text.substr(0, MaxMailText);
    m.date = nowDays();
    storage.putMail(m);
    mailbox[m.id] = m;
    tx.commit();
    push(account, codeNewMail, m.id);
    return {errOk, 0, m.id};
}

std::vector<const ChatMessage *> AccountBook::messagesOf(uint32_t account) const
{
    std::vector<const ChatMessage *> out;
    for (const auto &[id, m] : chat)
        if (m.account == account)
            out.push_back(&m);
    return out;
}

std::vector<const Mail *> AccountBook::mailOf(uint32_t account) const
{
    std::vector<const Mail *> out;
    for (const auto &[id, m] : mailbox)
        if (m.account == account)
            out.push_back(&m);
    return out;
}

std::vector<uint32_t> AccountBook::unconfirmedMessages(uint32_t account) const
{
    return unconfirmedIds(chat, account, [](const ChatMessage &m) { return m.fromDealer; });
}

const ChatMessage *AccountBook::message(uint32_t account, uint32_t id) const
{
    return ownedItem(chat, account, id);
}

void AccountBook::confirmMessage(uint32_t account, uint32_t id)
{
    ChatMessage *m = ownedItem(chat, account, id);
    if (!m || m->confirmed)
        return;
    Storage::Transaction tx(storage);
    m->confirmed = true;
    storage.putMessage(*m);
    tx.commit();
}

uint32_t AccountBook::receiveMessage(uint32_t account, const std::string &text, double date)
{
    Storage::Transaction tx(storage);
    ChatMessage m;
    m.id = nextId("seq.message");
    m.account = account;
    m.fromDealer = false;
    // The client's clock is only a hint: a date that is not a number or lies
    // outside 2000..2100 takes the server's time.
    constexpr double Year2000 = 36526, Year2100 = 73051;
    m.date = std::isfinite(date) && date >= Year2000 && date <= Year2100 ? date : nowDays();
    m.text = text.substr(0, MaxMessageText);
    m.confirmed = true;
    storage.putMessage(m);
    chat[m.id] = m;
    tx.commit();
    return m.id;
}

Outcome AccountBook::sendMessage(uint32_t account, const std::string &text)
{
    if (!accounts.count(account))
        return {errNotFound};
    Storage::Transaction tx(storage);
    ChatMessage m;
    m.id = nextId("seq.message");
    m.account = account;
    m.fromDealer = true;
    m.date = nowDays();
    m.text = text.substr(0, MaxMessageText);
    storage.putMessage(m);
    chat[m.id] = m;
    tx.commit();
    push(account, codeNewMessage, m.id);
    return {errOk, 0, m.id};
}

std::string AccountBook::title() const
{
    auto it = settingValues.find("title");
    return it == settingValues.end() ? std::string("Kelvra demo dealer") : it->second;
}

void AccountBook::setTitle(const std::string &title)
{
    Storage::Transaction tx(storage);
    settingValues["title"] = title.substr(0, 100);
    storage.putSetting("title", settingValues["title"]);
    tx.commit();
    push(0, codeSysVariablesChanged);
}
