#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "fieldinput.h"
#include "languagetables.h"
#include "quotesubscription.h"
#include "requotebox.h"
#include "tradecontext.h"
#include "tradingtest.h"
#include "updown.h"

TEST(FieldInput, PricesIntegersAndTheirMessages)
{
    TradingApp app;
    QLineEdit e;
    auto priceOf = [&](const char *text, bool required = false) {
        e.setText(QString::fromLatin1(text));
        return ReadPriceUnits(&e, required, kMinPrice, kMaxPrice);
    };
    auto priceError = [&](const char *text, bool required = false) {
        try {
            priceOf(text, required);
        } catch (const EInputError &x) {
            EXPECT_EQ(x.Control, &e);
            return x.Message;
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(priceOf("1.2345"), 12345);
    EXPECT_EQ(priceOf(" 1,2345 "), 12345);
    EXPECT_EQ(priceOf("105.125"), 1051250);
    EXPECT_EQ(priceOf("0.0001"), 1);
    EXPECT_EQ(priceOf("100000"), 1000000000);
    EXPECT_EQ(priceOf(""), 0);
    EXPECT_EQ(priceError("", true), QStringLiteral("Value requered"));
    for (const char *bad : {"abc", "1.2.3", "nan", "inf", "1e999"})
        EXPECT_EQ(priceError(bad), QStringLiteral("Incorect value")) << bad;
    for (const char *out : {"0", "0.00009", "100000.01", "-1"})
        EXPECT_EQ(priceError(out), MessageTextIn(true, 38)) << out;

    auto integerError = [&](const char *text) {
        e.setText(QString::fromLatin1(text));
        try {
            return QString::number(ReadInteger(&e, true, 1, 100));
        } catch (const EInputError &x) {
            return x.Message;
        }
    };
    EXPECT_EQ(integerError("7"), QStringLiteral("7"));
    EXPECT_EQ(integerError(""), QStringLiteral("Value requered"));
    EXPECT_EQ(integerError("1.5"), MessageTextIn(true, 21));
    EXPECT_EQ(integerError("99999999999999999999"), MessageTextIn(true, 21));
    EXPECT_EQ(integerError("101"), MessageTextIn(true, 22));
    EXPECT_EQ(integerError("0"), MessageTextIn(true, 22));
}

TEST(UpDown, KeepsItsPositionInRangeAndWritesItsEdit)
{
    TradingApp app;
    QLineEdit e;
    TUpDown u;
    u.SetRange(1, 3);
    u.SetAssociate(&e);
    EXPECT_EQ(e.text(), QStringLiteral("1"));
    u.Click(TUpDown::btPrev);
    EXPECT_EQ(u.Position(), 1);
    for (int i = 0; i < 5; ++i)
        u.Click(TUpDown::btNext);
    EXPECT_EQ(e.text(), QStringLiteral("3"));
    u.SetRange(5, 4);  // a minimum above the maximum wins
    EXPECT_EQ(u.Position(), 5);
    // Disabled: no click at all.
    std::vector<TUpDown::TUDBtnType> clicks;
    QObject::connect(&u, &TUpDown::clicked, [&](TUpDown::TUDBtnType b) { clicks.push_back(b); });
    u.setEnabled(false);
    u.Click(TUpDown::btNext);
    EXPECT_TRUE(clicks.empty());
    // Intercepted: the click is reported, the position stays.
    TUpDown stepper;
    stepper.SetRange(-500, 500);
    stepper.SetIntercept(true);
    QObject::connect(&stepper, &TUpDown::clicked, [&](TUpDown::TUDBtnType b) { clicks.push_back(b); });
    stepper.UpButton()->click();
    stepper.DownButton()->click();
    EXPECT_EQ(clicks, (std::vector{TUpDown::btNext, TUpDown::btPrev}));
    EXPECT_EQ(stepper.Position(), 0);
}

TEST(UpDown, ItsEditStepsItFromTheKeyboardAndTheWheel)
{
    TradingApp app;
    QLineEdit e;
    TUpDown u;
    u.SetRange(1, 25);
    u.SetAssociate(&e);
    int clicks = 0;
    QObject::connect(&u, &TUpDown::clicked, [&] { ++clicks; });
    QTest::keyClick(&e, Qt::Key_Up);
    QTest::keyClick(&e, Qt::Key_PageUp);
    EXPECT_EQ(e.text(), QStringLiteral("12"));
    // A page stops at the first click that changes nothing.
    clicks = 0;
    QTest::keyClick(&e, Qt::Key_PageUp);
    QTest::keyClick(&e, Qt::Key_PageUp);
    EXPECT_EQ(e.text(), QStringLiteral("25"));
    EXPECT_EQ(clicks, 10 + 4);
    QTest::keyClick(&e, Qt::Key_Down);
    QTest::keyClick(&e, Qt::Key_Up, Qt::ShiftModifier);  // the edit's own
    EXPECT_EQ(e.text(), QStringLiteral("24"));
    // A notch is one click; a fine wheel adds up to a notch.
    for (int delta : {120, -60, -60}) {
        QWheelEvent wheel(QPointF(4, 4), QPointF(4, 4), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&e, &wheel);
    }
    EXPECT_EQ(e.text(), QStringLiteral("24"));
    EXPECT_EQ(clicks, 10 + 4 + 1 + 2);
    // An intercepted stepper leaves its edit to its click handler.
    u.SetIntercept(true);
    QTest::keyClick(&e, Qt::Key_Up);
    EXPECT_EQ(e.text(), QStringLiteral("24"));
    EXPECT_EQ(u.Position(), 24);
}

TEST(TradeResult, RequotesErrorsAndShortReplies)
{
    TradingApp app;
    TTradeResult ok = ReadTradeResult(*wire::Reply(113, 1, {}));
    EXPECT_EQ(ok.Code, 0);
    EXPECT_FALSE(ok.Requote);
    TTradeResult requote = ReadTradeResult(*wire::Reply(113, 1, {0x3A, 0x30, 0, 0}, pfReply, 100));
    EXPECT_TRUE(requote.Requote);
    EXPECT_EQ(requote.Price, 12346);
    // A requote that lost its price is an error, never an offer of price 0.
    TTradeResult cut = ReadTradeResult(*wire::Reply(113, 1, {0x3A, 0x30}, pfReply, 100));
    EXPECT_FALSE(cut.Requote);
    EXPECT_FALSE(cut.Text.isEmpty());
    TTradeResult error = ReadTradeResult(*wire::ErrorReply(113, 1, 42, "Dealer busy"));
    EXPECT_EQ(error.Code, 42);
    EXPECT_EQ(error.Text, QStringLiteral("Error code: 42 Dealer busy"));
    TUserReply bare(113);
    bare.Buffer.assign(10, 0);
    EXPECT_NE(ReadTradeResult(bare).Code, 0);
}

TEST(RequoteBox, TextInBothLanguages)
{
    TradingApp app;
    EXPECT_EQ(RequoteText(1051250), QStringLiteral("Price is changed ") + QString(21, u' ')
                                       + QStringLiteral("\r\rNew price : 105.12\r") + QString(37, u'-')
                                       + QStringLiteral("\rAre you sure ?"));
    SetEnglish(false);
    const QString russian = RequoteText(12345);
    TRequoteBox box(12345, nullptr);
    SetEnglish(true);
    EXPECT_TRUE(russian.startsWith(MessageTextIn(false, 19) + QString(21, u' ') + u'\r'));
    EXPECT_TRUE(russian.endsWith(u'\r' + MessageTextIn(false, 1)));
    EXPECT_EQ(box.Text(), russian);
    EXPECT_FALSE(box.btYes->autoDefault() || box.btNo->autoDefault());
}

TEST_F(TradingTest, QuoteSubscriptionSurvivesTheDispatchersClear)
{
    const size_t base = pending();
    int quotes = 0, dropped = 0;
    {
        TQuoteSubscription s(session);
        s.Add([&](TUserCmdRply *) { ++quotes; }, [&] { ++dropped; });
        EXPECT_TRUE(s.Active());
        quote(1, 1, 1);
        EXPECT_EQ(quotes, 1);
        session.Dispatcher().Clear();
        EXPECT_FALSE(s.Active());
        EXPECT_EQ(dropped, 1);
        // A new event may now live where the old one was; removing ours must leave it alone.
        session.Dispatcher().AddCommandEvent(cmdQuote, nullptr, [&](TUserCmdRply *) { quotes += 10; });
        s.Remove();
        s.Remove();
        quote(1, 1, 1);
        EXPECT_EQ(quotes, 11);
        s.Add([&](TUserCmdRply *) { ++quotes; });
        EXPECT_EQ(pending(), 2u);
    }
    EXPECT_EQ(pending(), 1u);
    (void)base;
}
