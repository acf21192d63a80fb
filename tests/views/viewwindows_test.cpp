#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "clientlists.h"
#include "languagetables.h"
#include "viewwindows.h"
#include "widgetapp.h"
#include "wirerecords.h"

namespace {

struct Widgets {
    Widgets()
    {
        EnsureWidgetApp();
        SetEnglish(true);
    }
};

class ViewWindows : public ::testing::Test {
protected:
    ViewWindows()
    {
        lists.SysVars.LotSize = 100000;
        auto add = [&](uint16_t id, const char *name) {
            auto c = std::make_unique<TUserCurrency>(&lists.Instruments);
            c->LoadFrom(wire::Instrument{id, 1, name, 2281565, 0, 12347, 12345}.bytes());
            lists.Instruments.AddInstrument(std::move(c));
        };
        add(1, "EURUSD");
        add(2, "GBPUSD");
        auto deal = std::make_unique<TUserDeal>(&lists.Positions);
        deal->LoadFrom(wire::Position{77, 1, 1, 2281565, 12300, 0, 0, 0, 1, 0, 0}.bytes());
        lists.Positions.Add(std::move(deal));
        for (auto [id, group] : {std::pair{5, 0}, std::pair{6, 3}}) {
            auto order = std::make_unique<TUserOrder>(&lists.Orders);
            order->LoadFrom(wire::Order{id, uint8_t(group), 1, 0, 2, 2281565, 0, 1, 0, 0, 12000}.bytes());
            lists.Orders.Add(std::move(order));
        }
        actions.Connected = [this] { return online; };
        actions.OpenExistingDeal = [this](TUserDeal *d) { opened << QStringLiteral("deal %1").arg(d->Id); };
        actions.OpenOrder = [this](TUserOrder *o) { opened << QStringLiteral("order %1").arg(o->Id); };
        actions.OpenNewDeal = [this](int id) { opened << QStringLiteral("new deal %1").arg(id); };
        actions.EditGroup = [this](int g) { opened << QStringLiteral("group %1").arg(g); };
        actions.NewGroup = [this](TUserOrder *o) { opened << QStringLiteral("new group %1").arg(o->Id); };
    }
    void select(TfrmBase &w, int row) { w.lv->ShowRow(w.lv->Row(row)); }
    Widgets app;
    TClientLists lists;
    TViewActions actions;
    bool online = false;
    QStringList opened;
};

} // namespace

TEST_F(ViewWindows, PositionsShowRowsAndSummaryAgainAfterReopening)
{
    TfrmViewOpenDeal w(lists, actions);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Open position"));
    w.OpenByUser();
    ASSERT_EQ(w.lv->RowCount(), 2);
    EXPECT_EQ(w.lv->Row(0)->Caption(), QStringLiteral("77"));
    EXPECT_EQ(w.lv->Row(0)->SubItem(1), QStringLiteral("EURUSD"));
    ASSERT_TRUE(w.lv->Row(1)->IsFooter());
    const QString summary = w.lv->Row(1)->Caption();
    EXPECT_TRUE(summary.contains(QStringLiteral("Balans"))) << summary.toStdString();
    w.CloseByUser();
    EXPECT_EQ(w.lv->RowCount(), 0);
    EXPECT_EQ(lists.Positions.View, nullptr);
    w.OpenByUser();
    ASSERT_EQ(w.lv->RowCount(), 2);
    EXPECT_EQ(w.lv->Row(1)->Caption(), summary);
    // The summary row opens nothing; a position opens its dialog.
    emit w.lv->activated(w.lv->Rows().index(1, 0));
    EXPECT_TRUE(opened.isEmpty());
    select(w, 0);
    emit w.lv->activated(w.lv->Rows().index(0, 0));
    EXPECT_EQ(opened, QStringList{QStringLiteral("deal 77")});
}

TEST_F(ViewWindows, TradeActionsNeedAConnectionButAnOrderOpensAnyway)
{
    TfrmViewOrder w(lists, actions);
    w.OpenByUser();
    select(w, 0);  // order 5, no group
    w.UpdateActions();
    EXPECT_FALSE(w.AEdit->isEnabled());
    EXPECT_FALSE(w.ANewGroup->isEnabled());
    EXPECT_FALSE(w.ANew->isEnabled());  // no callback: present, disabled
    emit w.lv->activated(w.lv->Rows().index(0, 0));
    EXPECT_EQ(opened, QStringList{QStringLiteral("order 5")});
    online = true;
    w.UpdateActions();
    EXPECT_TRUE(w.AEdit->isEnabled());
    EXPECT_TRUE(w.ANewGroup->isEnabled());
    EXPECT_FALSE(w.AEditGroup->isEnabled());
    select(w, 1);  // order 6 in group 3
    w.UpdateActions();
    EXPECT_TRUE(w.AEditGroup->isEnabled());
    EXPECT_FALSE(w.ANewGroup->isEnabled());
    w.AEditGroup->trigger();
    EXPECT_EQ(opened.last(), QStringLiteral("group 3"));
}

TEST_F(ViewWindows, SelectedQuoteShowsTheSelectedIconVariant)
{
    TfrmViewCurrency w(lists, actions);
    w.OpenByUser();
    lists.Instruments.FindRecord(1)->ApplyQuote(12350, 12348, 2281566);  // bid rose: image 0
    lists.Instruments.FindRecord(2)->ApplyQuote(12340, 12338, 2281566);  // fell: image 1
    ASSERT_EQ(w.lv->Row(0)->Image(), 0);
    select(w, 0);
    EXPECT_EQ(w.lv->Row(0)->Image(), 4);
    select(w, 1);
    EXPECT_EQ(w.lv->Row(0)->Image(), 0);
    EXPECT_EQ(w.lv->Row(1)->Image(), 5);
    // Chart actions follow the selection; trade actions the connection.
    w.UpdateActions();
    EXPECT_FALSE(w.AOpenDeal->isEnabled());
    EXPECT_FALSE(w.ChartActions[0]->isEnabled());  // no chart windows yet
    online = true;
    w.UpdateActions();
    w.AOpenDeal->trigger();
    EXPECT_EQ(opened, QStringList{QStringLiteral("new deal 2")});
}

TEST_F(ViewWindows, CaptionsFollowTheLanguage)
{
    TfrmViewHistory w(lists, {});
    SetEnglish(false);
    w.Retranslate();
    EXPECT_EQ(w.windowTitle(), CaptionTextIn(false, 53));
    EXPECT_EQ(w.lv->Rows().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), CaptionTextIn(false, 37));
    SetEnglish(true);
    w.Retranslate();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Account history"));
}
