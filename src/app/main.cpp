// Parvex: read the start options, start the application, create the main window and the two
// dialogs, run until the main window closes.

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <iostream>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "app/main_window.h"
#include "app/platform/qt_platform.h"
#include "app/start_options.h"
#include "batch/run_memory.h"

namespace {

// The name of the desktop entry and of the icon, as installed.
constexpr const char* kApplicationId = "org.example.parvex";

std::vector<std::string> Arguments(const QStringList& arguments) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());
    return args;
}

// The icon built into the program, in every size it is drawn in.
QIcon BuiltInIcon() {
    QIcon icon;
    for (const QString& size : QDir(":/icons").entryList()) icon.addFile(":/icons/" + size);
    return icon;
}

int UsageError(const std::string& message) {
    std::cerr << "parvex: " << message << "\nTry 'parvex --help' for more information.\n";
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Help and version need no window, nor a display to open one on.
    const parvex::TStartOptions early =
        parvex::ParseStartArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (early.Help) {
        std::cout << parvex::kStartHelp;
        return 0;
    }
    if (early.Version) {
        std::cout << "parvex " PARVEX_VERSION "\n";
        return 0;
    }

    parvex::KeepFreedMemoryForRuns();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Parvex");
    QApplication::setApplicationDisplayName("Parvex");
    QApplication::setApplicationVersion(PARVEX_VERSION);
    QApplication::setDesktopFileName(kApplicationId);
    QApplication::setWindowIcon(QIcon::fromTheme(kApplicationId, BuiltInIcon()));

    // The toolkit has taken its own options out of the arguments by now.
    const parvex::TStartOptions options = parvex::ParseStartArguments(Arguments(QApplication::arguments()));
    if (!options.Error.empty()) return UsageError(options.Error);
    std::optional<parvex::TStartPlace> place;
    if (options.Path) {
        std::string problem;
        place = parvex::ResolveStartPath(*options.Path, problem);
        if (!place) return UsageError(problem);
    }

    parvex::TQtPlatform platform;
    parvex::TMainWindow window(platform);
    parvex::TAddTagDialog addTag(&window, platform);
    parvex::TAddWordDialog addWord(&window);
    window.SetDialogs(addTag, addWord);
    window.show();
    // After the first show, which lists the folder of the last run: the folder asked for wins.
    if (place) window.OpenFolder(place->Folder, place->FileName);
    return application.exec();
}
