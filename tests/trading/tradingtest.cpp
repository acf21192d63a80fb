#include "tradingtest.h"

#include <ostream>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "commands.h"
#include "dlgform.h"
#include "extratexts.h"
#include "languagetables.h"
#include "testapp.h"

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

QAbstractButton *NoticeButton(TDlgForm &form, TExtraText text)
{
    QMessageBox *notice = form.NoAnswerNotice();
    if (!notice || !notice->isVisible())
        return nullptr;
    for (QAbstractButton *b : notice->buttons())
        if (b->text() == ExtraText(text))
            return b;
    return nullptr;
}

TradingApp::TradingApp()
{
    // The application object is made by the test program's main.
    EXPECT_NE(qobject_cast<QApplication *>(QCoreApplication::instance()), nullptr);
    SetEnglish(true);
}

TradingTest::TradingTest()
{
    for (uint8_t code : {cmdPlace, cmdChangePosition, cmdChangeOrder, cmdDeleteOrder, cmdClosePosition,
                         cmdGroupOrders, cmdConfirmPrice, cmdReversePosition})
        dealer.setSilent(code);
    lists.SysVars.SpreadTable = {3, 5, 10, 3, 5, 10, 5, 8, 10};
    lists.SysVars.LotSize = 100000;
    context.ShowError = [this](QWidget *, const QString &text) { errors << text; };
    context.AskOkCancel = [this](QWidget *, const QString &caption, const QString &text) {
        questions << caption + QStringLiteral(": ") + text;
        return answerOk;
    };
    QObject::connect(&session, &ClientSession::popupRequested, [this](const QString &text) { alerts << text; });
}

TradingTest::~TradingTest() { session.Shutdown(); }

void TradingTest::SetUp()
{
    addInstrument(1, 1, "EURUSD", 12347, 12345);
    addInstrument(4, 2, "USDJPY", 1051300, 1051200);
    addInstrument(9, 0, "ODDKIND", 20000, 19990);
    session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
    session.Thread().SetPort(dealer.port());
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
}

void TradingTest::addInstrument(uint16_t id, uint8_t kind, const std::string &name, int32_t ask, int32_t bid)
{
    auto c = std::make_unique<TUserCurrency>(&lists.Instruments);
    const wire::Bytes b = wire::Instrument{.id = id, .kind = kind, .name = name, .ask = ask, .bid = bid}.bytes();
    c->LoadFrom(b);
    lists.Instruments.AddInstrument(std::move(c));
}

void TradingTest::addOrder(const wire::Order &order)
{
    auto o = std::make_unique<TUserOrder>(&lists.Orders);
    o->LoadFrom(order.bytes());
    lists.Orders.Add(std::move(o));
}

TPositionImage TradingTest::position(const wire::Position &p) { return TPositionImage::FromBytes(p.bytes()); }

TPacketBuffer TradingTest::command(size_t n)
{
    if (!WaitUntil([&] { return dealer.received().size() > n; }))
        return {};
    return dealer.received().at(n);
}

std::vector<uint8_t> TradingTest::payload(const TPacketBuffer &command)
{
    if (command.size() < size_t(hdr::Data))
        return {};
    return std::vector<uint8_t>(command.begin() + hdr::Data, command.end());
}

void TradingTest::reply(const TPacketBuffer &command, uint8_t error, const wire::Bytes &data)
{
    session.Dispatcher().Dispatch(wire::Reply(command[hdr::Code], GetU16(&command[hdr::PacketId]), data, pfReply, error));
}

void TradingTest::replyText(const TPacketBuffer &command, uint8_t error, const std::string &text)
{
    session.Dispatcher().Dispatch(wire::ErrorReply(command[hdr::Code], GetU16(&command[hdr::PacketId]), error, text));
}

void TradingTest::quote(uint16_t id, int32_t ask, int32_t bid)
{
    session.Dispatcher().Dispatch(wire::Push(cmdQuote, wire::Quote{.id = id, .ask = ask, .bid = bid}.bytes()));
}

OfflineTradingTest::OfflineTradingTest()
{
    lists.SysVars.SpreadTable = {3, 5, 10, 3, 5, 10, 5, 8, 10};
    auto c = std::make_unique<TUserCurrency>(&lists.Instruments);
    c->LoadFrom(wire::Instrument{.id = 1, .kind = 1, .name = "EURUSD", .ask = 12347, .bid = 12345}.bytes());
    lists.Instruments.AddInstrument(std::move(c));
    context.ShowError = [this](QWidget *, const QString &text) { errors << text; };
}
