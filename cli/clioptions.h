#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// The command line of kelvra-cli.
struct TCliOptions {
    QString home;
    QString servers;          // empty: from the INI file
    int port = 0;             // 0: from the INI file
    qint64 account = 0;       // 0: the stored last login
    QString password;
    bool passwordGiven = false;
    QString keyFile;
    bool keyFileGiven = false;
    QString lang;             // "en", "ru" or empty (from the INI file)
    double timeoutSeconds = 20;

    QString command;          // quotes, instruments, positions, orders, account, history, order-history, bars
    qint64 count = 0;         // quotes: stop after this many; bars: print this many (0: no limit)
    double seconds = 0;       // quotes: stop after this long (0: no limit)
    int days = -1;            // history, order-history: the period (-1: 1 day)
    QString symbol;           // bars: the instrument's name
    int timeframe = 0;        // bars: the timeframe code 1..6

    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name; nothing and the reason on a
// usage error.
std::optional<TCliOptions> ParseCliOptions(const QStringList &arguments, QString *error);

// The timeframe code of "M1", "M5", "H1", "H4", "D1", "W1" (case ignored); 0
// for anything else.
int ParseTimeframe(const QString &text);

QString CliUsageText();
QString CliVersionText();
