#include "admin.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>

#include "book.h"
#include "options.h"
#include "server.h"
#include "wiretext.h"

namespace {

const char *const adminUsage =
    "admin commands:\n"
    "  send-mail ACCOUNT SUBJECT TEXT [SENDER]\n"
    "  send-message ACCOUNT TEXT\n"
    "  set-title TEXT\n"
    "  deposit ACCOUNT AMOUNT        (currency units; negative withdraws)\n"
    "  set-price SYMBOL BID [hold]   (moves the market, e.g. set-price EURUSD 1.1050;\n"
    "                                hold keeps it there until the next set-price)\n"
    "  rollover                      (books the daily swaps now)\n"
    "  status\n"
    "  list-messages ACCOUNT         (the account's chat and mail, one per line)\n"
    "test aids:\n"
    "  hold-reply ACCOUNT            (holds back the reply to the account's next trade command)\n"
    "  release-reply ACCOUNT         (sends the reply held back)\n"
    "  drop-after ACCOUNT N          (closes the session in place of its packet N + 1 from now)\n"
    "  stall ACCOUNT SECONDS [N]     (sends half of packet N + 1, the rest SECONDS later)\n"
    "  corrupt ACCOUNT [N]           (spoils the signature of packet N + 1)\n";

std::string wire(const std::string &utf8) { return EncodeWireText(QString::fromUtf8(utf8.c_str())).toStdString(); }

bool parseAccount(const std::string &text, uint32_t &out)
{
    char *end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v == 0 || v > 0xFFFFFFFFul)
        return false;
    out = uint32_t(v);
    return true;
}

// A decimal amount in hundredths: "12.5" is 1250.
bool parseScaled(const std::string &text, double scale, int64_t &out)
{
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || std::fabs(v * scale) > 2.0e9)
        return false;
    out = int64_t(std::llround(v * scale));
    return true;
}

// A stored text in UTF-8 on one line: CR LF and LF as "\\n".
std::string oneLine(const std::string &wireText)
{
    QString text = DecodeWireText(QByteArray::fromStdString(wireText));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    return text.toStdString();
}

// "message ID from-dealer|from-trader confirmed|waiting TEXT" per chat
// message, then "mail ID confirmed|waiting SUBJECT" per mail.
std::string listing(const AccountBook &book, uint32_t account)
{
    std::string out;
    for (const ChatMessage *m : book.messagesOf(account))
        out += "message " + std::to_string(m->id) + (m->fromDealer ? " from-dealer " : " from-trader ")
               + (m->confirmed ? "confirmed " : "waiting ") + oneLine(m->text) + "\n";
    for (const Mail *m : book.mailOf(account))
        out += "mail " + std::to_string(m->id) + (m->confirmed ? " confirmed " : " waiting ") + oneLine(m->subject)
               + "\n";
    if (!out.empty())
        out.pop_back();
    return out;
}

} // namespace

std::string adminSocketPath(const std::string &dataDir)
{
    // Absolute: a relative path with a folder in it is no valid socket name.
    std::error_code ignored;
    const std::filesystem::path dir = std::filesystem::absolute(std::filesystem::path(dataDir), ignored);
    return ((dir.empty() ? std::filesystem::path(dataDir) : dir) / "admin.sock").string();
}

AdminChannel::AdminChannel(DealerServer &s) : server(s), local(std::make_unique<QLocalServer>()) {}

AdminChannel::~AdminChannel()
{
    if (local)
        local->close();
}

bool AdminChannel::listen(std::string &error)
{
    const QString path = QString::fromStdString(adminSocketPath(server.dataDir()));
    // A socket file left by a server that did not stop cleanly.
    QLocalServer::removeServer(path);
    local->setSocketOptions(QLocalServer::UserAccessOption);
    if (!local->listen(path)) {
        error = local->errorString().toStdString();
        return false;
    }
    connect(local.get(), &QLocalServer::newConnection, this, &AdminChannel::onConnection);
    return true;
}

void AdminChannel::onConnection()
{
    while (QLocalSocket *socket = local->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequest(socket); });
    }
}

void AdminChannel::onRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > 1 << 20)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine();
    std::vector<std::string> args;
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    bool ok = false;
    std::string text;
    if (doc.isArray()) {
        for (const QJsonValue &v : doc.array())
            args.push_back(v.toString().toStdString());
        try {
            ok = run(args, text);
        } catch (const StorageError &e) {
            server.fatal(e.what());
        }
    } else {
        text = "the request is not a JSON array";
    }
    QJsonObject answer;
    answer["ok"] = ok;
    answer["text"] = QString::fromStdString(text);
    socket->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + "\n");
    socket->disconnectFromServer();
}

bool AdminChannel::run(const std::vector<std::string> &args, std::string &text)
{
    AccountBook &book = server.book();
    const std::string command = args.empty() ? std::string() : args[0];
    const size_t n = args.size();
    uint32_t account = 0;
    auto refused = [&](uint8_t error) {
        text = error == errNotFound ? "no such account" : error == errNoMoney ? "not enough money" : "refused";
        return false;
    };
    if (command == "send-mail" && (n == 4 || n == 5)) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        const std::string sender = n == 5 ? wire(args[4]) : std::string("Dealer");
        const Outcome r = book.sendMail(account, sender, wire(args[2]), wire(args[3]));
        if (r.error)
            return refused(r.error);
        server.flushPushes();
        text = "mail " + std::to_string(r.id) + " sent";
        return true;
    }
    if (command == "send-message" && n == 3) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        const Outcome r = book.sendMessage(account, wire(args[2]));
        if (r.error)
            return refused(r.error);
        server.flushPushes();
        text = "message " + std::to_string(r.id) + " sent";
        return true;
    }
    if (command == "set-title" && n == 2) {
        book.setTitle(wire(args[1]));
        server.flushPushes();
        text = "title set";
        return true;
    }
    if (command == "deposit" && n == 3) {
        int64_t cents = 0;
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        if (!parseScaled(args[2], 100.0, cents) || cents == 0)
            return text = "not an amount: " + args[2], false;
        const Outcome r = book.deposit(account, cents);
        if (r.error)
            return refused(r.error);
        server.flushPushes();
        text = "balance " + QString::asprintf("%.2f", double(book.balance(account)) / 100.0).toStdString();
        return true;
    }
    if (command == "set-price" && (n == 3 || (n == 4 && args[3] == "hold"))) {
        int64_t price = 0;
        if (!parseScaled(args[2], 10000.0, price) || price <= 0)
            return text = "not a price: " + args[2], false;
        const bool hold = n == 4;
        if (!server.setPrice(args[1], int32_t(price), hold, text))
            return false;
        text = args[1] + " bid " + args[2] + (hold ? " held" : "");
        return true;
    }
    if (command == "rollover" && n == 1) {
        server.runRollover();
        text = "swaps booked";
        return true;
    }
    if (command == "hold-reply" && n == 2) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        if (!book.account(account))
            return refused(errNotFound);
        server.holdNextReply(account);
        text = "the reply to the next trade command of " + args[1] + " will be held back";
        return true;
    }
    if (command == "release-reply" && n == 2) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        if (!server.releaseReply(account))
            return text = "no reply held for " + args[1], false;
        text = "held reply sent";
        return true;
    }
    if ((command == "drop-after" && n == 3) || (command == "stall" && (n == 3 || n == 4))
        || (command == "corrupt" && (n == 2 || n == 3))) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        if (!book.account(account))
            return refused(errNotFound);
        DealerServer::PacketFault fault;
        fault.kind = command == "drop-after" ? DealerServer::FaultKind::Drop
                     : command == "stall"    ? DealerServer::FaultKind::Stall
                                             : DealerServer::FaultKind::Corrupt;
        const auto number = [&](size_t at, int high, int &out) {
            char *end = nullptr;
            const long v = std::strtol(args[at].c_str(), &end, 10);
            if (args[at].empty() || *end != '\0' || v < 0 || v > high)
                return false;
            out = int(v);
            return true;
        };
        const size_t skipAt = command == "drop-after" ? 2 : command == "stall" ? 3 : 2;
        if (skipAt < n && !number(skipAt, 1000000, fault.skip))
            return text = "not a packet count: " + args[skipAt], false;
        if (command == "stall" && (!number(2, 3600, fault.seconds) || fault.seconds == 0))
            return text = "not a number of seconds: " + args[2], false;
        server.setFault(account, fault);
        text = command + " set for " + args[1];
        return true;
    }
    if (command == "list-messages" && n == 2) {
        if (!parseAccount(args[1], account))
            return text = "not an account: " + args[1], false;
        if (!book.account(account))
            return refused(errNotFound);
        text = listing(book, account);
        return true;
    }
    if (command == "status" && n == 1) {
        text = std::to_string(server.sessionCount()) + " connections, " + std::to_string(book.accountIds().size())
               + " accounts, server time " + std::to_string(server.nowMinutes());
        return true;
    }
    text = std::string("unknown or incomplete command\n") + adminUsage;
    return false;
}

int runAdminClient(const std::vector<std::string> &args)
{
    std::string dataDir;
    std::vector<std::string> command;
    for (size_t k = 0; k < args.size(); ++k) {
        if (command.empty() && args[k] == "--data" && k + 1 < args.size()) {
            dataDir = args[++k];
            continue;
        }
        command.push_back(args[k]);
    }
    if (command.empty()) {
        std::fputs(adminUsage, stderr);
        return 2;
    }
    if (dataDir.empty())
        dataDir = defaultDataDir();
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(adminSocketPath(dataDir)));
    if (!socket.waitForConnected(5000)) {
        std::fprintf(stderr, "kelvra-dealer admin: no server running with data directory %s (%s)\n",
                     dataDir.c_str(), socket.errorString().toUtf8().constData());
        return 2;
    }
    QJsonArray array;
    for (const std::string &a : command)
        array.append(QString::fromStdString(a));
    socket.write(QJsonDocument(array).toJson(QJsonDocument::Compact) + "\n");
    socket.flush();
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(10000) && socket.bytesAvailable() == 0)
            break;
        reply += socket.readAll();
    }
    const QJsonObject answer = QJsonDocument::fromJson(reply).object();
    if (answer.isEmpty()) {
        std::fprintf(stderr, "kelvra-dealer admin: no answer from the server\n");
        return 2;
    }
    const std::string text = answer["text"].toString().toStdString();
    const bool ok = answer["ok"].toBool();
    std::fprintf(ok ? stdout : stderr, "%s\n", text.c_str());
    return ok ? 0 : 1;
}
