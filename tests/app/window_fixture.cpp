#include "window_fixture.h"

#include <QApplication>

namespace parvex::test {

TCurrentDirectory::TCurrentDirectory(const std::filesystem::path& directory)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
}

TCurrentDirectory::~TCurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

TDesktopFont::TDesktopFont(double points) : previous_(QApplication::font()) {
    QFont font = previous_;
    font.setPointSizeF(points);
    QApplication::setFont(font);
}

TDesktopFont::~TDesktopFont() { QApplication::setFont(previous_); }

TMainWindow& WindowTest::Window() {
    if (!window_) window_ = std::make_unique<TMainWindow>(platform_);
    return *window_;
}

void WindowTest::ShowActive() {
    TMainWindow& window = Window();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

}  // namespace parvex::test
