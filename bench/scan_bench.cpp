// Times a recursive scan for the Ogg file names that fills a run's file list, next to
// `find -iname '*.ogg'` on the same tree, at three tree sizes of 100 files per folder, so that the
// cost per file shows whether the scan grows linearly. The scan is timed as parvex-cli runs it (no
// date limits: names and identities from the folder listings) and as the window runs it (files
// written before the run began: every file looked up for its times). The tree lives in a temporary
// folder and is removed at the end. The last line is the figure of the largest tree:
//   scan N files<TAB>parvex-cli's scan<TAB>find<TAB>ratio<TAB><= 2
//
//   bench_scan_bench [files]      (default 100000; the smaller runs use a quarter and a half)

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ogg/ogg_codec.h"
#include "scan/find_file.h"
#include "scan/found_files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

std::filesystem::path MakeTree(const std::filesystem::path& root, int files) {
    for (int folder = 0; folder < files / kFilesPerFolder; ++folder) {
        const auto dir = root / ("artist" + std::to_string(folder / 10)) / ("album" + std::to_string(folder));
        std::filesystem::create_directories(dir);
        for (int file = 0; file < kFilesPerFolder; ++file)
            std::ofstream(dir / ("track" + std::to_string(file) + ".ogg"));
    }
    std::ofstream(root / "cover.jpg");  // one file the mask must pass over
    return root;
}

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

// The best of a few runs of the scan as a batch run sets it up (`dated`: as the window does, with
// the time limits that keep out files written during the run); also returns the files found.
double TimeScan(const std::filesystem::path& root, bool dated, std::size_t& found) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        parvex::TFindFile finder;
        parvex::TFoundFileList list;
        finder.Filename = parvex::kOggFileMask;
        finder.Subfolders = true;
        finder.Details = false;
        if (dated) finder.CreatedBefore = finder.ModifiedBefore = parvex::Now();
        finder.SetLocation(root.string() + "/");
        finder.OnFound = [&list](parvex::TFindFile&, const std::string& folder, const parvex::DirEntry& entry) {
            list.Add(folder, entry.Name);
        };
        const auto start = Clock::now();
        finder.Search();
        best = std::min(best, Seconds(Clock::now() - start));
        found = list.Count();
    }
    return best;
}

double TimeFind(const std::filesystem::path& root) {
    const std::string command = "find '" + root.string() + "' -iname '*.ogg' > /dev/null";
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) throw std::runtime_error("find failed");
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string pattern = (std::filesystem::temp_directory_path() / "parvex-scan-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    const std::filesystem::path base = pattern;

    std::printf("%10s %8s %10s %10s %10s %8s %14s\n", "files", "folders", "cli s", "window s", "find s",
                "cli/find", "cli us/file");
    double cliScan = 0, find = 0;
    for (const int files : {largest / 4, largest / 2, largest}) {
        const auto root = MakeTree(base / std::to_string(files), files);
        sync();  // the new tree written back first, so that no timed run pays for it
        std::size_t found = 0, foundDated = 0;
        cliScan = TimeScan(root, false, found);
        const double windowScan = TimeScan(root, true, foundDated);
        find = TimeFind(root);
        const auto expected = static_cast<std::size_t>(files / kFilesPerFolder * kFilesPerFolder);
        if (found != expected || foundDated != expected) {
            std::fprintf(stderr, "found %zu and %zu files, expected %zu\n", found, foundDated, expected);
            return 1;
        }
        std::printf("%10d %8d %10.3f %10.3f %10.3f %8.2f %14.2f\n", files, files / kFilesPerFolder, cliScan,
                    windowScan, find, cliScan / find, cliScan / files * 1e6);
        std::filesystem::remove_all(root);
    }
    std::printf("scan %d files\t%.3f\t%.3f\t%.2f\t<= 2\n", largest, cliScan, find, cliScan / find);
    std::filesystem::remove_all(base);
    return 0;
}
