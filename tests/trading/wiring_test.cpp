#include <gtest/gtest.h>

#include <memory>

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QTemporaryDir>

#include "clientsession.h"
#include "clientstate.h"
#include "cmlistview.h"
#include "e2e_support.h"
#include "dealerharness.h"
#include "inifile.h"
#include "mainform.h"
#include "serdata.h"
#include "tradecontext.h"
#include "usercurrency.h"
#include "testapp.h"
#include "tradewiring.h"
#include "tradingtest.h"

namespace {

// The main window against a quiet demo dealer, in English.
class TradeWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dealer.start());
        {
            TIniFile ini(paths.IniFile);
            ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
            ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), dealer.port());
            ini.WriteInteger(QStringLiteral("desktop"), QStringLiteral("Lang"), 1);
            ini.Save();
        }
        form = std::make_unique<TMainForm>(paths);
        form->ShowMessage = [](const QString &) {};
    }
    TradingApp app;
    QTemporaryDir home, data;
    DealerProcess dealer{data.path(), {QStringLiteral("--ticks-per-second"), QStringLiteral("0")}};
    const TKelvraPaths paths{home.path(), home.filePath(QStringLiteral("kelvra.ini")),
                             home.filePath(QStringLiteral("data"))};
    std::unique_ptr<TMainForm> form;  // goes before the dealer
};

} // namespace

// The trade actions of the main window and the list windows open the
// dialogs once wired, and need a connection.
TEST_F(TradeWiring, ActionsAreEnabledWithAConnection)
{
    TMainForm &window = *form;
    window.updateActions();
    EXPECT_FALSE(window.AOpenDeal->isEnabled());
    ConnectTradeDialogs(window);
    EXPECT_FALSE(window.AOpenDeal->isEnabled());  // not logged in
    ASSERT_TRUE(window.ViewActions().OpenNewDeal && window.ViewActions().OpenOrder && window.ViewActions().EditGroup);
    window.Login(1001, QStringLiteral("demo"));
    ASSERT_TRUE(WaitUntil([&] { return window.Session().LoggedIn(); }));
    window.updateActions();
    EXPECT_TRUE(window.AOpenDeal->isEnabled());
    EXPECT_TRUE(window.AOpedOrder->isEnabled());
    EXPECT_TRUE(window.frmViewOpenDeal->ANew->isEnabled());
    EXPECT_TRUE(window.frmViewOrder->ANew->isEnabled());
    EXPECT_FALSE(window.frmViewOpenDeal->AEdit->isEnabled());  // nothing selected
}

// F9 and Ctrl+N act on the selected quote, Delete on the order list deletes
// the selected order after the question; none of them fires in a text field.
TEST_F(TradeWiring, KeyboardCommands)
{
    TMainForm &window = *form;
    const std::shared_ptr<TTradeContext> context = ConnectTradeDialogs(window);
    int asked = 0;
    bool answer = false;
    context->AskOkCancel = [&](QWidget *, const QString &, const QString &) { return ++asked, answer; };
    std::vector<int> dealsFor;
    window.ViewActions().OpenNewDeal = [&](int id) { dealsFor.push_back(id); };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.Login(1001, QStringLiteral("demo"));
    TCMListView *quotes = window.frmViewCurrency->lv;
    ASSERT_TRUE(WaitUntil([&] { return quotes->RowCount() == 9; }));

    // Nothing selected: F9 and Ctrl+N do nothing.
    quotes->setFocus();
    QTest::keyClick(quotes, Qt::Key_F9);
    EXPECT_TRUE(dealsFor.empty());
    const QModelIndex second = quotes->model()->index(1, 0);
    quotes->setCurrentIndex(second);
    quotes->selectionModel()->select(second, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const TUserCurrency *selected = window.frmViewCurrency->SelectedInstrument();
    ASSERT_NE(selected, nullptr);
    QTest::keyClick(quotes, Qt::Key_F9);
    EXPECT_EQ(dealsFor, std::vector<int>{selected->Id});
    QTest::keyClick(quotes, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(window.Charts().size(), 1);
    EXPECT_EQ(window.Charts()[0]->Series()->InstrumentId, selected->Id);
    EXPECT_EQ(window.ANewDealSelected->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(window.help->shortcut(), QKeySequence(Qt::Key_F1));

    // In a text field the keys are typing.
    auto *edit = new QLineEdit(&window);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F9);
    QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dealsFor.size(), 1u);
    EXPECT_EQ(window.Charts().size(), 1);
    EXPECT_FALSE(window.ACrosshair->isChecked());
    quotes->setFocus();
    QTest::keyClick(quotes, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(window.ACrosshair->isChecked());

    // A pending order, selected in the order list.
    const TUserCurrency *eur = window.State().Lists().Instruments.FindRecord(1);
    ASSERT_TRUE(window.Session().SendCommand(e2e::placeCommand(1, 2, 1, eur->Ask - 300), nullptr, nullptr));
    TfrmViewOrder *orders = window.frmViewOrder;
    orders->OpenByUser();
    ASSERT_TRUE(WaitUntil([&] { return orders->lv->RowCount() == 1; }));
    orders->lv->setCurrentIndex(orders->lv->model()->index(0, 0));
    orders->lv->selectionModel()->select(orders->lv->model()->index(0, 0),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_TRUE(orders->ADelete->isEnabled());
    // Delete in the quotes list or a text field is not the order list's.
    quotes->setFocus();
    QTest::keyClick(quotes, Qt::Key_Delete);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(asked, 0);
    // In the order list it asks; Cancel keeps the order, OK deletes it.
    orders->lv->setFocus();
    QTest::keyClick(orders->lv, Qt::Key_Delete);
    EXPECT_EQ(asked, 1);
    answer = true;
    QTest::keyClick(orders->lv, Qt::Key_Delete);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(WaitUntil([&] { return window.State().Lists().Orders.Count() == 0; }));
    window.close();
}
