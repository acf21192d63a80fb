#include "clioptions.h"

#include <cmath>

#include "barfile.h"

namespace {

const QStringList Commands = {QStringLiteral("quotes"),  QStringLiteral("instruments"), QStringLiteral("positions"),
                              QStringLiteral("orders"),  QStringLiteral("account"),     QStringLiteral("history"),
                              QStringLiteral("order-history"), QStringLiteral("bars")};

bool takesValue(const QString &name)
{
    static const QStringList withValue = {QStringLiteral("home"),    QStringLiteral("server"),
                                          QStringLiteral("port"),    QStringLiteral("account"),
                                          QStringLiteral("password"), QStringLiteral("key"),
                                          QStringLiteral("lang"),    QStringLiteral("timeout"),
                                          QStringLiteral("count"),   QStringLiteral("seconds"),
                                          QStringLiteral("days")};
    return withValue.contains(name);
}

} // namespace

QString CliUsageText()
{
    return QStringLiteral(
        "Usage: kelvra-cli [--home DIR] [--server LIST] [--port N] [--account N]\n"
        "                  [--password P] [--key FILE] [--lang en|ru] [--timeout S]\n"
        "                  COMMAND [options]\n"
        "\n"
        "Commands:\n"
        "  quotes [--count N | --seconds S]   one line per quote: name, bid, ask, time\n"
        "  instruments                        the dealer's instruments\n"
        "  positions                          open positions, then the account summary\n"
        "  orders                             pending orders\n"
        "  account                            the account summary\n"
        "  history [--days D]                 account history (D = 0: all)\n"
        "  order-history [--days D]           order history (D = 0: all)\n"
        "  bars SYMBOL TIMEFRAME [--count N]  the newest N bars (default: all) of the\n"
        "                                     instrument at M1, M5, H1, H4, D1 or W1:\n"
        "                                     end time, open, high, low, close; the\n"
        "                                     bar file in data/ is completed and kept\n"
        "\n"
        "Options:\n"
        "  --home DIR       folder of kelvra.ini and data/ (also KELVRA_HOME)\n"
        "  --server LIST    servers separated by \",\" (default: the INI file's)\n"
        "  --port N         server port (default: the INI file's)\n"
        "  --account N      account number (default: the last login stored)\n"
        "  --password P     password (also KELVRA_PASSWORD; default: the stored one)\n"
        "  --key FILE       private key file of an encrypted account\n"
        "  --lang en|ru     language of the texts (default: the INI file's)\n"
        "  --timeout S      longest wait for the login, each reply and, with --count,\n"
        "                   each quote; for bars also each part of the history\n"
        "                   (default 20)\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 done, 1 login failure, refused request or time-out, 2 usage error.\n");
}

int ParseTimeframe(const QString &text)
{
    for (int code = 1; !timeframeSuffix(code).isEmpty(); ++code)
        if (text.compare(timeframeSuffix(code), Qt::CaseInsensitive) == 0)
            return code;
    return 0;
}

QString CliVersionText()
{
    return QStringLiteral("kelvra-cli " KELVRA_VERSION "\n");
}

std::optional<TCliOptions> ParseCliOptions(const QStringList &arguments, QString *error)
{
    TCliOptions o;
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (!arg.startsWith(QStringLiteral("--"))) {
            if (o.command == QStringLiteral("bars") && o.symbol.isEmpty()) {
                o.symbol = arg.trimmed();
                if (o.symbol.isEmpty())
                    return fail(QStringLiteral("empty instrument name"));
                continue;
            }
            if (o.command == QStringLiteral("bars") && o.timeframe == 0) {
                o.timeframe = ParseTimeframe(arg);
                if (o.timeframe == 0)
                    return fail(QStringLiteral("unknown timeframe: %1 (M1, M5, H1, H4, D1 or W1)").arg(arg));
                continue;
            }
            if (!o.command.isEmpty())
                return fail(QStringLiteral("unexpected argument: %1").arg(arg));
            if (!Commands.contains(arg))
                return fail(QStringLiteral("unknown command: %1").arg(arg));
            o.command = arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        if (name == QStringLiteral("help")) {
            o.help = true;
            continue;
        }
        if (name == QStringLiteral("version")) {
            o.version = true;
            continue;
        }
        if (!takesValue(name))
            return fail(QStringLiteral("unknown option: --%1").arg(name));
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("--%1 needs a value").arg(name));
            value = arguments.at(++i);
        }
        bool ok = true;
        if (name == QStringLiteral("home")) {
            o.home = value;
        } else if (name == QStringLiteral("server")) {
            o.servers = value.trimmed();
            ok = !o.servers.isEmpty();
        } else if (name == QStringLiteral("port")) {
            o.port = value.toInt(&ok);
            ok = ok && o.port > 0 && o.port <= 65535;
        } else if (name == QStringLiteral("account")) {
            o.account = value.toLongLong(&ok);
            ok = ok && o.account > 0 && o.account <= 0xFFFFFFFFLL;
        } else if (name == QStringLiteral("password")) {
            o.password = value;
            o.passwordGiven = true;
        } else if (name == QStringLiteral("key")) {
            o.keyFile = value;
            o.keyFileGiven = true;
        } else if (name == QStringLiteral("lang")) {
            o.lang = value.toLower();
            ok = o.lang == QStringLiteral("en") || o.lang == QStringLiteral("ru");
        } else if (name == QStringLiteral("timeout")) {
            o.timeoutSeconds = value.toDouble(&ok);
            ok = ok && std::isfinite(o.timeoutSeconds) && o.timeoutSeconds > 0;
        } else if (name == QStringLiteral("count")) {
            o.count = value.toLongLong(&ok);
            ok = ok && o.count > 0;
        } else if (name == QStringLiteral("seconds")) {
            o.seconds = value.toDouble(&ok);
            ok = ok && std::isfinite(o.seconds) && o.seconds > 0;
        } else if (name == QStringLiteral("days")) {
            o.days = value.toInt(&ok);
            ok = ok && o.days >= 0;
        }
        if (!ok)
            return fail(QStringLiteral("bad value for --%1: %2").arg(name, value));
    }
    if (o.help || o.version)
        return o;
    if (o.command.isEmpty())
        return fail(QStringLiteral("no command given"));
    const bool bars = o.command == QStringLiteral("bars");
    if (bars && o.timeframe == 0)
        return fail(QStringLiteral("bars needs an instrument and a timeframe"));
    if (o.count > 0 && o.command != QStringLiteral("quotes") && !bars)
        return fail(QStringLiteral("--count belongs to quotes and bars"));
    if (o.seconds > 0 && o.command != QStringLiteral("quotes"))
        return fail(QStringLiteral("--seconds belongs to quotes"));
    if (o.count > 0 && o.seconds > 0)
        return fail(QStringLiteral("give either --count or --seconds"));
    if (o.days >= 0 && o.command != QStringLiteral("history") && o.command != QStringLiteral("order-history"))
        return fail(QStringLiteral("--days belongs to history and order-history"));
    return o;
}
