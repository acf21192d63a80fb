#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include "clientsession.h"
#include "homepaths.h"
#include "languagetables.h"
#include "mainform.h"
#include "signalclose.h"
#include "storedlogins.h"
#include "tradewiring.h"
#include "wiretext.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvra"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvra"));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption home({QStringLiteral("home")}, QStringLiteral("Folder of kelvra.ini and data/ (also KELVRA_HOME)."),
                            QStringLiteral("dir"));
    QCommandLineOption host({QStringLiteral("host")}, QStringLiteral("Server list for this run, comma separated."),
                            QStringLiteral("servers"));
    QCommandLineOption port({QStringLiteral("port")}, QStringLiteral("Server port for this run."), QStringLiteral("port"));
    QCommandLineOption account({QStringLiteral("account")},
                               QStringLiteral("Log in at once with this account (remembered with its password)."),
                               QStringLiteral("number"));
    QCommandLineOption password({QStringLiteral("password")}, QStringLiteral("Password of the account."),
                                QStringLiteral("text"));
    QCommandLineOption key({QStringLiteral("key")},
                           QStringLiteral("Private key file for the --account login (else the stored one)."),
                           QStringLiteral("file"));
    QCommandLineOption lang({QStringLiteral("lang")}, QStringLiteral("Interface language: en or ru."),
                            QStringLiteral("language"));
    QCommandLineOption chart({QStringLiteral("chart")},
                             QStringLiteral("Open a chart once the instrument is known, e.g. EURUSD:H1 "
                                            "(M1, M5, H1, H4, D1, W1); may be repeated."),
                             QStringLiteral("symbol:timeframe"));
    parser.addOptions({home, host, port, account, password, key, lang, chart});
    parser.process(app);

    if (!WireCodecAvailable())
        qWarning("The windows-1251 code page is not available; texts outside ASCII will be garbled.");

    // A logout, kill or Ctrl+C closes the program as its close box does;
    // the handler is in place before anything can be lost to a signal.
    TMainForm *mainWindow = nullptr;
    TSignalCloser signalCloser([&mainWindow](int) {
        if (mainWindow)
            mainWindow->CloseForSignal();
        else
            QCoreApplication::exit(0);
    });
    TMainForm window(ResolvePaths(parser.value(home)));
    mainWindow = &window;
    ConnectTradeDialogs(window);
    if (parser.isSet(lang))
        window.SetLanguage(parser.value(lang) != QStringLiteral("ru"));
    if (parser.isSet(host))
        window.Session().Thread().SetServerList(parser.value(host));
    if (parser.isSet(port))
        window.Session().Thread().SetPort(parser.value(port).toInt());
    if (parser.isSet(account)) {
        bool ok = false;
        const quint32 number = parser.value(account).toUInt(&ok);
        if (!ok || number == 0) {
            qCritical("--account needs an account number from 1 to 4294967295");
            return 2;
        }
        // Taken at the first activation instead of the stored login, and
        // remembered with its password as if entered in the login dialog.
        window.SetCommandLineLogin(number, parser.value(password),
                                   parser.isSet(key) ? std::optional<QString>(QFileInfo(parser.value(key)).absoluteFilePath()) : std::nullopt);
    }
    for (const QString &wanted : parser.values(chart)) {
        static const QStringList suffixes{"M1", "M5", "H1", "H4", "D1", "W1"};
        const int timeframe = int(suffixes.indexOf(wanted.section(u':', 1).toUpper())) + 1;
        if (timeframe < 1 || wanted.section(u':', 0, 0).isEmpty()) {
            qCritical("--chart needs SYMBOL:TIMEFRAME with a timeframe of M1, M5, H1, H4, D1 or W1");
            return 2;
        }
        window.RequestChart(wanted.section(u':', 0, 0), timeframe);
    }
    window.show();
    // A signal may come while a box of the first activation runs, before
    // the event loop: that loop must not start then.
    if (window.ClosedForSignal())
        return 0;
    return app.exec();
}
