// The settings tests drive real widgets, so they run inside a QApplication (offscreen in CI).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Also when the test list is gathered at build time, where no display is guaranteed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
