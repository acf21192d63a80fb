#pragma once

#include <cstdint>
#include <string>

// The dealer's books, one struct per kind of stored record. Prices are
// integers of 1/10000, money in cents, times in minutes since 2000-01-01 UTC;
// texts are kept in the wire code page (Windows-1251 bytes).

struct Account {
    uint32_t id = 0;
    std::string password;
    bool encrypted = false;
    std::string serverKey;  // the server key file text of an encrypted account
    int64_t balance = 0;
    std::string name;
    std::string email;
    uint32_t group = 0;     // account type chosen at registration
    uint32_t created = 0;
};

struct Position {
    uint32_t id = 0;
    uint32_t account = 0;
    uint16_t instrument = 0;
    uint8_t operation = 1;  // 1 buy, 2 sell
    uint32_t openTime = 0;
    int32_t openPrice = 0;
    int64_t margin = 0;
    int32_t swap = 0;
    uint8_t lots = 0;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
};

struct Order {
    uint32_t id = 0;
    uint32_t account = 0;
    uint8_t group = 0;
    uint16_t instrument = 0;
    uint8_t type = 0;       // 2 buy limit, 3 sell limit, 4 buy stop, 5 sell stop
    uint32_t time = 0;
    uint8_t lots = 0;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
    int32_t price = 0;
};

// Account history operation codes.
enum : uint8_t { opDeposit = 1, opWithdrawal = 2, opClosedBuy = 101, opClosedSell = 102 };

struct AccountHistoryEntry {
    uint32_t id = 0;
    uint32_t account = 0;
    uint32_t time = 0;
    int32_t openPrice = 0;
    uint32_t closeTime = 0;
    int32_t closePrice = 0;
    uint8_t lots = 0;
    uint16_t instrument = 0;
    int32_t profit = 0;
    int32_t swap = 0;
    int32_t stopLoss = 0;
    int32_t takeProfit = 0;
    uint8_t operation = 0;
};

// Order history statuses.
enum : uint8_t { statusDeleted = 3, statusExecuted = 4, statusCanceled = 5 };

struct OrderHistoryEntry {
    uint32_t id = 0;
    uint32_t account = 0;
    uint8_t group = 0;
    uint16_t instrument = 0;
    uint8_t type = 0;
    uint32_t openTime = 0;
    uint32_t closeTime = 0;
    uint8_t lots = 0;
    int32_t takeProfit = 0;
    int32_t stopLoss = 0;
    int32_t price = 0;
    uint8_t status = 0;
};

struct Mail {
    uint32_t id = 0;
    uint32_t account = 0;
    std::string sender;
    std::string subject;
    std::string text;
    double date = 0;        // days since 1899-12-30
    bool confirmed = false; // the client has confirmed receipt
};

struct ChatMessage {
    uint32_t id = 0;
    uint32_t account = 0;
    bool fromDealer = false;
    double date = 0;
    std::string text;
    bool confirmed = false;
};
