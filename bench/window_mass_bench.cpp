// Mass tag over a large folder from the window, next to parvex-cli mass on a copy of the same folder,
// and the longest time the window's event loop waited during the window's run.
// Usage: bench_window_mass_bench [FILES]   (default 20000 small files; run with QT_QPA_PLATFORM=offscreen
// where there is no display)

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "app/platform/qt_platform.h"
#include "support/ogg_builder.h"
#include "support/shell.h"
#include "window_bench.h"

namespace fs = std::filesystem;
using parvex::bench::Clock;
using parvex::bench::SecondsSince;

namespace {

void MakeFolder(const parvex::test::TempDir& root, const std::string& folder, int files) {
    const std::string bytes = parvex::test::MakeVorbisFile({{"TITLE", "Song"}, {"ARTIST", "Band"}});
    for (int i = 0; i < files; ++i) root.Write(folder + "/track" + std::to_string(i) + ".ogg", bytes);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const parvex::bench::TBenchRoot root;
    MakeFolder(root, "window", files);
    MakeFolder(root, "cli", files);

    QApplication app(argc, argv);
    parvex::TQtPlatform platform;
    parvex::TMainWindow window(platform);
    window.show();
    window.folderEdit->setText(QString::fromStdString((root.Path() / "window").string() + "/"));
    window.massPage->RowCheck(parvex::TTagField::Artist)->setChecked(true);
    window.massPage->RowEdit(parvex::TTagField::Artist)->setText("Benchmark Band");

    parvex::bench::TEventLoopWatch watch;
    watch.Start();
    const auto windowStart = Clock::now();
    window.massPage->runButton->click();
    const double windowSeconds = SecondsSince(windowStart);
    const qint64 longestWait = watch.Stop();

    int status = 0;
    const auto cliStart = Clock::now();
    parvex::test::RunCommand(std::string(PARVEX_CLI) + " mass " +
                                 parvex::test::ShellQuote((root.Path() / "cli").string()) +
                                 " --set 'ARTIST=Benchmark Band' > /dev/null",
                             status);
    const double cliSeconds = SecondsSince(cliStart);

    const QString log = window.logPage->logView->toPlainText();
    std::printf("files: %d\n", files);
    std::printf("window: %8.3f s   %s\n", windowSeconds, log.split('\n').last().toStdString().c_str());
    std::printf("cli:    %8.3f s   (exit status %d)\n", cliSeconds, status);
    std::printf("window / cli: %.2f\n", windowSeconds / cliSeconds);
    std::printf("longest event-loop wait during the window's run: %lld ms\n",
                static_cast<long long>(longestWait));
    return 0;
}
