#include <QApplication>
#include <QCommandLineParser>

#include "clientsession.h"
#include "homepaths.h"
#include "languagetables.h"
#include "mainform.h"
#include "storedlogins.h"
#include "tradewiring.h"
#include "wiretext.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvra"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

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
    QCommandLineOption lang({QStringLiteral("lang")}, QStringLiteral("Interface language: en or ru."),
                            QStringLiteral("language"));
    parser.addOptions({home, host, port, account, password, lang});
    parser.process(app);

    if (!WireCodecAvailable())
        qWarning("The windows-1251 code page is not available; texts outside ASCII will be garbled.");

    TMainForm window(ResolvePaths(parser.value(home)));
    ConnectTradeDialogs(window);
    if (parser.isSet(lang))
        window.SetLanguage(parser.value(lang) != QStringLiteral("ru"));
    if (parser.isSet(host))
        window.Session().Thread().SetServerList(parser.value(host));
    if (parser.isSet(port))
        window.Session().Thread().SetPort(parser.value(port).toInt());
    if (parser.isSet(account)) {
        // A login given here becomes the saved one, as if entered in the dialog.
        window.Logins().SavedAccount = parser.value(account).toUInt();
        window.Logins().SavedPassword = parser.value(password);
        window.Logins().StoreLogin(TLoginRecord::Make(window.Logins().SavedAccount, window.Logins().SavedPassword,
                                                      QString(), true));
        window.Logins().SaveLogins(window.Ini());
        window.Ini().Save();
    }
    window.show();
    if (parser.isSet(account)) {
        window.Session().SetAutoReconnect(true);
        window.Login(window.Logins().SavedAccount, window.Logins().SavedPassword);
    }
    return app.exec();
}
