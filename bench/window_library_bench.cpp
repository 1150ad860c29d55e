// The Browse page's table over a large folder: how long until every row is read, the longest wait of
// the window's event loop meanwhile, the memory resident after, one sort of all rows by a column, and
// an edit of 1,000 selected files in one Save next to parvex-cli mass on the same files and parvex-cli
// show --json on the whole folder.
// Usage: bench_window_library_bench [FILES]   (default 100000 small files; run with
// QT_QPA_PLATFORM=offscreen where there is no display)

#include <QApplication>
#include <QItemSelection>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/platform/qt_platform.h"
#include "support/ogg_builder.h"
#include "support/shell.h"
#include "window_bench.h"

using parvex::bench::Clock;
using parvex::bench::SecondsSince;

namespace {

constexpr int kEdited = 1000;
constexpr int kRounds = 3;

// Copies of a few files whose tags differ, so that sorting has work to do.
void MakeFolder(const parvex::test::TempDir& root, const std::string& folder, int files) {
    std::vector<std::string> kinds;
    for (int k = 0; k < 16; ++k)
        kinds.push_back(parvex::test::MakeVorbisFile({{"ARTIST", "Band " + std::to_string(15 - k)},
                                                       {"TITLE", "Song " + std::to_string(k)},
                                                       {"TRACKNUMBER", std::to_string(k + 1)}}));
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/track%06d.ogg", i);
        root.Write(folder + name, kinds[static_cast<std::size_t>(i) % kinds.size()]);
    }
}

// The most memory the process has held, in MB.
long PeakResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

double TimedCommand(const std::string& command) {
    int status = 0;
    const auto start = Clock::now();
    parvex::test::RunCommand(command + " > /dev/null", status);
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const parvex::bench::TBenchRoot root;
    MakeFolder(root, "library", files);
    const std::string folder = (root.Path() / "library").string() + "/";

    QApplication app(argc, argv);
    parvex::TQtPlatform platform;
    parvex::TMainWindow window(platform);
    window.show();
    parvex::TBrowsePage& page = *window.browsePage;

    parvex::bench::TEventLoopWatch watch;
    watch.Start();
    const auto listStart = Clock::now();
    double listedSeconds = 0;  // until the folder is listed and its rows begin to be read
    QObject::connect(page.libraryLoader, &parvex::TLibraryLoader::progress, [&](int, int total) {
        if (total >= 0 && listedSeconds == 0) listedSeconds = SecondsSince(listStart);
    });
    window.folderEdit->setText(QString::fromStdString(folder));
    // Sleeps between events as the window does (with a time limit, processEvents would not wait).
    while (page.libraryLoader->Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double listSeconds = SecondsSince(listStart);
    const qint64 longestWait = watch.Stop();

    const auto sortStart = Clock::now();
    page.fileTable->sortByColumn(static_cast<int>(parvex::TLibraryColumn::Artist), Qt::AscendingOrder);
    const double sortSeconds = SecondsSince(sortStart);
    page.fileTable->sortByColumn(static_cast<int>(parvex::TLibraryColumn::Name), Qt::AscendingOrder);

    const QAbstractItemModel& model = *page.fileTable->model();
    page.fileTable->selectionModel()->select(QItemSelection(model.index(0, 0), model.index(kEdited - 1, 0)),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const std::vector<std::string> edited = page.SelectedFilePaths();
    std::string fileArguments;
    for (const std::string& path : edited) fileArguments += " " + parvex::test::ShellQuote(path);
    // The best of three rounds, each giving the files another album: the window's Save, then
    // parvex-cli mass on the same files, in the same large folder.
    double editSeconds = 1e9, massSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const std::string album = "Benchmark Album " + std::to_string(round);
        page.FieldEdit(parvex::TTagField::Album)->setText(QString::fromStdString(album));
        const auto editStart = Clock::now();
        page.saveButton->click();
        editSeconds = std::min(editSeconds, SecondsSince(editStart));
        massSeconds = std::min(massSeconds, TimedCommand(std::string(PARVEX_CLI) + " mass --set 'ALBUM=" + album +
                                                         " by mass'" + fileArguments));
    }
    const double showSeconds = TimedCommand("find " + parvex::test::ShellQuote(folder) +
                                            " -name '*.ogg' -print0 | xargs -0 " + PARVEX_CLI + " show --json");

    std::printf("files: %d\n", files);
    std::printf("table filled:            %8.3f s   (parvex-cli show --json: %.3f s)\n", listSeconds, showSeconds);
    std::printf("  of which the listing:  %8.3f s\n", listedSeconds);
    std::printf("longest event-loop wait: %8lld ms\n", static_cast<long long>(longestWait));
    std::printf("peak resident:           %8ld MB\n", PeakResidentMegabytes());
    std::printf("sort by Artist:          %8.3f s\n", sortSeconds);
    std::printf("edit of %d selected:   %8.3f s   (parvex-cli mass on those %d: %.3f s, ratio %.2f; best of 3)\n", kEdited,
                editSeconds, kEdited, massSeconds, editSeconds / massSeconds);
    return 0;
}
