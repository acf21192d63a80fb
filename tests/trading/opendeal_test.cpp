#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "confirmclosedeal.h"
#include "extratexts.h"
#include "languagetables.h"
#include "opendealform.h"
#include "requotebox.h"
#include "testapp.h"
#include "tradingtest.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// A 30-byte market order as the dialog must send it.
Bytes marketOrder(uint16_t instrument, uint8_t side, uint8_t type, uint8_t lots, uint32_t tp, uint32_t sl,
                  uint32_t price)
{
    Bytes b(30, 0);
    b[5] = uint8_t(instrument);
    b[6] = uint8_t(instrument >> 8);
    b[7] = side;
    b[8] = type;
    b[17] = lots;
    std::copy_n(le32(tp).begin(), 4, b.begin() + 18);
    std::copy_n(le32(sl).begin(), 4, b.begin() + 22);
    std::copy_n(le32(price).begin(), 4, b.begin() + 26);
    return b;
}

// Every control of the lock group, plus the lot stepper.
std::vector<QWidget *> lockGroup(TfrmOpenDeal &d)
{
    return {d.cbCurrency, d.edLot, d.upLot, d.edSL, d.edTp, d.upSl, d.upTp,
            d.btSell, d.btBuy, d.Button3, d.btSave, d.btClose};
}

bool allDisabled(const std::vector<QWidget *> &ws)
{
    return std::none_of(ws.begin(), ws.end(), [](QWidget *w) { return w->isEnabled(); });
}

constexpr uint32_t kMay3At1005 = 2281565;  // 03.05.2004 10:05

class OpenDeal : public TradingTest {
protected:
    wire::Position buy5{.id = 77, .currencyId = 1, .operation = 1, .openTime = kMay3At1005, .openPrice = 12000,
                        .lots = 5, .takeProfit = 12400};
};

} // namespace

TEST_F(OpenDeal, NewPositionShowsDealingPricesAndFollowsItsInstrument)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    EXPECT_EQ(d.windowTitle(), u"Open position");
    EXPECT_EQ(d.Label3->text(), u"Price (bid/ask)");
    EXPECT_EQ(d.btBuy->text(), u"Buy");
    EXPECT_TRUE(d.btSave->isHidden());
    EXPECT_TRUE(d.btClose->isHidden());
    EXPECT_EQ(d.cbCurrency->count(), 3);
    EXPECT_EQ(d.cbCurrency->currentText(), u"EURUSD");
    EXPECT_EQ(d.edLot->text(), u"1");
    // ask 12347, bid 12345, spread 3 for one lot: (24692 + 3) / 2 = 12347.5 -> 12348.
    EXPECT_EQ(d.edCurrency->text(), u"1.2345 / 1.2348");
    // Above the threshold of 10 lots the large-trade spread (5) applies.
    d.edLot->setText(QStringLiteral("11"));
    EXPECT_EQ(d.edCurrency->text(), u"1.2343 / 1.2348");
    d.edLot->setText(QStringLiteral("1"));

    quote(1, 12357, 12355);
    EXPECT_EQ(d.edCurrency->text(), u"1.2355 / 1.2358");
    quote(4, 1052300, 1052200);  // another instrument
    EXPECT_EQ(d.edCurrency->text(), u"1.2355 / 1.2358");

    d.cbCurrency->setCurrentIndex(d.cbCurrency->findText(QStringLiteral("USDJPY")));
    EXPECT_EQ(d.InstrumentId, 4);
    EXPECT_EQ(d.Kind, 2);
    EXPECT_EQ(d.edCurrency->text(), u"105.11 / 105.14");  // a point of 0.01
}

TEST_F(OpenDeal, NoInstrumentForAnIdOfZeroOrBelow)
{
    for (qint32 id : {0, -1, 12345}) {
        TfrmOpenDeal d(context, id);
        d.show();
        EXPECT_EQ(d.cbCurrency->currentIndex(), -1) << id;
        EXPECT_EQ(d.InstrumentId, 0);
        EXPECT_TRUE(d.edCurrency->text().isEmpty());
        const size_t before = pending();
        d.btBuy->click();
        EXPECT_EQ(errors.last(), u"Value requered");
        EXPECT_EQ(d.focusWidget(), d.cbCurrency);
        EXPECT_EQ(pending(), before);
    }
    EXPECT_EQ(errors.size(), 3);
}

TEST_F(OpenDeal, StopSteppersStartFromTheMidPriceAndMoveOnePoint)
{
    TfrmOpenDeal d(context, 1);
    d.upSl->Click(TUpDown::btNext);
    EXPECT_EQ(d.edSL->text(), u"1.2347");  // 12346 + 1
    d.upSl->Click(TUpDown::btNext);
    EXPECT_EQ(d.edSL->text(), u"1.2348");
    d.upTp->Click(TUpDown::btPrev);
    EXPECT_EQ(d.edTp->text(), u"1.2345");
    EXPECT_EQ(d.upSl->Position(), 0);  // the up-down itself never moves
    // A JPY-like price moves by 0.01.
    d.cbCurrency->setCurrentIndex(d.cbCurrency->findText(QStringLiteral("USDJPY")));
    d.edTp->clear();
    d.upTp->Click(TUpDown::btNext);
    EXPECT_EQ(d.edTp->text(), u"105.13");  // 1051250 + 10
    // What the edit holds is checked first.
    d.edSL->setText(QStringLiteral("abc"));
    d.upSl->Click(TUpDown::btNext);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Incorect value")});
    EXPECT_EQ(d.edSL->text(), u"abc");

    addInstrument(2, 1, "GBPUSD", 0, 0);  // never quoted
    TfrmOpenDeal unquoted(context, 2);
    unquoted.upSl->Click(TUpDown::btNext);
    unquoted.upTp->Click(TUpDown::btPrev);
    EXPECT_TRUE(unquoted.edSL->text().isEmpty());
    EXPECT_TRUE(unquoted.edTp->text().isEmpty());
}

TEST_F(OpenDeal, KeysOnTheEditsStepLikeTheArrowsAndTheInstrumentListKeepsItsOwn)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    QTest::keyClick(d.cbCurrency, Qt::Key_Down);
    EXPECT_EQ(d.cbCurrency->currentText(), u"ODDKIND");
    QTest::keyClick(d.cbCurrency, Qt::Key_Up);
    QTest::keyClick(d.edLot, Qt::Key_Up);
    EXPECT_EQ(d.Lots, 2);
    // The stop steppers' rules: from the mid price 12346.
    QTest::keyClick(d.edSL, Qt::Key_Up);
    EXPECT_EQ(d.edSL->text(), u"1.2347");
    QTest::keyClick(d.edTp, Qt::Key_PageDown);
    EXPECT_EQ(d.edTp->text(), u"1.2336");
    // A refused value is reported once, not once per step of the page.
    d.edSL->setText(QStringLiteral("abc"));
    QTest::keyClick(d.edSL, Qt::Key_PageUp);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Incorect value")});
}

TEST_F(OpenDeal, InputErrorsStopTheOpenBeforeAnythingIsSent)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    const size_t before = pending();
    struct Case {
        QLineEdit *edit;
        const char *text;
    };
    const Case cases[] = {
        {d.edLot, ""}, {d.edLot, "x"}, {d.edLot, "0"}, {d.edLot, "101"},
        {d.edSL, "1.2.3"}, {d.edSL, "100001"}, {d.edSL, "0.00001"}, {d.edTp, "-1"}, {d.edTp, "nan"},
    };
    for (const Case &c : cases) {
        d.edLot->setText(QStringLiteral("1"));
        d.edSL->clear();
        d.edTp->clear();
        c.edit->setText(QString::fromLatin1(c.text));
        d.btBuy->click();
        EXPECT_EQ(d.focusWidget(), c.edit) << c.text;
    }
    EXPECT_EQ(errors, (QStringList{"Value requered", "Incorect value", "Incorect value", "Incorect value",
                                   "Incorect value", "Incorect value", "Incorect value", "Incorect value",
                                   "Incorect value"}));
    EXPECT_EQ(pending(), before);
    EXPECT_FALSE(d.Busy);

    // The Russian texts of the three kinds differ.
    SetEnglish(false);
    errors.clear();
    d.edLot->setText(QStringLiteral("0"));
    d.btBuy->click();
    d.edLot->setText(QStringLiteral("1"));
    d.edSL->setText(QStringLiteral("100001"));
    d.btBuy->click();
    d.edSL->setText(QStringLiteral("z"));
    d.btBuy->click();
    SetEnglish(true);
    EXPECT_EQ(errors, (QStringList{MessageTextIn(false, 22), MessageTextIn(false, 38), MessageTextIn(false, 21)}));
}

TEST_F(OpenDeal, BuyAndSellSendTheOrderRecordAndLockUntilTheAnswer)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    d.edSL->setText(QStringLiteral("1.23"));
    d.edTp->setText(QStringLiteral("1,24"));
    const size_t before = pending();
    d.btBuy->click();
    EXPECT_EQ(pending(), before + 1);
    EXPECT_TRUE(d.Busy);
    EXPECT_TRUE(allDisabled(lockGroup(d)));
    const TPacketBuffer buy = command(0);
    ASSERT_FALSE(buy.empty());
    EXPECT_EQ(buy[hdr::Code], cmdPlace);
    EXPECT_EQ(payload(buy), marketOrder(1, 1, 1, 1, 12400, 12300, 12348));

    // Outstanding: quotes do not move the panel and nothing closes the dialog.
    quote(1, 12367, 12365);
    EXPECT_EQ(d.edCurrency->text(), u"1.2345 / 1.2348");
    d.reject();
    d.done(QDialog::Accepted);
    d.close();
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    d.SetLocked(false);  // never while a command is outstanding
    EXPECT_TRUE(allDisabled(lockGroup(d)));

    // A refusal: unlocked, still open, the error in the status bar with an alert.
    replyText(buy, 8, "");
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.btBuy->isEnabled());
    EXPECT_TRUE(d.edSL->isEnabled());
    EXPECT_TRUE(d.upLot->isEnabled());
    EXPECT_EQ(status(), u"Not enough money");
    EXPECT_TRUE(WaitUntil([&] { return alerts == QStringList{QStringLiteral("Not enough money")}; }));
    quote(1, 12367, 12365);
    EXPECT_EQ(d.edCurrency->text(), u"1.2365 / 1.2368");

    d.edSL->clear();
    d.edTp->clear();
    d.upLot->SetPosition(3);
    d.btSell->click();
    const TPacketBuffer sell = command(1);
    EXPECT_EQ(payload(sell), marketOrder(1, 2, 6, 3, 0, 0, 12365));
    reply(sell, 0);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(pending(), before);
}

TEST_F(OpenDeal, EnterInAnEditSendsNothing)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    const size_t before = pending();
    for (QWidget *w : {static_cast<QWidget *>(d.edSL), static_cast<QWidget *>(d.edTp)})
        QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(pending(), before);
    EXPECT_TRUE(d.isVisible());
    for (QPushButton *b : d.findChildren<QPushButton *>())
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->text().toStdString();
}

TEST_F(OpenDeal, RequoteIsOfferedAfterTheReplyAndAcceptedWithCommand140)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    d.btBuy->click();
    const TPacketBuffer buy = command(0);
    reply(buy, 100, le32(12360));
    EXPECT_EQ(d.RequotePrice, 12360);
    EXPECT_EQ(d.ConfirmBox(), nullptr);  // not inside the reply handler
    ASSERT_TRUE(WaitUntil([&] { return d.ConfirmBox() != nullptr; }));
    auto *box = qobject_cast<TRequoteBox *>(d.ConfirmBox());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Text(), QStringLiteral("Price is changed ") + QString(21, u' ') + QStringLiteral("\r\rNew price : 1.2360\r")
                               + QString(37, u'-') + QStringLiteral("\rAre you sure ?"));
    EXPECT_EQ(box->font(), d.font());
    EXPECT_EQ(box->windowTitle(), u"Confirmation (7 sec)");
    d.tmTimer();
    EXPECT_EQ(box->windowTitle(), u"Confirmation (7 sec)");
    d.tmTimer();
    EXPECT_EQ(box->windowTitle(), u"Confirmation (6 sec)");
    quote(1, 12377, 12375);  // a box is open: the panel stays
    EXPECT_EQ(d.edCurrency->text(), u"1.2345 / 1.2348");

    const size_t before = pending();
    box->btYes->click();
    EXPECT_EQ(d.ConfirmBox(), nullptr);
    const TPacketBuffer answer = command(1);
    EXPECT_EQ(answer[hdr::Code], cmdConfirmPrice);
    EXPECT_EQ(payload(answer), le32(1));
    EXPECT_EQ(pending(), before + 1);
    EXPECT_TRUE(d.Busy);  // until the answer's reply
    EXPECT_TRUE(allDisabled(lockGroup(d)));
    d.reject();
    EXPECT_TRUE(d.isVisible());
    reply(answer, 0);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(OpenDeal, RequoteRefusedWithNoOrEscape)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    for (int round = 0; round < 2; ++round) {
        d.btBuy->click();
        const TPacketBuffer buy = command(2 * round);
        reply(buy, 100, le32(12360));
        ASSERT_TRUE(WaitUntil([&] { return d.ConfirmBox() != nullptr; }));
        auto *box = qobject_cast<TRequoteBox *>(d.ConfirmBox());
        ASSERT_NE(box, nullptr);
        if (round == 0)
            box->btNo->click();
        else
            QTest::keyClick(box, Qt::Key_Escape);
        const TPacketBuffer answer = command(2 * round + 1);
        EXPECT_EQ(payload(answer), le32(0));
        replyText(answer, 5, "");
        EXPECT_FALSE(d.Busy);
        EXPECT_TRUE(d.btBuy->isEnabled());
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(status(), u"Price is changed");
    }
}

TEST_F(OpenDeal, UnansweredRequoteClosesOnTheEighthTickAndSendsNothing)
{
    TfrmOpenDeal d(context, 1);
    d.show();
    d.btBuy->click();
    reply(command(0), 100, le32(12360));
    ASSERT_TRUE(WaitUntil([&] { return d.ConfirmBox() != nullptr; }));
    QPointer<QDialog> box = d.ConfirmBox();
    const size_t before = pending();
    for (int tick = 1; tick <= 7; ++tick) {
        d.tmTimer();
        ASSERT_TRUE(box && box->isVisible()) << tick;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Confirmation (%1 sec)").arg(8 - tick));
    }
    d.tmTimer();
    EXPECT_EQ(d.ConfirmBox(), nullptr);
    EXPECT_FALSE(d.tm->isActive());
    EXPECT_EQ(pending(), before);
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btBuy->isEnabled());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(dealer.received().size(), 1u);
}

TEST_F(OpenDeal, RequoteWithoutAConnectionUnlocksTheDialog)
{
    // The connection is gone when the box would open.
    {
        TfrmOpenDeal d(context, 1);
        d.show();
        d.btBuy->click();
        reply(command(0), 100, le32(12360));
        session.Disconnect();
        QCoreApplication::processEvents();
        EXPECT_EQ(d.ConfirmBox(), nullptr);
        EXPECT_FALSE(d.Busy);
        EXPECT_TRUE(d.btBuy->isEnabled());
        d.reject();
        EXPECT_FALSE(d.isVisible());
    }
    // The connection is gone when the box is answered.
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
    TfrmOpenDeal d(context, 1);
    d.show();
    d.btBuy->click();
    reply(command(1), 100, le32(12360));
    ASSERT_TRUE(WaitUntil([&] { return d.ConfirmBox() != nullptr; }));
    auto *box = qobject_cast<TRequoteBox *>(d.ConfirmBox());
    session.Disconnect();
    box->btYes->click();
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btBuy->isEnabled());
    EXPECT_EQ(status(), u"No connect");
}

TEST_F(OpenDeal, ExistingPositionModeAndStopChange)
{
    TfrmOpenDeal d(context, position(buy5));
    d.show();
    EXPECT_EQ(d.windowTitle(), u"Position #77 (Buy)");
    EXPECT_EQ(d.Label3->text(), u"Price (open./close.)");
    EXPECT_EQ(d.edLot->text(), u"5");
    EXPECT_EQ(d.Lots, 5);
    EXPECT_EQ(d.edTp->text(), u"1.2400");
    EXPECT_TRUE(d.edSL->text().isEmpty());
    EXPECT_EQ(d.cbCurrency->currentText(), u"EURUSD");
    EXPECT_TRUE(d.btBuy->isHidden());
    EXPECT_TRUE(d.btSell->isHidden());
    EXPECT_FALSE(d.btSave->isHidden());
    EXPECT_FALSE(d.btClose->isHidden());
    // Lots and instrument stay disabled through a lock and an unlock.
    d.SetLocked(true);
    d.SetLocked(false);
    EXPECT_FALSE(d.edLot->isEnabled());
    EXPECT_FALSE(d.upLot->isEnabled());
    EXPECT_FALSE(d.cbCurrency->isEnabled());
    EXPECT_TRUE(d.edSL->isEnabled());

    d.edSL->setText(QStringLiteral("1.22"));
    d.btSave->click();
    const TPacketBuffer change = command(0);
    EXPECT_EQ(change[hdr::Code], cmdChangePosition);
    Bytes expected = buy5.bytes();
    std::copy_n(le32(12400).begin(), 4, expected.begin() + 28);
    std::copy_n(le32(12200).begin(), 4, expected.begin() + 32);
    EXPECT_EQ(payload(change), expected);
    EXPECT_TRUE(d.Busy);
    reply(change, 0);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(OpenDeal, PartialCloseAfterTheConfirmation)
{
    TfrmOpenDeal d(context, position(buy5));
    d.show();
    d.btClose->click();
    auto *box = qobject_cast<TfrmConfirmCloseDeal *>(d.ConfirmBox());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), u"Confirmation (7 sec)");
    EXPECT_EQ(box->lbTitle1->text(), u"Position #77; operation: Buy, symbol: EURUSD");
    EXPECT_EQ(box->lbTitle2->text(), u"Open date: 03.05.2004 10:05; opean price: 1.2000");
    EXPECT_EQ(box->Label1->text(), u"Are your sure to close");
    EXPECT_EQ(box->lbPrice->text(), u"1.2345");  // the one-lot dealing bid
    EXPECT_EQ(box->upLot->Max(), 5);
    EXPECT_EQ(box->edLot->text(), u"5");
    EXPECT_TRUE(box->upLot->isEnabled());
    for (int i = 0; i < 3; ++i)
        box->upLot->Click(TUpDown::btPrev);
    EXPECT_EQ(box->edLot->text(), u"2");
    quote(1, 12397, 12395);  // ignored while the confirmation is open
    box->btOk->click();
    EXPECT_EQ(d.ConfirmBox(), nullptr);
    EXPECT_FALSE(d.tm->isActive());
    const TPacketBuffer close = command(0);
    EXPECT_EQ(close[hdr::Code], cmdClosePosition);
    Bytes expected = le32(77);
    expected.push_back(2);
    for (uint8_t b : le32(12345))
        expected.push_back(b);
    EXPECT_EQ(payload(close), expected);
    EXPECT_TRUE(d.Busy);
    EXPECT_TRUE(allDisabled(lockGroup(d)));
    reply(close, 0);
    EXPECT_FALSE(d.isVisible());

    // A big position shows its own lots and the spread of its size, but is
    // closed at the one-lot price.
    TfrmOpenDeal big(context, position({.id = 79, .currencyId = 1, .operation = 1, .lots = 20}));
    EXPECT_EQ(big.edLot->text(), QStringLiteral("20"));
    EXPECT_EQ(big.edCurrency->text(), QStringLiteral("1.2343 / 1.2348"));
    big.btClose->click();
    ASSERT_NE(big.ConfirmBox(), nullptr);
    EXPECT_EQ(qobject_cast<TfrmConfirmCloseDeal *>(big.ConfirmBox())->lbPrice->text(), QStringLiteral("1.2345"));
    big.ConfirmBox()->reject();

    // A sell closes at the dealing ask; one lot cannot be split.
    TfrmOpenDeal sell(context, position({.id = 78, .currencyId = 1, .operation = 2, .lots = 1}));
    sell.btClose->click();
    auto *one = qobject_cast<TfrmConfirmCloseDeal *>(sell.ConfirmBox());
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->lbPrice->text(), u"1.2348");
    EXPECT_FALSE(one->upLot->isEnabled());
    one->reject();
}

TEST_F(OpenDeal, UnansweredOrCancelledCloseSendsNothing)
{
    TfrmOpenDeal d(context, position(buy5));
    d.show();
    const size_t before = pending();
    d.btClose->click();
    QPointer<QDialog> box = d.ConfirmBox();
    ASSERT_TRUE(box);
    for (int tick = 1; tick <= 7; ++tick) {
        d.tmTimer();
        ASSERT_TRUE(box && box->isVisible());
    }
    EXPECT_EQ(box->windowTitle(), u"Confirmation (1 sec)");
    d.tmTimer();
    EXPECT_EQ(d.ConfirmBox(), nullptr);
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btClose->isEnabled());

    d.btClose->click();
    ASSERT_TRUE(d.ConfirmBox());
    QTest::keyClick(d.ConfirmBox(), Qt::Key_Escape);
    EXPECT_EQ(d.ConfirmBox(), nullptr);

    d.btClose->click();
    ASSERT_TRUE(d.ConfirmBox());
    qobject_cast<TfrmConfirmCloseDeal *>(d.ConfirmBox())->btCancel->click();
    EXPECT_EQ(d.ConfirmBox(), nullptr);

    EXPECT_EQ(pending(), before);
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(dealer.received().empty());
}

TEST_F(OpenDeal, CloseWithoutADealingPriceFailsWithValueRequired)
{
    addInstrument(2, 1, "GBPUSD", 0, 0);
    const size_t before = pending();
    for (uint16_t instrument : {2, 9, 3}) {  // no quote, kind 0, unknown instrument
        TfrmOpenDeal d(context, position({.id = 5, .currencyId = instrument, .lots = 1}));
        d.btClose->click();
        EXPECT_EQ(d.ConfirmBox(), nullptr) << instrument;
    }
    EXPECT_EQ(errors, (QStringList{"Value requered", "Value requered", "Value requered"}));
    EXPECT_EQ(pending(), before);
}

TEST_F(OpenDeal, EndOfTheConnectionClosesTheDialogOrTheConfirmation)
{
    {
        TfrmOpenDeal d(context, 1);
        d.show();
        d.btBuy->click();
        ASSERT_TRUE(d.Busy);
        session.Disconnect();
        EXPECT_FALSE(d.Busy);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
    const size_t sentBefore = dealer.received().size();
    TfrmOpenDeal d(context, position(buy5));
    d.show();
    d.btClose->click();
    QPointer<QDialog> box = d.ConfirmBox();
    ASSERT_TRUE(box);
    session.Disconnect();
    EXPECT_EQ(d.ConfirmBox(), nullptr);
    EXPECT_TRUE(!box || !box->isVisible());
    EXPECT_TRUE(d.isVisible());  // nothing was outstanding
    EXPECT_EQ(dealer.received().size(), sentBefore);
}

TEST_F(OpenDeal, AnUnansweredCommandCanBeGivenUpAndItsStatusTextStays)
{
    context.ReplyTimeoutMs = 20;
    context.RunModal = [&](QDialog &dialog) {
        auto &d = dynamic_cast<TfrmOpenDeal &>(dialog);
        d.show();
        const size_t before = pending();
        d.btBuy->click();
        EXPECT_TRUE(WaitUntil([&] { return NoticeButton(d, TExtraText::NoAnswerKeepWaiting) != nullptr; }));
        EXPECT_EQ(d.NoAnswerNotice()->windowModality(), Qt::WindowModal);
        // Going on waiting: the notice comes back after another period.
        NoticeButton(d, TExtraText::NoAnswerKeepWaiting)->click();
        EXPECT_TRUE(d.Busy);
        EXPECT_TRUE(WaitUntil([&] { return NoticeButton(d, TExtraText::NoAnswerStopWaiting) != nullptr; }));
        NoticeButton(d, TExtraText::NoAnswerStopWaiting)->click();
        EXPECT_FALSE(d.Busy);
        EXPECT_TRUE(d.btBuy->isEnabled());
        EXPECT_EQ(pending(), before);  // the reply event is gone:
        reply(command(0), 8);          // a late reply is not handled
        return d.result();
    };
    OpenNewDeal(context, 1);
    EXPECT_EQ(status(), ExtraText(TExtraText::NoAnswerGivenUp));
}

TEST_F(OpenDeal, AReplyOrTheConnectionsEndClosesTheNoticeAndTheRequoteAnswerIsWatchedAnew)
{
    context.ReplyTimeoutMs = 20;
    TfrmOpenDeal d(context, 1);
    d.show();
    d.btBuy->click();
    ASSERT_TRUE(WaitUntil([&] { return d.NoAnswerNotice() != nullptr; }));
    QPointer<QMessageBox> notice = d.NoAnswerNotice();
    reply(command(0), 100, le32(12360));
    EXPECT_TRUE(!notice || !notice->isVisible());
    EXPECT_FALSE(d.WaitingForReply());  // the trader is awaited now
    ASSERT_TRUE(WaitUntil([&] { return d.ConfirmBox() != nullptr; }));
    qobject_cast<TRequoteBox *>(d.ConfirmBox())->btYes->click();
    EXPECT_EQ(command(1)[hdr::Code], cmdConfirmPrice);
    ASSERT_TRUE(WaitUntil([&] { return d.NoAnswerNotice() != nullptr; }));
    notice = d.NoAnswerNotice();
    session.Disconnect();
    EXPECT_TRUE(!notice || !notice->isVisible());
    EXPECT_FALSE(d.isVisible());
}

TEST_F(OpenDeal, QuoteRegistrationGoesWithTheDialogAndComesBackWithANewSession)
{
    const size_t base = pending();
    {
        TfrmOpenDeal d(context, 1);
        EXPECT_EQ(pending(), base + 1);
    }
    EXPECT_EQ(pending(), base);
    {
        // Dropped by the dispatcher first: removing it later is harmless.
        TfrmOpenDeal d(context, 1);
        session.Disconnect();
        EXPECT_EQ(pending(), 0u);
    }
    TfrmOpenDeal d(context, 1);
    d.show();
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }));
    EXPECT_EQ(pending(), 1u);
    quote(1, 12357, 12355);
    EXPECT_EQ(d.edCurrency->text(), u"1.2355 / 1.2358");
}

TEST_F(OfflineTradingTest, TradesWithoutAConnectionShowNoConnect)
{
    TfrmOpenDeal d(context, 1);
    d.btBuy->click();
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"No connect");
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btBuy->isEnabled());

    TfrmOpenDeal existing(context, TPositionImage::FromBytes(wire::Position{.id = 3, .currencyId = 1}.bytes()));
    session.ShowStatus(QString());
    existing.btClose->click();
    EXPECT_EQ(existing.ConfirmBox(), nullptr);
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"No connect");
    session.ShowStatus(QString());
    existing.btSave->click();
    EXPECT_EQ(session.PanelText(ClientSession::PanelStatus), u"No connect");
    EXPECT_FALSE(existing.Busy);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OpenDeal, OpenNewAndExistingDealClearTheStatusTextAfterwards)
{
    int runs = 0;
    context.RunModal = [&](QDialog &dialog) {
        ++runs;
        auto *d = qobject_cast<TfrmOpenDeal *>(&dialog);
        EXPECT_TRUE(d && !d->ExistingMode() && d->InstrumentId == 4);
        session.ShowStatus(QStringLiteral("Not enough money"));
        return int(QDialog::Rejected);
    };
    OpenNewDeal(context, 4);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(status().isEmpty());
    context.RunModal = [&](QDialog &dialog) {
        ++runs;
        EXPECT_TRUE(qobject_cast<TfrmOpenDeal *>(&dialog)->ExistingMode());
        session.ShowStatus(QStringLiteral("Incorrect price for Stop loss"));
        return int(QDialog::Rejected);
    };
    OpenExistingDeal(context, position(buy5));
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(status().isEmpty());
}
