// Time of saving one changed tag into files of 1, 10 and 100 MB, next to a plain copy of the same
// file. Usage: bench_save_bench [FOLDER] (default: the system's temporary folder).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ogg/header_pages.h"
#include "ogg/ogg_page.h"
#include "ogg/ogg_vorbis.h"

namespace {

using namespace parvex;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSerial = 0xBE4C4;

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    WriteLe32(v, s.data());
    return s;
}

std::string Page(uint8_t flags, int64_t granule, uint32_t sequence, const std::vector<std::string>& packets) {
    OggPageHeader header;
    header.Flags = flags;
    header.GranulePos = granule;
    header.Serial = kSerial;
    header.Sequence = sequence;
    std::string body;
    for (const std::string& packet : packets) {
        for (std::size_t left = packet.size();; left -= 255) {
            header.SegmentTable[header.SegmentCount++] = static_cast<uint8_t>(std::min<std::size_t>(left, 255));
            if (left < 255) break;
        }
        body += packet;
    }
    std::string page = header.Serialize() + body;
    SealPage(page);
    return page;
}

// An Ogg Vorbis file of about `megabytes` MB: real header layout, random audio packets.
void MakeFile(const std::string& path, int megabytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string ident = std::string("\x01vorbis", 7) + Le32(0) + '\x02' + Le32(44100) + Le32(0) +
                              Le32(128000) + Le32(0) + '\xB8' + '\x01';
    out << Page(kPageFirst, 0, 0, {ident});
    const std::string vendor = "bench";
    const std::string comment = std::string("\x03vorbis", 7) + Le32(vendor.size()) + vendor + Le32(1) + Le32(10) +
                                "TITLE=Old1" + '\x01';
    OggPageHeader model;
    model.Serial = kSerial;
    model.Sequence = 1;
    uint32_t sequence = 1;
    const std::string setup = std::string("\x05vorbis", 7) + std::string(3000, 's');
    for (const std::string& page : LayHeaderPages({comment, setup}, model, false)) {
        out << page;
        ++sequence;
    }
    std::mt19937 random(42);
    std::string packet(1000, '\0');
    int64_t granule = 0;
    for (int64_t written = 0; written < int64_t{megabytes} << 20; written += 4 * 1000) {
        std::vector<std::string> packets;
        for (int i = 0; i < 4; ++i) {
            for (char& c : packet) c = static_cast<char>(random());
            packets.push_back(packet);
        }
        granule += 4 * 1024;
        out << Page(0, granule, sequence++, packets);
    }
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename F>
double Median(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f(i);
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    std::printf("%-8s %10s %12s %10s %12s %8s %12s\n", "size", "copy (s)", "copy+fsync", "save (s)",
                "re-page (s)", "save/cp", "re-page/cp");
    for (int megabytes : {1, 10, 100}) {
        const std::string path = (folder / ("parvex-bench-" + std::to_string(megabytes) + ".ogg")).string();
        const std::string copy = path + ".copy";
        MakeFile(path, megabytes);
        const int runs = megabytes >= 100 ? 5 : 9;
        const double copyTime = Median(runs, [&](int) {
            std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        });
        // The save flushes its new file to disk before the rename; a copy that does the same.
        const double syncedCopyTime = Median(runs, [&](int) {
            std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
            const int fd = ::open(copy.c_str(), O_RDONLY);
            ::fsync(fd);
            ::close(fd);
        });
        TOggVorbis file;
        file.LoadFromFile(path);
        // The title alternates between two values of the same length: only the second page changes.
        const double saveTime = Median(runs, [&](int i) {
            file.Title = "New" + std::to_string(i % 2);
            if (!file.SaveToFile(path)) std::fprintf(stderr, "save failed\n");
        });
        // Cover art added and removed in turn: the headers change their page count every time.
        const std::string art(100000, 'A');
        const double repageTime = Median(runs, [&](int i) {
            file.OtherTags.assign(i % 2 ? 0 : 1, "METADATA_BLOCK_PICTURE=" + art);
            if (!file.SaveToFile(path)) std::fprintf(stderr, "save failed\n");
        });
        std::printf("%5d MB %10.4f %12.4f %10.4f %12.4f %8.2f %12.2f\n", megabytes, copyTime, syncedCopyTime,
                    saveTime, repageTime, saveTime / copyTime, repageTime / copyTime);
        std::filesystem::remove(path);
        std::filesystem::remove(copy);
    }
    return 0;
}
