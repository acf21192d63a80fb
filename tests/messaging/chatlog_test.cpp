#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "chatlog.h"
#include "clientsession.h"
#include "commands.h"
#include "languagetables.h"
#include "messagefiles.h"
#include "widgetapp.h"

namespace {

QByteArray le32(qint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); }
QByteArray le64(double v) { return QByteArray(reinterpret_cast<const char *>(&v), 8); }
QByteArray counted(const QByteArray &b) { return le32(qint32(b.size())) + b; }

// A good reply of a code with its data after the error byte.
TUserReply reply(uint8_t code, const QByteArray &data, uint8_t error = 0)
{
    TUserReply r(code);
    r.Buffer.assign(size_t(hdr::ReplyData), 0);
    r.Buffer[hdr::Flags] = pfReply;
    r.Buffer[hdr::Code] = code;
    r.Buffer[hdr::Data] = error;
    r.Buffer.insert(r.Buffer.end(), data.begin(), data.end());
    r.ErrorCode = error;
    return r;
}

QByteArray messageRecord(quint32 id, double date, const QByteArray &text)
{
    const quint16 n = quint16(text.size());
    return le32(qint32(id)) + le64(date) + QByteArray(reinterpret_cast<const char *>(&n), 2) + text;
}

class ChatLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        SetEnglish(true);
        log.DataDir = dir.path();
        QObject::connect(&log, &TChatLog::chatAppended, [this](const TMessageItem &m) { chat << m.Text; });
        QObject::connect(&log, &TChatLog::historyAppended, [this](const TMessageItem &m) { history << m.Text; });
        QObject::connect(&log, &TChatLog::cleared, [this] { chat.clear(), history.clear(); });
    }
    QTemporaryDir dir;
    ClientSession session;
    TChatLog log{session};
    QList<QByteArray> chat, history;
};

} // namespace

TEST_F(ChatLogTest, FileLayoutAndLoadRules)
{
    log.LoadMessages(1001);
    log.AddMessage(10, "hi\r\nthere", true, 100.5);
    log.AddMessage(11, QByteArray("\x98", 1), false, 101.0);
    log.SaveMessages();
    QFile file(log.FilePath(1001));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray expected = le32(2) + le32(10) + QByteArray(1, 1) + le64(100.5) + counted("Administrator")
                                + counted("hi\r\nthere") + le32(11) + QByteArray(1, 0) + le64(101.0)
                                + counted("Account #0") + counted(QByteArray("\x98", 1));
    EXPECT_EQ(file.readAll(), expected);

    // Account 0 and the same account change nothing; Sending ends always.
    log.SetSending(true);
    log.LoadMessages(0);
    EXPECT_FALSE(log.Sending());
    log.LoadMessages(1001);
    EXPECT_EQ(chat.size(), 2);

    // Another account clears both; back again, the file fills the history only.
    log.LoadMessages(1002);
    EXPECT_TRUE(chat.isEmpty() && history.isEmpty());
    log.LoadMessages(1001);
    EXPECT_TRUE(chat.isEmpty());
    EXPECT_EQ(history, (QList<QByteArray>{"hi\r\nthere", QByteArray("\x98", 1)}));
    EXPECT_FALSE(log.Modified);
}

TEST_F(ChatLogTest, TruncatedFileKeepsTheMessagesBeforeTheCut)
{
    log.LoadMessages(1);
    for (int i = 1; i <= 3; ++i)
        log.AddMessage(i, QByteArray(i, 'm'), i % 2, i);
    const QByteArray whole = TChatLog::EncodeFile(log.Items);
    std::vector<qsizetype> ends;
    for (size_t n = 1; n <= 3; ++n)
        ends.push_back(TChatLog::EncodeFile({log.Items.begin(), log.Items.begin() + qsizetype(n)}).size());
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        QFile f(log.FilePath(2));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(whole.left(cut));
        f.close();
        TChatLog reader(session);
        reader.DataDir = dir.path();
        reader.LoadMessages(2);
        const size_t complete = size_t(std::count_if(ends.begin(), ends.end(), [&](qsizetype e) { return e <= cut; }));
        EXPECT_EQ(reader.Items.size(), complete) << "cut at " << cut;
        EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), LoadFailedText());
        session.ShowStatus(QString());
    }
}

TEST_F(ChatLogTest, RepliesAddConfirmAndRefuse)
{
    log.LoadMessages(5);
    int arrived = 0;
    QObject::connect(&log, &TChatLog::messageArrived, [&] { ++arrived; });
    TUserReply m = reply(cmdGetMessage, messageRecord(77, 9000.25, "a\nb"));
    log.OnMessage(&m);
    ASSERT_EQ(log.Items.size(), 1u);
    EXPECT_TRUE(log.Items[0].Incoming);
    EXPECT_EQ(log.Items[0].Date, 9000.25);
    EXPECT_EQ(arrived, 1);
    // The same id again (its receipt was lost): not added twice.
    log.OnMessage(&m);
    EXPECT_EQ(log.Items.size(), 1u);
    EXPECT_EQ(arrived, 1);
    // A text length past the packet is refused.
    TUserReply shortReply = reply(cmdGetMessage, messageRecord(78, 1, "abc").chopped(1));
    EXPECT_ANY_THROW(log.OnMessage(&shortReply));
    EXPECT_EQ(log.Items.size(), 1u);
    // An id list whose count runs past the packet requests nothing.
    TUserReply ids = reply(cmdGetMessageIds, QByteArray("\x05\x00", 2) + le32(1));
    EXPECT_ANY_THROW(log.OnMessageIds(&ids));
    // A refused send: its error text, sending over.
    log.SetSending(true);
    TUserReply refused = reply(cmdSendMessage, QByteArray(), 3);
    log.OnSendReply(&refused);
    EXPECT_FALSE(log.Sending());
    EXPECT_FALSE(session.PanelText(ClientSession::PanelStatus).isEmpty());
}

TEST(ChatTexts, LineBreaksOnTheWireAndOnScreen)
{
    EnsureWidgetApp();
    EXPECT_EQ(TChatLog::WireText(QStringLiteral("one\ntwo")), QByteArray("one\r\ntwo"));
    EXPECT_EQ(TChatLog::WireText(QStringLiteral("one\r\ntwo")), QByteArray("one\r\ntwo"));
    EXPECT_EQ(TChatLog::DisplayText("one\r\ntwo\nthree"), QStringLiteral("one\n\ttwo\n\tthree"));
    // The 512-byte cut counts the CRs.
    const QByteArray text = TChatLog::WireText(QString(300, QLatin1Char('\n')));
    TCommandPtr command = NewSendMessageCommand(text, 1.0);
    EXPECT_EQ(command->Buffer.size(), size_t(hdr::Data + 14 + 512));
}
