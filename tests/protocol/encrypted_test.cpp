#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <atomic>

#include "commands.h"
#include "connectthread.h"
#include "dispatcher.h"
#include "forexexception.h"
#include "keyfile.h"
#include "keyfiles.h"
#include "keyrecord.h"
#include "languagetables.h"
#include "rsablocks.h"
#include "rsapacket.h"
#include "scriptedserver.h"
#include "testapp.h"

namespace {

// Records status texts and counts connected notices.
class Listener : public QObject {
public:
    bool event(QEvent *e) override
    {
        const int type = int(e->type());
        if (type == WM_STATUS)
            statuses.push_back(static_cast<TThreadEvent *>(e)->Text);
        else if (type == WM_CONNECTED)
            ++connects;
        else if (type == WM_DISCONNECTED)
            ++disconnects;
        else
            return QObject::event(e);
        return true;
    }
    std::vector<QString> statuses;
    int connects = 0;
    int disconnects = 0;
};

// The dealer's side of an encrypted account.
struct DealerKey {
    explicit DealerKey(const RsaKeyPair &p) : pair(p) {}
    std::vector<uint8_t> encrypt(const std::vector<uint8_t> &plain) const
    {
        return RsaEncrypt(plain, pair.serverExponent, pair.modulus);
    }
    // The packet's bytes 5..end in plain, when it arrived encrypted.
    std::optional<TPacketBuffer> decrypt(const TPacketBuffer &packet) const
    {
        if (!(packet[hdr::Flags] & pfRsa))
            return std::nullopt;
        std::vector<uint8_t> plain =
            RsaDecrypt(std::vector<uint8_t>(packet.begin() + 5, packet.end()), pair.serverExponent, pair.modulus);
        TPacketBuffer out(packet.begin(), packet.begin() + 5);
        out.insert(out.end(), plain.begin(), plain.end());
        return out;
    }
    TPacketBuffer reply(const TPacketBuffer &command, std::vector<uint8_t> data) const
    {
        TPacketBuffer r = NewPacketBuffer(int(data.size()) + 1);
        r[hdr::Flags] = pfReply;
        PutU16(&r[hdr::SessionId], 9);
        PutU16(&r[hdr::PacketId], GetU16(&command[hdr::PacketId]));
        r[hdr::Code] = command[hdr::Code];
        std::copy(data.begin(), data.end(), r.begin() + hdr::ReplyData);
        return r;
    }
    RsaKeyPair pair;
};

class EncryptedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        SetEnglish(true);
        ASSERT_TRUE(dir.isValid());
        thread.SetReceiver(&listener);
        thread.SetDispatcher(&dispatcher);
        thread.SetServerList(QStringLiteral("127.0.0.1"));
    }
    void TearDown() override
    {
        thread.SetReceiver(nullptr);
        thread.Terminate();
    }
    TKeyRecord clientKey(const RsaKeyPair &pair)
    {
        const QString path = dir.filePath(QStringLiteral("client.prk"));
        writeClientKeyFile(path.toStdString(), pair);
        return LoadKeyFile(path);
    }

    QTemporaryDir dir;
    Listener listener;
    TDispCmdRply dispatcher;
    TConnectThread thread;
};

// Logs in encrypted: 101 in plain, every answer as ciphertext.
bool EncryptedLogin(ScriptedServer::Connection &c, const DealerKey &key, std::atomic<bool> &confirmWasCipher)
{
    auto login = c.readPacket();
    if (!login || (*login)[hdr::Flags] & pfRsa)
        return false;
    c.sendPacket(key.reply(*login, {0}), [&](const auto &p) { return key.encrypt(p); });
    auto confirm = c.readPacket();
    if (!confirm)
        return false;
    auto plain = key.decrypt(*confirm);
    confirmWasCipher = plain.has_value();
    if (!plain || (*plain)[hdr::Code] != cmdLoginConfirm) {
        c.sendPacket(key.reply(*confirm, {1}), [&](const auto &p) { return key.encrypt(p); });
        return false;
    }
    c.sendPacket(key.reply(*plain, {0}), [&](const auto &p) { return key.encrypt(p); });
    return true;
}

} // namespace

TEST_F(EncryptedTest, LoginAndEncryptedRepliesBothWays)
{
    const DealerKey key(generateKeyPair(240, 11));
    std::atomic<bool> confirmWasCipher{false}, getPositionsWasCipher{false};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        if (!EncryptedLogin(c, key, confirmWasCipher))
            return;
        auto request = c.readPacket();
        if (!request)
            return;
        auto plain = key.decrypt(*request);
        getPositionsWasCipher = plain && (*plain)[hdr::Code] == cmdGetPositions;
        if (!plain)
            return;
        c.sendPacket(key.reply(*plain, {2, 0, 0xAB, 0xCD}), [&](const auto &p) { return key.encrypt(p); });
        // The same reply in plain must be refused.
        c.sendPacket(key.reply(*plain, {0, 0, 0}));
        c.readPacket(10000);
    });
    thread.SetPort(server.port());
    thread.StartLogin(1002, QStringLiteral("demo"), clientKey(key.pair));
    ASSERT_TRUE(WaitUntil([&] { return listener.connects == 1; }));
    EXPECT_TRUE(thread.Encrypted());
    EXPECT_TRUE(confirmWasCipher.load());

    TCommandPtr request = NewCommand(cmdGetPositions, 0);
    request->SetId(thread.NextPacketId());
    dispatcher.PushOutgoing(std::move(request));
    ASSERT_TRUE(WaitUntil([&] { return dispatcher.ReceivedCount() >= 1; }));
    TPacketPtr reply = dispatcher.PopReceived();
    EXPECT_TRUE(getPositionsWasCipher.load());
    EXPECT_EQ(reply->Code, cmdGetPositions);
    ASSERT_EQ(reply->Size, 15u);
    EXPECT_EQ(reply->Buffer[13], 0xAB);
    EXPECT_EQ(reply->Flags() & pfRsa, 0);

    const QString refused = QStringLiteral("expected rsa crypted packet");
    ASSERT_TRUE(WaitUntil([&] {
        return std::find(listener.statuses.begin(), listener.statuses.end(), refused) != listener.statuses.end();
    }));
    ASSERT_TRUE(WaitUntil([&] { return listener.disconnects == 1 && !thread.Connected(); }));
    EXPECT_FALSE(thread.Encrypted());
    EXPECT_EQ(dispatcher.ReceivedCount(), 0u);
}

TEST_F(EncryptedTest, WrongKeyFailsCleanly)
{
    const DealerKey key(generateKeyPair(240, 21));
    const RsaKeyPair other = generateKeyPair(240, 22);
    std::atomic<bool> ignored{false};
    std::atomic<bool> done{false};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        EncryptedLogin(c, key, ignored);
        done = true;
    });
    thread.SetPort(server.port());
    thread.StartLogin(1002, QStringLiteral("demo"), clientKey(other));
    ASSERT_TRUE(WaitUntil([&] { return done.load() && !thread.Busy() && thread.Mode() == 0; }));
    EXPECT_EQ(listener.connects, 0);
    ASSERT_FALSE(listener.statuses.empty());
    EXPECT_FALSE(listener.statuses.back().isEmpty());
}

TEST_F(EncryptedTest, AKeyRecordWithoutAUsableModulusIsTakenAsNoKey)
{
    // Junk (82 bytes of text: the modulus decodes to zero), an even modulus,
    // an exponent without a modulus.
    const QString junk = dir.filePath(QStringLiteral("junk.prk"));
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1, 3) + QByteArray(81, 'a'));
    file.close();
    TKeyRecord exponentOnly{2, '=', 'y'};
    const std::vector<TKeyRecord> keys{LoadKeyFile(junk), makeKeyRecord(fgFromUint64(17), fgFromUint64(3234)),
                                       exponentOnly};
    const auto idle = [&] { return WaitUntil([&] { return !thread.Busy() && thread.Mode() == 0; }); };
    for (size_t k = 0; k < keys.size(); ++k) {
        // The server asks for encryption: the message for a missing key.
        ScriptedServer encrypted([](ScriptedServer::Connection &c) {
            if (auto login = c.readPacket())
                c.send(cmdLogin, 1, {0}, pfReply | pfRsa);
        });
        thread.SetPort(encrypted.port());
        thread.StartLogin(1002, QStringLiteral("demo"), keys[k]);
        ASSERT_TRUE(idle());
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(listener.statuses.back(), MessageText(18)) << "key " << k;

        // A plain account with the same file selected logs in.
        ScriptedServer plain([](ScriptedServer::Connection &c) {
            if (ScriptedServer::acceptLogin(c))
                c.readPacket(10000);
        });
        thread.SetPort(plain.port());
        thread.StartLogin(1001, QStringLiteral("demo"), keys[k]);
        EXPECT_TRUE(WaitUntil([&] { return listener.connects == int(k) + 1; })) << "key " << k;
        thread.Stop();
        ASSERT_TRUE(idle());
    }
}

TEST(KeyFile, ExactSizeEmptyPathAndShortFile)
{
    EnsureTestApp();
    SetEnglish(true);
    QTemporaryDir dir;
    EXPECT_TRUE(KeyIsEmpty(LoadKeyFile(QStringLiteral("   "))));

    const QString exact = dir.filePath(QStringLiteral("exact.prk"));
    const QString shortFile = dir.filePath(QStringLiteral("short.prk"));
    QFile f(exact);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes(82, 'a');
    bytes[0] = 3;
    f.write(bytes);
    f.close();
    QFile g(shortFile);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(QByteArray(81, 'a'));
    g.close();

    TKeyRecord key = LoadKeyFile(QStringLiteral(" ") + exact + QStringLiteral(" "));
    EXPECT_EQ(key[0], 3);
    EXPECT_EQ(key[81], 'a');
    try {
        LoadKeyFile(shortFile);
        FAIL() << "a short key file was accepted";
    } catch (const EForexException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Can' read %1 file").arg(shortFile));
    }
    EXPECT_THROW(LoadKeyFile(dir.filePath(QStringLiteral("missing.prk"))), EForexException);
}

TEST(RsaPackets, EncryptOnlyWhatMustBeAndRoundTrip)
{
    const RsaKeyPair pair = generateKeyPair(64, 5);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.prk"));
    writeClientKeyFile(path.toStdString(), pair);
    const TKeyRecord key = LoadKeyFile(path);

    // 113 leaves in plain; 102 is always encrypted.
    TCommandPtr place = NewCommand(cmdPlace, 30);
    const TPacketBuffer before = place->Buffer;
    EncryptPacket(*place, key);
    EXPECT_EQ(place->Buffer, before);

    TCommandPtr confirm = NewLoginCommand(cmdLoginConfirm, 1002, QStringLiteral("demo"));
    confirm->SetId(2);
    const TPacketBuffer plain = confirm->Buffer;
    EncryptPacket(*confirm, key);
    EXPECT_TRUE(confirm->Flags() & pfRsa);
    EXPECT_EQ(confirm->Size, confirm->Buffer.size());
    EXPECT_EQ(confirm->PayloadLength() + 10u, confirm->Size);

    // The dealer's answer decrypts back on the client.
    TUserReply reply(0);
    reply.Buffer = confirm->Buffer;
    std::vector<uint8_t> tail(plain.begin() + 5, plain.end());
    std::vector<uint8_t> cipher = RsaEncrypt(tail, pair.serverExponent, pair.modulus);
    reply.Buffer.resize(5);
    reply.Buffer.insert(reply.Buffer.end(), cipher.begin(), cipher.end());
    DecryptPacket(reply, key);
    EXPECT_EQ(std::vector<uint8_t>(reply.Buffer.begin() + 5, reply.Buffer.end()), tail);
    EXPECT_EQ(reply.Flags() & pfRsa, 0);
    EXPECT_EQ(reply.Size, plain.size());

    // A 130 packet is never required to be encrypted; a plain 109 reply is refused.
    TUserReply bars(0);
    bars.Buffer = NewPacketBuffer(1);
    bars.Buffer[hdr::Flags] = pfReply;
    bars.Buffer[hdr::Code] = cmdGetHistoryBars;
    EXPECT_NO_THROW(DecryptPacket(bars, key));
    bars.Buffer[hdr::Code] = cmdGetPositions;
    EXPECT_THROW(DecryptPacket(bars, key), EForexException);
}
