// The main of every test program: a private home, data, config, runtime and temporary folder per
// process, so that no test touches the user's real files, and a QCoreApplication for Qt's services.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TestEnvironment::setUpProcess();
    QCoreApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    TestEnvironment::tearDownProcess();
    return result;
}
