#include "storage.h"

#include <sqlite3.h>

namespace {

const char *const schema = R"sql(
CREATE TABLE IF NOT EXISTS accounts(id INTEGER PRIMARY KEY, password BLOB NOT NULL, encrypted INTEGER NOT NULL,
  server_key TEXT NOT NULL, balance INTEGER NOT NULL, name BLOB NOT NULL, email BLOB NOT NULL,
  grp INTEGER NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS positions(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, instrument INTEGER NOT NULL,
  operation INTEGER NOT NULL, open_time INTEGER NOT NULL, open_price INTEGER NOT NULL, margin INTEGER NOT NULL,
  swap INTEGER NOT NULL, lots INTEGER NOT NULL, take_profit INTEGER NOT NULL, stop_loss INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS orders(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, grp INTEGER NOT NULL,
  instrument INTEGER NOT NULL, type INTEGER NOT NULL, time INTEGER NOT NULL, lots INTEGER NOT NULL,
  take_profit INTEGER NOT NULL, stop_loss INTEGER NOT NULL, price INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS account_history(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, time INTEGER NOT NULL,
  open_price INTEGER NOT NULL, close_time INTEGER NOT NULL, close_price INTEGER NOT NULL, lots INTEGER NOT NULL,
  instrument INTEGER NOT NULL, profit INTEGER NOT NULL, swap INTEGER NOT NULL, stop_loss INTEGER NOT NULL,
  take_profit INTEGER NOT NULL, operation INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS order_history(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, grp INTEGER NOT NULL,
  instrument INTEGER NOT NULL, type INTEGER NOT NULL, open_time INTEGER NOT NULL, close_time INTEGER NOT NULL,
  lots INTEGER NOT NULL, take_profit INTEGER NOT NULL, stop_loss INTEGER NOT NULL, price INTEGER NOT NULL,
  status INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS mail(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, sender BLOB NOT NULL,
  subject BLOB NOT NULL, text BLOB NOT NULL, date REAL NOT NULL, confirmed INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS messages(id INTEGER PRIMARY KEY, account INTEGER NOT NULL, from_dealer INTEGER NOT NULL,
  date REAL NOT NULL, text BLOB NOT NULL, confirmed INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS settings(name TEXT PRIMARY KEY, value BLOB NOT NULL);
)sql";

} // namespace

// Binds the parameters of one prepared statement in order and runs it.
class Storage::Statement {
public:
    Statement(Storage &s, const char *sql) : storage(s), stmt(s.prepared(sql)) {}
    ~Statement() { sqlite3_reset(stmt); }
    Statement &operator<<(int64_t v)
    {
        check(sqlite3_bind_int64(stmt, ++index, v));
        return *this;
    }
    Statement &operator<<(double v)
    {
        check(sqlite3_bind_double(stmt, ++index, v));
        return *this;
    }
    Statement &operator<<(const std::string &v)
    {
        check(sqlite3_bind_blob(stmt, ++index, v.data(), int(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    void run()
    {
        if (sqlite3_step(stmt) != SQLITE_DONE)
            storage.fail("write");
    }
    // Steps to the next row; false at the end.
    bool next()
    {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            storage.fail("read");
        return false;
    }
    int64_t i(int column) const { return sqlite3_column_int64(stmt, column); }
    double d(int column) const { return sqlite3_column_double(stmt, column); }
    std::string s(int column) const
    {
        const void *p = sqlite3_column_blob(stmt, column);
        const int n = sqlite3_column_bytes(stmt, column);
        return p ? std::string(static_cast<const char *>(p), size_t(n)) : std::string();
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            storage.fail("bind");
    }
    Storage &storage;
    sqlite3_stmt *stmt;
    int index = 0;
};

Storage::Storage(const std::string &path)
{
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        db = nullptr;
        throw StorageError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
    try {
        exec("PRAGMA journal_mode=WAL");
        // Every commit reaches the disk before the reply that confirms it leaves.
        exec("PRAGMA synchronous=FULL");
        exec(schema);
    } catch (...) {
        sqlite3_close(db);
        db = nullptr;
        throw;
    }
}

Storage::~Storage()
{
    for (auto &entry : statements)
        sqlite3_finalize(entry.second);
    if (db)
        sqlite3_close(db);
}

void Storage::fail(const char *what)
{
    const int code = sqlite3_errcode(db) & 0xFF;
    const bool refused = code == SQLITE_CONSTRAINT || code == SQLITE_MISMATCH || code == SQLITE_TOOBIG ||
                         code == SQLITE_RANGE;
    throw StorageError(std::string("database ") + what + " failed: " + sqlite3_errmsg(db), refused);
}

void Storage::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw StorageError(std::string("database statement failed: ") + message);
    }
}

sqlite3_stmt *Storage::prepared(const char *sql)
{
    auto it = statements.find(sql);
    if (it != statements.end())
        return it->second;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        fail("prepare");
    statements.emplace(sql, stmt);
    return stmt;
}

Storage::Transaction::Transaction(Storage &s) : storage(s) { storage.exec("BEGIN IMMEDIATE"); }

Storage::Transaction::~Transaction()
{
    if (!done) {
        try {
            storage.exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void Storage::Transaction::commit()
{
    storage.exec("COMMIT");
    done = true;
}

void Storage::putAccount(const Account &a)
{
    Statement st(*this, "INSERT OR REPLACE INTO accounts VALUES(?,?,?,?,?,?,?,?,?)");
    st << int64_t(a.id) << a.password << int64_t(a.encrypted) << a.serverKey << a.balance << a.name << a.email
       << int64_t(a.group) << int64_t(a.created);
    st.run();
}

void Storage::putPosition(const Position &p)
{
    Statement st(*this, "INSERT OR REPLACE INTO positions VALUES(?,?,?,?,?,?,?,?,?,?,?)");
    st << int64_t(p.id) << int64_t(p.account) << int64_t(p.instrument) << int64_t(p.operation)
       << int64_t(p.openTime) << int64_t(p.openPrice) << p.margin << int64_t(p.swap) << int64_t(p.lots)
       << int64_t(p.takeProfit) << int64_t(p.stopLoss);
    st.run();
}

void Storage::deletePosition(uint32_t id)
{
    Statement st(*this, "DELETE FROM positions WHERE id=?");
    st << int64_t(id);
    st.run();
}

void Storage::putOrder(const Order &o)
{
    Statement st(*this, "INSERT OR REPLACE INTO orders VALUES(?,?,?,?,?,?,?,?,?,?)");
    st << int64_t(o.id) << int64_t(o.account) << int64_t(o.group) << int64_t(o.instrument) << int64_t(o.type)
       << int64_t(o.time) << int64_t(o.lots) << int64_t(o.takeProfit) << int64_t(o.stopLoss) << int64_t(o.price);
    st.run();
}

void Storage::deleteOrder(uint32_t id)
{
    Statement st(*this, "DELETE FROM orders WHERE id=?");
    st << int64_t(id);
    st.run();
}

void Storage::putAccountHistory(const AccountHistoryEntry &h)
{
    Statement st(*this, "INSERT OR REPLACE INTO account_history VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    st << int64_t(h.id) << int64_t(h.account) << int64_t(h.time) << int64_t(h.openPrice) << int64_t(h.closeTime)
       << int64_t(h.closePrice) << int64_t(h.lots) << int64_t(h.instrument) << int64_t(h.profit) << int64_t(h.swap)
       << int64_t(h.stopLoss) << int64_t(h.takeProfit) << int64_t(h.operation);
    st.run();
}

void Storage::putOrderHistory(const OrderHistoryEntry &h)
{
    Statement st(*this, "INSERT OR REPLACE INTO order_history VALUES(?,?,?,?,?,?,?,?,?,?,?,?)");
    st << int64_t(h.id) << int64_t(h.account) << int64_t(h.group) << int64_t(h.instrument) << int64_t(h.type)
       << int64_t(h.openTime) << int64_t(h.closeTime) << int64_t(h.lots) << int64_t(h.takeProfit)
       << int64_t(h.stopLoss) << int64_t(h.price) << int64_t(h.status);
    st.run();
}

void Storage::putMail(const Mail &m)
{
    Statement st(*this, "INSERT OR REPLACE INTO mail VALUES(?,?,?,?,?,?,?)");
    st << int64_t(m.id) << int64_t(m.account) << m.sender << m.subject << m.text << m.date << int64_t(m.confirmed);
    st.run();
}

void Storage::putMessage(const ChatMessage &m)
{
    Statement st(*this, "INSERT OR REPLACE INTO messages VALUES(?,?,?,?,?,?)");
    st << int64_t(m.id) << int64_t(m.account) << int64_t(m.fromDealer) << m.date << m.text << int64_t(m.confirmed);
    st.run();
}

void Storage::putSetting(const std::string &name, const std::string &value)
{
    Statement st(*this, "INSERT OR REPLACE INTO settings VALUES(?,?)");
    st << name << value;
    st.run();
}

Storage::Contents Storage::loadAll()
{
    Contents c;
    {
        Statement st(*this, "SELECT * FROM accounts");
        while (st.next()) {
            Account a;
            a.id = uint32_t(st.i(0));
            a.password = st.s(1);
            a.encrypted = st.i(2) != 0;
            a.serverKey = st.s(3);
            a.balance = st.i(4);
            a.name = st.s(5);
            a.email = st.s(6);
            a.group = uint32_t(st.i(7));
            a.created = uint32_t(st.i(8));
            c.accounts[a.id] = a;
        }
    }
    {
        Statement st(*this, "SELECT * FROM positions");
        while (st.next()) {
            Position p;
            p.id = uint32_t(st.i(0));
            p.account = uint32_t(st.i(1));
            p.instrument = uint16_t(st.i(2));
            p.operation = uint8_t(st.i(3));
            p.openTime = uint32_t(st.i(4));
            p.openPrice = int32_t(st.i(5));
            p.margin = st.i(6);
            p.swap = int32_t(st.i(7));
            p.lots = uint8_t(st.i(8));
            p.takeProfit = int32_t(st.i(9));
            p.stopLoss = int32_t(st.i(10));
            c.positions[p.id] = p;
        }
    }
    {
        Statement st(*this, "SELECT * FROM orders");
        while (st.next()) {
            Order o;
            o.id = uint32_t(st.i(0));
            o.account = uint32_t(st.i(1));
            o.group = uint8_t(st.i(2));
            o.instrument = uint16_t(st.i(3));
            o.type = uint8_t(st.i(4));
            o.time = uint32_t(st.i(5));
            o.lots = uint8_t(st.i(6));
            o.takeProfit = int32_t(st.i(7));
            o.stopLoss = int32_t(st.i(8));
            o.price = int32_t(st.i(9));
            c.orders[o.id] = o;
        }
    }
    {
        Statement st(*this, "SELECT * FROM account_history ORDER BY id");
        while (st.next()) {
            AccountHistoryEntry h;
            h.id = uint32_t(st.i(0));
            h.account = uint32_t(st.i(1));
            h.time = uint32_t(st.i(2));
            h.openPrice = int32_t(st.i(3));
            h.closeTime = uint32_t(st.i(4));
            h.closePrice = int32_t(st.i(5));
            h.lots = uint8_t(st.i(6));
            h.instrument = uint16_t(st.i(7));
            h.profit = int32_t(st.i(8));
            h.swap = int32_t(st.i(9));
            h.stopLoss = int32_t(st.i(10));
            h.takeProfit = int32_t(st.i(11));
            h.operation = uint8_t(st.i(12));
            c.accountHistory.push_back(h);
        }
    }
    {
        Statement st(*this, "SELECT * FROM order_history ORDER BY id");
        while (st.next()) {
            OrderHistoryEntry h;
            h.id = uint32_t(st.i(0));
            h.account = uint32_t(st.i(1));
            h.group = uint8_t(st.i(2));
            h.instrument = uint16_t(st.i(3));
            h.type = uint8_t(st.i(4));
            h.openTime = uint32_t(st.i(5));
            h.closeTime = uint32_t(st.i(6));
            h.lots = uint8_t(st.i(7));
            h.takeProfit = int32_t(st.i(8));
            h.stopLoss = int32_t(st.i(9));
            h.price = int32_t(st.i(10));
            h.status = uint8_t(st.i(11));
            c.orderHistory.push_back(h);
        }
    }
    {
        Statement st(*this, "SELECT * FROM mail");
        while (st.next()) {
            Mail m;
            m.id = uint32_t(st.i(0));
            m.account = uint32_t(st.i(1));
            m.sender = st.s(2);
            m.subject = st.s(3);
            m.text = st.s(4);
            m.date = st.d(5);
            m.confirmed = st.i(6) != 0;
            c.mail[m.id] = m;
        }
    }
    {
        Statement st(*this, "SELECT * FROM messages");
        while (st.next()) {
            ChatMessage m;
            m.id = uint32_t(st.i(0));
            m.account = uint32_t(st.i(1));
            m.fromDealer = st.i(2) != 0;
            m.date = st.d(3);
            m.text = st.s(4);
            m.confirmed = st.i(5) != 0;
            c.messages[m.id] = m;
        }
    }
    {
        Statement st(*this, "SELECT * FROM settings");
        while (st.next())
            c.settings[st.s(0)] = st.s(1);
    }
    return c;
}
