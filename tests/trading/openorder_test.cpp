#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "openorderform.h"
#include "testapp.h"
#include "tradingtest.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class OpenOrder : public TradingTest {
protected:
    // A sell limit of two lots at 1.2500 with a take profit, already on the books.
    wire::Order sellLimit{.id = 55, .group = 3, .currencyId = 1, .orderType = 3, .time = 4321,
                          .reserved = 0xAABBCCDD, .lots = 2, .takeProfit = 12400, .price = 12500};
    TOrderFields existingOrder()
    {
        if (!lists.Orders.FindRecord(55))
            addOrder(sellLimit);
        return OrderFieldsOf(*lists.Orders.FindRecord(55));
    }
};

} // namespace

TEST_F(OpenOrder, NewOrderOffersOnlyThePendingTypes)
{
    TfrmOpenOrder d(context, 1);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("New order"));
    EXPECT_EQ(d.btSave->text(), QStringLiteral("Accept"));
    EXPECT_TRUE(d.btDelete->isHidden());
    EXPECT_EQ(d.cbCurrency->currentText(), QStringLiteral("EURUSD"));
    EXPECT_EQ(d.edLot->text(), QStringLiteral("1"));
    ASSERT_EQ(d.cbNameOrderType->count(), 4);
    const QStringList texts{"Buy limit", "Sell Limit", "Buy stop", "Sell stop"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.cbNameOrderType->itemText(i), texts[i]);
        EXPECT_EQ(d.cbNameOrderType->itemData(i).toInt(), i + 2);
    }
    EXPECT_EQ(d.cbNameOrderType->currentIndex(), -1);
}

TEST_F(OpenOrder, PlaceSendsThePendingRecordWithoutSide)
{
    TfrmOpenOrder d(context, 1);
    d.show();
    d.cbNameOrderType->setCurrentIndex(2);  // buy stop
    d.upLot->SetPosition(4);
    d.EdAtPrice->setText(QStringLiteral("1.2400"));
    d.edSL->setText(QStringLiteral("1.2350"));
    d.btSave->click();
    EXPECT_TRUE(d.Busy);
    for (QWidget *w : std::initializer_list<QWidget *>{d.cbCurrency, d.edLot, d.upLot, d.cbNameOrderType,
                                                       d.EdAtPrice, d.upPrice, d.edSL, d.upSl, d.edTp, d.upTp,
                                                       d.btSave, d.btDelete, d.Button3})
        EXPECT_FALSE(w->isEnabled());
    const TPacketBuffer place = command(0);
    EXPECT_EQ(place[hdr::Code], cmdPlace);
    Bytes expected(30, 0);
    expected[5] = 1;
    expected[8] = 4;
    expected[17] = 4;
    put32(expected, 22, 12350);
    put32(expected, 26, 12400);
    EXPECT_EQ(payload(place), expected);
    d.reject();
    EXPECT_TRUE(d.isVisible());
    reply(place, 0);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(OpenOrder, PlaceValidatesInstrumentTypeAndPrices)
{
    TfrmOpenOrder none(context, -1);
    none.show();
    none.btSave->click();
    EXPECT_EQ(none.focusWidget(), none.cbCurrency);

    TfrmOpenOrder d(context, 1);
    d.show();
    d.EdAtPrice->setText(QStringLiteral("1.2"));
    d.btSave->click();
    EXPECT_EQ(d.focusWidget(), d.cbNameOrderType);
    d.cbNameOrderType->setCurrentIndex(0);
    d.EdAtPrice->clear();
    d.btSave->click();
    EXPECT_EQ(d.focusWidget(), d.EdAtPrice);
    d.EdAtPrice->setText(QStringLiteral("0"));
    d.btSave->click();
    d.EdAtPrice->setText(QStringLiteral("1.2"));
    d.edTp->setText(QStringLiteral("x"));
    d.btSave->click();
    EXPECT_EQ(d.focusWidget(), d.edTp);
    EXPECT_EQ(errors, (QStringList{"Value requered", "Value requered", "Value requered", "Incorect value",
                                   "Incorect value"}));
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(dealer.received().empty());
}

TEST_F(OpenOrder, SteppersUseThePricesReadWhenTheInstrumentWasChosen)
{
    TfrmOpenOrder d(context, 1);
    d.upPrice->Click(TUpDown::btNext);
    EXPECT_EQ(d.EdAtPrice->text(), QStringLiteral("1.2347"));
    // A later quote changes the instrument, not the dialog's mid price.
    lists.Instruments.FindRecord(1)->ApplyQuote(12447, 12445, 0);
    quote(1, 12447, 12445);
    d.upTp->Click(TUpDown::btPrev);
    EXPECT_EQ(d.edTp->text(), QStringLiteral("1.2345"));
    d.upPrice->Click(TUpDown::btNext);
    EXPECT_EQ(d.EdAtPrice->text(), QStringLiteral("1.2348"));

    addInstrument(2, 1, "GBPUSD", 0, 0);
    TfrmOpenOrder unquoted(context, 2);
    unquoted.upPrice->Click(TUpDown::btNext);
    EXPECT_TRUE(unquoted.EdAtPrice->text().isEmpty());
}

TEST_F(OpenOrder, ExistingOrderModeStartsStopsFromTheOrderPrice)
{
    TfrmOpenOrder d(context, existingOrder());
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Order #55 (Sell Limit)"));
    EXPECT_EQ(d.btSave->text(), QStringLiteral("Save"));
    EXPECT_FALSE(d.btDelete->isHidden());
    EXPECT_EQ(d.cbNameOrderType->currentText(), QStringLiteral("Sell Limit"));
    EXPECT_EQ(d.edLot->text(), QStringLiteral("2"));
    EXPECT_EQ(d.EdAtPrice->text(), QStringLiteral("1.2500"));
    EXPECT_EQ(d.edTp->text(), QStringLiteral("1.2400"));
    EXPECT_TRUE(d.edSL->text().isEmpty());
    for (QWidget *w : std::initializer_list<QWidget *>{d.edLot, d.upLot, d.cbNameOrderType, d.cbCurrency})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(d.EdAtPrice->isEnabled());

    d.upSl->Click(TUpDown::btNext);
    EXPECT_EQ(d.edSL->text(), QStringLiteral("1.2501"));
    d.upPrice->Click(TUpDown::btPrev);
    EXPECT_EQ(d.EdAtPrice->text(), QStringLiteral("1.2499"));
    QTest::keyClick(d.edTp, Qt::Key_Up);  // the edits step them too
    EXPECT_EQ(d.edTp->text(), QStringLiteral("1.2401"));

    // An order of an instrument without a quote still steps, by one unit.
    TOrderFields unknown = existingOrder();
    unknown.CurrencyId = 3;
    TfrmOpenOrder u(context, unknown);
    u.upTp->Click(TUpDown::btNext);
    EXPECT_EQ(u.edTp->text(), QStringLiteral("1.2401"));
}

TEST_F(OpenOrder, ChangeSendsTheRecordWithTheNewValues)
{
    TfrmOpenOrder d(context, existingOrder());
    d.show();
    d.EdAtPrice->setText(QStringLiteral("1.2510"));
    d.edSL->setText(QStringLiteral("1.2600"));
    d.edTp->clear();
    d.btSave->click();
    const TPacketBuffer change = command(0);
    EXPECT_EQ(change[hdr::Code], cmdChangeOrder);
    Bytes expected = sellLimit.bytes();
    put32(expected, 18, 0);
    put32(expected, 22, 12600);
    put32(expected, 26, 12510);
    EXPECT_EQ(payload(change), expected);  // group, time and the reserved field kept

    // A refusal keeps the dialog open and unlocked; a requote is one too.
    replyText(change, 6, "");
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(d.btSave->isEnabled());
    EXPECT_FALSE(d.cbNameOrderType->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("Incorrect price"));
    d.btSave->click();
    reply(command(1), 100, {0x10, 0x27, 0, 0});
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.Busy);
    EXPECT_TRUE(status().startsWith(QStringLiteral("Error code: 100")));
    EXPECT_TRUE(WaitUntil([&] { return alerts.size() == 2; }));
}

TEST_F(OpenOrder, DeleteAsksFirst)
{
    TfrmOpenOrder d(context, existingOrder());
    d.show();
    answerOk = false;
    d.btDelete->click();
    EXPECT_EQ(questions, QStringList{QStringLiteral("Подтверждение: Are you sure to delete the order?")});
    EXPECT_FALSE(d.Busy);
    answerOk = true;
    d.btDelete->click();
    const TPacketBuffer del = command(0);
    EXPECT_EQ(dealer.received().size(), 1u);
    EXPECT_EQ(del[hdr::Code], cmdDeleteOrder);
    EXPECT_EQ(payload(del), (Bytes{55, 0, 0, 0}));
    EXPECT_TRUE(d.Busy);
    reply(del, 0);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(OpenOrder, EndOfTheConnectionClosesABusyDialog)
{
    TfrmOpenOrder d(context, existingOrder());
    d.show();
    d.btDelete->click();
    ASSERT_TRUE(d.Busy);
    session.Disconnect();
    EXPECT_FALSE(d.Busy);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(OpenOrder, OpenNewAndExistingOrderClearTheStatusText)
{
    context.RunModal = [&](QDialog &dialog) {
        auto *d = qobject_cast<TfrmOpenOrder *>(&dialog);
        EXPECT_TRUE(d && !d->ExistingMode());
        EXPECT_EQ(d->cbCurrency->currentIndex(), -1);
        session.ShowStatus(QStringLiteral("Incorrect price"));
        return int(QDialog::Rejected);
    };
    OpenNewOrder(context, -1);
    EXPECT_TRUE(status().isEmpty());
    context.RunModal = [&](QDialog &dialog) {
        EXPECT_TRUE(qobject_cast<TfrmOpenOrder *>(&dialog)->ExistingMode());
        session.ShowStatus(QStringLiteral("Incorrect price"));
        return int(QDialog::Rejected);
    };
    OpenExistingOrder(context, existingOrder());
    EXPECT_TRUE(status().isEmpty());
}
