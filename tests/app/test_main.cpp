// The window tests need one application object for the whole run. They draw offscreen unless told
// otherwise, also when the test runner lists the tests without the test environment.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName("Parvex");
    return RUN_ALL_TESTS();
}
