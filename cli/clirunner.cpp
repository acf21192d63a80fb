#include "clirunner.h"

#include <memory>
#include <set>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "clientsession.h"
#include "clientstate.h"
#include "clioptions.h"
#include "commands.h"
#include "connectionsettings.h"
#include "forexexception.h"
#include "homepaths.h"
#include "inifile.h"
#include "keyfile.h"
#include "languagetables.h"
#include "serieslist.h"
#include "storedlogins.h"
#include "textview.h"
#include "units.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int WatchPeriodMs = 50;

// Column captions of the list windows, by caption-table index.
const std::vector<int> InstrumentColumns = {46, 13, 12, 30};
const std::vector<int> PositionColumns = {18, 39, 94, 68, 109, 100, 57, 23, 25, 24, 80};
const std::vector<int> OrderColumns = {18, 35, 37, 94, 103, 107, 101, 57, 23, 25};
const std::vector<int> AccountHistoryColumns = {18, 37, 102, 94, 57, 107, 38, 108, 23, 25, 24, 80};
const std::vector<int> OrderHistoryColumns = {18, 39, 102, 94, 107, 57, 23, 25, 38, 99};

QString headerLine(const std::vector<int> &columns)
{
    QStringList captions;
    for (int index : columns)
        captions << CaptionTextIn(IsEnglish(), index);
    return captions.join(QLatin1Char('\t'));
}

// The replies each command waits for before it prints.
std::set<quint8> neededReplies(const QString &command)
{
    if (command == QStringLiteral("quotes") || command == QStringLiteral("instruments"))
        return {cmdGetInstruments};
    if (command == QStringLiteral("positions") || command == QStringLiteral("account"))
        return {cmdGetSysVariables, cmdGetInstruments, cmdGetPositions, cmdGetAccount};
    if (command == QStringLiteral("orders"))
        return {cmdGetInstruments, cmdGetOrders};
    if (command == QStringLiteral("history"))
        return {cmdGetInstruments, cmdGetAccount, cmdGetAccountHistory};
    if (command == QStringLiteral("bars"))
        return {cmdGetSysVariables, cmdGetInstruments};
    return {cmdGetInstruments, cmdGetOrderHistory};
}

class CliRun {
public:
    CliRun(const TCliOptions &o, QTextStream &out, QTextStream &err) : options(o), out(out), err(err) {}

    int run();

private:
    bool prepare();
    void finish(int code);
    void fail(const QString &text);
    void onReply(quint8 code, bool lastPart, bool ok);
    void watch();
    void printResult();
    void printQuote(const TUserCurrency &instrument);
    void restartTimeout();
    QString statusText();
    // bars: the series list, the one series and its history request.
    bool prepareSeries();
    void requestSeries();
    void onSeriesChanged(uint32_t key);
    void printBars();
    void saveSeries();

    const TCliOptions &options;
    QTextStream &out;
    QTextStream &err;

    quint32 account = 0;
    QString password;
    TKeyRecord key{};
    TConnectionSettings connection;
    TKelvraPaths paths;

    ClientSession session;
    ClientState state{session};
    std::unique_ptr<TSeriesList> seriesList;
    TSerData *series = nullptr;
    bool seriesWaiting = false;  // its history request is outstanding
    QEventLoop loop;
    QTimer timeout;
    QTimer watcher;
    QTimer quoteTimer;
    std::set<quint8> waiting;
    bool streaming = false;
    qint64 quotesPrinted = 0;
    int exitCode = 0;
    bool done = false;
};

bool CliRun::prepare()
{
    paths = ResolvePaths(options.home);
    TIniFile ini;
    if (!ini.Load(paths.IniFile))
        err << "kelvra-cli: " << ini.ErrorText() << " (" << paths.IniFile << "), using defaults\n";

    if (options.lang.isEmpty())
        SetEnglish(ini.ReadBool(QStringLiteral("desktop"), QStringLiteral("Lang"), IsEnglish()));
    else
        SetEnglish(options.lang == QStringLiteral("en"));

    connection = LoadConnectionSettings(ini);
    if (!options.servers.isEmpty())
        connection.Servers = options.servers;
    if (options.port > 0)
        connection.Port = options.port;

    TStoredLogins logins;
    logins.LoadLogins(ini);
    account = options.account > 0 ? quint32(options.account) : logins.SavedAccount;
    if (account == 0) {
        err << "kelvra-cli: no account given and none stored; use --account\n";
        exitCode = ExitUsage;
        return false;
    }
    const TLoginRecord *stored = logins.Find(account);
    if (options.passwordGiven)
        password = options.password;
    else if (qEnvironmentVariableIsSet("KELVRA_PASSWORD"))
        password = qEnvironmentVariable("KELVRA_PASSWORD");
    else if (stored)
        password = stored->LoginPassword;

    const QString keyPath = options.keyFileGiven ? options.keyFile : (stored ? stored->LoginKeyFile : QString());
    try {
        key = LoadKeyFile(keyPath);
    } catch (const EForexException &e) {
        err << e.Message() << "\n";
        exitCode = ExitFailure;
        return false;
    }
    return true;
}

QString CliRun::statusText()
{
    QString text = session.PanelText(ClientSession::PanelStatus);
    if (text.isEmpty())
        text = session.Thread().StatusText();
    return text;
}

void CliRun::finish(int code)
{
    if (done)
        return;
    done = true;
    exitCode = code;
    out.flush();
    // A handler's exception is reported through a queued notice posted while
    // the pump unwinds, after this point: two hops let it reach stderr first.
    QMetaObject::invokeMethod(
        &loop, [this] { QMetaObject::invokeMethod(&loop, [this] { loop.quit(); }, Qt::QueuedConnection); },
        Qt::QueuedConnection);
}

void CliRun::fail(const QString &text)
{
    err << (text.isEmpty() ? QStringLiteral("kelvra-cli: failed") : text) << "\n";
    finish(ExitFailure);
}

void CliRun::restartTimeout() { timeout.start(int(options.timeoutSeconds * 1000)); }

void CliRun::onReply(quint8 code, bool lastPart, bool ok)
{
    if (done || !waiting.count(code))
        return;
    if (!ok) {
        fail(statusText());
        return;
    }
    if (!lastPart)
        return;
    waiting.erase(code);
    if (waiting.empty())
        printResult();
    else
        restartTimeout();
}

void CliRun::watch()
{
    if (done)
        return;
    // The history wait ended without its last part: an error reply, a
    // damaged last part or the dispatcher's reset.
    if (seriesWaiting && series->Ready == 1) {
        seriesWaiting = false;
        const QString status = statusText();
        fail(status.isEmpty() ? QStringLiteral("kelvra-cli: the history request failed") : status);
        return;
    }
    // The attempt ended without a session (refused login, no server), or the
    // session is gone.
    const TConnectThread &thread = session.Thread();
    if (!session.LoggedIn() && thread.Mode() == 0 && !thread.RequestPending())
        fail(statusText());
}

void CliRun::printQuote(const TUserCurrency &instrument)
{
    if (!streaming || done)
        return;
    out << instrument.NameText() << '\t' << instrument.BidText() << '\t' << instrument.AskText() << '\t'
        << instrument.TimeText() << '\n';
    out.flush();
    ++quotesPrinted;
    if (options.count > 0) {
        if (quotesPrinted >= options.count)
            finish(0);
        else
            restartTimeout();
    }
}

void CliRun::printResult()
{
    TClientLists &lists = state.Lists();
    const QString &command = options.command;
    auto print = [this](TUserBaseList &list, const std::vector<int> &columns, bool footer) {
        TTextView view(footer);
        list.AttachView(&view);
        out << headerLine(columns) << '\n';
        for (const QString &line : view.Lines())
            out << line << '\n';
        if (footer)
            out << view.FooterText().trimmed() << '\n';
        list.DetachView();
    };
    if (command == QStringLiteral("bars")) {
        requestSeries();
        return;
    }
    if (command == QStringLiteral("quotes")) {
        streaming = true;
        timeout.stop();
        if (options.count > 0)
            restartTimeout();
        else if (options.seconds > 0)
            QTimer::singleShot(int(options.seconds * 1000), &loop, [this] { finish(0); });
        return;
    }
    if (command == QStringLiteral("instruments"))
        print(lists.Instruments, InstrumentColumns, false);
    else if (command == QStringLiteral("positions"))
        print(lists.Positions, PositionColumns, true);
    else if (command == QStringLiteral("orders"))
        print(lists.Orders, OrderColumns, false);
    else if (command == QStringLiteral("account")) {
        lists.Account().RefreshItem();
        out << lists.Account().SummaryText().trimmed() << '\n';
    } else if (command == QStringLiteral("history"))
        print(lists.AccountHistory, AccountHistoryColumns, true);
    else
        print(lists.OrderHistory, OrderHistoryColumns, false);
    finish(0);
}

bool CliRun::prepareSeries()
{
    if (!CreateDataDir(paths)) {
        err << "kelvra-cli: cannot create the data folder " << paths.DataDir << "\n";
        exitCode = ExitFailure;
        return false;
    }
    seriesList = std::make_unique<TSeriesList>(session, paths.DataDir, [this](int id) {
        const TUserCurrency *instrument = state.Lists().Instruments.FindRecord(id);
        return instrument ? instrument->Name : QString();
    });
    // As in the desktop client: every applied system-variables reply starts
    // the list (it registers its tick handler once per connection).
    QObject::connect(&state, &ClientState::sysVariablesLoaded, &loop, [this] { seriesList->Start(); });
    QObject::connect(seriesList.get(), &TSeriesList::seriesChanged, &loop,
                     [this](uint32_t key) { onSeriesChanged(key); });
    return true;
}

void CliRun::requestSeries()
{
    const qint32 id = state.Lists().Instruments.IdByName(options.symbol);
    if (id < 0) {
        fail(QStringLiteral("kelvra-cli: unknown instrument: %1").arg(options.symbol));
        return;
    }
    // Loads the bar file and asks for the bars from its newest one on.
    series = seriesList->FindOrCreate(id, options.timeframe);
    if (series->Ready != 0) {
        const QString status = statusText();
        fail(status.isEmpty() ? QStringLiteral("kelvra-cli: the history request was not sent") : status);
        return;
    }
    seriesWaiting = true;
    restartTimeout();
}

void CliRun::onSeriesChanged(uint32_t key)
{
    if (done || !seriesWaiting || !series || key != series->Key)
        return;
    if (series->Ready == 0) {  // more parts follow
        restartTimeout();
        return;
    }
    seriesWaiting = false;
    printBars();
    finish(0);
}

void CliRun::printBars()
{
    const int count = series->Count();
    const int first = options.count > 0 && options.count < count ? count - int(options.count) : 0;
    for (int i = first; i < count; ++i)
        out << MinuteTimeText(series->Time()[i], false) << '\t' << PriceText(PriceFromDouble(series->Open()[i]))
            << '\t' << PriceText(PriceFromDouble(series->High()[i])) << '\t'
            << PriceText(PriceFromDouble(series->Low()[i])) << '\t'
            << PriceText(PriceFromDouble(series->Close()[i])) << '\n';
}

void CliRun::saveSeries()
{
    if (!series)
        return;
    const QString path = series->BarFileName(paths.DataDir);
    if (series->Last >= 0 && series->Modified && !path.isEmpty()) {
        if (series->SaveBarFile(paths.DataDir)) {
            series->Modified = false;  // written: the list has nothing left to save
        } else {
            err << "kelvra-cli: cannot write the bar file " << path << "\n";
            exitCode = ExitFailure;
        }
    }
}

int CliRun::run()
{
    if (!prepare())
        return exitCode;
    if (options.command == QStringLiteral("bars") && !prepareSeries())
        return exitCode;

    waiting = neededReplies(options.command);
    if (options.days >= 0) {
        state.Lists().AccountHistory.Days = options.days;
        state.Lists().OrderHistory.Days = options.days;
    }

    QObject::connect(&state, &ClientState::replyHandled, &loop,
                     [this](quint8 code, bool last, bool ok) { onReply(code, last, ok); });
    QObject::connect(&state, &ClientState::quoteApplied, &loop,
                     [this](TUserCurrency *instrument) { printQuote(*instrument); });
    QObject::connect(&session, &ClientSession::handlerFailed, &loop, [this](const QString &text) {
        err << text << '\n';
        err.flush();
    });
    QObject::connect(&session, &ClientSession::sessionEnded, &loop, [this] {
        if (!done)
            fail(statusText());
    });

    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [this] {
        const QString status = statusText();
        fail(status.isEmpty() ? QStringLiteral("kelvra-cli: time-out waiting for the server") : status);
    });
    watcher.setInterval(WatchPeriodMs);
    QObject::connect(&watcher, &QTimer::timeout, &loop, [this] { watch(); });

    session.Thread().SetServerList(connection.Servers);
    session.Thread().SetPort(connection.Port);
    session.Login(account, password, key);
    restartTimeout();
    watcher.start();
    loop.exec();
    watcher.stop();
    timeout.stop();
    saveSeries();
    seriesList.reset();
    session.Shutdown();
    return exitCode;
}

} // namespace

int RunCli(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    QString error;
    const std::optional<TCliOptions> options = ParseCliOptions(arguments, &error);
    if (!options) {
        err << "kelvra-cli: " << error << "\n" << CliUsageText();
        err.flush();
        return ExitUsage;
    }
    if (options->help) {
        out << CliUsageText();
        out.flush();
        return 0;
    }
    if (options->version) {
        out << CliVersionText();
        out.flush();
        return 0;
    }
    CliRun run(*options, out, err);
    const int code = run.run();
    out.flush();
    err.flush();
    return code;
}
