#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "records.h"

struct sqlite3;
struct sqlite3_stmt;

class StorageError : public std::runtime_error {
public:
    explicit StorageError(const std::string &what, bool refused = false)
        : std::runtime_error(what), refused(refused) {}
    // The database refused a statement for what it carried (a constraint,
    // a value of the wrong kind or size): that request fails, the server
    // goes on. Anything else (the file cannot be read, written or
    // committed) is fatal.
    bool Refused() const { return refused; }

private:
    bool refused;
};

// Everything the dealer must not lose, in one SQLite database. Writes happen
// inside a transaction (Transaction below); a change counts as made only
// once its transaction has committed. Any SQLite failure throws StorageError.
class Storage {
public:
    explicit Storage(const std::string &path);
    ~Storage();
    Storage(const Storage &) = delete;
    Storage &operator=(const Storage &) = delete;

    class Transaction {
    public:
        explicit Transaction(Storage &storage);
        ~Transaction();  // rolls back unless committed
        void commit();

    private:
        Storage &storage;
        bool done = false;
    };

    void putAccount(const Account &a);
    void putPosition(const Position &p);
    void deletePosition(uint32_t id);
    void putOrder(const Order &o);
    void deleteOrder(uint32_t id);
    void putAccountHistory(const AccountHistoryEntry &h);
    void putOrderHistory(const OrderHistoryEntry &h);
    void putMail(const Mail &m);
    void putMessage(const ChatMessage &m);
    void putSetting(const std::string &name, const std::string &value);

    struct Contents {
        std::map<uint32_t, Account> accounts;
        std::map<uint32_t, Position> positions;
        std::map<uint32_t, Order> orders;
        std::vector<AccountHistoryEntry> accountHistory;
        std::vector<OrderHistoryEntry> orderHistory;
        std::map<uint32_t, Mail> mail;
        std::map<uint32_t, ChatMessage> messages;
        std::map<std::string, std::string> settings;
    };
    Contents loadAll();

private:
    class Statement;
    void exec(const char *sql);
    sqlite3_stmt *prepared(const char *sql);
    [[noreturn]] void fail(const char *what);

    sqlite3 *db = nullptr;
    std::map<const char *, sqlite3_stmt *> statements;
};
