#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QWidgetAction>
#include <QTest>

#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "clientsession.h"
#include "clientstate.h"
#include "dockhandler.h"
#include "layouttext.h"
#include <QGuiApplication>
#include <QScreen>
#include "frmchat.h"
#include "datawindow.h"
#include "dealerharness.h"
#include "e2e_support.h"
#include "grapharea.h"
#include "helpviewer.h"
#include "kelvra/ta_api.h"
#include "languagetables.h"
#include "mainform.h"
#include "patternstore.h"
#include "pendingslot.h"
#include "periodindicators.h"
#include "serdata.h"
#include "serieslist.h"
#include "simpleline.h"
#include "sixbittext.h"
#include "barfile.h"
#include "catalogue.h"
#include "elementstream.h"
#include "otherindicator.h"
#include <QtEndian>
#include "statuspanel.h"
#include "storedlogins.h"
#include "testapp.h"
#include "units.h"
#include "widgetapp.h"

namespace {

struct Widgets {
    Widgets()
    {
        EnsureWidgetApp();
        SetEnglish(true);
    }
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dealer.start());
        paths = {home.path(), home.filePath(QStringLiteral("kelvra.ini")), home.filePath(QStringLiteral("data"))};
        TIniFile ini(paths.IniFile);
        ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
        ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), dealer.port());
        ini.WriteInteger(QStringLiteral("desktop"), QStringLiteral("Lang"), 1);
        ini.Save();
    }
    void storeLogin(bool withPassword)
    {
        TIniFile ini(paths.IniFile);
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), QString(), withPassword));
        logins.SavedAccount = 1001;
        logins.SaveLogins(ini);
        ini.Save();
    }
    std::unique_ptr<TMainForm> open()
    {
        auto form = std::make_unique<TMainForm>(paths);
        form->ShowMessage = [this](const QString &t) { messages << t; };
        form->ShowError = [this](const QString &t) { errors << t; };
        form->OpenFile = [this](const QString &p) { opened << p; };
        return form;
    }
    QString panel(TMainForm &f, int i) { return f.StatusPanels[size_t(i)]->text(); }
    Widgets app;
    QTemporaryDir home, dealerData;
    DealerProcess dealer{dealerData.path(), {QStringLiteral("--ticks-per-second"), QStringLiteral("20")}};
    TKelvraPaths paths;
    QStringList messages, errors, opened;
};

} // namespace

TEST_F(MainFormTest, StoredLoginWithPasswordLogsInAtOnce)
{
    storeLogin(true);
    auto form = open();
    bool dialogShown = false;
    form->RunLoginDialog = [&](quint32 &, QString &, QString &) { return dialogShown = true; };
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelvra"));
    EXPECT_TRUE(form->AConnect->isEnabled());
    EXPECT_FALSE(form->ADisconnect->isEnabled());
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
    EXPECT_FALSE(dialogShown);
    ASSERT_TRUE(WaitUntil([&] { return form->windowTitle().endsWith(QStringLiteral(" <1001>")); }));
    ASSERT_TRUE(WaitUntil([&] { return form->frmViewCurrency->lv->RowCount() == 9; }));
    ASSERT_TRUE(WaitUntil([&] { return panel(*form, 2).startsWith(QStringLiteral("Connect (")); }));
    EXPECT_TRUE(panel(*form, 3).endsWith(QStringLiteral("GMT")));
    EXPECT_FALSE(form->AConnect->isEnabled());
    EXPECT_TRUE(form->ADisconnect->isEnabled());
    EXPECT_TRUE(form->Series().Started());
    // The default layout: every list window open, positions in front of the bottom tabs.
    EXPECT_TRUE(form->AViewCurrency->isChecked());
    EXPECT_TRUE(form->AViewHistoryOrder->isChecked());
    // Columns fit their texts once the quotes are in.
    EXPECT_TRUE(WaitUntil([&] { return form->frmViewCurrency->lv->columnWidth(1) > 30; }));
    if (const QByteArray shots = qgetenv("KELVRA_SCREENSHOTS"); !shots.isEmpty())
        form->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/mainform-en.png"));

    // A loss: panel 2 says so, the timer runs and each tick logs in again.
    dealer.stop();
    ASSERT_TRUE(WaitUntil([&] { return !form->Session().LoggedIn(); }, 15000));
    EXPECT_EQ(panel(*form, 2), QStringLiteral("Disconnect"));
    EXPECT_FALSE(form->ADisconnect->isEnabled());
    EXPECT_TRUE(form->Session().AutoConnectTimerActive());
    ASSERT_TRUE(dealer.start());
    form->Session().Thread().SetPort(dealer.port());
    form->Session().AutoConnectTick();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));

    // Closing the connection: the timer ticks on but logs in no more.
    form->ADisconnect->trigger();
    EXPECT_FALSE(form->Session().LoggedIn());
    EXPECT_FALSE(form->Session().AutoReconnect());
    form->Session().AutoConnectTick();
    EXPECT_FALSE(WaitUntil([&] { return form->Session().LoggedIn(); }, 1500));
    EXPECT_EQ(panel(*form, 2), QStringLiteral("Disconnect"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelvra"));
    EXPECT_FALSE(form->AReport->isEnabled());
}

TEST_F(MainFormTest, WithoutASavedPasswordTheDialogDecides)
{
    storeLogin(false);
    auto form = open();
    form->show();
    EXPECT_FALSE(form->Session().LoggedIn());
    EXPECT_FALSE(form->Session().AutoReconnect());
    // Cancelled: automatic reconnection stays off.
    form->RunLoginDialog = [](quint32 &, QString &, QString &) { return false; };
    form->AConnect->trigger();
    EXPECT_FALSE(form->Session().AutoReconnect());
    form->RunLoginDialog = [](quint32 &account, QString &password, QString &) {
        EXPECT_EQ(account, 1001u);
        password = QStringLiteral("demo");
        return true;
    };
    form->AConnect->trigger();
    EXPECT_TRUE(form->Session().AutoReconnect());
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
    // A wrong key file stops before any attempt.
    form->ADisconnect->trigger();
    form->SavedKeyFile = home.filePath(QStringLiteral("missing.prk"));
    EXPECT_FALSE(form->Login(1001, QStringLiteral("demo")));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("missing.prk")));
}

TEST_F(MainFormTest, HistoryPeriodsReportAndLanguage)
{
    storeLogin(true);
    auto form = open();
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn() && form->AReport->isEnabled(); }));
    ASSERT_TRUE(WaitUntil([&] { return form->frmViewHistory->lv->RowCount() >= 1; }));
    form->updateActions();
    EXPECT_TRUE(form->AHistory1->isChecked());
    EXPECT_FALSE(form->AHistory1->isEnabled());
    EXPECT_TRUE(form->AHistory7->isEnabled());
    form->AHistoryAll->trigger();
    EXPECT_EQ(form->State().Lists().AccountHistory.Days, 0);
    EXPECT_TRUE(form->AHistoryAll->isChecked());
    EXPECT_FALSE(form->AHistoryAll->isEnabled());
    // The all-history footer arrives with the new list (the welcome deposit).
    ASSERT_TRUE(WaitUntil([&] {
        TListRow *footer = form->frmViewHistory->lv->Rows().FooterRow();
        return footer && footer->Caption().contains(QStringLiteral("10000.00"));
    }));

    const QString report = home.filePath(QStringLiteral("report.html"));
    form->SaveReport(report);
    ASSERT_EQ(opened, QStringList{report});
    QFile f(report);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray html = f.readAll();
    EXPECT_TRUE(html.contains("<b>Account history:</b>"));
    EXPECT_TRUE(html.contains("<td nowrap>Profit/loss</td>"));

    SetEnglish(true);
    form->SetLanguage(false);
    EXPECT_EQ(form->menuBar()->actions().at(0)->text(), CaptionTextIn(false, 106));
    EXPECT_EQ(form->frmViewOrder->windowTitle(), CaptionTextIn(false, 70));
    EXPECT_TRUE(form->mRus->isChecked());
    EXPECT_FALSE(form->mEng->isChecked());
    if (const QByteArray shots = qgetenv("KELVRA_SCREENSHOTS"); !shots.isEmpty()) {
        WaitUntil([] { return false; }, 300);  // let the toolbar lay out its new texts
        form->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/mainform-ru.png"));
    }
    form->SetLanguage(true);
    EXPECT_EQ(form->menuBar()->actions().at(0)->text(), QStringLiteral("File"));

    // Not connected: nothing written, nothing opened.
    form->ADisconnect->trigger();
    opened.clear();
    form->SaveReport(home.filePath(QStringLiteral("second.html")));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("second.html"))));
    EXPECT_EQ(panel(*form, 1), QStringLiteral("No connect"));
}

TEST_F(MainFormTest, HelpOpensAtItsContents)
{
    auto form = open();
    form->HelpFile = QStringLiteral(KELVRA_HELP_FILE);
    form->help->trigger();
    ASSERT_NE(form->HelpViewer(), nullptr);
    EXPECT_TRUE(form->HelpViewer()->isVisible());
    EXPECT_TRUE(form->HelpViewer()->Browser()->toPlainText().contains(QStringLiteral("Contents")));
    EXPECT_EQ(form->HelpViewer()->windowTitle(), QStringLiteral("Kelvra help"));
}

TEST_F(MainFormTest, RegistrationIsRememberedAndClosingSavesTheIni)
{
    auto form = open();
    form->show();
    quint32 dialogAccount = 0;
    QString dialogPassword;
    form->RunLoginDialog = [&](quint32 &account, QString &password, QString &) {
        dialogAccount = account;
        dialogPassword = password;
        return false;
    };
    emit form->Session().registrationDone(4321, QStringLiteral("pw12"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Your account # 4321\npassword pw12"));
    EXPECT_EQ(dialogAccount, 4321u);
    EXPECT_EQ(dialogPassword, QStringLiteral("pw12"));
    ASSERT_NE(form->Logins().Find(4321), nullptr);
    EXPECT_TRUE(form->Logins().Find(4321)->LoginSavePassword);
    form->close();
    TIniFile ini(paths.IniFile);
    TStoredLogins stored;
    stored.LoadLogins(ini);
    EXPECT_EQ(stored.SavedAccount, 4321u);
    EXPECT_EQ(stored.SavedPassword, QStringLiteral("pw12"));
    EXPECT_FALSE(ini.ReadString(QStringLiteral("mainform"), QStringLiteral("geometry")).isEmpty());
    EXPECT_EQ(QFile::permissions(paths.IniFile) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

// The language applied on every activation retranslates captions only: the
// rows (and with them the selection and current row) are rebuilt only when
// the language really changes.
TEST_F(MainFormTest, ActivationKeepsTheListsSelection)
{
    storeLogin(true);
    auto form = open();
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->frmViewHistory->lv->RowCount() >= 2; }));
    TCMListView *lv = form->frmViewHistory->lv;
    const QModelIndex first = lv->model()->index(0, 0);
    lv->setCurrentIndex(first);
    lv->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(lv->selectionModel()->isRowSelected(0, QModelIndex()));

    form->activateWindow();
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(form.get(), &activation);
    form->SetLanguage(true);  // what every activation does
    EXPECT_TRUE(lv->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(lv->currentIndex().row(), 0);

    // A real change rebuilds the rows in the new language.
    form->SetLanguage(false);
    EXPECT_FALSE(lv->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_GE(lv->RowCount(), 2);
    form->SetLanguage(true);
}

// With an unreadable key file no attempt starts and reconnection stays off;
// at a 30-second retry the key file is read again, and its failure goes to
// the status bar only (no box stacking up on an unattended client).
TEST_F(MainFormTest, KeyFileIsReadAtEveryAttempt)
{
    const QString keyFile = home.filePath(QStringLiteral("mine.prk"));
    {
        TIniFile ini(paths.IniFile);
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), keyFile, true));
        logins.SavedAccount = 1001;
        logins.SaveLogins(ini);
        ini.Save();
    }
    auto form = open();
    form->show();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_FALSE(form->Session().AutoReconnect());
    form->Session().AutoConnectTick();
    EXPECT_EQ(form->Session().Thread().CurrentConnection(), 0u);  // nobody logged in as account 0

    // A plain account logs in with any readable key file.
    ASSERT_TRUE(QFile::copy(dealerData.filePath(QStringLiteral("1002.prk")), keyFile));
    form->RunLoginDialog = [](quint32 &, QString &, QString &) { return true; };
    form->AConnect->trigger();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
    EXPECT_TRUE(form->Session().AutoReconnect());

    // The key file goes away while the connection is lost.
    ASSERT_TRUE(QFile::remove(keyFile));
    dealer.stop();
    ASSERT_TRUE(WaitUntil([&] { return !form->Session().LoggedIn(); }, 15000));
    ASSERT_TRUE(dealer.start());
    form->Session().Thread().SetPort(dealer.port());
    const quint64 attempts = form->Session().Thread().CurrentConnection();
    form->Session().AutoConnectTick();
    EXPECT_EQ(form->Session().Thread().CurrentConnection(), attempts);
    EXPECT_TRUE(panel(*form, 1).contains(QStringLiteral("mine.prk")));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(form->Session().AutoReconnect());  // the next tick tries again

    ASSERT_TRUE(QFile::copy(dealerData.filePath(QStringLiteral("1002.prk")), keyFile));
    form->Session().AutoConnectTick();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
}

// A login from the command line logs in once and keeps what is stored: the
// other accounts, and the account's key file unless another is given.
TEST_F(MainFormTest, CommandLineLoginKeepsTheStoredLogins)
{
    const QString keyFile = home.filePath(QStringLiteral("stored.prk"));
    ASSERT_TRUE(QFile::copy(dealerData.filePath(QStringLiteral("1002.prk")), keyFile));
    {
        TIniFile ini(paths.IniFile);
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("old"), keyFile, true));
        logins.StoreLogin(TLoginRecord::Make(1002, QStringLiteral("demo"), QString(), true));
        logins.SavedAccount = 1002;
        logins.SaveLogins(ini);
        ini.Save();
    }
    auto form = open();
    form->SetCommandLineLogin(1001, QStringLiteral("demo"), std::nullopt);
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->Session().LoggedIn(); }));
    EXPECT_EQ(form->Session().Thread().CurrentConnection(), 1u);
    EXPECT_EQ(form->Session().SavedAccount(), 1001u);
    EXPECT_TRUE(form->Session().AutoReconnect());
    EXPECT_TRUE(errors.isEmpty());
    {
        TIniFile ini(paths.IniFile);  // remembered at once, beside the other login
        TStoredLogins stored;
        stored.LoadLogins(ini);
        EXPECT_EQ(stored.SavedAccount, 1001u);
        EXPECT_EQ(stored.SavedPassword, QStringLiteral("demo"));
        EXPECT_EQ(stored.SavedKeyFile, keyFile);
        EXPECT_NE(stored.Find(1002), nullptr);
    }
    form.reset();

    auto second = open();
    second->SetCommandLineLogin(1001, QStringLiteral("demo"), home.filePath(QStringLiteral("other.prk")));
    second->show();
    EXPECT_EQ(errors.size(), 1);  // the given key file is read, and missing
    EXPECT_EQ(second->Logins().Find(1001)->LoginKeyFile, home.filePath(QStringLiteral("other.prk")));
    EXPECT_FALSE(second->Session().AutoReconnect());
}

// A long status text is elided in its panel (the whole text in the tooltip)
// instead of widening the window.
TEST_F(MainFormTest, LongStatusTextDoesNotWidenTheWindow)
{
    auto form = open();
    form->resize(600, 400);
    form->show();
    QCoreApplication::processEvents();
    const int width = form->width();
    const QString text = QStringLiteral("A very long status text ").repeated(20);
    form->ShowStatus(text);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->width(), width);
    EXPECT_EQ(panel(*form, 1), text);
    EXPECT_EQ(form->StatusPanels[1]->toolTip(), text);
    EXPECT_NE(form->StatusPanels[1]->shownText(), text);
    EXPECT_TRUE(form->StatusPanels[1]->shownText().endsWith(QChar(0x2026)));
}

// The report's save dialog starts in the folder used last, kept in the INI
// file; without one (or when it is gone) in the documents folder.
TEST_F(MainFormTest, ReportFolderIsRemembered)
{
    auto form = open();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(form->ReportFolder(), documents.isEmpty() ? QDir::homePath() : documents);
    const QString folder = home.filePath(QStringLiteral("reports"));
    ASSERT_TRUE(QDir().mkpath(folder));
    form->RememberReportFile(folder + QStringLiteral("/june.html"));
    EXPECT_EQ(form->ReportFolder(), folder);
    form->close();
    form.reset();
    auto again = open();
    EXPECT_EQ(again->ReportFolder(), folder);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_NE(again->ReportFolder(), folder);
}

// A chart opened from the quotes window fills with the history and follows
// the market; closing the program with it open keeps its placement.
TEST_F(MainFormTest, ChartFromTheQuotesWindowFollowsTheMarket)
{
    storeLogin(true);
    {
        TPatternMenager styles;
        TSimpleLine line;
        line.Color = 0x00FFFF;
        styles.Store(line);
        ASSERT_TRUE(styles.SaveFile(QFileInfo(paths.IniFile).absoluteDir().filePath(QStringLiteral("kelvra.pat"))));
    }
    auto form = open();
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->frmViewCurrency->lv->RowCount() == 9; }));
    const qint32 eurusd = form->State().Lists().Instruments.IdByName(QStringLiteral("EURUSD"));
    ASSERT_GT(eurusd, 0);
    // Chart > 1 minute of the quotes window on the EURUSD row.
    TCMListView *quotes = form->frmViewCurrency->lv;
    for (int row = 0; row < quotes->model()->rowCount(); ++row)
        if (quotes->model()->index(row, 0).data().toString() == QStringLiteral("EURUSD")) {
            quotes->setFocus();
            quotes->setCurrentIndex(quotes->model()->index(row, 0));
            quotes->selectionModel()->select(quotes->model()->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    form->updateActions();
    ASSERT_TRUE(form->frmViewCurrency->ChartActions[0]->isEnabled());
    form->frmViewCurrency->ChartActions[0]->trigger();
    ASSERT_EQ(form->Charts().size(), 1);
    TMChart *chart = form->Charts().first();
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("EURUSD, M1"));
    ASSERT_TRUE(WaitUntil([&] { return chart->Series()->Count() > 100; }));
    TChartPanel *panel = chart->Panel();
    ASSERT_TRUE(WaitUntil([&] { return panel->ScrollPosition() == panel->ScrollMaximum() && panel->ScrollMaximum() > 0; }));

    ASSERT_TRUE(dealer.admin({QStringLiteral("set-price"), QStringLiteral("EURUSD"), QStringLiteral("1.3021"),
                              QStringLiteral("hold")}));
    ASSERT_TRUE(WaitUntil([&] {
        const TSerData *s = chart->Series();
        return std::abs(s->Close()[s->Last] - 1.3021) < 1e-9;
    }));
    // The newest candle reaches the new price on the screen: its row is in view.
    const TOxyYArea *axis = panel->Area(0)->RightAxis.get();
    EXPECT_GE(axis->T.ValueToY(1.3021), 0);
    EXPECT_LT(axis->T.ValueToY(1.3021), panel->Area(0)->Height());

    // The zoom tool arms the pending slot; once the slot empties the pointer
    // is the tool again.
    form->AZoomChart->trigger();
    EXPECT_TRUE(form->AZoomChart->isChecked());
    EXPECT_FALSE(TPendingSlot::Empty());
    TPendingSlot::Clear();
    EXPECT_TRUE(form->Apointer->isChecked());

    // A drawing tool arms its element with the style of the pattern file
    // read at start; another tool replaces it; the next press places it.
    form->AfibArc->trigger();
    ASSERT_NE(TPendingSlot::Get(), nullptr);
    EXPECT_EQ(TPendingSlot::Get()->TypeId, GraphTypeId::FibbArc);
    form->ALine->trigger();
    ASSERT_NE(TPendingSlot::Get(), nullptr);
    EXPECT_EQ(TPendingSlot::Get()->TypeId, GraphTypeId::SimpleLine);
    EXPECT_EQ(TPendingSlot::Get()->Color, 0x00FFFFu);
    EXPECT_TRUE(form->ALine->isChecked());
    chart->Frame()->resize(800, 500);
    QApplication::processEvents();
    const QPoint from = panel->Area(0)->ToPanel(QPoint(100, 60));
    QTest::mousePress(chart->PanelWidget(), Qt::LeftButton, {}, from);
    QTest::mouseMove(chart->PanelWidget(), from + QPoint(80, 40));
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, from + QPoint(80, 40));
    ASSERT_EQ(panel->Area(0)->Items.size(), 1u);
    EXPECT_EQ(panel->Area(0)->Items[0]->Color, 0x00FFFFu);
    EXPECT_TRUE(form->Apointer->isChecked());

    // File > "Save chart as picture…": the chart's own image, at its size.
    const QString picture = QFileInfo(paths.IniFile).absoluteDir().filePath(QStringLiteral("chart.png"));
    form->ChooseChartPictureFile = [&] { return picture; };
    form->updateActions();
    ASSERT_TRUE(form->ASaveChartPicture->isEnabled());
    EXPECT_TRUE(form->menuBar()->actions().at(0)->menu()->actions().contains(form->ASaveChartPicture));
    form->ASaveChartPicture->trigger();
    const QImage shown = chart->PanelWidget()->ChartImage();
    const QImage png(picture);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), shown.size());
    EXPECT_EQ(png.convertToFormat(shown.format()), shown);

    QFile::remove(form->PatternFile());
    form->close();
    TIniFile ini(paths.IniFile);
    EXPECT_FALSE(ini.ReadString(QStringLiteral("EURUSDM1"), QStringLiteral("geometry")).isEmpty());
    EXPECT_TRUE(form->Charts().isEmpty());
    // The styles went back into the pattern file.
    TPatternMenager saved;
    ASSERT_TRUE(saved.LoadFile(form->PatternFile()));
    EXPECT_TRUE(saved.Has(GraphTypeId::SimpleLine));
}

// The indicator tool: an RSI chosen in the toolbar's list and placed in a
// new area of a live chart follows the ticks; an indicator that cannot be
// computed stays inside its chart, and the tick still reaches the positions.
TEST_F(MainFormTest, IndicatorOnALiveChartFollowsTheTicks)
{
    storeLogin(true);
    auto form = open();
    int placementsAsked = 0;
    form->ChartContext().ChoosePlacement = [&](QWidget *) {
        ++placementsAsked;
        return 3;
    };
    form->ChartContext().RunProperties = [](QDialog &) { return int(QDialog::Accepted); };
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return form->frmViewCurrency->lv->RowCount() == 9; }));
    // Filling the list armed nothing.
    ASSERT_EQ(form->cbIndList->count(), 31);
    EXPECT_EQ(form->cbIndList->itemText(22), QStringLiteral("Relative Strength Index"));
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_TRUE(form->Apointer->isChecked());

    const qint32 eurusd = form->State().Lists().Instruments.IdByName(QStringLiteral("EURUSD"));
    TMChart *chart = form->OpenChart(eurusd, 1);
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return chart->Series()->Count() > 100; }));
    chart->Frame()->resize(800, 500);
    QApplication::processEvents();

    // The Trix shortcut arms its entry; choosing another entry replaces it.
    form->Atrix->trigger();
    ASSERT_NE(TPendingSlot::Get(), nullptr);
    EXPECT_EQ(TPendingSlot::Get()->TypeId, 1002);
    EXPECT_TRUE(form->Aind->isChecked());
    emit form->cbIndList->activated(22);
    ASSERT_NE(TPendingSlot::Get(), nullptr);
    EXPECT_EQ(TPendingSlot::Get()->TypeId, 1022);

    TChartPanel *chartPanel = chart->Panel();
    const QPoint at = chartPanel->Area(0)->ToPanel(QPoint(100, 60));
    QTest::mousePress(chart->PanelWidget(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, at);
    EXPECT_EQ(placementsAsked, 1);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_TRUE(form->Apointer->isChecked());
    ASSERT_EQ(chartPanel->AreaCount(), 2);
    EXPECT_EQ(chartPanel->Area(1)->Title(), QStringLiteral("RSI"));
    auto *rsi = dynamic_cast<TOtherIndicator *>(chartPanel->Area(1)->Indicators[0].get());
    ASSERT_NE(rsi, nullptr);

    // Its newest value is TA-Lib's over the series as it stands.
    const auto matchesDirectCall = [&] {
        const TSerData *s = chart->Series();
        std::vector<double> out(size_t(s->Count()));
        int begin = 0, count = 0;
        if (TA_RSI(0, s->Last, s->Close(), 6, &begin, &count, out.data()) != TA_SUCCESS || count == 0)
            return false;
        return rsi->LastComputed == s->Last && rsi->Output(0)[s->Last] == out[size_t(count - 1)];
    };
    EXPECT_TRUE(matchesDirectCall());

    // Crosshair (Ctrl+F) and the data window: the values of the bar under the mouse.
    EXPECT_EQ(form->ACrosshair->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_FALSE(chartPanel->Crosshair());
    ASSERT_TRUE(form->DataWindow->isHidden());
    form->AViewDataWindow->trigger();
    form->ACrosshair->trigger();
    EXPECT_TRUE(chartPanel->Crosshair());
    const int bar = chartPanel->FirstVisible + chartPanel->VisibleCount / 2;
    const TGraphArea *rsiArea = chartPanel->Area(1);
    QTest::mouseMove(chart->PanelWidget(),
                     QPoint(rsiArea->Left + rsiArea->RightAxis->T.BarToX(bar), rsiArea->Top + rsiArea->Height() / 2));
    ASSERT_TRUE(WaitUntil([&] { return chartPanel->CrosshairShown(); }));
    // A new minute may have moved the view by a bar meanwhile.
    const int under = chartPanel->CrosshairBar();
    ASSERT_NEAR(under, bar, 1);
    EXPECT_EQ(form->DataWindow->ValueOf(QStringLiteral("Close")), DoublePriceText(chart->Series()->Close()[under]));
    EXPECT_EQ(form->DataWindow->ValueOf(QStringLiteral("RSI")), DoublePriceText(rsi->Output(0)[under]));
    form->ACrosshair->trigger();
    EXPECT_FALSE(chartPanel->Crosshair());

    ASSERT_TRUE(dealer.admin({QStringLiteral("set-price"), QStringLiteral("EURUSD"), QStringLiteral("1.3021"),
                              QStringLiteral("hold")}));
    ASSERT_TRUE(WaitUntil([&] {
        const TSerData *s = chart->Series();
        return std::abs(s->Close()[s->Last] - 1.3021) < 1e-9;
    }));
    EXPECT_TRUE(matchesDirectCall());
    EXPECT_GT(rsi->Output(0)[chart->Series()->Last], 50);  // the price jumped up

    // The same tool again: the pointer came back, so the entry arms anew.
    emit form->cbIndList->activated(22);
    EXPECT_FALSE(TPendingSlot::Empty());
    form->Apointer->trigger();
    EXPECT_TRUE(TPendingSlot::Empty());

    // A position, then an RSI TA-Lib refuses: the next tick still moves the
    // position's profit and the positions window's footer; one status text.
    const TUserCurrency *eur = form->State().Lists().Instruments.FindRecord(eurusd);
    auto reply = std::make_shared<int>(-1);
    ASSERT_TRUE(form->Session().SendCommand(e2e::placeCommand(quint16(eurusd), 1, 1, eur->Ask), nullptr,
                                            [reply](TUserCmdRply *p) {
                                                *reply = p->Buffer.size() > size_t(hdr::Data) ? p->Buffer[hdr::Data]
                                                                                              : 255;
                                            }));
    ASSERT_TRUE(WaitUntil([&] { return *reply >= 0; }));
    ASSERT_EQ(*reply, 0);
    ASSERT_TRUE(WaitUntil([&] { return form->State().Lists().Positions.Count() == 1; }));
    static_cast<T_RSI_Indicator *>(rsi)->TimePeriod = 1;
    const double profitBefore = form->State().Lists().Positions.Item(0)->Profit;
    QAbstractItemModel *positions = form->frmViewOpenDeal->lv->model();
    const auto footer = [&] { return positions->index(positions->rowCount() - 1, 0).data().toString(); };
    const QString footerBefore = footer();
    ASSERT_TRUE(dealer.admin({QStringLiteral("set-price"), QStringLiteral("EURUSD"), QStringLiteral("1.3121")}));
    ASSERT_TRUE(WaitUntil([&] { return form->State().Lists().Positions.Item(0)->Profit != profitBefore; }));
    EXPECT_NE(footer(), footerBefore);
    EXPECT_EQ(rsi->FirstComputed, -1);
    EXPECT_EQ(panel(*form, 1), QStringLiteral("TA: Internal error"));
    EXPECT_TRUE(errors.isEmpty());
    form->close();
}

// Chart windows come back after a restart with their indicators and lines;
// a stored value that does not load survives restarts unchanged; a chart
// whose bars are gone keeps its line's times.
TEST_F(MainFormTest, ChartsComeBackAfterARestart)
{
    storeLogin(true);
    qint32 eurusd = 0;
    double lineTime = 0;
    {
        auto form = open();
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return form->frmViewCurrency->lv->RowCount() == 9; }));
        eurusd = form->State().Lists().Instruments.IdByName(QStringLiteral("EURUSD"));
        const qint32 gbpusd = form->State().Lists().Instruments.IdByName(QStringLiteral("GBPUSD"));
        TMChart *hourly = form->OpenChart(eurusd, 3);
        TMChart *minute = form->OpenChart(gbpusd, 1);
        ASSERT_TRUE(hourly && minute);
        ASSERT_TRUE(WaitUntil([&] { return hourly->Series()->Count() > 100 && minute->Series()->Count() > 100; }));
        TChartPanel *panel = hourly->Panel();
        panel->AttachIndicator(panel->AddArea(), CreateIndicator(22), 0);
        auto line = std::make_unique<TSimpleLine>();
        const int last = hourly->Series()->Last;
        line->P1().SetBar(last - 20);
        line->P1().Value = 1.1;
        line->P2().SetBar(last - 5);
        line->P2().Value = 1.2;
        lineTime = hourly->Series()->IndexToTime(last - 20);
        panel->AttachItem(panel->Area(0), std::move(line));
        form->close();
    }
    QByteArray badBytes(20, '\0');
    qToLittleEndian<qint32>(5, badBytes.data() + 8);
    qToLittleEndian<qint32>(eurusd, badBytes.data() + 12);
    badBytes += "GR99";
    const QString bad = QString::fromStdString(EncodeSixBitText(std::vector<uint8_t>(badBytes.begin(), badBytes.end())));
    {
        TIniFile ini(paths.IniFile);
        ASSERT_EQ(ini.SectionValues(QStringLiteral("LT1")).size(), 2);
        ini.WriteString(QStringLiteral("LT1"), QStringLiteral("9"), bad);
        ASSERT_TRUE(ini.Save());
    }
    const auto lineOf = [](TMChart *chart) -> TSimpleLine * {
        TChartPanel *p = chart ? chart->Panel() : nullptr;
        if (!p || p->Area(0)->Items.empty())
            return nullptr;
        return dynamic_cast<TSimpleLine *>(p->Area(0)->Items[0].get());
    };
    const auto chartOf = [](TMainForm &form, int key) -> TMChart * {
        for (TMChart *c : form.Charts())
            if (c->Tag() == key && c->Panel())
                return c;
        return nullptr;
    };
    for (const bool dealerUp : {true, false}) {
        SCOPED_TRACE(dealerUp);
        errors.clear();
        auto form = open();
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return !errors.isEmpty(); }));
        EXPECT_EQ(errors, QStringList{QStringLiteral("Invalid file")});
        EXPECT_EQ(form->Charts().size(), 3);
        TMChart *hourly = chartOf(*form, (3 << 16) | eurusd);
        ASSERT_NE(hourly, nullptr);
        ASSERT_EQ(hourly->Panel()->AreaCount(), 2);
        EXPECT_EQ(hourly->Panel()->Area(1)->Title(), QStringLiteral("RSI"));
        TSimpleLine *line = lineOf(hourly);
        ASSERT_NE(line, nullptr);
        if (dealerUp) {
            EXPECT_TRUE(line->Placed());
            EXPECT_DOUBLE_EQ(hourly->Series()->IndexToTime(line->P1().Bar), lineTime);
        } else {
            // No bars and no dealer: the line waits with its time.
            EXPECT_EQ(hourly->Series()->Count(), 0);
            EXPECT_FALSE(line->Placed());
            EXPECT_DOUBLE_EQ(line->P1().Time, lineTime);
        }
        form->close();
        TIniFile ini(paths.IniFile);
        EXPECT_EQ(ini.ReadString(QStringLiteral("LT1"), QStringLiteral("0")) == bad ||
                      ini.ReadString(QStringLiteral("LT1"), QStringLiteral("1")) == bad ||
                      ini.ReadString(QStringLiteral("LT1"), QStringLiteral("2")) == bad,
                  true);
        if (dealerUp) {
            ASSERT_TRUE(dealer.stop());
            ASSERT_TRUE(QFile::remove(hourly ? barFilePath(paths.DataDir, QStringLiteral("EURUSD"), 3) : QString()));
        }
    }
    // The time went back into the record as it came.
    TIniFile ini(paths.IniFile);
    bool found = false;
    TElementWriter time;
    time.WriteDouble(lineTime);
    for (const auto &[key, value] : ini.SectionValues(QStringLiteral("LT1"))) {
        const std::vector<uint8_t> bytes = DecodeSixBitText(value.toStdString());
        found = found || QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())).contains(time.Data());
    }
    EXPECT_TRUE(found);
}

// The arrangement of the dockable windows comes back at the next start:
// a floating window at its place, the tab in front, a hidden window; the
// default arrangement comes back on demand.
TEST_F(MainFormTest, WindowArrangementComesBackAfterARestart)
{
    QRect floatingAt;
    {
        auto form = open();
        form->show();
        QApplication::processEvents();
        TDockHandler &docks = form->DockHandler();
        EXPECT_TRUE(form->frmViewCurrency->HeaderShown());     // alone in the left panel
        EXPECT_FALSE(form->frmViewOrder->HeaderShown());       // a tab
        EXPECT_EQ(docks.TabGroups().size(), 1);
        EXPECT_EQ(docks.TabGroups().first().size(), 5);         // positions … mailbox
        EXPECT_FALSE(TDockHandler::IsShown(form->frmChat));

        form->frmViewOrder->setFloating(true);
        form->frmViewOrder->setGeometry(300, 200, 420, 260);
        floatingAt = form->frmViewOrder->geometry();
        TDockHandler::SetShown(form->frmViewHistoryOrder, true);
        form->frmViewCurrency->CloseByUser();
        QApplication::processEvents();
        EXPECT_TRUE(docks.Panels().front()->VisibleClients().isEmpty());
        EXPECT_EQ(form->centralWidget()->geometry().left(), 0);  // an empty left panel takes no room
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->frmViewOrder->HeaderShown(); }, 2000));
        EXPECT_EQ(docks.TabGroups().first().first(), form->frmViewHistoryOrder);
        // The dark theme: the dock caption leaves its navy.
        form->AThemeDark->trigger();
        EXPECT_TRUE(IsDarkPalette(QApplication::palette()));
        EXPECT_TRUE(form->AThemeDark->isChecked());
        form->close();
    }
    TIniFile ini(paths.IniFile);
    const QString stored = ini.ReadLongValue(QStringLiteral("desktop"), QStringLiteral("defaultk"));
    EXPECT_GT(stored.size(), TIniFile::LongValuePiece);  // kept in pieces
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("desktop"), QStringLiteral("defaultk__1")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("desktop"), QStringLiteral("Theme")), QStringLiteral("Dark"));
    ApplyTheme(TTheme::System);

    auto form = open();
    EXPECT_TRUE(IsDarkPalette(QApplication::palette()));  // the stored theme again
    EXPECT_TRUE(form->AThemeDark->isChecked());
    form->AThemeSystem->trigger();
    EXPECT_FALSE(IsDarkPalette(QApplication::palette()));
    form->show();
    QApplication::processEvents();
    TDockHandler &docks = form->DockHandler();
    EXPECT_TRUE(form->frmViewOrder->isFloating());
    EXPECT_EQ(form->frmViewOrder->geometry(), floatingAt);
    EXPECT_TRUE(form->frmViewCurrency->isHidden());
    EXPECT_FALSE(form->frmViewCurrency->IsOpen());
    ASSERT_EQ(docks.TabGroups().size(), 1);
    EXPECT_EQ(docks.TabGroups().first().first(), form->frmViewHistoryOrder);

    form->AViewDefault->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(form->frmViewOrder->isFloating());
    EXPECT_TRUE(TDockHandler::IsShown(form->frmViewCurrency));
    EXPECT_EQ(docks.TabGroups().first().size(), 5);
    form->close();
}

// A layout in the older form builds its tab host; a floating window saved
// off every screen comes back onto one; a damaged text leaves the default.
TEST_F(MainFormTest, OlderDamagedAndOffScreenLayouts)
{
    const auto startWith = [&](const QString &text) {
        TIniFile ini(paths.IniFile);
        ini.WriteLongValue(QStringLiteral("desktop"), QStringLiteral("defaultk"), text);
        EXPECT_TRUE(ini.Save());
        auto form = open();
        form->show();
        QApplication::processEvents();
        return form;
    };
    const QString offScreen = LayoutText({{QStringLiteral("Left"), QStringLiteral("-9000")},
                                          {QStringLiteral("Top"), QStringLiteral("-9000")},
                                          {QStringLiteral("Width"), QStringLiteral("300")},
                                          {QStringLiteral("Height"), QStringLiteral("200")},
                                          {QStringLiteral("Visible"), QStringLiteral("TRUE")},
                                          {QStringLiteral("Floating"), QStringLiteral("TRUE")}});
    const QString older = LayoutText(
        {{QStringLiteral("Floating"), LayoutText({{QStringLiteral("frmViewCurrency"), offScreen}})},
         {QStringLiteral("pcLeft"), LayoutText({{QStringLiteral("Width"), QStringLiteral("250")},
                                                {QStringLiteral("Height"), QStringLiteral("300")},
                                                {QStringLiteral("TabIndex"), QStringLiteral("1")},
                                                {QStringLiteral("frmViewOpenDeal"), QString()},
                                                {QStringLiteral("frmViewOrder"), QString()}})}});
    {
        auto form = startWith(older);
        EXPECT_EQ(form->dockWidgetArea(form->frmViewOrder), Qt::LeftDockWidgetArea);
        const auto groups = form->DockHandler().TabGroups();
        const auto left = std::find_if(groups.begin(), groups.end(),
                                       [&](const auto &g) { return g.contains(form->frmViewOpenDeal); });
        ASSERT_NE(left, groups.end());
        EXPECT_EQ(left->size(), 2);
        EXPECT_EQ(left->first(), form->frmViewOrder);  // TabIndex 1
        EXPECT_TRUE(form->frmViewCurrency->isFloating());
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(form->frmViewCurrency->geometry()));
        // Taking one of two tabs out dissolves the host: the other stands
        // alone in the panel with its header.
        form->frmViewOpenDeal->setFloating(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->frmViewOrder->HeaderShown(); }, 2000));
        for (const auto &g : form->DockHandler().TabGroups())
            EXPECT_FALSE(g.contains(form->frmViewOrder));
        form->close();
    }
    {
        auto form = startWith(QStringLiteral("Version=1,DockPanels=\"dpLeft=\"\"DockingData=0A1"));
        const auto groups = form->DockHandler().TabGroups();
        ASSERT_EQ(groups.size(), 1);
        EXPECT_EQ(groups.first().size(), 5);
        EXPECT_FALSE(form->frmViewCurrency->isFloating());
        EXPECT_TRUE(form->frmViewCurrency->HeaderShown());
        form->close();
    }
}

// Every toolbar command has an icon that really draws (our own drawings
// when the desktop theme has none); the toolbars are named in the language
// of the interface; the text under the icons is the user's choice and is kept.
TEST_F(MainFormTest, ToolbarsCarryIconsNamesAndTheChosenText)
{
    {
        auto form = open();
        EXPECT_EQ(form->ToolBar1->windowTitle(), QStringLiteral("Toolbar"));
        EXPECT_EQ(form->ChartToolBar->windowTitle(), QStringLiteral("Chart tools"));
        int withIcons = 0;
        for (QToolBar *bar : {form->ToolBar1, form->ChartToolBar})
            for (QAction *a : bar->actions()) {
                if (a->isSeparator() || qobject_cast<QWidgetAction *>(a))
                    continue;
                const QImage drawn = a->icon().pixmap(24, 24).toImage();
                int inked = 0;
                for (int y = 0; y < drawn.height(); ++y)
                    for (int x = 0; x < drawn.width(); ++x)
                        inked += qAlpha(drawn.pixel(x, y)) > 0;
                EXPECT_GT(inked, 15) << a->text().toStdString();
                ++withIcons;
            }
        EXPECT_GE(withIcons, 20);
        EXPECT_FALSE(form->help->icon().isNull());
        EXPECT_EQ(form->ChartToolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        form->AToolbarText->trigger();
        EXPECT_EQ(form->ToolBar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(form->ChartToolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        form->SetLanguage(false);
        EXPECT_EQ(form->ChartToolBar->windowTitle(), QStringLiteral("Инструменты графика"));
        form->SetLanguage(true);
        form->close();
    }
    auto form = open();
    EXPECT_TRUE(form->AToolbarText->isChecked());
    EXPECT_EQ(form->ToolBar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    form->close();
}
