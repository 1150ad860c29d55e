#pragma once
// A main window built for a test: in a temporary current directory (so a genre.txt of the test's own,
// or none, is what the window reads), with a settings folder of its own (so no test sees what another
// one saved), and with the recording platform in place of the desktop.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFont>
#include <QString>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "app/main_window.h"
#include "fake_platform.h"
#include "settings/settings_env.h"
#include "support/temp_dir.h"

// Test failures show a QString as its text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace parvex::test {

// Waits until the Browse page's table is full, as a user waits for the listing.
inline void AwaitListing(const TBrowsePage& page) {
    EXPECT_TRUE(QTest::qWaitFor([&page] { return !page.libraryLoader->Loading(); }, 20000));
}

// The first column of the Browse page's table, top to bottom, once it is full: the names it lists.
inline QStringList TableNames(const TBrowsePage& page) {
    AwaitListing(page);
    const QTableView& table = *page.fileTable;
    QStringList names;
    for (int row = 0; row < table.model()->rowCount(); ++row) names << table.model()->index(row, 0).data().toString();
    return names;
}

// Changes the process's current directory for its lifetime.
class TCurrentDirectory {
public:
    explicit TCurrentDirectory(const std::filesystem::path& directory);
    ~TCurrentDirectory();
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

// Switches the effective user to nobody for its lifetime when the tests run as root, so a file
// without read permission really cannot be read.
class TAsNobody {
public:
    TAsNobody() : switched_(geteuid() == 0 && seteuid(65534) == 0) {}
    ~TAsNobody() {
        if (switched_ && seteuid(0) != 0) std::abort();
    }
    TAsNobody(const TAsNobody&) = delete;
    TAsNobody& operator=(const TAsNobody&) = delete;

private:
    bool switched_;
};

// Sets the application's font, as a desktop sets its font for every program, for its lifetime.
class TDesktopFont {
public:
    explicit TDesktopFont(double points);
    ~TDesktopFont();
    TDesktopFont(const TDesktopFont&) = delete;
    TDesktopFont& operator=(const TDesktopFont&) = delete;

private:
    QFont previous_;
};

class WindowTest : public testing::Test {
protected:
    WindowTest() : currentDirectory_(temp_.Path()) {}

    // Creates the window (running its creation handler) in the temporary directory.
    TMainWindow& Window();
    // Shows the window and waits until it is the active window, so that keys reach it.
    void ShowActive();

    TempDir temp_;
    TTempConfig config_;
    // The journals of the window's runs go to a folder of the test's own.
    TempDir stateHome_;
    TScopedEnv stateEnv_{"XDG_STATE_HOME", stateHome_.Path().c_str()};
    TFakePlatform platform_;

private:
    TCurrentDirectory currentDirectory_;
    std::unique_ptr<TMainWindow> window_;
};

}  // namespace parvex::test
