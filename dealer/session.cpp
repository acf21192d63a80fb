#include "session.h"

#include <cstring>

#include <poll.h>
#include <sys/socket.h>

#include <QTcpSocket>
#include <QTimer>

#include "book.h"
#include "commands.h"
#include "forexexception.h"
#include "mustbeencrypted.h"
#include "packetreader.h"
#include "server.h"
#include "serverrsa.h"
#include "wiretext.h"

namespace {

// A client that does not read its pushes is dropped before it eats the memory.
constexpr qint64 MaxUnsentBytes = 8 * 1024 * 1024;

const char *errorTextOf(uint8_t error)
{
    switch (error) {
    case errLogin: return "Incorrect login name or password";
    case errAlreadyOnline: return "User the same name already exist in system";
    case errNotFound: return "Record not found";
    case errUnsupported: return "Unsuported command";
    case errPriceChanged: return "Price is changed";
    case errPrice: return "Incorrect price";
    case errPriceInMarket: return "Price in market";
    case errNoMoney: return "Not enough money";
    case errTooManyOrders: return "Too many active orders";
    case errConfirmTimeout: return "Confirmation timeout";
    case errStopLoss: return "Incorrect price for Stop loss";
    case errTakeProfit: return "Incorrect price for Take profit";
    case errStopLossInMarket: return "Price in market for Stop loss";
    case errTakeProfitInMarket: return "Price in market for Take profit";
    default: return "Error";
    }
}

std::string wireBytes(const QString &text) { return EncodeWireText(text).toStdString(); }

// The commands whose reply a trade dialog waits for.
bool isTradeCommand(uint8_t code)
{
    switch (code) {
    case cmdPlace:
    case cmdChangePosition:
    case cmdChangeOrder:
    case cmdDeleteOrder:
    case cmdClosePosition:
    case cmdGroupOrders:
    case cmdConfirmPrice:
    case cmdReversePosition:
        return true;
    default:
        return false;
    }
}

// The packet object the bounds-checked reader works on.
struct Incoming {
    explicit Incoming(const TPacketBuffer &buffer) : command(buffer[hdr::Code])
    {
        command.Buffer = buffer;
        command.SyncSize();
    }
    TUserCommand command;
};

} // namespace

Session::Session(QTcpSocket *s, DealerServer &srv, uint16_t id, uint64_t serial)
    : QObject(nullptr), socket(s), server(srv), sessionId(id), acceptedAs(serial)
{
    socket->setParent(this);
    socket->setReadBufferSize(MaxBufferedBytes);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &Session::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &Session::close);
    connect(socket, &QTcpSocket::errorOccurred, this, [this] { close(); });
    // A client that has not logged in or registered in time is dropped.
    QTimer::singleShot(server.options().handshakeSeconds * 1000, this, [this] {
        if (state != State::Ready)
            close();
    });
}

Session::~Session() = default;

bool Session::alive() const
{
    if (state == State::Closed || socket->state() != QAbstractSocket::ConnectedState)
        return false;
    pollfd p{int(socket->socketDescriptor()), short(POLLIN | POLLRDHUP), 0};
    if (p.fd < 0)
        return false;
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)))
        return false;
    return true;
}

void Session::close()
{
    if (state == State::Closed)
        return;
    state = State::Closed;
    socket->abort();
    server.sessionClosed(this);
    deleteLater();
}

// ---- frames

void Session::onReadyRead()
{
    pull();
    if (frameWaiting())
        server.schedule(this);
}

void Session::pull()
{
    const qint64 room = MaxBufferedBytes - inbound.size();
    if (room > 0 && socket->bytesAvailable() > 0)
        inbound += socket->read(room);
}

bool Session::frameWaiting()
{
    if (state == State::Closed || inbound.size() < 5)
        return false;
    const auto *head = reinterpret_cast<const uint8_t *>(inbound.constData());
    if (!IsValidHeader(head)) {
        close();
        return false;
    }
    return inbound.size() >= qsizetype(GetU16(head + hdr::PayloadLength)) + PacketHeaderSize;
}

bool Session::handleSome()
{
    QElapsedTimer spent;
    spent.start();
    for (int done = 0; done < CommandsPerTurn && spent.elapsed() < TurnBudgetMs; ++done) {
        pull();
        if (!frameWaiting())
            return false;
        const auto *head = reinterpret_cast<const uint8_t *>(inbound.constData());
        const qsizetype total = qsizetype(GetU16(head + hdr::PayloadLength)) + PacketHeaderSize;
        TPacketBuffer buffer(head, head + total);
        inbound.remove(0, total);
        if (!handleFrame(std::move(buffer)))
            return false;
        server.flushPushes();
    }
    pull();
    return frameWaiting();
}

bool Session::handleFrame(TPacketBuffer buffer)
{
    Descramble(buffer);
    const bool arrivedEncrypted = (buffer[hdr::Flags] & pfRsa) != 0;
    if (arrivedEncrypted) {
        if (!encrypted || !rsa) {
            close();
            return false;
        }
        const std::vector<uint8_t> plain = rsa->decrypt(std::vector<uint8_t>(buffer.begin() + 5, buffer.end()));
        if (plain.size() < 5 || plain.size() > size_t(MaxPayloadLength) + 5) {
            close();
            return false;
        }
        buffer.resize(5);
        buffer.insert(buffer.end(), plain.begin(), plain.end());
        PutU16(&buffer[hdr::PayloadLength], uint16_t(buffer.size() - PacketHeaderSize));
        buffer[hdr::Flags] &= uint8_t(~pfRsa);
    } else if (encrypted && MustBeEncrypted(buffer[hdr::Code], (buffer[hdr::Flags] & pfReply) != 0)) {
        // The account's traffic is encrypted: a plain copy of such a command is refused.
        close();
        return false;
    }
    handle(buffer);
    return state != State::Closed;
}

void Session::write(TPacketBuffer &packet, bool encrypt)
{
    if (state == State::Closed)
        return;
    PutU16(&packet[hdr::SessionId], sessionId);
    if (encrypt && rsa) {
        const std::vector<uint8_t> cipher = rsa->encrypt(std::vector<uint8_t>(packet.begin() + 5, packet.end()));
        packet.resize(5);
        packet.insert(packet.end(), cipher.begin(), cipher.end());
        if (packet.size() < size_t(PacketHeaderSize))
            packet.resize(PacketHeaderSize, 0);
        PutU16(&packet[hdr::PayloadLength], uint16_t(packet.size() - PacketHeaderSize));
        packet[hdr::Flags] |= pfRsa;
    }
    Scramble(packet);
    QByteArray bytes(reinterpret_cast<const char *>(packet.data()), qsizetype(packet.size()));
    if (const auto fault = accountId ? server.faultDue(accountId) : std::nullopt) {
        switch (fault->kind) {
        case DealerServer::FaultKind::Drop:
            socket->flush();  // the packets before this one still go out
            close();
            return;
        case DealerServer::FaultKind::Corrupt:
            bytes[0] = char(bytes[0] ^ 0x5A);  // no longer a packet signature
            break;
        case DealerServer::FaultKind::Stall:
            // Half the packet now, the rest (and whatever follows) later.
            socket->write(bytes.left(bytes.size() / 2));
            stalled = bytes.mid(bytes.size() / 2);
            stalling = true;
            QTimer::singleShot(fault->seconds * 1000, this, [this] {
                stalling = false;
                socket->write(stalled);
                stalled.clear();
            });
            return;
        }
    }
    if (stalling) {
        stalled += bytes;
        return;
    }
    socket->write(bytes);
    if (socket->bytesToWrite() > MaxUnsentBytes)
        close();
}

void Session::sendPush(uint8_t code, const Bytes &payload)
{
    TPacketBuffer packet = NewPacketBuffer(int(payload.size()));
    packet[hdr::Flags] = pfCommand;
    packet[hdr::Code] = code;
    std::copy(payload.begin(), payload.end(), packet.begin() + hdr::Data);
    write(packet, false);
}

void Session::sendReply(uint8_t code, uint16_t packetId, uint8_t error, const Bytes &data, uint8_t extraFlags)
{
    if (silent)
        return;
    TPacketBuffer packet = NewPacketBuffer(int(data.size()) + 1);
    packet[hdr::Flags] = uint8_t(pfReply | extraFlags);
    PutU16(&packet[hdr::PacketId], packetId);
    packet[hdr::Code] = code;
    packet[hdr::Data] = error;
    std::copy(data.begin(), data.end(), packet.begin() + hdr::ReplyData);
    const bool encrypt = encrypted && MustBeEncrypted(code, true);
    if (holding) {
        heldReplies.push_back({std::move(packet), encrypt});
        return;
    }
    write(packet, encrypt);
}

bool Session::releaseHeldReplies()
{
    if (heldReplies.empty() || state == State::Closed)
        return false;
    std::vector<HeldReply> replies;
    replies.swap(heldReplies);
    for (HeldReply &r : replies)
        write(r.packet, r.encrypt);
    return true;
}

void Session::sendError(uint8_t code, uint16_t packetId, uint8_t error, const char *serverText)
{
    const std::string text = serverText ? serverText : errorTextOf(error);
    Bytes data(1 + text.size());
    data[0] = uint8_t(text.size());
    std::copy(text.begin(), text.end(), data.begin() + 1);
    sendReply(code, packetId, error, data);
}

size_t Session::recordsPerPacket(size_t recordSize) const
{
    // Error byte and count, then the records.
    size_t n = (size_t(MaxPayloadLength) - 3) / recordSize;
    if (encrypted && rsa) {
        // The ciphertext of bytes 5.. must leave the payload within the limit.
        while (n > 1 && rsa->maxCipherBytes(5 + 3 + n * recordSize) > size_t(MaxPayloadLength) + 5)
            --n;
    }
    return std::max<size_t>(1, n);
}

void Session::sendList(uint8_t code, uint16_t packetId, size_t recordSize, const Bytes &records)
{
    const size_t count = records.size() / recordSize;
    const size_t per = recordsPerPacket(recordSize);
    const size_t packets = count == 0 ? 1 : (count + per - 1) / per;
    for (size_t k = 0; k < packets; ++k) {
        const size_t first = k * per;
        const size_t n = std::min(per, count - first);
        Bytes data;
        data.reserve(2 + n * recordSize);
        putU16(data, uint16_t(n));
        data.insert(data.end(), records.begin() + std::ptrdiff_t(first * recordSize),
                    records.begin() + std::ptrdiff_t((first + n) * recordSize));
        uint8_t flags = 0;
        if (packets > 1)
            flags = k == 0 ? pfFirst : (k + 1 == packets ? pfLast : pfMiddle);
        sendReply(code, packetId, errOk, data, flags);
    }
}

// ---- commands

void Session::handle(const TPacketBuffer &packet)
{
    const uint8_t code = packet[hdr::Code];
    const uint16_t packetId = GetU16(&packet[hdr::PacketId]);
    const bool noReply = (packet[hdr::Flags] & pfNoReply) != 0;
    Incoming incoming(packet);
    PacketReader in(incoming.command, hdr::Data);
    // Held back also when the command is refused, even for a short payload.
    holding = state == State::Ready && !noReply && isTradeCommand(code) && server.takeReplyHold(accountId);
    struct EndHolding {
        bool &flag;
        ~EndHolding() { flag = false; }
    } endHolding{holding};
    try {
        switch (state) {
        case State::Fresh:
            if (code == cmdLogin)
                return handleLogin(packet, in);
            if (code == cmdRegister)
                return handleRegister(packet, in);
            close();  // nothing but a login or a registration before login
            return;
        case State::AwaitConfirm:
            if (code == cmdLoginConfirm)
                return handleConfirm(packet, in);
            close();
            return;
        case State::Ready:
            // A command sent without expecting a reply gets none.
            silent = noReply;
            handleCommand(code, packetId, in);
            silent = false;
            return;
        case State::Closed:
            return;
        }
    } catch (const EForexException &) {
        silent = false;
        // A payload shorter than its code's layout.
        if (state == State::Ready && !noReply)
            sendError(code, packetId, errUnsupported);
        else if (state != State::Ready)
            close();
    } catch (const StorageError &e) {
        if (!e.Refused())
            server.fatal(e.what());
        // Its transaction rolled back: nothing of the request was kept.
        silent = false;
        if (state == State::Ready && !noReply)
            sendError(code, packetId, errUnsupported);
        else if (state != State::Ready)
            close();
    } catch (const std::exception &) {
        silent = false;
        // Nothing a client sends may take the server down: refuse and go on.
        if (state == State::Ready && !noReply)
            sendError(code, packetId, errUnsupported);
        else if (state != State::Ready)
            close();
    }
}

void Session::handleLogin(const TPacketBuffer &packet, PacketReader &in)
{
    const uint16_t packetId = GetU16(&packet[hdr::PacketId]);
    const uint32_t account = in.u32();
    const std::string given = wireBytes(in.shortString(10));
    const Account *a = server.book().account(account);
    // A locked account answers exactly like a wrong password.
    if (a && server.lockout().locked(account, server.nowMs()))
        return loginFailed(cmdLogin, packetId, 0);
    if (!a || a->password.substr(0, 10) != given)
        return loginFailed(cmdLogin, packetId, a ? account : 0);
    const ServerRsa *key = a->encrypted ? server.keyOf(account) : nullptr;
    if (a->encrypted && !key) {
        sendError(cmdLogin, packetId, errLogin);
        return;
    }
    if (!server.claim(account, this)) {
        sendError(cmdLogin, packetId, errAlreadyOnline);
        return;
    }
    accountId = account;
    password = given;
    state = State::AwaitConfirm;
    rsa = key;
    encrypted = key != nullptr;
    sendReply(cmdLogin, packetId, errOk, {});
}

void Session::handleConfirm(const TPacketBuffer &packet, PacketReader &in)
{
    const uint16_t packetId = GetU16(&packet[hdr::PacketId]);
    const uint32_t account = in.u32();
    const std::string given = wireBytes(in.shortString(10));
    // The confirmation follows the login on this connection: the session
    // number this connection was given and the second packet of the session.
    // (Under encryption both travel inside the cipher, so a replayed
    // confirmation of another login does not pass.)
    const bool fresh = GetU16(&packet[hdr::SessionId]) == sessionId && packetId == 2;
    if (!fresh || account != accountId || given != password) {
        const uint32_t failedAccount = accountId;
        server.release(accountId, this);
        accountId = 0;
        encrypted = false;
        rsa = nullptr;
        state = State::Fresh;
        loginFailed(cmdLoginConfirm, packetId, failedAccount);
        close();
        return;
    }
    state = State::Ready;
    sendReply(cmdLoginConfirm, packetId, errOk, {});
}

void Session::loginFailed(uint8_t code, uint16_t packetId, uint32_t account)
{
    if (account != 0)
        server.lockout().failed(account, server.nowMs());
    sendError(code, packetId, errLogin);
    if (++failedLogins >= MaxFailedLogins) {
        socket->flush();
        close();
    }
}

void Session::handleRegister(const TPacketBuffer &packet, PacketReader &in)
{
    const uint16_t packetId = GetU16(&packet[hdr::PacketId]);
    // One registration per connection.
    if (registrationTried) {
        close();
        return;
    }
    registrationTried = true;
    const std::string name = wireBytes(in.shortString(40));
    const std::string email = wireBytes(in.shortString(80));
    const uint32_t group = in.u32();
    const uint32_t deposit = in.u32();
    if (!server.admitRegistration()) {
        sendError(cmdRegister, packetId, errUnsupported, "Too many registrations, please try again later");
        return;
    }
    std::string newPassword;
    const Outcome r = server.book().registerAccount(name, email, group, deposit, newPassword);
    if (r.error != errOk) {
        sendError(cmdRegister, packetId, r.error);
        return;
    }
    // The client goes on with its start-up requests on this connection.
    server.claim(r.id, this);
    accountId = r.id;
    password = newPassword;
    sessionId = 0;
    state = State::Ready;
    Bytes data;
    putU32(data, r.id);
    putU8(data, uint8_t(newPassword.size()));
    data.insert(data.end(), newPassword.begin(), newPassword.end());
    sendReply(cmdRegister, packetId, errOk, data);
}

void Session::answerTrade(uint8_t code, uint16_t packetId, const Outcome &result, const Requote &request)
{
    if (result.error == errRequote) {
        requote = request;
        requote.price = result.requotePrice;
        requote.since.start();
        requotePending = true;
        Bytes data;
        putU32(data, uint32_t(result.requotePrice));
        sendReply(code, packetId, errRequote, data);
        return;
    }
    if (result.error != errOk)
        sendError(code, packetId, result.error);
    else
        sendReply(code, packetId, errOk, {});
}

void Session::confirmPrice(uint16_t packetId, uint32_t answer)
{
    if (!requotePending) {
        sendError(cmdConfirmPrice, packetId, errNotFound);
        return;
    }
    requotePending = false;
    if (requote.since.elapsed() > qint64(server.options().confirmSeconds) * 1000) {
        sendError(cmdConfirmPrice, packetId, errConfirmTimeout);
        return;
    }
    if (answer != 1) {
        sendError(cmdConfirmPrice, packetId, errPriceChanged);
        return;
    }
    AccountBook &book = server.book();
    Outcome r;
    switch (requote.code) {
    case cmdPlace:
        r = book.openMarket(accountId, requote.instrument, requote.type, requote.lots, requote.stopLoss,
                            requote.takeProfit, requote.price, false);
        break;
    case cmdClosePosition:
        r = book.closePosition(accountId, requote.id, requote.lots, requote.price, false);
        break;
    default:
        r = book.reversePosition(accountId, requote.id, requote.price, requote.additional, false);
        break;
    }
    answerTrade(cmdConfirmPrice, packetId, r, requote);
}

void Session::handleCommand(uint8_t code, uint16_t packetId, PacketReader &in)
{
    AccountBook &book = server.book();
    const Market &market = server.market();
    switch (code) {
    case cmdLogin:
    case cmdLoginConfirm:
    case cmdRegister:
        sendError(code, packetId, errUnsupported);
        return;
    case cmdGetInstruments: {
        Bytes records;
        for (const Instrument &i : market.instruments())
            putInstrument(records, i);
        sendList(code, packetId, InstrumentRecordSize, records);
        return;
    }
    case cmdGetOrders: {
        Bytes records;
        for (const Order *o : book.orders(accountId))
            putOrder(records, *o);
        sendList(code, packetId, OrderRecordBytes, records);
        return;
    }
    case cmdGetPositions: {
        Bytes records;
        for (const Position *p : book.positions(accountId))
            putPosition(records, *p);
        sendList(code, packetId, PositionRecordBytes, records);
        return;
    }
    case cmdPlace: {
        in.skip(5);
        Requote r;
        r.code = cmdPlace;
        r.instrument = in.u16();
        in.u8();  // side: the type decides it
        r.type = in.u8();
        in.skip(8);
        r.lots = in.u8();
        r.takeProfit = in.i32();
        r.stopLoss = in.i32();
        const int32_t price = in.i32();
        requotePending = false;
        if (r.type == 1 || r.type == 6)
            answerTrade(code, packetId,
                        book.openMarket(accountId, r.instrument, r.type, r.lots, r.stopLoss, r.takeProfit, price,
                                        true),
                        r);
        else
            answerTrade(code, packetId,
                        book.placePending(accountId, r.instrument, r.type, r.lots, r.stopLoss, r.takeProfit, price),
                        r);
        return;
    }
    case cmdGetPosition: {
        const Position *p = book.position(accountId, in.u32());
        if (!p)
            return sendError(code, packetId, errNotFound);
        Bytes data;
        putPosition(data, *p);
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdChangePosition: {
        const uint32_t id = in.u32();
        in.skip(24);
        const int32_t takeProfit = in.i32();
        const int32_t stopLoss = in.i32();
        answerTrade(code, packetId, book.changePosition(accountId, id, stopLoss, takeProfit), Requote{});
        return;
    }
    case cmdGetOrder: {
        const Order *o = book.order(accountId, in.u32());
        if (!o)
            return sendError(code, packetId, errNotFound);
        Bytes data;
        putOrder(data, *o);
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdChangeOrder: {
        const uint32_t id = in.u32();
        in.skip(14);
        const int32_t takeProfit = in.i32();
        const int32_t stopLoss = in.i32();
        const int32_t price = in.i32();
        answerTrade(code, packetId, book.changeOrder(accountId, id, price, stopLoss, takeProfit), Requote{});
        return;
    }
    case cmdDeleteOrder:
        answerTrade(code, packetId, book.deleteOrder(accountId, in.u32()), Requote{});
        return;
    case cmdGetAccount: {
        Bytes data;
        putI32(data, int32_t(std::clamp<int64_t>(book.balance(accountId), INT32_MIN, INT32_MAX)));
        putI32(data, int32_t(std::clamp<int64_t>(book.usedMargin(accountId), INT32_MIN, INT32_MAX)));
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdGetAccountHistory: {
        Bytes records;
        for (const AccountHistoryEntry &h : book.accountHistory(accountId, in.u32()))
            putAccountHistory(records, h);
        sendList(code, packetId, AccountHistoryRecordSize, records);
        return;
    }
    case cmdGetHistoryBars: {
        const uint16_t instrument = in.u16();
        in.u8();
        const uint8_t timeframe = in.u8();
        const uint32_t from = in.u32();
        const uint32_t to = in.u32();
        if (!market.find(instrument) || timeframeLength(timeframe) == 0)
            return sendError(code, packetId, errNotFound);
        Bytes records;
        for (const Bar &b : market.bars(instrument, timeframe, from, to, 5000, size_t(server.options().historyBars)))
            putBar(records, b);
        sendList(code, packetId, BarRecordSize, records);
        return;
    }
    case cmdGetSysVariables: {
        Bytes data;
        putU32(data, server.nowMinutes());
        putU32(data, uint32_t(book.settings().lotSize));
        putU32(data, uint32_t(book.settings().leverage));
        data.insert(data.end(), book.settings().spread.begin(), book.settings().spread.end());
        putShortString(data, book.title(), TitleCapacity);
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdClosePosition: {
        Requote r;
        r.code = cmdClosePosition;
        r.id = in.u32();
        r.lots = in.u8();
        const int32_t price = in.i32();
        requotePending = false;
        answerTrade(code, packetId, book.closePosition(accountId, r.id, r.lots, price, true), r);
        return;
    }
    case cmdGroupOrders: {
        const uint8_t group = in.u8();
        const uint16_t count = in.u16();
        std::vector<uint32_t> ids;
        for (uint16_t k = 0; k < count; ++k)
            ids.push_back(in.u32());
        answerTrade(code, packetId, book.groupOrders(accountId, group, ids), Requote{});
        return;
    }
    case cmdGetOrderHistory: {
        Bytes records;
        for (const OrderHistoryEntry &h : book.orderHistory(accountId, in.u32()))
            putOrderHistory(records, h);
        sendList(code, packetId, OrderHistoryRecordSize, records);
        return;
    }
    case cmdConfirmPrice:
        confirmPrice(packetId, in.u32());
        return;
    case cmdReversePosition: {
        Requote r;
        r.code = cmdReversePosition;
        r.id = in.u32();
        const int32_t price = in.i32();
        r.additional = in.i32();
        requotePending = false;
        answerTrade(code, packetId, book.reversePosition(accountId, r.id, price, r.additional, true), r);
        return;
    }
    case cmdGetMessageIds:
    case cmdGetMailIds: {
        Bytes records;
        const std::vector<uint32_t> ids =
            code == cmdGetMailIds ? book.unconfirmedMail(accountId) : book.unconfirmedMessages(accountId);
        for (uint32_t id : ids)
            putU32(records, id);
        sendList(code, packetId, 4, records);
        return;
    }
    case cmdGetMessage: {
        const ChatMessage *m = book.message(accountId, in.u32());
        if (!m)
            return sendError(code, packetId, errNotFound);
        Bytes data;
        putMessage(data, *m);
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdGetMail: {
        const Mail *m = book.mail(accountId, in.u32());
        if (!m)
            return sendError(code, packetId, errNotFound);
        Bytes data;
        putMail(data, *m);
        sendReply(code, packetId, errOk, data);
        return;
    }
    case cmdSendMessage: {
        in.u32();
        const double date = in.f64();
        const uint16_t n = in.u16();
        const QByteArray text = in.bytes(std::min<size_t>(n, AccountBook::MaxMessageText));
        const uint32_t id = book.receiveMessage(accountId, text.toStdString(), date);
        Bytes data;
        putU32(data, id);
        putU32(data, server.nowMinutes());
        sendReply(code, packetId, errOk, data);
        book.sendMessage(accountId, "Thank you for your message. This is the demo dealer's automatic answer: "
                                    "a dealer will read it shortly.");
        return;
    }
    case cmdMessageRead:
        book.confirmMessage(accountId, in.u32());
        return;
    case cmdMailRead:
        book.confirmMail(accountId, in.u32());
        return;
    default:
        sendError(code, packetId, errUnsupported);
        return;
    }
}
