#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "clirunner.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunCli(arguments, out, err);
}
