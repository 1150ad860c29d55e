#include <cstdio>
#include <ostream>

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/options.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/open_error.h"

namespace parvex::cli {

const char kShowHelp[] =
    "Usage: parvex-cli show [--json] FILE...\n"
    "Shows each file's stream information (size, channels, sample rate, duration, nominal and\n"
    "average bit rate, encoder) and its comments in file order.\n\n"
    "  --json     one JSON object per file and line, with the keys file, size, channels,\n"
    "             sample_rate, samples, duration, nominal_bitrate, bitrate, vendor and comments\n"
    "             (a list of [name, value] pairs); a file that cannot be read gives\n"
    "             {\"file\": ..., \"error\": ...}\n"
    "  -h, --help show this help\n\n"
    "Exit status: 0 when every file was read, 1 when some file could not be, 2 for bad usage.\n";

namespace {

struct TShown {
    TOggVorbis File;
    FileInfo Info;
};

// Reads one file; an empty result means success, anything else is the reason it failed.
std::string Read(const std::string& path, TShown& shown) {
    try {
        if (shown.File.LoadFromFile(path) && ReadFileInfo(path, shown.Info)) return {};
        return "not an Ogg Vorbis file";
    } catch (const EFOpenError& e) {
        return e.what();
    }
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

void PrintText(const std::string& path, const TShown& s, std::ostream& out) {
    const TOggVorbis& f = s.File;
    out << path << "\n"
        << "  Size:             " << f.FileSize << " bytes\n"
        << "  Channels:         " << f.Channels << "\n"
        << "  Sample rate:      " << f.SampleRate << " Hz\n"
        << "  Duration:         " << Fixed(f.Duration(), 3) << " s\n"
        << "  Nominal bit rate: " << f.NominalBitRate << " kbit/s\n"
        << "  Average bit rate: " << f.BitRate() << " kbit/s\n"
        << "  Vendor:           " << f.Vendor << "\n"
        << "  Comments:\n";
    const VorbisTag& tag = s.Info.Tag;
    for (std::size_t k = 1; k < tag.Count(); ++k)
        out << "    " << tag.Names[k] << "=" << tag.Values[k] << "\n";
}

void PrintJson(const std::string& path, const TShown& s, std::ostream& out) {
    const TOggVorbis& f = s.File;
    out << "{\"file\": " << JsonString(path) << ", \"size\": " << f.FileSize
        << ", \"channels\": " << f.Channels << ", \"sample_rate\": " << f.SampleRate
        << ", \"samples\": " << f.Samples << ", \"duration\": " << JsonNumber(f.Duration())
        << ", \"nominal_bitrate\": " << f.NominalBitRate << ", \"bitrate\": " << f.BitRate()
        << ", \"vendor\": " << JsonString(f.Vendor) << ", \"comments\": [";
    const VorbisTag& tag = s.Info.Tag;
    for (std::size_t k = 1; k < tag.Count(); ++k)
        out << (k > 1 ? ", " : "") << "[" << JsonString(tag.Names[k]) << ", " << JsonString(tag.Values[k])
            << "]";
    out << "]}\n";
}

}  // namespace

int RunShow(const std::vector<std::string>& args, TStreams& io) {
    bool json = false;
    std::vector<std::string> files;
    TOptionParser parser;
    parser.Flag("json", 0, [&json] { json = true; });
    const std::string error = parser.Parse(args, files);
    if (!error.empty()) return UsageError(io, "show", error);
    if (files.empty()) return UsageError(io, "show", "no file given");
    int status = kExitOk;
    for (std::size_t i = 0; i < files.size(); ++i) {
        TShown shown;
        const std::string error = Read(files[i], shown);
        if (!error.empty()) {
            status = kExitFileFailed;
            if (json)
                io.Out << "{\"file\": " << JsonString(files[i]) << ", \"error\": " << JsonString(error)
                       << "}\n";
            io.Err << "parvex-cli: " << files[i] << ": " << error << "\n";
            continue;
        }
        if (json) {
            PrintJson(files[i], shown, io.Out);
        } else {
            if (i > 0) io.Out << "\n";
            PrintText(files[i], shown, io.Out);
        }
    }
    return status;
}

}  // namespace parvex::cli
