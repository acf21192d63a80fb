#include <QCoreApplication>
#include <QTreeWidget>

#include "groupform.h"
#include "testapp.h"
#include "tradingtest.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Groups : public TradingTest {
protected:
    void SetUp() override
    {
        TradingTest::SetUp();
        addOrder({.id = 1, .currencyId = 1, .orderType = 2, .lots = 1, .stopLoss = 12000, .price = 12300});
        addOrder({.id = 2, .currencyId = 1, .orderType = 5, .lots = 2, .price = 12200});
        addOrder({.id = 3, .group = 7, .currencyId = 4, .orderType = 3, .lots = 1, .price = 1060000});
        addOrder({.id = 4, .group = 5, .currencyId = 1, .orderType = 4, .lots = 1, .price = 12500});
        addOrder({.id = 6, .group = 7, .currencyId = 1, .orderType = 2, .lots = 1, .price = 12100});
    }
    // Runs the dialog with a driver; records what it saw.
    void drive(const std::function<void(TfrmGroup &)> &driver, int result = QDialog::Accepted)
    {
        context.RunModal = [this, driver, result](QDialog &dialog) {
            auto &form = dynamic_cast<TfrmGroup &>(dialog);
            ++shown;
            caption = form.windowTitle();
            for (int i = 0; i < form.lv->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = form.lv->topLevelItem(i);
                rows << item->text(0) + (item->checkState(0) == Qt::Checked ? QStringLiteral("+") : QString());
            }
            driver(form);
            return result;
        };
    }
    static void check(TfrmGroup &form, const QString &id, bool on)
    {
        const auto found = form.lv->findItems(id, Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1);
        found.first()->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    int shown = 0;
    QString caption;
    QStringList rows;
};

} // namespace

TEST_F(Groups, AGroupListsItsMembersAndTheUngroupedOrders)
{
    drive([](TfrmGroup &form) {
        EXPECT_FALSE(form.NewGroup());
        EXPECT_EQ(form.lv->headerItem()->text(0), QStringLiteral("Id"));
        EXPECT_EQ(form.lv->headerItem()->text(1), QStringLiteral("Order"));
        EXPECT_EQ(form.lv->topLevelItem(0)->text(1), QStringLiteral("Buy limit EURUSD lot: 1;at price: 1.2300 (s/l=1.2000)"));
        check(form, "2", true);
        check(form, "3", false);
    });
    ASSERT_TRUE(EditGroup(context, 7));
    EXPECT_EQ(caption, QStringLiteral("Group #7"));
    EXPECT_EQ(rows, (QStringList{"1", "2", "3+", "6+"}));  // never order 4 of group 5
    const TPacketBuffer sent = command(0);
    EXPECT_EQ(sent[hdr::Code], cmdGroupOrders);
    EXPECT_EQ(payload(sent), (Bytes{7, 2, 0, 2, 0, 0, 0, 6, 0, 0, 0}));
}

TEST_F(Groups, OneCheckedOrderDissolvesTheGroup)
{
    drive([](TfrmGroup &form) { check(form, "3", false); });
    ASSERT_TRUE(EditGroup(context, 7));
    EXPECT_EQ(payload(command(0)), (Bytes{7, 0, 0}));
}

TEST_F(Groups, ANewGroupTakesAFreeNumber)
{
    std::vector<int> draws{7, 5, 9};
    lists.Orders.RandomGroup = [&] {
        const int g = draws.front();
        draws.erase(draws.begin());
        return g;
    };
    drive([](TfrmGroup &form) {
        EXPECT_TRUE(form.NewGroup());
        check(form, "1", true);
        check(form, "2", true);
    });
    ASSERT_TRUE(EditGroup(context, 0));
    EXPECT_EQ(caption, QStringLiteral("New group #9"));
    EXPECT_EQ(rows, (QStringList{"1", "2"}));
    EXPECT_EQ(payload(command(0)), (Bytes{9, 2, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
}

TEST_F(Groups, NothingOpensWithoutANumberOrWithFewerThanTwoRows)
{
    drive([](TfrmGroup &) {});
    lists.Orders.RandomGroup = [] { return 7; };  // always taken: no free number
    EXPECT_FALSE(EditGroup(context, -1));
    // A single ungrouped order cannot form a group.
    lists.Orders.RandomGroup = [] { return 9; };
    lists.Orders.Remove(lists.Orders.FindRecord(2));
    lists.Orders.Remove(lists.Orders.FindRecord(4));
    EXPECT_FALSE(EditGroup(context, 0));
    EXPECT_FALSE(EditGroup(context, 300));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(pending(), 0u);
}

TEST_F(Groups, CancelSendsNothing)
{
    drive([](TfrmGroup &form) { check(form, "1", true); }, QDialog::Rejected);
    EXPECT_FALSE(EditGroup(context, 7));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(pending(), 0u);
}

TEST_F(Groups, TheMainWindowHandlerShowsOnlyFailuresWithoutAlert)
{
    drive([](TfrmGroup &) {});
    ASSERT_TRUE(EditGroup(context, 7));
    const TPacketBuffer sent = command(0);
    session.ShowStatus(QStringLiteral("before"));
    reply(sent, 0);
    EXPECT_EQ(status(), QStringLiteral("before"));
    ASSERT_TRUE(EditGroup(context, 7));
    replyText(command(1), 3, "");
    EXPECT_EQ(status(), QStringLiteral("Record not found"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(pending(), 0u);
}
