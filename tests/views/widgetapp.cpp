#include "widgetapp.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The application lives for the test run and goes before the program's
// static objects do: Qt's desktop services (input method, accessibility over
// D-Bus) must not outlive it.
class WidgetApplication : public ::testing::Environment {
public:
    void SetUp() override { EnsureWidgetApp(); }
    void TearDown() override
    {
        delete app;
        app = nullptr;
    }
    static QApplication *app;
};

QApplication *WidgetApplication::app = nullptr;

const bool registered = (::testing::AddGlobalTestEnvironment(new WidgetApplication), true);

} // namespace

void EnsureWidgetApp()
{
    (void)registered;
    if (QCoreApplication::instance())
        return;
    // Test programs run side by side on one session bus: each main window
    // publishes its quotes under a name of its own process.
    if (qEnvironmentVariableIsEmpty("KELVRA_DBUS_SERVICE"))
        qputenv("KELVRA_DBUS_SERVICE", "org.kelvra.test_" + QByteArray::number(QCoreApplication::applicationPid()));
    static int argc = 1;
    static char name[] = "kelvra-widget-tests";
    static char *argv[] = {name, nullptr};
    WidgetApplication::app = new QApplication(argc, argv);
}
