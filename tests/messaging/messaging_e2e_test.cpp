#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include "clientsession.h"
#include "dealerharness.h"
#include "frmchat.h"
#include "frmviewmail.h"
#include "frmviewmailbox.h"
#include "frmviewmessages.h"
#include "languagetables.h"
#include "mainform.h"
#include "messaging.h"
#include "storedlogins.h"
#include "testapp.h"
#include "widgetapp.h"

namespace {

class MessagingE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        SetEnglish(true);
        ASSERT_TRUE(dealer.start());
        paths = {home.path(), home.filePath(QStringLiteral("kelvra.ini")), home.filePath(QStringLiteral("data"))};
        TIniFile ini(paths.IniFile);
        ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
        ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), dealer.port());
        ini.WriteInteger(QStringLiteral("desktop"), QStringLiteral("Lang"), 1);
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), QString(), true));
        logins.SavedAccount = 1001;
        logins.SaveLogins(ini);
        ini.Save();
    }
    std::unique_ptr<TMainForm> open()
    {
        auto form = std::make_unique<TMainForm>(paths);
        form->ShowMessage = [](const QString &) {};
        form->ShowError = [](const QString &) {};
        form->show();
        EXPECT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
        return form;
    }
    QString listing()
    {
        QString out;
        dealer.admin({QStringLiteral("list-messages"), QStringLiteral("1001")}, &out);
        return out;
    }
    // The header lines of the chat text: (text, colour, bold).
    static std::vector<std::tuple<QString, QColor, bool>> lines(QTextEdit *edit)
    {
        std::vector<std::tuple<QString, QColor, bool>> out;
        for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
            const QTextCharFormat f = b.begin().fragment().charFormat();
            out.emplace_back(b.text(), f.foreground().color(), f.fontWeight() == QFont::Bold);
        }
        return out;
    }
    QTemporaryDir home, dealerData;
    DealerProcess dealer{dealerData.path()};
    TKelvraPaths paths;
};

} // namespace

TEST_F(MessagingE2ETest, MailAndChatReachBothSidesAndSurviveARestart)
{
    auto form = open();
    TListMail &mail = form->Messaging().Mail;
    // The demo account's welcome mail arrives at login and is confirmed.
    ASSERT_TRUE(WaitUntil([&] { return mail.Count() == 1; }));
    ASSERT_TRUE(dealer.admin({QStringLiteral("send-mail"), QStringLiteral("1001"), QStringLiteral("Rates"),
                              QStringLiteral("Новые ставки")}));
    ASSERT_TRUE(WaitUntil([&] { return mail.Count() == 2; }));
    EXPECT_TRUE(form->frmViewMailBox->IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return !listing().contains(QStringLiteral("waiting")); }));
    TCMListView *lv = form->frmViewMailBox->lv;
    EXPECT_EQ(lv->Rows().FooterRow()->Caption(), QStringLiteral("Total : 2, unread: 0, new 2"));
    EXPECT_EQ(lv->Row(1)->SubItem(1), QStringLiteral("Rates"));
    // Unread rows are bold: every column is as wide as its bold text.
    lv->AutoSizeColumns();
    QFont bold(lv->font());
    bold.setBold(true);
    for (int c : {1, 3})
        EXPECT_GE(lv->columnWidth(c), QFontMetrics(bold).horizontalAdvance(lv->Rows().CellText(1, c))) << c;

    // Opening shows the viewer; deleting what it shows hides it.
    lv->setCurrentIndex(lv->model()->index(1, 0));
    form->frmViewMailBox->AopenMessage->trigger();
    EXPECT_TRUE(form->frmViewMail->isVisible());
    EXPECT_EQ(form->frmViewMail->reContent->toPlainText(), QStringLiteral("Новые ставки"));

    // A dealer message: red, confirmed to the dealer, the chat window raised.
    ASSERT_TRUE(dealer.admin({QStringLiteral("send-message"), QStringLiteral("1001"), QStringLiteral("Hello\ntrader")}));
    ASSERT_TRUE(WaitUntil([&] { return form->Messaging().Chat.Items.size() == 1; }));
    EXPECT_TRUE(form->frmChat->isVisible());
    auto shown = lines(form->frmChat->reHistory);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(std::get<0>(shown[0]).endsWith(QStringLiteral(" Administrator:")));
    EXPECT_EQ(std::get<1>(shown[0]), QColor(Qt::red));
    EXPECT_TRUE(std::get<2>(shown[0]));
    EXPECT_EQ(std::get<0>(shown[1]), QStringLiteral("\tHello"));
    EXPECT_EQ(std::get<0>(shown[2]), QStringLiteral("\ttrader"));
    EXPECT_FALSE(std::get<2>(shown[2]));
    ASSERT_TRUE(WaitUntil([&] { return listing().contains(QStringLiteral("from-dealer confirmed Hello\\ntrader")); }));

    // Typing: Ctrl+Enter with an empty box sends nothing; 600 characters do not fit.
    QPlainTextEdit *in = form->frmChat->textIn;
    in->setFocus();
    QTest::keyClick(in, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(form->Messaging().Chat.Sending());
    QTest::keyClicks(in, QString(600, QLatin1Char('x')));
    EXPECT_EQ(in->toPlainText().size(), 500);
    in->clear();
    QTest::keyClicks(in, QStringLiteral("first"));
    QTest::keyClick(in, Qt::Key_Return);
    QTest::keyClicks(in, QStringLiteral("second"));
    QTest::keyClick(in, Qt::Key_Return, Qt::ControlModifier);
    // Sent: blue with the account, the dealer's automatic answer after it in red.
    ASSERT_TRUE(WaitUntil([&] { return form->Messaging().Chat.Items.size() == 3; }));
    EXPECT_TRUE(in->toPlainText().isEmpty());
    EXPECT_TRUE(listing().contains(QStringLiteral("from-trader")));
    EXPECT_TRUE(listing().contains(QStringLiteral("first\\nsecond")));
    shown = lines(form->frmChat->reHistory);
    ASSERT_GE(shown.size(), 8u);
    EXPECT_TRUE(std::get<0>(shown[3]).endsWith(QStringLiteral(" Account #1001:")));
    EXPECT_EQ(std::get<1>(shown[3]), QColor(Qt::blue));
    EXPECT_TRUE(std::get<2>(shown[3]));
    EXPECT_EQ(std::get<0>(shown[4]), QStringLiteral("\tfirst"));
    EXPECT_EQ(std::get<0>(shown[5]), QStringLiteral("\tsecond"));
    EXPECT_FALSE(std::get<2>(shown[5]));
    EXPECT_EQ(std::get<1>(shown[6]), QColor(Qt::red));
    EXPECT_TRUE(form->frmChat->isVisible());
    const QString sentHeader = std::get<0>(shown[3]);

    form->close();
    form.reset();

    // Restart: the mail is held and not new; the chat window is empty and
    // the history window lists the earlier messages with full dates.
    form = open();
    TListMail &again = form->Messaging().Mail;
    EXPECT_EQ(again.Count(), 2);
    EXPECT_EQ(again.CountMail().New, 0);
    EXPECT_EQ(again.CountMail().Unread, 1);
    EXPECT_TRUE(form->frmChat->reHistory->toPlainText().isEmpty());
    const QString history = form->frmViewMessages->reContent->toPlainText();
    EXPECT_TRUE(history.contains(QStringLiteral(" Account #1001:")));
    EXPECT_TRUE(history.contains(QLatin1Char('.')));
    EXPECT_TRUE(history.contains(sentHeader.section(QLatin1Char(' '), 0, 0)));
    EXPECT_EQ(form->Messaging().Chat.Items.size(), 3u);
}
