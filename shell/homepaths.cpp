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

// <prefix>/bin beside <prefix>/share/kelvra: an installed program, whose
// folder is no place for a user's files even when it can be written (root).
bool installedLayout(const QString &executableDir)
{
    const QDir exe(executableDir);
    return exe.dirName() == QStringLiteral("bin") && QFileInfo(exe.filePath(QStringLiteral("../share/kelvra"))).isDir();
}

} // namespace

TKelvraPaths ResolvePaths(const QString &homeOption, const QString &executableDir)
{
    QString home = homeOption;
    if (home.isEmpty())
        home = qEnvironmentVariable("KELVRA_HOME");
    if (!home.isEmpty())
        return under(home);
    if (writableFolder(executableDir) && !installedLayout(executableDir))
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

QString FindProgramDataFile(const QString &name, const QString &executableDir)
{
    const QDir exe(executableDir);
    const QString beside = exe.filePath(name);
    QStringList candidates{beside, QDir::cleanPath(exe.filePath(QStringLiteral("../share/kelvra/") + name))};
    const QString xdg = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("kelvra/") + name);
    if (!xdg.isEmpty())
        candidates << xdg;
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return beside;
}

QString FindProgramDataFile(const QString &name)
{
    return FindProgramDataFile(name, QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}
