// Mass tag throughput: one field overwritten in every file of a folder by a run as users start it
// (the batch run's door: scan, plan, grouped save; no journal), next to copying the same files.
// Usage: bench_mass_tag_bench [FILES [MEGABYTES]]   (default 1000 files of 1 MB)

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "batch/mass_tag.h"
#include "batch/run_door.h"
#include "ogg/header_reader.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string SampleFile(double megabytes) {
    parvex::test::VorbisFileOptions options;
    options.PacketsPerAudioPage = 16;
    options.AudioPacketSize = 640;
    options.AudioPages = static_cast<int>(megabytes * 1024 * 1024 / (16 * 640));
    return parvex::test::MakeVorbisFile({{"TITLE", "Song"}, {"ARTIST", "Band"}}, options);
}

// Copies every file of `from` into `to`; with `sync`, each copy is flushed to disk as a save is.
double TimeCopy(const fs::path& from, const fs::path& to, bool sync) {
    fs::create_directories(to);
    const auto start = Clock::now();
    for (const auto& entry : fs::directory_iterator(from)) {
        const fs::path target = to / entry.path().filename();
        fs::copy_file(entry.path(), target);
        if (!sync) continue;
        const int fd = open(target.c_str(), O_RDONLY);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
    }
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const double megabytes = argc > 2 ? std::atof(argv[2]) : 1.0;
    parvex::test::TempDir root;
    const fs::path source = root.Path() / "music";

    const std::string bytes = SampleFile(megabytes);
    for (int i = 0; i < files; ++i) root.Write("music/track" + std::to_string(i) + ".ogg", bytes);

    const double copySeconds = TimeCopy(source, root.Path() / "copies", false);
    const double syncedCopySeconds = TimeCopy(source, root.Path() / "synced-copies", true);

    parvex::TMassTagOptions options;
    options.Rows.push_back({parvex::TTagField::Artist, "Benchmark Band", parvex::TMassMode::Overwrite});
    parvex::TRunOrder order;
    order.Planner = [&options](const std::string& dir, const std::string& name, parvex::TOggVorbis& file,
                               parvex::tagrecord& record) {
        return parvex::PlanMassTag(options, file, record, dir, name);
    };
    struct TQuietRun final : parvex::TRunSink {
        void AddLine(const std::string&) override {}
    } sink;
    const std::size_t readsBefore = parvex::HeaderReads();
    const auto start = Clock::now();
    parvex::TBatchRun run("mass", order, {{source.string() + "/"}}, sink);
    run.Plan();
    run.Apply(false, false);
    const int failed = files - run.Tally().Changed();
    const double tagSeconds = SecondsSince(start);
    const double readsPerFile = static_cast<double>(parvex::HeaderReads() - readsBefore) / files;

    std::printf("files: %d of %.2f MB (%zu bytes)\n", files, megabytes, bytes.size());
    std::printf("copy:     %8.3f s  %10.1f files/s\n", copySeconds, files / copySeconds);
    std::printf("copy+sync:%8.3f s  %10.1f files/s\n", syncedCopySeconds, files / syncedCopySeconds);
    std::printf("mass tag: %8.3f s  %10.1f files/s  (%d failed)\n", tagSeconds, files / tagSeconds, failed);
    std::printf("mass tag time / copy time: %.2f (/ copy with sync: %.2f)\n", tagSeconds / copySeconds,
                tagSeconds / syncedCopySeconds);
    // The plan's read of each file and the read back of its new version.
    std::printf("headers read per file: %.2f\n", readsPerFile);
    return failed == 0 ? 0 : 1;
}
