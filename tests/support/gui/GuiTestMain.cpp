// The main of the window test programs: the private folders of every test program and a widget
// application on the offscreen platform (unless the caller chose another one, e.g. Xvfb).
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TestEnvironment::setUpProcess();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    TestEnvironment::tearDownProcess();
    return result;
}
