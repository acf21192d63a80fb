#include <QApplication>
#include <QCommandLineParser>

#include "clientsession.h"
#include "languagetables.h"
#include "mainwindow.h"
#include "wiretext.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvra"));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption host({QStringLiteral("host")}, QStringLiteral("Server list, comma separated."),
                            QStringLiteral("servers"), QStringLiteral("localhost"));
    QCommandLineOption port({QStringLiteral("port")}, QStringLiteral("Server port."), QStringLiteral("port"),
                            QStringLiteral("2222"));
    QCommandLineOption account({QStringLiteral("account")}, QStringLiteral("Log in at once with this account."),
                               QStringLiteral("number"));
    QCommandLineOption password({QStringLiteral("password")}, QStringLiteral("Password of the account."),
                                QStringLiteral("text"));
    QCommandLineOption english({QStringLiteral("english")}, QStringLiteral("English interface."));
    parser.addOptions({host, port, account, password, english});
    parser.process(app);

    SetEnglish(parser.isSet(english));
    if (!WireCodecAvailable())
        qWarning("The windows-1251 code page is not available; texts outside ASCII will be garbled.");

    ClientSession session;
    session.Thread().SetServerList(parser.value(host));
    session.Thread().SetPort(parser.value(port).toInt());

    MainWindow window(session);
    window.show();
    if (parser.isSet(account)) {
        session.SetAutoReconnect(true);
        session.Login(parser.value(account).toUInt(), parser.value(password), TKeyRecord{});
    }
    const int rc = app.exec();
    session.Shutdown();
    return rc;
}
