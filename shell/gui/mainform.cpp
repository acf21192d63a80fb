#include "mainform.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>

#include "accountreport.h"
#include "clientsession.h"
#include "clientstate.h"
#include "forexexception.h"
#include "frmviewmailbox.h"
#include "helpviewer.h"
#include "keyfile.h"
#include "languagetables.h"
#include "loginform.h"
#include "messaging.h"
#include "qttranslations.h"
#include "serieslist.h"
#include "setupform.h"
#include "shelllog.h"
#include "statuspanel.h"
#include "translateform.h"
#include "units.h"

Q_LOGGING_CATEGORY(lcShell, "kelvra.shell", QtWarningMsg)

namespace {

constexpr int kPanelWidths[4] = {50, 50, 90, 80};
const QString kProductTitle = QStringLiteral("Kelvra");
// Where the report's save dialog starts: the folder used last.
const QString kReportSection = QStringLiteral("report");
const QString kReportFolderKey = QStringLiteral("folder");

} // namespace

TMainForm::TMainForm(const TKelvraPaths &p, QWidget *parent)
    : QMainWindow(parent), paths(p), ini(p.IniFile)
{
    SetTag(this, MakeTag(26));
    setWindowTitle(kProductTitle);
    settings = LoadConnectionSettings(ini);
    session = std::make_unique<ClientSession>();
    session->Thread().SetServerList(settings.Servers);
    session->Thread().SetPort(settings.Port);
    if (!CreateDataDir(paths))
        QMessageBox::warning(this, kProductTitle, QStringLiteral("Can't create dir"));
    state = std::make_unique<ClientState>(*session);
    series = std::make_unique<TSeriesList>(*session, paths.DataDir, [this](int id) {
        const TUserCurrency *c = state->Lists().Instruments.FindRecord(id);
        return c ? c->Name : QString();
    });

    ShowMessage = [this](const QString &text) {
        qCDebug(lcShell).noquote() << "message box:" << text;
        QMessageBox box(QMessageBox::Information, kProductTitle, text, QMessageBox::Ok, this);
        box.setFont(QFont(QStringLiteral("Tahoma")));
        box.exec();
    };
    ShowError = [this](const QString &text) {
        qCDebug(lcShell).noquote() << "message box:" << text;
        QMessageBox::critical(this, kProductTitle, text);
    };
    RunLoginDialog = [this](quint32 &account, QString &password, QString &keyFile) {
        return LoginDialog(logins, account, password, keyFile, [this](const QString &s) { ShowStatus(s); }, this);
    };
    RunRegistrationDialog = [this] { return RegistrationDialog(ShowError, this); };
    ChooseReportFile = [this] {
        QFileDialog sv(this, CaptionTextIn(IsEnglish(), 97), QDir(ReportFolder()).filePath(QStringLiteral("report")),
                       QStringLiteral("*.html"));
        sv.setAcceptMode(QFileDialog::AcceptSave);
        sv.setDefaultSuffix(QStringLiteral("html"));
        if (sv.exec() != QDialog::Accepted || sv.selectedFiles().isEmpty())
            return QString();
        const QString chosen = sv.selectedFiles().first();
        RememberReportFile(chosen);
        return chosen;
    };
    OpenFile = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    viewActions.Connected = [this] { return session->LoggedIn(); };
    HelpFile = FindProgramDataFile(QStringLiteral("kelvra.hlp"));
    qCDebug(lcShell).noquote() << "help file:" << HelpFile << "settings:" << paths.IniFile;
    // Every automatic reconnection reads the key file again; its failure
    // goes to the status bar only, as nobody may be there to close a box.
    session->ReloadKey = [this](TKeyRecord &key) { return loadKey(key, true); };

    mdi = new QMdiArea(this);
    setCentralWidget(mdi);
    buildActions();
    buildViews();
    buildShortcuts();
    buildCrosshair();
    buildMessaging();
    buildMenus();
    buildChartTools();
    applyActionIcons();
    buildStatusBar();
    buildDocking();

    connect(session.get(), &ClientSession::panelChanged, this, [this](int panel, const QString &text) {
        qCDebug(lcShell).noquote() << "status panel" << panel << ":" << text;
        if (panel >= 0 && panel < 4)
            StatusPanels[size_t(panel)]->setText(text);
    });
    connect(session.get(), &ClientSession::popupRequested, this, [this](const QString &text) {
        if (ShowMessage)
            ShowMessage(text);
        session->SetPanelText(ClientSession::PanelStatus, QString());
    });
    connect(session.get(), &ClientSession::handlerFailed, this, [this](const QString &text) {
        if (ShowError)
            ShowError(text);
    });
    connect(session.get(), &ClientSession::loggedInChanged, this, [this](bool) { updateActions(); });
    connect(session.get(), &ClientSession::sessionEnded, this, [this] { setWindowTitle(kProductTitle); });
    connect(session.get(), &ClientSession::registrationDone, this, &TMainForm::Registered);
    connect(state.get(), &ClientState::sysVariablesLoaded, this, &TMainForm::sysVariablesArrived);
    connect(state.get(), &ClientState::replyHandled, this, [this](quint8 code, bool lastPart, bool ok) {
        qCDebug(lcShell) << "reply" << code << (lastPart ? "done" : "part") << (ok ? "ok" : "refused");
        updateActions();
    });

    for (int i = 0; i < 4; ++i)
        StatusPanels[size_t(i)]->setText(session->PanelText(i));
    TranslateForm(this, false);
    state->Lists().Instruments.LoadFromIni(ini);  // also the language
    buildQuotePublishing();
    restorePlacement();
    SetLanguage(IsEnglish());
    updateActions();
}

TMainForm::~TMainForm()
{
    if (helpViewer)
        helpViewer->close();
    // The windows show the lists: they go first. Then the series (their bar
    // files are written), the connection thread, the state and the session.
    delete frmViewCurrency;
    delete frmViewOpenDeal;
    delete frmViewOrder;
    delete frmViewHistory;
    delete frmViewHistoryOrder;
    deleteMessaging();
    closeCharts(false);  // the charts give their indicators' buffers back to the series
    series.reset();
    session->Shutdown();
    state.reset();
    session.reset();
}

QAction *TMainForm::newAction(int captionIndex, int parameter, std::function<void()> run)
{
    auto *a = new QAction(this);
    SetTag(a, MakeTag(captionIndex, parameter));
    connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    allActions.push_back(a);
    return a;
}

QAction *TMainForm::extraAction(const QString &objectName, TExtraText caption, const QKeySequence &shortcut)
{
    auto *a = new QAction(ExtraText(caption), this);
    a->setObjectName(objectName);
    a->setShortcut(shortcut);
    toolCaptions.emplace_back(a, caption);
    return a;
}

void TMainForm::buildActions()
{
    AConnect = newAction(27, 0, [this] { doConnect(); });
    ADisconnect = newAction(44, 0, [this] { session->Disconnect(); });
    AReg = newAction(67, 0, [this] { doRegistration(); });
    ASetup = newAction(105, 0, [this] {
        SetupDialog(settings, ini, ShowError, this);
        session->Thread().SetServerList(settings.Servers);
        session->Thread().SetPort(settings.Port);
    });
    AOpenDeal = newAction(73, 0, [this] {
        if (viewActions.OpenNewDeal)
            viewActions.OpenNewDeal(0);
    });
    AOpedOrder = newAction(61, 0, [this] {
        if (viewActions.OpenNewOrder)
            viewActions.OpenNewOrder(0);
    });
    AViewCurrency = newAction(56, 1, [this] { toggleView(frmViewCurrency); });
    AViewOpenDeal = newAction(71, 2, [this] { toggleView(frmViewOpenDeal); });
    AViewOrder = newAction(70, 3, [this] { toggleView(frmViewOrder); });
    AViewAccountHistory = newAction(53, 4, [this] { toggleView(frmViewHistory); });
    AViewHistoryOrder = newAction(52, 5, [this] { toggleView(frmViewHistoryOrder); });
    AViewMailBox = newAction(131, 6, [this] { toggleView(frmViewMailBox); });
    AviewChat = newAction(120, 7, [this] { toggleChat(); });
    for (QAction *a : {AViewCurrency, AViewOpenDeal, AViewOrder, AViewAccountHistory, AViewHistoryOrder, AViewMailBox,
                       AviewChat})
        a->setCheckable(true);
    const auto history = [this](int caption, int days, bool orders) {
        QAction *a = newAction(caption, days, [this, days, orders] {
            if (orders)
                state->SetOrderHistoryDays(days);
            else
                state->SetAccountHistoryDays(days);
            updateActions();
        });
        a->setCheckable(true);
        return a;
    };
    AHistory1 = history(49, 1, false);
    AHistory7 = history(51, 7, false);
    AHistory31 = history(50, 31, false);
    AHistoryAll = history(31, 0, false);
    AHistoryOrder1 = history(49, 1, true);
    AHistoryOrder7 = history(51, 7, true);
    AHistoryOrder31 = history(50, 31, true);
    AHistoryOrderAll = history(31, 0, true);
    ARefrechOrderHistory = newAction(64, 0, [this] { state->RequestOrderHistory(); });
    AReport = newAction(97, 0, [this] {
        const QString path = ChooseReportFile ? ChooseReportFile() : QString();
        if (!path.isEmpty())
            SaveReport(path);
    });
    AViewDefault = newAction(65, 0, [this] { ApplyDefaultLayout(); });
    FileExit1 = newAction(33, 0, [this] { close(); });
    WindowCascade1 = newAction(5, 0, [this] { mdi->cascadeSubWindows(); });
    WindowTileHorizontal1 = newAction(87, 0, [this] { mdi->tileSubWindows(); });
    WindowTileVertical1 = newAction(85, 0, [this] { mdi->tileSubWindows(); });
    WindowMinimizeAll1 = newAction(58, 0, [this] {
        for (QWidget *w : mdi->subWindowList())
            w->showMinimized();
    });
    WindowArrangeAll1 = newAction(86, 0, [this] { mdi->tileSubWindows(); });
    HelpAbout1 = newAction(4, 0, [this] {
        QMessageBox::about(
            this, CaptionTextIn(IsEnglish(), 63),
            QStringLiteral("<b>%1</b> %2<br>%3<br><a href=\"mailto:dev@kelvra.local\">dev@kelvra.local</a> &middot; "
                           "<a href=\"https://kelvra.local\">kelvra.local</a>")
                .arg(kProductTitle, QApplication::applicationVersion().toHtmlEscaped(),
                     CaptionTextIn(IsEnglish(), 6).toHtmlEscaped()));
    });
    help = newAction(78, 0, [this] {
        if (!helpViewer)
            helpViewer = new THelpViewer(this);
        helpViewer->OpenContents(HelpFile);
        helpViewer->show();
        helpViewer->raise();
    });
    mRus = new QAction(QStringLiteral("Русский"), this);
    mEng = new QAction(QStringLiteral("English"), this);
    mRus->setCheckable(true);
    mEng->setCheckable(true);
    connect(mRus, &QAction::triggered, this, [this] { SetLanguage(false); });
    connect(mEng, &QAction::triggered, this, [this] { SetLanguage(true); });
    buildChartPictureAction();
}

void TMainForm::buildViews()
{
    frmViewCurrency = new TfrmViewCurrency(state->Lists(), viewActions, this);
    frmViewOpenDeal = new TfrmViewOpenDeal(state->Lists(), viewActions, this);
    frmViewOrder = new TfrmViewOrder(state->Lists(), viewActions, this);
    frmViewHistory = new TfrmViewHistory(state->Lists(),
                                         {AHistory1, AHistory7, AHistory31, nullptr, AHistoryAll, nullptr, AReport}, this);
    frmViewHistoryOrder = new TfrmViewHistoryOrder(
        state->Lists(), {AHistoryOrder1, AHistoryOrder7, AHistoryOrder31, nullptr, AHistoryOrderAll, nullptr, ARefrechOrderHistory},
        this);
    for (TfrmBase *v : {static_cast<TfrmBase *>(frmViewCurrency), static_cast<TfrmBase *>(frmViewOpenDeal),
                        static_cast<TfrmBase *>(frmViewOrder), static_cast<TfrmBase *>(frmViewHistory),
                        static_cast<TfrmBase *>(frmViewHistoryOrder)}) {
        v->hide();
        connect(v, &TfrmBase::openChanged, this, [this] { updateActions(); });
    }
}

void TMainForm::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QString());
    SetTag(file, MakeTag(106));
    file->addActions({AConnect, ADisconnect, AReg, ASetup});
    file->addSeparator();
    file->addAction(AReport);
    file->addAction(ASaveChartPicture);
    file->addSeparator();
    file->addAction(FileExit1);

    QMenu *view = menuBar()->addMenu(QString());
    SetTag(view, MakeTag(29));
    view->addActions({AViewCurrency, AViewOpenDeal, AViewOrder, AViewAccountHistory, AViewHistoryOrder, AViewMailBox,
                      AviewChat});
    view->addActions({ACrosshair, AViewDataWindow});
    view->addSeparator();
    view->addAction(AViewDefault);
    buildThemeMenu(view);

    QMenu *service = menuBar()->addMenu(QString());
    SetTag(service, MakeTag(93));
    service->addActions({AOpenDeal, AOpedOrder, ANewDealSelected, ANewChartSelected});
    service->addSeparator();
    QMenu *accountHistory = service->addMenu(QString());
    SetTag(accountHistory, MakeTag(53));
    accountHistory->addActions({AHistory1, AHistory7, AHistory31, AHistoryAll});
    QMenu *orderHistory = service->addMenu(QString());
    SetTag(orderHistory, MakeTag(52));
    orderHistory->addActions({AHistoryOrder1, AHistoryOrder7, AHistoryOrder31, AHistoryOrderAll, ARefrechOrderHistory});
    service->addSeparator();
    service->addAction(AReport);

    QMenu *window = menuBar()->addMenu(QString());
    SetTag(window, MakeTag(66));
    window->addActions({WindowCascade1, WindowTileHorizontal1, WindowTileVertical1, WindowMinimizeAll1, WindowArrangeAll1});
    QMenu *language = menuBar()->addMenu(QString());
    SetTag(language, MakeTag(111));
    language->addActions({mRus, mEng});
    QMenu *helpMenu = menuBar()->addMenu(QString());
    SetTag(helpMenu, MakeTag(112));
    helpMenu->addActions({help, HelpAbout1});
    for (QMenu *m : {file, view, service, window, language, helpMenu})
        connect(m, &QMenu::aboutToShow, this, &TMainForm::updateActions);

    ToolBar1 = addToolBar(QString());
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->addActions({AConnect, ADisconnect});
    ToolBar1->addSeparator();
    ToolBar1->addActions({AOpenDeal, AOpedOrder});
    ToolBar1->addSeparator();
    cbIndList = new QComboBox(ToolBar1);
    cbIndList->setObjectName(QStringLiteral("cbIndList"));
    cbIndList->setMinimumWidth(140);
    ToolBar1->addWidget(cbIndList);
}

void TMainForm::buildStatusBar()
{
    for (int i = 0; i < 4; ++i) {
        auto *panel = new TStatusPanel(kPanelWidths[i], this);
        StatusPanels[size_t(i)] = panel;
        // Panel 1 takes what the other three leave.
        statusBar()->addWidget(panel, i == 1 ? 1 : 0);
    }
}

void TMainForm::toggleView(TfrmBase *view)
{
    if (view->IsOpen() && view->isVisible())
        view->CloseByUser();
    else
        view->OpenByUser();
    updateActions();
}

void TMainForm::ApplyDefaultLayout()
{
    TfrmBase *bottom[] = {frmViewOpenDeal, frmViewOrder, frmViewHistory, frmViewHistoryOrder};
    addDockWidget(Qt::LeftDockWidgetArea, frmViewCurrency);
    frmViewCurrency->setFloating(false);
    frmViewCurrency->OpenByUser();
    for (TfrmBase *v : bottom) {
        addDockWidget(Qt::BottomDockWidgetArea, v);
        v->setFloating(false);
        v->OpenByUser();
    }
    for (int i = 1; i < 4; ++i)
        tabifyDockWidget(bottom[0], bottom[i]);
    dockMessagingDefault(bottom[3]);
    bottom[0]->raise();
    updateActions();
}

void TMainForm::FirstActivation()
{
    if (firstActivationDone)
        return;
    firstActivationDone = true;
    restoreLayout();  // the stored arrangement, else the default one
    restoreCharts();
    logins.LoadLogins(ini);
    bool loginNow = logins.SavedAccount > 0 && !logins.SavedPassword.isEmpty();
    if (commandLineLogin) {
        // Remembered as if entered in the login dialog, next to the other
        // stored logins; the account's key file stays unless one was given.
        const CommandLineLogin given = *commandLineLogin;
        commandLineLogin.reset();
        const TLoginRecord *stored = logins.Find(given.Account);
        const QString keyFile = given.KeyFile ? *given.KeyFile : stored ? stored->LoginKeyFile : QString();
        logins.StoreLogin(TLoginRecord::Make(given.Account, given.Password, keyFile, true));
        logins.SavedAccount = given.Account;
        logins.SavedPassword = given.Password;
        logins.SavedKeyFile = keyFile;
        logins.SaveLogins(ini);
        if (!ini.Save())
            ShowStatus(ini.ErrorText());
        loginNow = true;
    }
    SavedKeyFile = logins.SavedKeyFile;
    // Reconnection only follows a login that really started: with an
    // unreadable key file it would retry as nobody every 30 seconds.
    if (loginNow && Login(logins.SavedAccount, logins.SavedPassword))
        session->SetAutoReconnect(true);
}

void TMainForm::SetCommandLineLogin(quint32 account, const QString &password, std::optional<QString> keyFile)
{
    commandLineLogin = CommandLineLogin{account, password, std::move(keyFile)};
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FirstActivation();
        SetLanguage(IsEnglish());
    }
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Offscreen and without a window manager no activation may come.
    FirstActivation();
}

bool TMainForm::loadKey(TKeyRecord &key, bool retry)
{
    try {
        key = LoadKeyFile(SavedKeyFile);
        return true;
    } catch (const EForexException &e) {
        if (retry)
            ShowStatus(e.Message());
        else if (ShowError)
            ShowError(e.Message());
        return false;
    }
}

bool TMainForm::Login(quint32 account, const QString &password)
{
    TKeyRecord key{};
    if (!loadKey(key, false))
        return false;
    qCDebug(lcShell) << "login as" << account;
    session->Login(account, password, key);
    messagingLogin(account);
    return true;
}

void TMainForm::doConnect()
{
    session->SetAutoReconnect(false);
    quint32 account = logins.SavedAccount;
    QString password = logins.SavedPassword;
    QString keyFile = SavedKeyFile;
    if (!RunLoginDialog || !RunLoginDialog(account, password, keyFile))
        return;
    // Login reads the saved key path: the entered values are saved first.
    logins.SavedAccount = account;
    logins.SavedPassword = password;
    logins.SavedKeyFile = keyFile;
    SavedKeyFile = keyFile;
    if (Login(account, password))
        session->SetAutoReconnect(true);
}

void TMainForm::sysVariablesArrived()
{
    setWindowTitle(state->WindowTitle(session->SavedAccount()));
    series->Start();
}

void TMainForm::ShowStatus(const QString &text, bool popup) { session->ShowStatus(text, popup); }

void TMainForm::SetLanguage(bool english)
{
    SetEnglish(english);
    mEng->setChecked(english);
    mRus->setChecked(!english);
    TranslateForm(this, false);
    for (TfrmBase *v : {static_cast<TfrmBase *>(frmViewCurrency), static_cast<TfrmBase *>(frmViewOpenDeal),
                        static_cast<TfrmBase *>(frmViewOrder), static_cast<TfrmBase *>(frmViewHistory),
                        static_cast<TfrmBase *>(frmViewHistoryOrder)})
        v->Retranslate();
    retranslateMessaging();
    // The records write their rows in the language of the moment. Rebuilding
    // the rows loses the selection and the scroll position, so it happens
    // only when the language really changed (every activation lands here).
    retranslateChartTools();
    if (appliedEnglish == english)
        return;
    ApplyQtTranslations(english);
    appliedEnglish = english;
    for (TfrmBase *v : {static_cast<TfrmBase *>(frmViewOpenDeal), static_cast<TfrmBase *>(frmViewOrder),
                        static_cast<TfrmBase *>(frmViewHistory), static_cast<TfrmBase *>(frmViewHistoryOrder)})
        if (v->IsOpen()) {
            v->lv->Detach();
            v->lv->Attach();
        }
}

void TMainForm::updateActions()
{
    if (ASaveChartPicture)
        ASaveChartPicture->setEnabled(ActiveChart() != nullptr);
    const bool in = session->LoggedIn();
    AConnect->setEnabled(!in);
    ADisconnect->setEnabled(in);
    AReg->setEnabled(!in);
    AOpenDeal->setEnabled(in && bool(viewActions.OpenNewDeal));
    AOpedOrder->setEnabled(in && bool(viewActions.OpenNewOrder));
    const std::pair<QAction *, TfrmBase *> views[] = {{AViewCurrency, frmViewCurrency},
                                                      {AViewOpenDeal, frmViewOpenDeal},
                                                      {AViewOrder, frmViewOrder},
                                                      {AViewAccountHistory, frmViewHistory},
                                                      {AViewHistoryOrder, frmViewHistoryOrder}};
    for (const auto &[action, view] : views)
        action->setChecked(view->IsOpen());
    updateMessagingActions();
    const int accountDays = state->Lists().AccountHistory.Days;
    for (QAction *a : {AHistory1, AHistory7, AHistory31, AHistoryAll}) {
        const bool current = TagParameter(a) == accountDays;
        a->setChecked(current);
        a->setEnabled(in && !current);
    }
    const int orderDays = state->Lists().OrderHistory.Days;
    for (QAction *a : {AHistoryOrder1, AHistoryOrder7, AHistoryOrder31, AHistoryOrderAll}) {
        const bool current = TagParameter(a) == orderDays;
        a->setChecked(current);
        a->setEnabled(in && !current);
    }
    ARefrechOrderHistory->setEnabled(in);
    AReport->setEnabled(in);
    updateShortcutActions();
    for (TfrmBase *v : {static_cast<TfrmBase *>(frmViewCurrency), static_cast<TfrmBase *>(frmViewOpenDeal),
                        static_cast<TfrmBase *>(frmViewOrder)})
        v->UpdateActions();
}

void TMainForm::SaveReport(const QString &path)
{
    if (!session->LoggedIn()) {
        // Nothing written: an old file of that name must not be shown as new.
        ShowStatus(MessageText(32));
        return;
    }
    const TClientLists &lists = state->Lists();
    const QDate today = QDate::currentDate();
    TReportHeader header{session->SavedAccount(), lists.SysVars.Title,
                         MinuteTimeText(qint32(lists.SysVars.ServerTime), false)};
    const std::vector<TReportSection> sections = {
        {MessageText(7) + ReportPeriodText(lists.AccountHistory.Days, today), frmViewHistory->lv, frmViewHistory->IsOpen()},
        {MessageText(47) + ReportPeriodText(lists.OrderHistory.Days, today), frmViewHistoryOrder->lv,
         frmViewHistoryOrder->IsOpen()},
        {MessageText(27), frmViewOrder->lv, frmViewOrder->IsOpen()},
        {MessageText(29), frmViewOpenDeal->lv, frmViewOpenDeal->IsOpen()}};
    if (!WriteAccountReport(path, header, sections)) {
        if (ShowError)
            ShowError(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (OpenFile)
        OpenFile(path);
}

void TMainForm::restorePlacement()
{
    const QString geometry = ini.ReadString(QStringLiteral("mainform"), QStringLiteral("geometry"));
    if (!geometry.isEmpty())
        restoreGeometry(QByteArray::fromBase64(geometry.toLatin1()));
    else
        resize(1000, 700);
}

QString TMainForm::ReportFolder() const
{
    const QString last = ini.ReadString(kReportSection, kReportFolderKey);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void TMainForm::RememberReportFile(const QString &path)
{
    ini.WriteString(kReportSection, kReportFolderKey, QFileInfo(path).absolutePath());
}

void TMainForm::saveAtClose(bool quiet)
{
    saveMessaging();
    state->Lists().Instruments.SaveToIni(ini);
    closeCharts(true);
    saveLayout();
    logins.SavedKeyFile = SavedKeyFile;
    logins.SaveLogins(ini);
    ini.WriteString(QStringLiteral("mainform"), QStringLiteral("geometry"), QString::fromLatin1(saveGeometry().toBase64()));
    if (ini.Save()) {
        qCDebug(lcShell) << "settings saved";
    } else if (quiet || !ShowError) {
        qWarning().noquote() << ini.ErrorText();
    } else {
        ShowError(ini.ErrorText());
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!closing) {
        closing = true;
        saveAtClose(false);
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::CloseForSignal()
{
    qCDebug(lcShell) << "closing for a signal";
    closedForSignal = true;
    if (!closing) {
        closing = true;
        saveAtClose(true);
    }
    // Every running event loop ends, a modal dialog's too, and none starts
    // again: whatever refusal to close a dialog has is not asked.
    QCoreApplication::exit(0);
}
