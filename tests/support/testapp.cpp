#include "testapp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

void EnsureTestApp()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kelvra-tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    // A short tick wakes the wait so conditions that change on other threads
    // without an event are seen too.
    QTimer tick;
    tick.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
