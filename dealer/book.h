#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "market.h"
#include "pricing.h"
#include "records.h"
#include "storage.h"

// Days since 1899-12-30 (UTC) by the system clock, and the minutes since
// 2000-01-01 of such a value.
double systemDays();
uint32_t minutesOfDays(double days);

// Reply error codes the dealer uses.
enum DealerError : uint8_t {
    errOk = 0,
    errLogin = 1,          // bad account or password
    errAlreadyOnline = 2,  // the account is connected already
    errNotFound = 3,
    errUnsupported = 4,
    errPriceChanged = 5,   // a requote was refused
    errPrice = 6,          // a price (or lot count) that cannot be dealt
    errPriceInMarket = 7,
    errNoMoney = 8,
    errTooManyOrders = 13,
    errConfirmTimeout = 14,
    errStopLoss = 15,
    errTakeProfit = 16,
    errStopLossInMarket = 17,
    errTakeProfitInMarket = 18,
    errRequote = 100,
};

struct BookSettings {
    int leverage = 100;
    int requotePoints = 5;        // a client price further off than this is requoted
    int stopLevelPoints = 3;      // stops and pending prices keep this distance from the market
    int64_t lotSize = 100000;
    size_t maxActiveOrders = 50;  // pending orders per account
    SpreadBytes spread{3, 5, 10, 3, 5, 10, 5, 8, 10};
};

// A notification for the sessions of one account (id 0 for the pushes that
// carry none); 136 goes to every session (account 0).
struct Push {
    uint32_t account = 0;
    uint8_t code = 0;
    uint32_t id = 0;
};

struct Outcome {
    uint8_t error = errOk;
    int32_t requotePrice = 0;  // with errRequote: the price offered
    uint32_t id = 0;           // the record made, when there is one
};

// The dealer's books: accounts, positions, orders, histories, mail and chat,
// with the trading rules. Every change is written in one transaction before
// the method returns; what changed for whom is collected as pushes.
// A failing database throws StorageError after the in-memory state changed:
// the caller must then stop serving (a restart reloads the last commit).
class AccountBook {
public:
    AccountBook(Storage &storage, Market &market, BookSettings settings);

    // Days since 1899-12-30 (UTC) now; the minute clock is derived from it.
    void setClock(std::function<double()> clock) { clockDays = std::move(clock); }
    double nowDays() const { return clockDays(); }
    uint32_t nowMinutes() const;
    const BookSettings &settings() const { return config; }

    // ---- accounts
    bool hasAccounts() const { return !accounts.empty(); }
    std::vector<uint32_t> accountIds() const;
    const Account *account(uint32_t id) const;
    // A new account with its opening deposit and the welcome mail; id 0 takes the next free number.
    uint32_t createAccount(uint32_t id, const std::string &password, const std::string &name,
                           const std::string &email, uint32_t group, int64_t depositCents, bool encrypted,
                           const std::string &serverKey);
    // The deposits a registration may open with (what the client's dialog offers).
    static constexpr uint32_t MinRegistrationDeposit = 1000;
    static constexpr uint32_t MaxRegistrationDeposit = 10000;
    // The registration of a trader: a generated password of 8 characters.
    Outcome registerAccount(const std::string &name, const std::string &email, uint32_t group,
                            uint32_t depositUnits, std::string &password);
    Outcome deposit(uint32_t account, int64_t cents);

    // ---- what an account holds
    std::vector<const Position *> positions(uint32_t account) const;
    std::vector<const Order *> orders(uint32_t account) const;
    const Position *position(uint32_t account, uint32_t id) const;
    const Order *order(uint32_t account, uint32_t id) const;
    // Entries of the last `days` days (0: all), oldest first.
    std::vector<AccountHistoryEntry> accountHistory(uint32_t account, uint32_t days) const;
    std::vector<OrderHistoryEntry> orderHistory(uint32_t account, uint32_t days) const;
    int64_t balance(uint32_t account) const;
    int64_t usedMargin(uint32_t account) const;
    // Balance, swaps and the floating profit at the market prices.
    int64_t equity(uint32_t account) const;
    int64_t floatingProfit(const Position &p) const;

    // ---- trading; `judge` compares the client's price with the market and
    // answers errRequote when it is stale, else the price is taken as given.
    Outcome openMarket(uint32_t account, uint16_t instrument, uint8_t type, int lots, int32_t stopLoss,
                       int32_t takeProfit, int32_t price, bool judge);
    Outcome placePending(uint32_t account, uint16_t instrument, uint8_t type, int lots, int32_t stopLoss,
                         int32_t takeProfit, int32_t price);
    Outcome changePosition(uint32_t account, uint32_t id, int32_t stopLoss, int32_t takeProfit);
    Outcome changeOrder(uint32_t account, uint32_t id, int32_t price, int32_t stopLoss, int32_t takeProfit);
    Outcome deleteOrder(uint32_t account, uint32_t id);
    Outcome closePosition(uint32_t account, uint32_t id, int lots, int32_t price, bool judge);
    Outcome reversePosition(uint32_t account, uint32_t id, int32_t price, int32_t additionalLots, bool judge);
    // Count 0 (or 1) dissolves the group; otherwise the listed orders form it.
    Outcome groupOrders(uint32_t account, uint8_t group, const std::vector<uint32_t> &ids);

    // The market moved: pending orders, stop losses and take profits of that instrument.
    void onQuote(const Instrument &instrument);
    // The daily rollover: every open position takes its swap.
    void rollover();

    // ---- mail and chat
    std::vector<uint32_t> unconfirmedMail(uint32_t account) const;
    const Mail *mail(uint32_t account, uint32_t id) const;
    void confirmMail(uint32_t account, uint32_t id);
    Outcome sendMail(uint32_t account, const std::string &sender, const std::string &subject,
                     const std::string &text);
    std::vector<uint32_t> unconfirmedMessages(uint32_t account) const;
    const ChatMessage *message(uint32_t account, uint32_t id) const;
    void confirmMessage(uint32_t account, uint32_t id);
    // A text from the trader, stored; returns its id.
    uint32_t receiveMessage(uint32_t account, const std::string &text, double date);
    Outcome sendMessage(uint32_t account, const std::string &text);
    // The account's chat messages and mail in id order (the admin listing).
    std::vector<const ChatMessage *> messagesOf(uint32_t account) const;
    std::vector<const Mail *> mailOf(uint32_t account) const;

    std::string title() const;
    void setTitle(const std::string &title);

    // The notifications collected since the last call.
    std::vector<Push> takePushes();

    static constexpr size_t MaxMailText = 6144 - 1 - 370;
    static constexpr size_t MaxMessageText = 512;

private:
    struct Valuation;
    Valuation value(const Instrument &instrument) const;
    int32_t pointOf(const Instrument &instrument) const;
    uint8_t checkStops(int side, int32_t reference, int32_t stopLoss, int32_t takeProfit, int32_t point) const;
    uint8_t checkPendingPrice(uint8_t type, const Instrument &i, int32_t price) const;
    int64_t marginFor(const Instrument &i, int lots, int32_t price) const;
    uint32_t nextId(const char *name);
    void push(uint32_t account, uint8_t code, uint32_t id = 0);
    // Closes lots of a position at a price; books profit and swap. Returns the history entry.
    void bookClose(Position &p, int lots, int32_t price, uint8_t historyType);
    void executeOrder(const Order &o);
    void cancelGroupOf(const Order &executed);
    void addOrderHistory(const Order &o, uint8_t status);

    Storage &storage;
    Market &market;
    BookSettings config;
    std::function<double()> clockDays;

    std::map<uint32_t, Account> accounts;
    std::map<uint32_t, Position> openPositions;
    std::map<uint32_t, Order> pendingOrders;
    std::map<uint32_t, std::vector<AccountHistoryEntry>> accountHistories;
    std::map<uint32_t, std::vector<OrderHistoryEntry>> orderHistories;
    std::map<uint32_t, Mail> mailbox;
    std::map<uint32_t, ChatMessage> chat;
    std::map<std::string, std::string> settingValues;
    std::vector<Push> pushes;
};
