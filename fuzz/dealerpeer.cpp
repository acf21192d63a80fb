#include "dealerpeer.h"

#include <cstdio>

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpSocket>

#include "commands.h"
#include "keyfile.h"
#include "rsapacket.h"
#include "server.h"

DealerPeer::DealerPeer() = default;

DealerPeer::~DealerPeer() { stop(); }

bool DealerPeer::PumpUntil(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > WaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void DealerPeer::stop()
{
    socket.reset();
    server.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!dataDir.isEmpty())
        QDir(dataDir).removeRecursively();
    dataDir.clear();
}

bool DealerPeer::Start(const QString &dir)
{
    stop();
    dataDir = dir;
    DealerOptions options;
    options.port = 0;
    options.seed = 7;
    options.seedGiven = true;
    options.ticksPerSecond = 0;
    options.registrationsPerSecond = 1000;
    server = std::make_unique<DealerServer>(options, dataDir.toStdString());
    // The server's start report would drown the fuzzer's.
    std::fflush(stdout);
    const int out = dup(STDOUT_FILENO);
    const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    std::string error;
    const bool started = server->start(error);
    std::fflush(stdout);
    if (quiet) {
        dup2(out, STDOUT_FILENO);
        close(out);
    }
    if (!started) {
        std::fprintf(stderr, "dealer: %s\n", error.c_str());
        return false;
    }
    encryptedKey = LoadKeyFile(QDir(dataDir).filePath(QStringLiteral("1002.prk")));
    return true;
}

bool DealerPeer::Connect()
{
    socket = std::make_unique<QTcpSocket>();
    Wire.clear();
    parsed = 0;
    SessionId = 0;
    Encrypted = false;
    const size_t before = server->sessionCount();
    socket->connectToHost(QStringLiteral("127.0.0.1"), server->port());
    return PumpUntil([&] {
        return server->sessionCount() > before && socket->state() == QAbstractSocket::ConnectedState;
    });
}

void DealerPeer::Send(TUserCommand &command)
{
    PutU16(&command.Buffer[hdr::SessionId], SessionId);
    if (Encrypted)
        EncryptPacket(command, encryptedKey);
    Scramble(command.Buffer);
    command.SyncSize();
    SendRaw(command.Buffer);
}

void DealerPeer::SendRaw(std::span<const uint8_t> bytes)
{
    socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
}

TPacketPtr DealerPeer::Receive()
{
    const auto whole = [this] {
        Wire += socket->readAll();
        const qsizetype left = Wire.size() - parsed;
        const auto *head = reinterpret_cast<const uint8_t *>(Wire.constData() + parsed);
        return left >= 5 && left >= qsizetype(GetU16(head + hdr::PayloadLength)) + PacketHeaderSize;
    };
    if (!PumpUntil([&] { return whole() || socket->state() != QAbstractSocket::ConnectedState; }) || !whole())
        return nullptr;
    const auto *head = reinterpret_cast<const uint8_t *>(Wire.constData() + parsed);
    if (!IsValidHeader(head))
        return nullptr;
    TPacketPtr packet = CreatePacketFromHeader(head);
    std::copy(head + 5, head + packet->Buffer.size(), packet->Buffer.begin() + 5);
    parsed += qsizetype(packet->Buffer.size());
    Descramble(packet->Buffer);
    // The first encrypted reply makes the session an encrypted one.
    if (packet->Flags() & pfRsa)
        Encrypted = true;
    if (Encrypted)
        DecryptPacket(*packet, encryptedKey);
    packet->ReadHeader();
    return packet;
}

bool DealerPeer::AwaitReply(uint8_t code, uint16_t id)
{
    try {
        while (TPacketPtr packet = Receive())
            if (packet->Code == code && packet->Id == id && !(packet->Flags() & pfCommand)
                && !(packet->Flags() & (pfFirst | pfMiddle)))
                return true;
    } catch (const std::exception &) {
    }
    return false;
}

bool DealerPeer::Login(uint32_t account)
{
    for (uint8_t code : {cmdLogin, cmdLoginConfirm}) {
        TCommandPtr command = NewLoginCommand(code, account, QStringLiteral("demo"));
        command->SetId(code == cmdLogin ? 1 : 2);
        Send(*command);
        TPacketPtr reply;
        try {
            reply = Receive();
        } catch (const std::exception &) {
            return false;
        }
        const auto *r = dynamic_cast<const TUserReply *>(reply.get());
        if (!r || !r->IsOk() || r->Code != code)
            return false;
        if (code == cmdLogin)
            SessionId = reply->SessionId();
    }
    return true;
}

bool DealerPeer::Disconnect()
{
    if (!socket)
        return true;
    socket->abort();
    socket.reset();
    return PumpUntil([&] { return server->sessionCount() == 0; });
}
