// The server against hostile and careless clients: replayed logins, password
// guessing, floods, idle connections, bulk registration, a second server on
// the same data, and who may read its files.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dealerharness.h"
#include "keyfile.h"
#include "testapp.h"

namespace {

// A man in the middle on loopback: passes one connection through to the
// server and keeps a copy of everything the client sent.
class RecordingRelay {
public:
    explicit RecordingRelay(int serverPort) : target(serverPort)
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(listener, 1);
        socklen_t len = sizeof addr;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len);
        listenPort = ntohs(addr.sin_port);
        worker = std::thread([this] { run(); });
    }
    ~RecordingRelay()
    {
        stopping = true;
        worker.join();
        ::close(listener);
    }
    int port() const { return listenPort; }
    // The whole frames the client sent, as they went over the wire.
    std::vector<std::vector<uint8_t>> frames()
    {
        std::lock_guard lock(mutex);
        std::vector<std::vector<uint8_t>> out;
        size_t at = 0;
        while (recorded.size() - at >= 5) {
            const size_t total = size_t(recorded[at + 2] | recorded[at + 3] << 8) + 10;
            if (recorded.size() - at < total)
                break;
            out.emplace_back(recorded.begin() + long(at), recorded.begin() + long(at + total));
            at += total;
        }
        return out;
    }

private:
    void run()
    {
        int client = -1;
        while (!stopping && client < 0) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
                client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (client < 0)
            return;
        const int server = ConnectLoopback(target);
        uint8_t buffer[4096];
        while (!stopping) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(p, 2, 50) <= 0)
                continue;
            if (p[0].revents) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                std::lock_guard lock(mutex);
                recorded.insert(recorded.end(), buffer, buffer + n);
                ::send(server, buffer, size_t(n), MSG_NOSIGNAL);
            }
            if (p[1].revents) {
                const ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                ::send(client, buffer, size_t(n), MSG_NOSIGNAL);
            }
        }
        ::close(client);
        ::close(server);
    }

    int target;
    int listener = -1;
    int listenPort = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::vector<uint8_t> recorded;
    std::thread worker;
};

std::vector<uint8_t> registration(uint32_t deposit)
{
    const TCommandPtr c = NewRegisterCommand("Bulk", "bulk@example.com", 0, deposit);
    return std::vector<uint8_t>(c->Buffer.begin() + hdr::Data, c->Buffer.end());
}

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

using DealerDefence = DealerTest;

TEST_F(DealerDefence, AReplayedEncryptedLoginIsRefused)
{
    startDealer();
    RecordingRelay relay(dealer->port());
    auto victim = std::make_unique<DealerClient>(relay.port());
    ASSERT_TRUE(victim->login(1002, "demo", LoadKeyFile(dir.filePath("1002.prk"))));
    const std::vector<std::vector<uint8_t>> captured = relay.frames();
    ASSERT_GE(captured.size(), 2u);  // the login and its confirmation
    victim.reset();

    RawClient attacker(dealer->port());
    attacker.sendBytes(captured[0]);
    // The first step passes: the password in it is only scrambled.
    ASSERT_TRUE(attacker.readReply().has_value());
    attacker.sendBytes(captured[1]);
    const auto second = attacker.readReply();
    EXPECT_TRUE(!second || ErrorOf(*second) == 1);
    EXPECT_TRUE(attacker.closedByServer());
    // The account is not left held by the failed attempt.
    EXPECT_TRUE(connect(1002, "demo", LoadKeyFile(dir.filePath("1002.prk")))->session.LoggedIn());
}

TEST_F(DealerDefence, PasswordGuessesEndTheConnectionAndLockTheAccount)
{
    startDealer();
    const std::vector<uint8_t> wrong = [] {
        const TCommandPtr c = NewLoginCommand(cmdLogin, 1001, "guess");
        return std::vector<uint8_t>(c->Buffer.begin() + hdr::Data, c->Buffer.end());
    }();
    std::vector<uint8_t> wrongAnswer;
    int failures = 0;
    for (int connection = 0; connection < 4 && failures < 10; ++connection) {
        RawClient guesser(dealer->port());
        for (int k = 0; k < 3 && failures < 10; ++k, ++failures) {
            guesser.sendCommand(cmdLogin, 1, wrong);
            const auto reply = guesser.readReply();
            ASSERT_TRUE(reply.has_value()) << "guess " << failures;
            ASSERT_EQ(ErrorOf(*reply), 1);
            wrongAnswer = DataOf(*reply);
        }
        if (failures % 3 == 0) {
            // The fourth guess on a connection finds it closed.
            guesser.sendCommand(cmdLogin, 1, wrong);
            EXPECT_FALSE(guesser.readReply(2000).has_value());
            EXPECT_TRUE(guesser.closedByServer());
        }
    }
    // Ten failures within the minute: the right password is refused exactly
    // like a wrong one, and other accounts are not affected.
    RawClient owner(dealer->port());
    const TCommandPtr right = NewLoginCommand(cmdLogin, 1001, "demo");
    owner.sendCommand(cmdLogin, 1, std::vector<uint8_t>(right->Buffer.begin() + hdr::Data, right->Buffer.end()));
    const auto refused = owner.readReply();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(ErrorOf(*refused), 1);
    EXPECT_EQ(DataOf(*refused), wrongAnswer);
    uint32_t account = 0;
    QString password;
    {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Other", "other@example.com", 1000, account, password));
    }
    EXPECT_TRUE(RawClient(dealer->port()).login(account, password));
}

// A client that floods chat messages gets a few commands per turn; a
// trader's request beside it is answered long before the flood is through.
TEST_F(DealerDefence, AFloodingClientDoesNotStallATrader)
{
    startDealer();
    uint32_t account = 0;
    QString password;
    {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Flood", "flood@example.com", 1000, account, password));
    }
    RawClient trader(dealer->port());
    ASSERT_TRUE(trader.login(1001, "demo"));
    RawClient flooder(dealer->port());
    ASSERT_TRUE(flooder.login(account, password));
    constexpr int Flood = 2000;
    const TCommandPtr chat = NewSendMessageCommand(QString(20, 'x'), 46000.0);
    const std::vector<uint8_t> payload(chat->Buffer.begin() + hdr::Data, chat->Buffer.end());
    for (int k = 0; k < Flood; ++k)
        flooder.sendCommand(cmdSendMessage, uint16_t(k + 3), payload);
    trader.sendCommand(cmdGetAccount, 3, {});
    const auto answer = trader.readReply();
    ASSERT_TRUE(answer.has_value());
    ASSERT_EQ(ErrorOf(*answer), 0);
    QString listed;
    ASSERT_TRUE(dealer->admin({"list-messages", QString::number(account)}, &listed));
    const qsizetype stored = listed.count("from-trader");
    std::printf("chat messages stored before the trader's answer: %d of %d\n", int(stored), Flood);
    EXPECT_LT(stored, Flood / 2) << "chat messages stored before the trader was answered";
}

TEST_F(DealerDefence, IdleConnectionsNeitherKeepClientsOutNorStay)
{
    startDealer({"--ticks-per-second", "0", "--handshake-seconds", "2"});
    std::vector<int> idle;
    for (int k = 0; k < 1000; ++k) {
        const int fd = ConnectLoopback(dealer->port());
        ASSERT_GE(fd, 0) << "connection " << k;
        idle.push_back(fd);
    }
    auto trader = connect();
    EXPECT_TRUE(trader->session.LoggedIn());
    // The oldest idle connections made room; the rest go after the handshake time.
    RawClient late(dealer->port());
    EXPECT_TRUE(late.closedByServer(10000));
    int open = 0;
    for (int fd : idle) {
        char byte;
        open += ::recv(fd, &byte, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN;
        ::close(fd);
    }
    EXPECT_EQ(open, 0);
    EXPECT_TRUE(trader->session.LoggedIn());
}

TEST_F(DealerDefence, RegistrationsAreLimited)
{
    startDealer();
    {
        RawClient rich(dealer->port());
        rich.sendCommand(cmdRegister, 1, registration(1000000));
        const auto reply = rich.readReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_NE(ErrorOf(*reply), 0);
        // One registration per connection.
        rich.sendCommand(cmdRegister, 2, registration(1000));
        EXPECT_TRUE(rich.closedByServer());
    }
    int made = 0, refused = 0;
    for (int k = 0; k < 12; ++k) {
        RawClient bulk(dealer->port());
        bulk.sendCommand(cmdRegister, 1, registration(5000));
        const auto reply = bulk.readReply();
        ASSERT_TRUE(reply.has_value());
        if (ErrorOf(*reply) == 0) {
            ++made;
            continue;
        }
        ++refused;
        const std::vector<uint8_t> text = DataOf(*reply);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(std::string(text.begin() + 1, text.end()), "Too many registrations, please try again later");
    }
    EXPECT_GE(made, 4);
    EXPECT_GE(refused, 1);
}

TEST_F(DealerDefence, OneServerPerDataDirectoryAndOwnerOnlyFiles)
{
    startDealer();
    EXPECT_EQ(modeOf(dir.path()), 0700);
    EXPECT_EQ(modeOf(dir.filePath("dealer.db")), 0600);
    EXPECT_EQ(modeOf(dir.filePath("1002.prk")), 0600);

    DealerProcess second(dir.path());
    EXPECT_FALSE(second.start());
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.output().contains("another kelvra-dealer is running")) << second.output().toStdString();
    EXPECT_EQ(connect()->session.LoggedIn(), true);

    // Files made readable by someone else are restricted again at the next start.
    ASSERT_TRUE(dealer->stop());
    ::chmod(dir.filePath("dealer.db").toLocal8Bit().constData(), 0644);
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);
    startDealer();
    EXPECT_EQ(modeOf(dir.filePath("dealer.db")), 0600);
    EXPECT_EQ(modeOf(dir.path()), 0700);
    QString printed;
    EXPECT_TRUE(WaitUntil([&] {
        printed += dealer->output();
        return printed.contains("restricted to the owner: " + dir.filePath("dealer.db"));
    }));
}

// Several clients at once sending random commands, doubles that are no
// numbers included: the server stays up and every reply is a proper reply.
TEST_F(DealerDefence, RandomCommandSoak)
{
    startDealer({"--ticks-per-second", "10"});
    std::vector<std::pair<uint32_t, QString>> accounts(3);
    for (auto &[account, password] : accounts) {
        DealerClient reg(dealer->port());
        ASSERT_TRUE(reg.registerAccount("Soak", "soak@example.com", 1000, account, password));
    }
    std::mt19937 random(77);
    const double odd[] = {std::nan(""), INFINITY, -INFINITY, 1e308, -0.0};
    std::vector<std::unique_ptr<RawClient>> clients;
    for (const auto &[account, password] : accounts) {
        clients.push_back(std::make_unique<RawClient>(dealer->port()));
        ASSERT_TRUE(clients.back()->login(account, password));
    }
    for (int k = 0; k < 600; ++k) {
        std::vector<uint8_t> payload(random() % 48);
        for (uint8_t &b : payload)
            b = uint8_t(random());
        if (payload.size() >= 12 && random() % 2) {
            std::memcpy(&payload[4], &odd[random() % 5], 8);
        }
        clients[size_t(k) % clients.size()]->sendCommand(uint8_t(104 + random() % 51), uint16_t(k + 3), payload);
    }
    for (auto &c : clients) {
        c->sendCommand(cmdGetAccount, 999, {});
        for (;;) {
            const auto reply = c->readReply(10000);
            if (!reply)
                break;  // a client the server chose to drop
            ASSERT_GE(reply->size(), size_t(hdr::Data + 1));
            EXPECT_EQ((*reply)[hdr::Flags] & pfReply, pfReply);
            EXPECT_EQ(reply->size(), size_t(GetU16(&(*reply)[hdr::PayloadLength])) + PacketHeaderSize);
            if (GetU16(&(*reply)[hdr::PacketId]) == 999)
                break;
        }
    }
    EXPECT_TRUE(connect()->session.LoggedIn());
}

} // namespace
