#pragma once

#include <QString>

class TIniFile;

// The program-wide connection settings: the server list ("," separated
// host names or addresses) and the port.
struct TConnectionSettings {
    QString Servers = QStringLiteral("localhost");
    int Port = 2222;
};

// "kelvra-server"/"Host" (default "localhost") and "port" (default 2222).
TConnectionSettings LoadConnectionSettings(const TIniFile &ini);
// Writes "host" and "port" of "kelvra-server".
void SaveConnectionSettings(TIniFile &ini, const TConnectionSettings &settings);

// The settings dialog's checks: the server list trimmed and not empty, the
// port a whole number from 100 to 65536. Returns the language message to
// show ("Value requered", "Incorect value") or "" when both are good; a
// server list that passed is stored in settings even when the port fails.
QString ApplySetupValues(const QString &serverText, const QString &portText, TConnectionSettings &settings);
