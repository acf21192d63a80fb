#include "connectionsettings.h"

#include "inifile.h"
#include "languagetables.h"

namespace {
const QString Section = QStringLiteral("kelvra-server");
}

TConnectionSettings LoadConnectionSettings(const TIniFile &ini)
{
    TConnectionSettings settings;
    settings.Servers = ini.ReadString(Section, QStringLiteral("Host"), settings.Servers);
    settings.Port = ini.ReadInteger(Section, QStringLiteral("port"), settings.Port);
    return settings;
}

void SaveConnectionSettings(TIniFile &ini, const TConnectionSettings &settings)
{
    ini.WriteString(Section, QStringLiteral("host"), settings.Servers);
    ini.WriteInteger(Section, QStringLiteral("port"), settings.Port);
}

QString ApplySetupValues(const QString &serverText, const QString &portText, TConnectionSettings &settings)
{
    const QString servers = serverText.trimmed();
    if (servers.isEmpty())
        return MessageText(10);
    settings.Servers = servers;
    const QString port = portText.trimmed();
    if (port.isEmpty())
        return MessageText(10);
    bool ok = false;
    const qlonglong value = port.toLongLong(&ok, 10);
    if (!ok)
        return MessageText(21);
    if (value < 100 || value > 65536)
        return MessageText(22);
    settings.Port = int(value);
    return QString();
}
