#include "homepaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString IniName = QStringLiteral("kelvra.ini");

TKelvraPaths under(const QString &folder)
{
    const QString home = QDir::cleanPath(QDir(folder).absolutePath());
    return {home, home + QLatin1Char('/') + IniName, home + QStringLiteral("/data")};
}

bool writableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

TKelvraPaths ResolvePaths(const QString &homeOption, const QString &executableDir)
{
    QString home = homeOption;
    if (home.isEmpty())
        home = qEnvironmentVariable("KELVRA_HOME");
    if (!home.isEmpty())
        return under(home);
    if (writableFolder(executableDir))
        return under(executableDir);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    TKelvraPaths paths;
    paths.IniFile = config + QStringLiteral("/kelvra/") + IniName;
    paths.DataDir = data + QStringLiteral("/kelvra");
    return paths;
}

TKelvraPaths ResolvePaths(const QString &homeOption)
{
    return ResolvePaths(homeOption, QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}

bool CreateDataDir(const TKelvraPaths &paths)
{
    return QDir().mkpath(paths.DataDir) && QDir().mkpath(QFileInfo(paths.IniFile).absolutePath());
}
