// The window tests need one application object for the whole run. They draw offscreen on a large
// desktop screen unless another screen is named, also when the test runner lists the tests without
// the test environment.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" PARVEX_TEST_SCREEN);
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName("Parvex");
    return RUN_ALL_TESTS();
}
