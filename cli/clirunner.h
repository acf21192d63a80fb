#pragma once

#include <QStringList>
#include <QTextStream>

// Runs kelvra-cli with the arguments after the program name, writing to out
// and err, and returns the exit status. Needs a QCoreApplication; drives
// the same connection thread, dispatcher and state handlers as the desktop
// client. Never writes the INI file.
int RunCli(const QStringList &arguments, QTextStream &out, QTextStream &err);
