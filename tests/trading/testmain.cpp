#include <gtest/gtest.h>

#include <QApplication>

// The application object lives in main, so it is gone before the program's
// static objects (among them Qt's registry of input devices, which the
// simulated key presses fill) are destroyed. The tests are headless, also
// when the test list is read at build time.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
