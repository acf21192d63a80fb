#pragma once

#include <QString>

// Where the programs keep their files: the INI file "kelvra.ini" and the
// data folder.
struct TKelvraPaths {
    QString Home;     // the folder the paths were chosen for (may be empty for XDG)
    QString IniFile;  // .../kelvra.ini
    QString DataDir;  // .../data (XDG: the data location's kelvra folder)
};

// An explicit home (the --home option, else the environment variable
// KELVRA_HOME) puts both under it; otherwise beside the executable when
// that folder is writable and not an installed <prefix>/bin (one with
// <prefix>/share/kelvra beside it), else under the user's XDG config and data
// locations ($XDG_CONFIG_HOME/kelvra/kelvra.ini, $XDG_DATA_HOME/kelvra).
TKelvraPaths ResolvePaths(const QString &homeOption, const QString &executableDir);
// The same with the running program's folder.
TKelvraPaths ResolvePaths(const QString &homeOption);

// Creates the data folder (and the INI file's folder); false when it cannot.
bool CreateDataDir(const TKelvraPaths &paths);

// A file the programs ship with (the help file, the pattern file): beside
// the executable (a build tree), else in the installed data folder
// (<prefix>/share/kelvra for <prefix>/bin), else in the XDG data folders
// (kelvra/<name>). When none holds it, the path beside the executable.
QString FindProgramDataFile(const QString &name, const QString &executableDir);
QString FindProgramDataFile(const QString &name);
