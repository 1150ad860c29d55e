#pragma once
// Driving a modal dialog from a test: the test's typing and clicks are scheduled to run once the
// dialog is open, inside its modal loop.

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

namespace parvex::test {

// Runs `open` (which shows `dialog` modally) while `interact` plays the user's part inside the
// dialog's loop. A dialog still open after a few seconds is cancelled, so a broken test fails instead
// of hanging.
inline std::string WhileOpen(QDialog& dialog, const std::function<void()>& interact,
                             const std::function<std::string()>& open) {
    QTimer::singleShot(0, &dialog, [&dialog, interact] {
        if (!QTest::qWaitForWindowExposed(&dialog)) return;
        interact();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&dialog] {
        ADD_FAILURE() << "the dialog stayed open";
        dialog.reject();
    });
    watchdog.start(5000);
    return open();
}

}  // namespace parvex::test
