// The main window against the demo dealer: its quotes read and followed by
// another program over the session bus, and online registration through the
// dialogs, twenty follow-up logins in a row, and a refusal.
#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "clientlists.h"
#include "clientsession.h"
#include "clientstate.h"
#include "dealerharness.h"
#include "errortext.h"
#include "languagetables.h"
#include "loginform.h"
#include "mainform.h"
#include "messaging.h"
#include "quotebus.h"
#include "statuspanel.h"
#include "testapp.h"
#include "usercurrency.h"
#include "widgetapp.h"

namespace {

// Another program on the desktop with its own connection to the bus.
class QuoteReader : public QObject {
    Q_OBJECT
public:
    QDBusMessage call(const QString &topic, const QString &method, const QVariantList &args = {})
    {
        QDBusMessage m = QDBusMessage::createMethodCall(TQuoteBus::ServiceNameFor(QString()), "/" + topic,
                                                        "org.kelvra.Quotes", method);
        m.setArguments(args);
        return bus.call(m, QDBus::BlockWithGui);  // the service runs on this thread
    }
    QString value(const QString &topic, const QString &item)
    {
        return call(topic, "Value", {item}).arguments().value(0).toString();
    }
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "reader");
    QStringList changes;  // "item=value"
public slots:
    void changed(const QString &item, const QString &value) { changes << item + "=" + value; }
};

// Acts on the dialog of type T as a user would, once it is open and ready()
// holds; after 10 s it acts anyway, so that a failing test ends.
template <class T>
void whenShown(std::function<void(T &)> act, std::function<bool()> ready = [] { return true; })
{
    auto *timer = new QTimer(qApp);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        const bool late = ++*ticks > 1000;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<T *>(w); dialog && dialog->isVisible() && (ready() || late)) {
                timer->deleteLater();
                timer->stop();
                return act(*dialog);
            }
        if (*ticks > 2000)
            timer->deleteLater();
    });
    timer->start(10);
}

void fillIn(TfrmReg &reg, const QString &name, const QString &email, int ups)
{
    reg.edName->setText(name);
    reg.edEmail->setText(email);
    for (int i = 0; i < ups; ++i)
        reg.UpDown1->UpButton()->click();
    reg.Button1->click();
}

// A mail whose text names the account ("Your account #N").
bool holdsWelcomeOf(const TListMail &mail, quint32 account)
{
    for (int i = 0; i < mail.Count(); ++i)
        if (mail.Item(i)->Content.contains("#" + QByteArray::number(account)))
            return true;
    return false;
}

class DealerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        SetEnglish(true);
        ASSERT_TRUE(dealer.start());
        paths = {home.path(), home.filePath("kelvra.ini"), home.filePath("data")};
        writeSettings(dealer.port());
    }
    void writeSettings(int port)
    {
        ini.WriteString("kelvra-server", "host", "127.0.0.1");
        ini.WriteInteger("kelvra-server", "port", port);
        ini.WriteInteger("desktop", "Lang", 1);
        ini.Save();
    }
    void storeDemoLogin()
    {
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, "demo", QString(), true));
        logins.SavedAccount = 1001;
        logins.SaveLogins(ini);
        ini.Save();
    }
    std::unique_ptr<TMainForm> open()
    {
        auto form = std::make_unique<TMainForm>(paths);
        form->ShowError = [this](const QString &t) { errors << t; };
        QObject::connect(&form->Session(), &ClientSession::panelChanged, [this](int panel, const QString &text) {
            if (panel == ClientSession::PanelStatus)
                statusTexts << text;
        });
        return form;
    }
    // Closes the information box once ready() holds.
    void readBox(std::function<bool()> ready)
    {
        whenShown<QMessageBox>(
            [this](QMessageBox &box) {
                messages << box.text();
                box.accept();
            },
            std::move(ready));
    }

    QTemporaryDir home, dealerData;
    // Registrations faster than a real dealer allows: the loop below makes twenty.
    DealerProcess dealer{dealerData.path(), {"--ticks-per-second", "0", "--registrations-per-second", "1000"}};
    TKelvraPaths paths;
    TIniFile ini{home.filePath("kelvra.ini")};
    QStringList messages, errors, statusTexts;
};

} // namespace

TEST_F(DealerWindowTest, QuotesAreReadAndFollowedStoredOnesBeforeAnyLogin)
{
    storeDemoLogin();
    TListCurrency stored;  // an earlier run's instrument with its last quote
    auto eurusd = std::make_unique<TUserCurrency>(&stored);
    eurusd->Id = 1;
    eurusd->Name = "EURUSD";
    eurusd->ApplyQuote(12347, 12345, 0);
    stored.AddInstrument(std::move(eurusd));
    stored.SaveToIni(ini);
    ini.Save();
    auto form = open();
    ASSERT_EQ(form->QuoteBus().State(), TQuoteBus::TState::Publishing);
    QuoteReader reader;
    EXPECT_EQ(reader.call("BID", "Items").arguments().value(0).toStringList(), QStringList{"EURUSD"});
    EXPECT_EQ(reader.value("FULL", "EURUSD"), "1.2345\t1.2347\t");
    EXPECT_EQ(reader.call("BID", "Value", {"XAUUSD"}).errorName(), "org.kelvra.Quotes.UnknownItem");
    reader.bus.connect(form->QuoteBus().ServiceName(), "/BID", "org.kelvra.Quotes", "Changed", {"EURUSD"}, "ss",
                       &reader, SLOT(changed(QString, QString)));

    form->show();  // logs in as 1001
    ASSERT_TRUE(WaitUntil([&] { return reader.call("ASK", "Items").arguments().value(0).toStringList().size() == 9; }));
    EXPECT_FALSE(reader.value("TIME", "GBPJPY").isEmpty());
    ASSERT_TRUE(dealer.admin({"set-price", "EURUSD", "1.1050"}));
    ASSERT_TRUE(WaitUntil([&] { return reader.changes.contains("EURUSD=1.1050"); }))
        << reader.changes.join(' ').toStdString();
    EXPECT_TRUE(reader.value("FULL", "EURUSD").startsWith("1.1050\t"));

    // A second window cannot have the name: it says so and publishes nothing.
    TMainForm second(paths);
    EXPECT_EQ(second.QuoteBus().State(), TQuoteBus::TState::NameUnavailable);
    EXPECT_EQ(second.StatusPanels[1]->text(),
              ExtraText(TExtraText::QuotesNameTaken).arg(form->QuoteBus().ServiceName()));
}

// After a session of 1001: the dialog refuses a short name; eleven ups give
// 10000. The new number and password are shown while the registration
// connection, already the new account's session, fetches its welcome mail
// into its own mailbox; the login dialog opens filled in; the client ends
// logged in as the new account; closing stores the login with its password.
TEST_F(DealerWindowTest, NewAccountIsLoggedInWithItsDepositAndMailAndStored)
{
    storeDemoLogin();
    auto form = open();
    form->show();
    TListMail &mail = form->Messaging().Mail;
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn() && holdsWelcomeOf(mail, 1001); }));
    EXPECT_FALSE(form->AReg->isEnabled());
    form->ADisconnect->trigger();
    ASSERT_TRUE(form->AReg->isEnabled());

    whenShown<TfrmReg>([&](TfrmReg &reg) {
        fillIn(reg, " Ann ", "trader@example.com", 11);
        EXPECT_TRUE(reg.isVisible());
        EXPECT_EQ(errors, QStringList{"Value requered"});
        EXPECT_EQ(reg.focusWidget(), reg.edName);
        fillIn(reg, "Test Trader", "trader@example.com", 0);
    });
    quint32 account = 0;
    readBox([&] {
        account = form->Session().SavedAccount();
        return form->Session().LoggedIn() && holdsWelcomeOf(mail, account);
    });
    QString dialogValues;
    whenShown<TfrmLogin>([&](TfrmLogin &login) {
        dialogValues = login.cb->currentText() + " " + login.edPassword->text();
        login.Button2->click();
    });
    form->AReg->trigger();
    ASSERT_TRUE(WaitUntil([&] {
        return !messages.isEmpty() && form->Session().LoggedIn() && form->State().Lists().Account().Balance == 10000.0;
    }));
    const QString password = form->Session().SavedPassword();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Your account # %1\npassword %2").arg(account).arg(password)});
    EXPECT_EQ(dialogValues, QString::number(account) + " " + password);
    EXPECT_TRUE(form->Session().AutoReconnect());

    form->close();
    form.reset();
    TStoredLogins stored;
    stored.LoadLogins(TIniFile(paths.IniFile));
    EXPECT_EQ(stored.SavedAccount, account);
    EXPECT_EQ(stored.SavedPassword, password);
    TListMail newFile, oldFile;
    newFile.DataDir = oldFile.DataDir = paths.DataDir;
    newFile.LoadMailbox(qint32(account));
    oldFile.LoadMailbox(1001);
    EXPECT_TRUE(holdsWelcomeOf(newFile, account));
    EXPECT_FALSE(holdsWelcomeOf(oldFile, account));
}

// The follow-up login comes while the registration connection is a live
// session of the same account: the client ends that connection first, and
// the dealer never answers "already connected" (error 2).
TEST_F(DealerWindowTest, FollowUpLoginIsNeverRefusedAsAlreadyConnected)
{
    auto form = open();
    form->show();
    int round = 0;
    // Another deposit each round: the balance tells the new account.
    const auto deposit = [&] { return quint32(1000 * (1 + round % 10)); };
    form->RunRegistrationDialog = [&] {
        return std::optional(TRegistration{"Loop", "loop@example.com", 0, deposit()});
    };
    form->RunLoginDialog = [](quint32 &, QString &, QString &) { return true; };
    std::set<quint32> accounts;
    for (round = 1; round <= 20; ++round) {
        readBox([&] { return form->Session().LoggedIn(); });
        form->AReg->trigger();
        ASSERT_TRUE(WaitUntil([&] {
            return messages.size() == round && form->Session().LoggedIn()
                   && form->State().Lists().Account().Balance == double(deposit());
        })) << "round " << round << ": " << statusTexts.join(" | ").toStdString();
        accounts.insert(form->Session().SavedAccount());
        form->ADisconnect->trigger();
    }
    EXPECT_EQ(accounts.size(), 20u);
    EXPECT_FALSE(statusTexts.contains(ErrorText(2, QString(), true)));
}

// A dealer that refuses: "Error code: …", nothing stored, and no retry of an
// old login (the reconnection was on, as after a lost connection). On the
// wire the name and e-mail are cut to 40 and 80 characters.
TEST_F(DealerWindowTest, RefusedRegistrationStoresNothing)
{
    std::mutex lock;
    TPacketBuffer request;
    ScriptedServer server([&](ScriptedServer::Connection &c) {
        std::lock_guard guard(lock);
        if (auto packet = c.readPacket()) {
            request = *packet;
            c.sendReply(*packet, 4);
        }
    });
    writeSettings(server.port());
    auto form = open();
    form->ShowMessage = [this](const QString &t) { messages << t; };
    form->show();
    const QString name(45, 'n'), email(85, 'e');
    whenShown<TfrmReg>([&](TfrmReg &reg) { fillIn(reg, name, email, 1); });
    form->Session().SetAutoReconnect(true);
    form->AReg->trigger();
    ASSERT_TRUE(WaitUntil([&] { return statusTexts.contains("Error code: 4 Unsuported command"); }))
        << statusTexts.join(" | ").toStdString();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().Thread().Mode() == 0; }));
    form->Session().AutoConnectTick();
    EXPECT_EQ(form->Session().Thread().Mode(), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->Logins().Count(), 0);

    std::lock_guard guard(lock);
    ASSERT_EQ(request.size(), size_t(hdr::Data) + 130);
    const auto field = [&](int at) {
        return QByteArray((const char *)&request[hdr::Data + at + 1], request[hdr::Data + at]);
    };
    EXPECT_EQ(field(0), name.left(40).toLatin1());
    EXPECT_EQ(field(41), email.left(80).toLatin1());
    EXPECT_EQ(GetU32(&request[hdr::Data + 126]), 2000u);
}

#include "registration_test.moc"
