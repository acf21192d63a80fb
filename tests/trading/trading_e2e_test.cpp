#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "clientstate.h"
#include "cmlistview.h"
#include "confirmclosedeal.h"
#include "dealerharness.h"
#include "extratexts.h"
#include "groupform.h"
#include "opendealform.h"
#include "openorderform.h"
#include "requotebox.h"
#include "reversedealform.h"
#include "testapp.h"
#include "tradingtest.h"
#include "units.h"

namespace {

constexpr int kWait = 15000;
constexpr qint32 kPoint = 1;  // EURUSD moves in steps of 0.0001

// The dialogs against the real dealer with its market frozen; the windows
// are stood in for by list views attached to the client's lists, so every
// result is seen arriving through the server's pushes.
class TradingEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        dealer = std::make_unique<DealerProcess>(dir.path(), QStringList{"--ticks-per-second", "0"});
        ASSERT_TRUE(dealer->start()) << dealer->firstLine.toStdString();
        for (TCMListView *v : {&positionsView, &ordersView})
            v->SetColumns(std::vector<TListColumn>(11, TListColumn{18}));
        lists().Positions.AttachView(&positionsView);
        lists().Orders.AttachView(&ordersView);
        QObject::connect(&state, &ClientState::replyHandled, [this](quint8 code, bool last, bool) {
            if (last)
                handled.push_back(code);
        });
        session.Thread().SetServerList(QStringLiteral("127.0.0.1"));
        session.Thread().SetPort(dealer->port());
        session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
        ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn(); }, kWait)) << status().toStdString();
        ASSERT_TRUE(WaitUntil([&] { return seen(cmdGetSysVariables) && seen(cmdGetInstruments)
                                        && seen(cmdGetPositions) && seen(cmdGetOrders); },
                              kWait));
        eur = lists().Instruments.FindRecord(1);
        ASSERT_TRUE(eur && eur->Name == QStringLiteral("EURUSD") && eur->Ask > 0);
        context.CountdownIntervalMs = 5000;  // slow machines: never the countdown's doing
        context.ShowError = [this](QWidget *, const QString &text) { errors << text; };
        context.AskOkCancel = [](QWidget *, const QString &, const QString &) { return true; };
    }
    void TearDown() override
    {
        session.Shutdown();
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QStringLiteral("; ")).toStdString();
    }

    TClientLists &lists() { return state.Lists(); }
    QString status() const { return session.PanelText(ClientSession::PanelStatus); }
    bool seen(uint8_t code) const { return std::find(handled.begin(), handled.end(), code) != handled.end(); }

    // The next modal run: shows the dialog, lets the driver work it and
    // waits until it has closed.
    template <class Form>
    void drive(std::function<void(Form &)> driver)
    {
        context.RunModal = [this, driver](QDialog &dialog) {
            auto *form = qobject_cast<Form *>(&dialog);
            EXPECT_NE(form, nullptr);
            if (!form)
                return int(QDialog::Rejected);
            form->show();
            driver(*form);
            EXPECT_TRUE(WaitUntil([&] { return !form->isVisible(); }, kWait)) << status().toStdString();
            lastResult = form->result();
            return lastResult;
        };
    }
    // Moves the market: the quote push follows.
    void setBid(qint32 bid)
    {
        QString out;
        ASSERT_TRUE(dealer->admin({"set-price", "EURUSD", QString::number(bid / 10000.0, 'f', 4)}, &out))
            << out.toStdString();
    }
    void waitBid(qint32 bid) { ASSERT_TRUE(WaitUntil([&] { return eur->Bid == bid; }, kWait)); }
    TUserDeal *onlyPosition()
    {
        return lists().Positions.Count() == 1 ? lists().Positions.Item(0) : nullptr;
    }
    // Opens a buy of that many lots through the dialog; its id.
    qint32 openBuy(int lots)
    {
        const int before = lists().Positions.Count();
        drive<TfrmOpenDeal>([lots](TfrmOpenDeal &d) {
            d.upLot->SetPosition(lots);
            d.btBuy->click();
        });
        OpenNewDeal(context, eur->Id);
        EXPECT_EQ(lastResult, QDialog::Accepted);
        EXPECT_TRUE(WaitUntil([&] { return lists().Positions.Count() == before + 1; }, kWait));
        qint32 id = 0;
        for (int i = 0; i < lists().Positions.Count(); ++i)
            id = qMax(id, lists().Positions.Item(i)->Id);
        return id;
    }
    // Places a pending order through the dialog.
    void place(int typeIndex, qint32 price)
    {
        const int before = lists().Orders.Count();
        drive<TfrmOpenOrder>([typeIndex, price](TfrmOpenOrder &d) {
            d.cbNameOrderType->setCurrentIndex(typeIndex);
            d.EdAtPrice->setText(PriceText(price));
            d.btSave->click();
        });
        OpenNewOrder(context, eur->Id);
        EXPECT_EQ(lastResult, QDialog::Accepted);
        EXPECT_TRUE(WaitUntil([&] { return lists().Orders.Count() == before + 1; }, kWait));
    }

    TradingApp app;
    TCMListView positionsView;  // outlive the lists that fill them
    TCMListView ordersView;
    QTemporaryDir dir;
    std::unique_ptr<DealerProcess> dealer;
    ClientSession session;
    ClientState state{session};
    TTradeContext context{session, state.Lists()};
    std::vector<quint8> handled;
    TUserCurrency *eur = nullptr;
    QStringList errors;
    int lastResult = -1;
};

} // namespace

TEST_F(TradingEndToEnd, OpenModifyPartlyCloseAndClose)
{
    const qint32 id = openBuy(5);
    TUserDeal *deal = onlyPosition();
    ASSERT_NE(deal, nullptr);
    EXPECT_EQ(deal->Lots, 5);
    EXPECT_EQ(positionsView.RowCount(), 1);
    qint32 ask = eur->Ask, bid = eur->Bid;
    DealingPrices(ask, bid, 5, TSpreadTable(lists().SysVars.SpreadTable), eur->Kind);
    EXPECT_EQ(deal->OpenPrice, ask);
    EXPECT_TRUE(status().isEmpty());

    const qint32 stopLoss = eur->Bid - 50 * kPoint, takeProfit = eur->Bid + 60 * kPoint;
    drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
        d.edSL->setText(PriceText(stopLoss));
        d.edTp->setText(PriceText(takeProfit));
        d.btSave->click();
    });
    OpenExistingDeal(context, TPositionImage::FromDeal(*deal));
    EXPECT_EQ(lastResult, QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] {
        TUserDeal *p = lists().Positions.FindRecord(id);
        return p && p->StopLoss == stopLoss && p->TakeProfit == takeProfit;
    }, kWait));

    for (int lots : {2, 3}) {
        drive<TfrmOpenDeal>([lots](TfrmOpenDeal &d) {
            d.btClose->click();
            auto *box = qobject_cast<TfrmConfirmCloseDeal *>(d.ConfirmBox());
            ASSERT_NE(box, nullptr);
            box->upLot->SetPosition(lots);
            box->btOk->click();
        });
        OpenExistingDeal(context, TPositionImage::FromDeal(*lists().Positions.FindRecord(id)));
        EXPECT_EQ(lastResult, QDialog::Accepted);
        if (lots == 2) {
            ASSERT_TRUE(WaitUntil([&] { return onlyPosition() && onlyPosition()->Lots == 3; }, kWait));
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return lists().Positions.Count() == 0; }, kWait));
    EXPECT_EQ(positionsView.RowCount(), 0);
}

TEST_F(TradingEndToEnd, CloseRequoteAcceptedAndRefused)
{
    for (bool accept : {true, false}) {
        const qint32 id = openBuy(1);
        QString offered;
        drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
            d.btClose->click();
            ASSERT_NE(d.ConfirmBox(), nullptr);
            // The market moves while the confirmation is open.
            const qint32 moved = eur->Bid + 20 * kPoint;
            setBid(moved);
            waitBid(moved);
            qobject_cast<TfrmConfirmCloseDeal *>(d.ConfirmBox())->btOk->click();
            ASSERT_TRUE(WaitUntil([&] { return qobject_cast<TRequoteBox *>(d.ConfirmBox()) != nullptr; }, kWait))
                << status().toStdString();
            auto *box = qobject_cast<TRequoteBox *>(d.ConfirmBox());
            qint32 ask = eur->Ask, bid = eur->Bid;
            DealingPrices(ask, bid, 1, TSpreadTable(lists().SysVars.SpreadTable), eur->Kind);
            offered = PriceText(bid);
            EXPECT_EQ(d.RequotePrice, bid);
            EXPECT_TRUE(box->Text().contains(QStringLiteral("New price : ") + offered));
            if (accept) {
                box->btYes->click();
                return;
            }
            box->btNo->click();
            ASSERT_TRUE(WaitUntil([&] { return !d.Busy; }, kWait));
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(status(), QStringLiteral("Price is changed"));
            d.Button3->click();
        });
        OpenExistingDeal(context, TPositionImage::FromDeal(*lists().Positions.FindRecord(id)));
        if (accept) {
            EXPECT_EQ(lastResult, QDialog::Accepted);
            ASSERT_TRUE(WaitUntil([&] { return lists().Positions.FindRecord(id) == nullptr; }, kWait));
        } else {
            EXPECT_EQ(lastResult, QDialog::Rejected);
            EXPECT_NE(lists().Positions.FindRecord(id), nullptr);
        }
    }
}

TEST_F(TradingEndToEnd, OpenRequoteAcceptedAtTheNewPrice)
{
    qint32 offered = 0;
    drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
        // No event runs between the move and the click: the dialog still has the old price.
        setBid(eur->Bid + 30 * kPoint);
        d.btBuy->click();
        ASSERT_TRUE(WaitUntil([&] { return qobject_cast<TRequoteBox *>(d.ConfirmBox()) != nullptr; }, kWait))
            << status().toStdString();
        offered = d.RequotePrice;
        qobject_cast<TRequoteBox *>(d.ConfirmBox())->btYes->click();
    });
    OpenNewDeal(context, eur->Id);
    EXPECT_EQ(lastResult, QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] { return onlyPosition() != nullptr; }, kWait));
    EXPECT_EQ(onlyPosition()->OpenPrice, offered);
    EXPECT_EQ(positionsView.RowCount(), 1);
}

TEST_F(TradingEndToEnd, ReverseABuyIntoASell)
{
    const qint32 id = openBuy(2);
    drive<TfrmReverseDeal>([](TfrmReverseDeal &d) {
        EXPECT_EQ(d.edLot->text(), QStringLiteral("3"));
        d.upLot->Click(TUpDown::btNext);  // 4 lots: a sell of 2
        d.btSave->click();
    });
    OpenReverse(context, TPositionImage::FromDeal(*lists().Positions.FindRecord(id)));
    EXPECT_EQ(lastResult, QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] { return onlyPosition() && onlyPosition()->Id != id; }, kWait));
    EXPECT_EQ(onlyPosition()->Operation, 2);
    EXPECT_EQ(onlyPosition()->Lots, 2);
    EXPECT_EQ(positionsView.RowCount(), 1);
}

TEST_F(TradingEndToEnd, PendingOrderPlacedChangedDeletedAndTriggered)
{
    const qint32 price = eur->Ask - 50 * kPoint;
    place(0, price);  // buy limit
    ASSERT_EQ(lists().Orders.Count(), 1);
    const qint32 id = lists().Orders.Item(0)->Id;
    EXPECT_EQ(lists().Orders.Item(0)->Price, price);
    EXPECT_EQ(ordersView.RowCount(), 1);

    drive<TfrmOpenOrder>([price](TfrmOpenOrder &d) {
        d.EdAtPrice->setText(PriceText(price - 10 * kPoint));
        d.edSL->setText(PriceText(price - 100 * kPoint));
        d.btSave->click();
    });
    OpenExistingOrder(context, *lists().Orders.FindRecord(id));
    EXPECT_EQ(lastResult, QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] {
        TUserOrder *o = lists().Orders.FindRecord(id);
        return o && o->Price == price - 10 * kPoint && o->StopLoss == price - 100 * kPoint;
    }, kWait));

    drive<TfrmOpenOrder>([](TfrmOpenOrder &d) { d.btDelete->click(); });
    OpenExistingOrder(context, *lists().Orders.FindRecord(id));
    EXPECT_EQ(lastResult, QDialog::Accepted);
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Count() == 0; }, kWait));
    EXPECT_EQ(ordersView.RowCount(), 0);

    // The market falls to the order: it becomes a position.
    const qint32 limit = eur->Ask - 20 * kPoint;
    place(0, limit);
    setBid(limit - 30 * kPoint);
    ASSERT_TRUE(WaitUntil([&] { return lists().Orders.Count() == 0 && onlyPosition() != nullptr; }, kWait));
    EXPECT_EQ(onlyPosition()->OpenPrice, limit);
    EXPECT_EQ(positionsView.RowCount(), 1);
}

TEST_F(TradingEndToEnd, GroupFormedAndDissolved)
{
    place(0, eur->Ask - 40 * kPoint);
    place(0, eur->Ask - 60 * kPoint);
    lists().Orders.RandomGroup = [] { return 42; };
    context.RunModal = [](QDialog &dialog) {
        auto &form = dynamic_cast<TfrmGroup &>(dialog);
        EXPECT_TRUE(form.NewGroup());
        for (int i = 0; i < form.lv->topLevelItemCount(); ++i)
            form.lv->topLevelItem(i)->setCheckState(0, Qt::Checked);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(EditGroup(context, 0));
    auto allIn = [&](int group) {
        if (lists().Orders.Count() != 2)
            return false;
        for (int i = 0; i < 2; ++i)
            if (lists().Orders.Item(i)->Group != group)
                return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil([&] { return allIn(42); }, kWait)) << status().toStdString();

    context.RunModal = [](QDialog &dialog) {
        auto &form = dynamic_cast<TfrmGroup &>(dialog);
        EXPECT_FALSE(form.NewGroup());
        form.lv->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(EditGroup(context, 42));
    ASSERT_TRUE(WaitUntil([&] { return allIn(0); }, kWait)) << status().toStdString();
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(ordersView.RowCount(), 2);
}

// The dealer holds back the reply to the next trade command; the position
// still comes through its pushes.
TEST_F(TradingEndToEnd, AnUnansweredOpenIsGivenUpAndItsLateReplyIgnored)
{
    context.ReplyTimeoutMs = 300;
    QString out;
    ASSERT_TRUE(dealer->admin({"hold-reply", "1001"}, &out)) << out.toStdString();
    size_t before = 0;
    drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
        before = session.Dispatcher().EventCount();
        d.btBuy->click();
        ASSERT_TRUE(WaitUntil([&] { return onlyPosition() != nullptr; }, kWait));
        ASSERT_TRUE(WaitUntil([&] { return NoticeButton(d, TExtraText::NoAnswerStopWaiting) != nullptr; }, kWait));
        EXPECT_TRUE(d.Busy);
        NoticeButton(d, TExtraText::NoAnswerStopWaiting)->click();
        EXPECT_FALSE(d.Busy);
        EXPECT_TRUE(d.btBuy->isEnabled());
        EXPECT_EQ(session.Dispatcher().EventCount(), before);
    });
    OpenNewDeal(context, eur->Id);
    EXPECT_EQ(lastResult, QDialog::Rejected);
    EXPECT_EQ(status(), ExtraText(TExtraText::NoAnswerGivenUp));

    // The late reply comes before the quote that follows it, and changes nothing.
    ASSERT_TRUE(dealer->admin({"release-reply", "1001"}, &out)) << out.toStdString();
    const qint32 moved = eur->Bid + 10 * kPoint;
    setBid(moved);
    waitBid(moved);
    EXPECT_EQ(status(), ExtraText(TExtraText::NoAnswerGivenUp));
    EXPECT_EQ(lists().Positions.Count(), 1);
    EXPECT_EQ(positionsView.RowCount(), 1);
}

TEST_F(TradingEndToEnd, AReplyWhileTheNoticeIsShownIsHandledAsEver)
{
    context.ReplyTimeoutMs = 300;
    QString out;
    ASSERT_TRUE(dealer->admin({"hold-reply", "1001"}, &out)) << out.toStdString();
    drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
        d.btBuy->click();
        ASSERT_TRUE(WaitUntil([&] { return d.NoAnswerNotice() != nullptr; }, kWait));
        QPointer<QMessageBox> notice = d.NoAnswerNotice();
        ASSERT_TRUE(dealer->admin({"release-reply", "1001"}, &out)) << out.toStdString();
        ASSERT_TRUE(WaitUntil([&] { return !d.isVisible(); }, kWait));
        EXPECT_TRUE(!notice || !notice->isVisible());
    });
    OpenNewDeal(context, eur->Id);
    EXPECT_EQ(lastResult, QDialog::Accepted);
    EXPECT_TRUE(WaitUntil([&] { return onlyPosition() != nullptr; }, kWait));
}

// The link goes while the requote box is open: accepting then cannot reach
// the dealer, the dialog ends without a position, and after the relogin the
// lists are whole.
TEST_F(TradingEndToEnd, TheLinkLostWhileARequoteBoxIsOpen)
{
    drive<TfrmOpenDeal>([&](TfrmOpenDeal &d) {
        setBid(eur->Bid + 30 * kPoint);
        d.btBuy->click();
        ASSERT_TRUE(WaitUntil([&] { return qobject_cast<TRequoteBox *>(d.ConfirmBox()) != nullptr; }, kWait))
            << status().toStdString();
        ASSERT_TRUE(dealer->admin({"drop-after", "1001", "0"}));
        setBid(eur->Bid + 31 * kPoint);  // the quote push that never arrives
        ASSERT_TRUE(WaitUntil([&] { return !session.LoggedIn(); }, kWait));
        if (auto *box = qobject_cast<TRequoteBox *>(d.ConfirmBox()))
            box->btYes->click();
        if (d.isVisible())
            d.reject();
    });
    OpenNewDeal(context, eur->Id);
    EXPECT_NE(lastResult, QDialog::Accepted);
    errors.clear();  // what the dialog said about the lost link
    handled.clear();
    session.Login(1001, QStringLiteral("demo"), TKeyRecord{});
    ASSERT_TRUE(WaitUntil([&] { return session.LoggedIn() && seen(cmdGetPositions) && seen(cmdGetOrders); }, kWait));
    EXPECT_EQ(lists().Positions.Count(), 0);
    EXPECT_EQ(positionsView.RowCount(), 0);
}
