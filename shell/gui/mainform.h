#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QKeySequence>
#include <QMainWindow>

#include "connectionsettings.h"
#include "homepaths.h"
#include "inifile.h"
#include "extratexts.h"
#include "keyrecord.h"
#include "mchart.h"
#include "regform.h"
#include "storedlogins.h"
#include "theme.h"
#include "viewwindows.h"

class QAction;
class QActionGroup;
class QComboBox;
class QToolBar;
class QLabel;
class QMdiArea;
class QMenu;
class ClientSession;
class ClientState;
class TSeriesList;
class THelpViewer;
class TStatusPanel;
class TMChart;
class TMessaging;
class TfrmViewMailBox;
class TfrmViewMail;
class TfrmChat;
class TDockHandler;
class TDataWindow;
class TDockPanel;
class TfrmViewMessages;
class TDesktopNotifier;
class TQuotePublisher;
class TQuoteBus;
class TUserCurrency;

// The main window: owns the session (dispatcher and connection thread), the
// client state and the series list; logs in, shows the connection in its
// status bar, offers the menu actions and hosts the list windows.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(const TKelvraPaths &paths, QWidget *parent = nullptr);
    ~TMainForm() override;

    ClientSession &Session() { return *session; }
    ClientState &State() { return *state; }
    TSeriesList &Series() { return *series; }
    TStoredLogins &Logins() { return logins; }
    TIniFile &Ini() { return ini; }
    TConnectionSettings &Settings() { return settings; }
    TViewActions &ViewActions() { return viewActions; }

    // Loads the saved key file and starts a login; false when the key file
    // could not be read (the message has been shown) and no attempt started.
    bool Login(quint32 account, const QString &password);
    // A login given on the command line: taken at the first activation
    // instead of the stored one, remembered with its password; the stored
    // key file of the account stays unless a key file is given.
    void SetCommandLineLogin(quint32 account, const QString &password, std::optional<QString> keyFile);
    // Saves what closing saves and ends the event loops, even those of
    // modal dialogs, with status 0 (a termination signal). Needs no display:
    // a failure to save is written to standard error.
    void CloseForSignal();
    bool ClosedForSignal() const { return closedForSignal; }
    void ShowStatus(const QString &text, bool popup = false);
    void SetLanguage(bool english);
    // One pass over every action's enabled and checked state.
    void updateActions();
    // The first-activation step (layout, stored logins, auto-login); runs once.
    void FirstActivation();
    // Quotes on the left; the other lists tabbed along the bottom, the first in front.
    void ApplyDefaultLayout();
    // The registration result: remembered, shown, then the login dialog.
    void Registered(quint32 account, const QString &password);
    // Writes the report to the file and opens it; see AReport.
    void SaveReport(const QString &path);
    // Charts: opened from the quotes window (one window per instrument and
    // timeframe), refreshed when their series changes.
    TMChart *OpenChart(int instrumentId, int timeframe);
    // Opens that chart as soon as the instrument is known (--chart).
    void RequestChart(const QString &instrumentName, int timeframe);
    QList<TMChart *> Charts() const;
    TMChart *ActiveChart() const;
    TDockHandler &DockHandler() const { return *dockHandler; }
    // The pattern file: the default styles of new chart elements, beside
    // the INI file.
    QString PatternFile() const;
    void RefreshCharts(uint32_t key);
    // The chart tools share one handler: tool codes 1 pointer, 2 zoom, 3..9
    // the drawn elements, 10 indicators (the catalogue entry IndicatorIndex).
    void ExecuteTool(int code);
    // The indicator tool with catalogue entry n: cbIndList's choice and the
    // Atrix, ASar and AMAInd shortcuts. Another entry replaces the indicator
    // waiting to be placed.
    void ChooseIndicator(int n);
    int IndicatorIndex = 0;
    QActionGroup *alTool = nullptr;
    QAction *Apointer = nullptr, *AZoomChart = nullptr, *AHLine = nullptr, *AVLine = nullptr, *ALine = nullptr,
            *AfibArc = nullptr, *AFibFan = nullptr, *AfibTimeZone = nullptr, *AfibbLine = nullptr, *Aind = nullptr,
            *Atrix = nullptr, *ASar = nullptr, *AMAInd = nullptr, *AZoomIn = nullptr, *AZoomOut = nullptr;
    // The chart windows' hooks (tests answer the placement dialog here).
    TChartContext &ChartContext() { return chartContext; }
    // The saved login values (the last login).
    QString SavedKeyFile;

    // Replaceable for tests: the dialogs and the desktop.
    std::function<bool(quint32 &account, QString &password, QString &keyFile)> RunLoginDialog;
    std::function<void(const QString &text)> ShowMessage;  // information box
    std::function<void(const QString &text)> ShowError;
    // Asks for the report file, starting in the folder last used (else the
    // documents folder) and remembering the folder chosen.
    std::function<QString()> ChooseReportFile;
    QString ReportFolder() const;
    void RememberReportFile(const QString &path);
    std::function<void(const QString &path)> OpenFile;
    // Asks for the PNG file of File > "Save chart as picture…".
    std::function<QString()> ChooseChartPictureFile;
    // The active chart as a PNG at its size on the screen; false (with the
    // error shown) when it cannot be written.
    bool SaveChartPicture(const QString &path);
    QAction *ASaveChartPicture = nullptr;
    // Keyboard: F9 a new position and Ctrl+N a new chart of the instrument
    // selected in the quotes window (mainformshortcuts.cpp).
    QAction *ANewDealSelected = nullptr, *ANewChartSelected = nullptr;
    // The crosshair on every chart (Ctrl+F, off at start) and the data
    // window that follows it (mainformcrosshair.cpp).
    QAction *ACrosshair = nullptr, *AViewDataWindow = nullptr;
    TDataWindow *DataWindow = nullptr;
    // View > Theme: System, Light, Dark (INI "desktop", "Theme"; mainformtheme.cpp).
    QAction *AThemeSystem = nullptr, *AThemeLight = nullptr, *AThemeDark = nullptr;
    // View > "Text under toolbar icons" (INI "desktop", "ToolbarText"); off:
    // icons only, the names in their tooltips.
    QAction *AToolbarText = nullptr;
    void SetTheme(TTheme theme);
    void UpdateDataWindow(TMChart *chart);

    QAction *AConnect, *ADisconnect, *AReg, *ASetup, *AOpenDeal, *AOpedOrder;
    QAction *AViewCurrency, *AViewOpenDeal, *AViewOrder, *AViewAccountHistory, *AViewHistoryOrder;
    QAction *AViewMailBox, *AviewChat;
    QAction *AHistory1, *AHistory7, *AHistory31, *AHistoryAll;
    QAction *AHistoryOrder1, *AHistoryOrder7, *AHistoryOrder31, *AHistoryOrderAll;
    QAction *ARefrechOrderHistory, *AReport, *AViewDefault, *FileExit1;
    QAction *WindowCascade1, *WindowTileHorizontal1, *WindowTileVertical1, *WindowMinimizeAll1, *WindowArrangeAll1,
        *HelpAbout1, *mRus, *mEng, *help;
    QComboBox *cbIndList;
    QToolBar *ToolBar1 = nullptr;      // connection, trading, indicator list
    QToolBar *ChartToolBar = nullptr;  // the drawing tools and the zoom
    QMdiArea *mdi;
    std::array<TStatusPanel *, 4> StatusPanels{};
    TfrmViewCurrency *frmViewCurrency;
    TfrmViewOpenDeal *frmViewOpenDeal;
    TfrmViewOrder *frmViewOrder;
    TfrmViewHistory *frmViewHistory;
    TfrmViewHistoryOrder *frmViewHistoryOrder;
    // The mail and the chat (mainformmessaging.cpp).
    TMessaging &Messaging() { return *messaging; }
    TfrmViewMailBox *frmViewMailBox = nullptr;
    TfrmViewMail *frmViewMail = nullptr;
    TfrmChat *frmChat = nullptr;
    TfrmViewMessages *frmViewMessages = nullptr;
    // The help viewer, opened by the help menu; closed with the main window.
    THelpViewer *HelpViewer() const { return helpViewer; }
    QString HelpFile;  // kelvra.hlp beside the executable or in the installed data folder
    // ---- Quotes for other programs and online registration
    // (mainformquotes.cpp, mainformregistration.cpp).
    // An item per instrument in every topic, unless the topic has one for its id.
    void CreateQuoteItems();
    // The instrument's items take its current values.
    void PublishQuote(const TUserCurrency &instrument);
    TQuoteBus &QuoteBus() { return *quoteBus; }
    // The registration dialog (tests replace it); the values on Ok.
    std::function<std::optional<TRegistration>()> RunRegistrationDialog;
    // ---- end of quotes and registration

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *newAction(int captionIndex, int parameter, std::function<void()> run);
    // An action of ours, named from the extra texts (retranslated with them).
    QAction *extraAction(const QString &objectName, TExtraText caption, const QKeySequence &shortcut = {});
    void buildActions();
    void buildMenus();
    void buildStatusBar();
    void buildViews();
    void toggleView(TfrmBase *view);
    void doConnect();
    void sysVariablesArrived();
    void saveAtClose(bool quiet);
    void buildChartTools();
    void buildChartPictureAction();  // File > "Save chart as picture…"
    void buildShortcuts();
    void buildCrosshair();
    void buildThemeMenu(QMenu *view);
    void applyActionIcons();  // once every action exists
    void applyToolbarStyle();
    void updateShortcutActions();
    void retranslateChartTools();
    void openRequestedChart();
    void historyStateChanged(uint32_t key);
    QString historyStatus;  // the loading note last put in the status bar
    // Docking (mainformlayout.cpp): the two panels and the windows docked
    // in them; the arrangement is read at the first activation and written
    // at close.
    void buildDocking();
    void restoreLayout();
    void saveLayout();
    TDockHandler *dockHandler = nullptr;
    TDockPanel *dpLeft = nullptr;
    TDockPanel *dpBottom = nullptr;
    bool layoutUpkeepQueued = false;
    // Chart windows: the list kept in the INI file (section "LT1") is read
    // at the first activation and written at close.
    void restoreCharts();
    void closeCharts(bool savePlacement);
    void armTool(int code);
    bool loadKey(TKeyRecord &key, bool retry);
    void restorePlacement();
    void buildMessaging();
    void deleteMessaging();
    void messagingLogin(quint32 account);
    void saveMessaging();
    void updateMessagingActions();
    void retranslateMessaging();
    void toggleChat();
    void dockMessagingDefault(TfrmBase *bottomTabs);
    void notifyDesktop(const QString &title, const QString &body);
    // ---- Quotes for other programs and online registration.
    void buildQuotePublishing();
    void publishInstrumentList();
    void doRegistration();
    TQuotePublisher *quotePublisher = nullptr;
    TQuoteBus *quoteBus = nullptr;
    // ---- end of quotes and registration

    TKelvraPaths paths;
    TIniFile ini;
    TConnectionSettings settings;
    TStoredLogins logins;
    std::unique_ptr<ClientSession> session;
    std::unique_ptr<ClientState> state;
    std::unique_ptr<TSeriesList> series;
    TViewActions viewActions;
    std::vector<QAction *> allActions;
    THelpViewer *helpViewer = nullptr;
    bool firstActivationDone = false;
    bool closing = false;
    bool closedForSignal = false;
    std::optional<bool> appliedEnglish;
    TChartContext chartContext;
    std::vector<std::pair<QAction *, TExtraText>> toolCaptions;
    int currentTool = 1;
    std::vector<std::pair<QString, int>> requestedCharts;  // instrument name, timeframe  // the language the lists were last built in
    struct CommandLineLogin {
        quint32 Account = 0;
        QString Password;
        std::optional<QString> KeyFile;
    };
    std::optional<CommandLineLogin> commandLineLogin;
    std::unique_ptr<TMessaging> messaging;
    TDesktopNotifier *desktopNotifier = nullptr;
};
