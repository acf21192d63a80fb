#include "widgetapp.h"

#include <QApplication>

void EnsureWidgetApp()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kelvra-widget-tests";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}
