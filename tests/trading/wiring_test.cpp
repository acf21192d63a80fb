#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>

#include "clientsession.h"
#include "dealerharness.h"
#include "inifile.h"
#include "mainform.h"
#include "testapp.h"
#include "tradewiring.h"
#include "tradingtest.h"

// The trade actions of the main window and the list windows open the
// dialogs once wired, and need a connection.
TEST(TradeWiring, ActionsAreEnabledWithAConnection)
{
    TradingApp app;
    QTemporaryDir home, data;
    DealerProcess dealer(data.path(), {QStringLiteral("--ticks-per-second"), QStringLiteral("0")});
    ASSERT_TRUE(dealer.start());
    const TKelvraPaths paths{home.path(), home.filePath(QStringLiteral("kelvra.ini")), home.filePath(QStringLiteral("data"))};
    {
        TIniFile ini(paths.IniFile);
        ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
        ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), dealer.port());
        ini.WriteInteger(QStringLiteral("desktop"), QStringLiteral("Lang"), 1);
        ini.Save();
    }
    TMainForm window(paths);
    window.ShowMessage = [](const QString &) {};
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
