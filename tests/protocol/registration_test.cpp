#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include <atomic>

#include "clientsession.h"
#include "commands.h"
#include "languagetables.h"
#include "scriptedserver.h"
#include "testapp.h"
#include "wiretext.h"

namespace {

struct EnglishApp {
    EnglishApp()
    {
        EnsureTestApp();
        SetEnglish(true);
    }
};

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { session.Thread().SetServerList(QStringLiteral("127.0.0.1")); }
    EnglishApp app;
    ClientSession session;
};

} // namespace

TEST_F(RegistrationTest, NewAccountArrivesAndTheSessionStarts)
{
    std::atomic<uint32_t> group{0}, deposit{0};
    std::atomic<int> nameLength{0};
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        auto request = c.readPacket();
        if (!request || (*request)[hdr::Code] != cmdRegister)
            return;
        const uint8_t *d = &(*request)[hdr::Data];
        nameLength = d[0];
        group = GetU32(d + 122);
        deposit = GetU32(d + 126);
        std::vector<uint8_t> data{0x39, 0x30, 0, 0, 6};  // account 12345, password "s3cret"
        for (char ch : std::string("s3cret"))
            data.push_back(uint8_t(ch));
        c.sendReply(*request, 0, data);
        c.readPacket(10000);
    });
    session.Thread().SetPort(server.port());
    QSignalSpy done(&session, &ClientSession::registrationDone);
    session.Register(QString(50, QLatin1Char('n')), QStringLiteral("ann@example.com"), 5000, 2);
    ASSERT_TRUE(WaitUntil([&] { return done.size() == 1 && session.LoggedIn(); }));
    EXPECT_EQ(done.at(0).at(0).toUInt(), 12345u);
    EXPECT_EQ(done.at(0).at(1).toString(), QStringLiteral("s3cret"));
    EXPECT_EQ(session.SavedAccount(), 12345u);
    EXPECT_EQ(session.Thread().RegPassword(), QStringLiteral("s3cret"));
    EXPECT_EQ(nameLength.load(), 40);
    EXPECT_EQ(group.load(), 2u);
    EXPECT_EQ(deposit.load(), 5000u);
}

TEST_F(RegistrationTest, RefusalShowsTheCodeAndText)
{
    ScriptedServer server([](ScriptedServer::Connection &c) {
        if (auto request = c.readPacket())
            c.sendReply(*request, 2, {4, 'b', 'u', 's', 'y'});
    });
    session.Thread().SetPort(server.port());
    QSignalSpy done(&session, &ClientSession::registrationDone);
    session.Register(QStringLiteral("Ann"), QStringLiteral("a@b.c"), 100, 0);
    const QString expected = QStringLiteral("Error code: 2 User the same name already exist in system");
    ASSERT_TRUE(WaitUntil([&] { return session.PanelText(ClientSession::PanelStatus) == expected; }));
    EXPECT_EQ(done.size(), 0);
    EXPECT_FALSE(session.LoggedIn());
}
