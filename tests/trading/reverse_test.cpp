#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "extratexts.h"
#include "requotebox.h"
#include "reversedealform.h"
#include "testapp.h"
#include "tradingtest.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes reversal(uint32_t id, uint32_t price, int32_t lots)
{
    Bytes b;
    for (uint32_t v : {id, price, uint32_t(lots)})
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    return b;
}

class Reverse : public TradingTest {
protected:
    TPositionImage buy3 = position({.id = 88, .currencyId = 1, .operation = 1, .lots = 3});
};

} // namespace

TEST_F(Reverse, ThreeLotBuyStartsAtFourLotsAndSendsOneMoreAtTheDealingBid)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Reverse operation #88"));
    EXPECT_EQ(d.lbCloseDeal->text(), QStringLiteral("Operation: Buy; symbol EURUSD; lot: 3"));
    EXPECT_EQ(d.lbOpenDeal->text(), QStringLiteral("Operation: Sell; symbol EURUSD"));
    EXPECT_EQ(d.Label3->text(), QStringLiteral("Close at price"));
    EXPECT_EQ(d.edLot->text(), QStringLiteral("4"));
    EXPECT_EQ(d.upLot->Min(), 4);
    EXPECT_EQ(d.upLot->Max(), 10);
    EXPECT_EQ(d.lbClosePrice->text(), QStringLiteral("1.2345"));
    EXPECT_EQ(d.lbOpenPrice->text(), QStringLiteral("1.2345"));
    d.btSave->click();
    const TPacketBuffer sent = command(0);
    EXPECT_EQ(sent[hdr::Code], cmdReversePosition);
    EXPECT_EQ(payload(sent), reversal(88, 12345, 1));
    EXPECT_TRUE(d.Busy);
    EXPECT_EQ(d.CountdownSubject(), nullptr);
    reply(sent, 0);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(Reverse, MoreLotsKeepTheOneLotPrice)
{
    TfrmReverseDeal d(context, buy3);
    for (int i = 0; i < 20; ++i)
        d.upLot->Click(TUpDown::btNext);
    EXPECT_EQ(d.edLot->text(), QStringLiteral("10"));
    EXPECT_EQ(d.lbClosePrice->text(), QStringLiteral("1.2345"));
    d.btSave->click();
    EXPECT_EQ(payload(command(0)), reversal(88, 12345, 7));

    // A sell is closed at the dealing ask and becomes a buy.
    TfrmReverseDeal sell(context, position({.id = 89, .currencyId = 1, .operation = 2, .lots = 1}));
    EXPECT_EQ(sell.lbOpenDeal->text(), QStringLiteral("Operation: Buy; symbol EURUSD"));
    EXPECT_EQ(sell.lbClosePrice->text(), QStringLiteral("1.2348"));
}

TEST_F(Reverse, BigPositionsStillOfferALotCount)
{
    TfrmReverseDeal ten(context, position({.id = 90, .currencyId = 1, .operation = 1, .lots = 10}));
    EXPECT_EQ(ten.edLot->text(), QStringLiteral("11"));
    EXPECT_EQ(ten.upLot->Max(), 11);
    ten.btSave->click();
    EXPECT_EQ(payload(command(0)), reversal(90, 12345, 1));

    TfrmReverseDeal full(context, position({.id = 91, .currencyId = 1, .operation = 1, .lots = 100}));
    EXPECT_EQ(full.edLot->text(), QStringLiteral("101"));
    const size_t before = pending();
    full.btSave->click();
    EXPECT_EQ(errors, QStringList{QStringLiteral("Incorect value")});
    EXPECT_EQ(pending(), before);
}

TEST_F(Reverse, TheOfferClosesItselfOnTheEighthTick)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    EXPECT_TRUE(d.tm->isActive());
    EXPECT_EQ(d.CountdownSubject(), &d);
    for (int tick = 1; tick <= 7; ++tick) {
        d.tmTimer();
        ASSERT_TRUE(d.isVisible()) << tick;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Reverse operation #88 (%1 sec)").arg(8 - tick));
    }
    d.tmTimer();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(dealer.received().empty());
}

TEST_F(Reverse, ConfirmedOfferWaitsLockedForTheAnswer)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    ASSERT_TRUE(d.Busy);
    for (int tick = 0; tick < 10; ++tick)
        d.tmTimer();
    EXPECT_TRUE(d.isVisible());
    // A lot change never unlocks while the reversal is outstanding.
    d.edLot->setText(QStringLiteral("5"));
    EXPECT_FALSE(d.btSave->isEnabled());
    EXPECT_FALSE(d.upLot->isEnabled());
    d.reject();
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(command(0)[hdr::Code], cmdReversePosition);
}

TEST_F(Reverse, ServerErrorClosesTheDialog)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    replyText(command(0), 3, "");
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.Busy);
    EXPECT_EQ(status(), QStringLiteral("Record not found"));
    EXPECT_TRUE(WaitUntil([&] { return alerts == QStringList{QStringLiteral("Record not found")}; }));
}

TEST_F(Reverse, RequoteBoxCountsDownWithoutRewritingItsCaption)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    reply(command(0), 100, {0x44, 0x30, 0, 0});  // 12356
    EXPECT_EQ(d.RequoteBox(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return d.RequoteBox() != nullptr; }));
    QPointer<TRequoteBox> box = d.RequoteBox();
    EXPECT_EQ(d.CountdownSubject(), box.data());
    EXPECT_TRUE(box->Text().contains(QStringLiteral("New price : 1.2356\r")));
    EXPECT_EQ(box->font(), d.font());
    const QString caption = box->windowTitle();
    const QString dialogCaption = d.windowTitle();
    for (int tick = 1; tick <= 7; ++tick) {
        d.tmTimer();
        ASSERT_TRUE(box && box->isVisible());
        EXPECT_EQ(box->windowTitle(), caption);
    }
    EXPECT_EQ(d.windowTitle(), dialogCaption);
    d.tmTimer();
    EXPECT_EQ(d.RequoteBox(), nullptr);
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btSave->isEnabled());
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.tm->isActive());
    EXPECT_EQ(dealer.received().size(), 1u);
}

TEST_F(Reverse, RequoteAnsweredYesSendsTheConfirmation)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    reply(command(0), 100, {0x44, 0x30, 0, 0});
    ASSERT_TRUE(WaitUntil([&] { return d.RequoteBox() != nullptr; }));
    d.RequoteBox()->btYes->click();
    const TPacketBuffer answer = command(1);
    EXPECT_EQ(answer[hdr::Code], cmdConfirmPrice);
    EXPECT_EQ(payload(answer), (Bytes{1, 0, 0, 0}));
    EXPECT_TRUE(d.Busy);
    EXPECT_FALSE(d.btSave->isEnabled());
    reply(answer, 0);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(Reverse, AnUnansweredRequoteAnswerCanBeGivenUp)
{
    context.ReplyTimeoutMs = 20;
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    reply(command(0), 100, {0x44, 0x30, 0, 0});
    ASSERT_TRUE(WaitUntil([&] { return d.RequoteBox() != nullptr; }));
    d.RequoteBox()->btYes->click();
    EXPECT_EQ(command(1)[hdr::Code], cmdConfirmPrice);
    ASSERT_TRUE(WaitUntil([&] { return NoticeButton(d, TExtraText::NoAnswerStopWaiting) != nullptr; }));
    NoticeButton(d, TExtraText::NoAnswerStopWaiting)->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.Busy);
    EXPECT_EQ(status(), ExtraText(TExtraText::NoAnswerGivenUp));
}

TEST_F(Reverse, NoDealingPriceFailsWithValueRequired)
{
    addInstrument(2, 1, "GBPUSD", 0, 0);
    const size_t before = pending();
    for (uint16_t instrument : {2, 9}) {
        TfrmReverseDeal d(context, position({.id = 92, .currencyId = instrument, .lots = 1}));
        d.btSave->click();
        EXPECT_FALSE(d.Busy);
    }
    EXPECT_EQ(errors, (QStringList{"Value requered", "Value requered"}));
    EXPECT_EQ(pending(), before);
}

TEST_F(Reverse, EndOfTheConnectionClosesTheDialog)
{
    TfrmReverseDeal d(context, buy3);
    d.show();
    d.btSave->click();
    session.Disconnect();
    EXPECT_FALSE(d.Busy);
    EXPECT_FALSE(d.isVisible());

    TfrmReverseDeal offline(context, buy3);
    offline.btSave->click();
    EXPECT_EQ(status(), QStringLiteral("No connect"));
    EXPECT_FALSE(offline.Busy);
}
