#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string_view>
#include <vector>

#include "batch/ordered_work.h"
#include "cli/cli.h"
#include "cli/json.h"
#include "cli/options.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "fs/open_files.h"
#include "ogg/picture.h"
#include "text/text_utils.h"

namespace parvex::cli {

const char kShowHelp[] =
    "Usage: parvex-cli show [--json] FILE...\n"
    "Shows each file's stream information (size, channels, sample rate, duration, nominal (Vorbis\n"
    "only) and average bit rate, encoder), its comments in file order and its pictures: type,\n"
    "MIME type, size and pixel size of each METADATA_BLOCK_PICTURE comment, never its data. A\n"
    "file whose headers a save would refuse (damaged, cut off) shows why, under \"Cannot be\n"
    "saved\".\n\n"
    "  --json     one JSON object per file and line, with the keys file (and file_bytes, the\n"
    "             name's bytes in base64, for a name that is not UTF-8), codec, size,\n"
    "             channels, sample_rate, samples, duration, nominal_bitrate (null for Opus,\n"
    "             which has none), bitrate, vendor, comments (a list of [name, value] pairs,\n"
    "             pictures left out) and pictures (a list of objects with type, type_name,\n"
    "             mime_type, description, size, width and height, or error for a malformed\n"
    "             one), and cannot_save, why a save would refuse the file (damaged or cut-off\n"
    "             headers), only when it would; a file that cannot be read gives\n"
    "             {\"file\": ..., \"error\": ...}\n"
    "  -h, --help show this help\n\n"
    "Exit status: 0 when every file was read, 1 when some file could not be, 2 for bad usage.\n";

namespace {

struct TShown {
    TOggVorbis File;
    FileInfo Info;
};

// Reads one file; an empty result means success, anything else is the reason it failed.
std::string Read(const std::string& path, const TOpenedFile& opened, TShown& shown) {
    if (!opened.Handle) return EFOpenError(path, opened.Error).what();
    if (shown.File.Load(*opened.Handle, shown.Info)) return {};
    return kNotOggVorbisOrOpus;
}

// Comment k of `tag` is a picture, shown described, never as its base64 value.
bool IsPicture(const VorbisTag& tag, std::size_t k) {
    return SameIgnoringCase(tag.Names[k], kPictureCommentName);
}

// Opus headers carry no nominal bit rate: a 0 shown for one would read as a fact about the file.
bool HasNominalRate(const TOggVorbis& f) { return f.Codec != OggCodec::Opus; }

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

void PrintText(const std::string& path, const TShown& s, std::ostream& out) {
    const TOggVorbis& f = s.File;
    out << EscapedName(path) << "\n"
        << "  Codec:            " << CodecName(f.Codec) << "\n"
        << "  Size:             " << f.FileSize << " bytes\n"
        << "  Channels:         " << f.Channels << "\n"
        << "  Sample rate:      " << f.SampleRate << " Hz\n"
        << "  Duration:         " << Fixed(f.Duration(), 3) << " s\n";
    if (HasNominalRate(f)) out << "  Nominal bit rate: " << f.NominalBitRate << " kbit/s\n";
    out << "  Average bit rate: " << f.BitRate() << " kbit/s\n"
        << "  Vendor:           " << f.Vendor << "\n";
    if (!f.HeaderDamage.empty()) out << "  Cannot be saved:  " << f.HeaderDamage << "\n";
    out << "  Comments:\n";
    const VorbisTag& tag = s.Info.Tag;
    std::vector<std::string> pictures;
    for (std::size_t k = 1; k < tag.Count(); ++k) {
        if (IsPicture(tag, k))
            pictures.push_back(DescribePictureComment(tag.Values[k]));
        else
            out << "    " << tag.Names[k] << "=" << tag.Values[k] << "\n";
    }
    if (pictures.empty()) return;
    out << "  Pictures:\n";
    for (const std::string& picture : pictures) out << "    " << picture << "\n";
}

void PrintJsonPicture(std::string_view value, std::ostream& out) {
    std::string problem;
    const std::optional<TPicture> picture = ParsePictureComment(value, &problem);
    if (!picture) {
        out << "{\"error\": " << JsonString("malformed picture block (" + problem + ")") << "}";
        return;
    }
    const auto [width, height] = PixelSize(*picture);
    out << "{\"type\": " << picture->Type << ", \"type_name\": " << JsonString(PictureTypeName(picture->Type))
        << ", \"mime_type\": " << JsonString(picture->MimeType)
        << ", \"description\": " << JsonString(picture->Description) << ", \"size\": " << picture->Data.size()
        << ", \"width\": " << width << ", \"height\": " << height << "}";
}

void PrintJson(const std::string& path, const TShown& s, std::ostream& out) {
    const TOggVorbis& f = s.File;
    out << "{" << JsonFileMembers(path) << ", \"codec\": " << JsonString(CodecName(f.Codec))
        << ", \"size\": " << f.FileSize << ", \"channels\": " << f.Channels
        << ", \"sample_rate\": " << f.SampleRate << ", \"samples\": " << f.Samples
        << ", \"duration\": " << JsonNumber(f.Duration())
        << ", \"nominal_bitrate\": " << (HasNominalRate(f) ? std::to_string(f.NominalBitRate) : "null")
        << ", \"bitrate\": " << f.BitRate() << ", \"vendor\": " << JsonString(f.Vendor);
    if (!f.HeaderDamage.empty()) out << ", \"cannot_save\": " << JsonString(f.HeaderDamage);
    out << ", \"comments\": [";
    const VorbisTag& tag = s.Info.Tag;
    const char* separator = "";
    for (std::size_t k = 1; k < tag.Count(); ++k) {
        if (IsPicture(tag, k)) continue;
        out << separator << "[" << JsonString(tag.Names[k]) << ", " << JsonString(tag.Values[k]) << "]";
        separator = ", ";
    }
    out << "], \"pictures\": [";
    separator = "";
    for (std::size_t k = 1; k < tag.Count(); ++k) {
        if (!IsPicture(tag, k)) continue;
        out << separator;
        PrintJsonPicture(tag.Values[k], out);
        separator = ", ";
    }
    out << "]}\n";
}

constexpr std::size_t kRun = TFileOpener::kRunSize;

// What show writes for a run of files: their descriptions, and for the files that cannot be read
// the JSON error line (with --json) and the messages for standard error.
struct TShownText {
    std::string Out;
    std::string Error;
};

void Describe(const std::string& path, const TOpenedFile& opened, bool json, bool first, std::ostream& out,
              std::string& errors) {
    TShown shown;
    const std::string error = Read(path, opened, shown);
    if (!error.empty()) {
        if (json) out << "{" << JsonFileMembers(path) << ", \"error\": " << JsonString(error) << "}\n";
        errors += "parvex-cli: " + EscapedName(path + ": " + error) + "\n";
    } else if (json) {
        PrintJson(path, shown, out);
    } else {
        if (!first) out << "\n";
        PrintText(path, shown, out);
    }
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
    // The files are read and described by a few threads, each taking runs of files opened together;
    // their text is written in the order given.
    const std::size_t runs = (files.size() + kRun - 1) / kRun;
    std::vector<TShownText> texts(runs);
    const std::size_t workers = WorkerCount(runs);
    std::vector<TFileOpener> openers(workers);
    TOrderedWork work(runs, workers, [&](std::size_t run, std::size_t worker) {
        const auto paths = std::span(files).subspan(run * kRun, std::min(kRun, files.size() - run * kRun));
        const std::span<TOpenedFile> opened = openers[worker].Open(paths);
        std::ostringstream out;
        for (std::size_t k = 0; k < paths.size(); ++k)
            Describe(paths[k], opened[k], json, run == 0 && k == 0, out, texts[run].Error);
        texts[run].Out = std::move(out).str();
    });
    int status = kExitOk;
    for (std::size_t run = 0; run < runs; ++run) {
        work.Await(run);
        const TShownText text = std::move(texts[run]);
        io.Out << text.Out;
        if (text.Error.empty()) continue;
        status = kExitFileFailed;
        io.Err << text.Error;
    }
    return status;
}

}  // namespace parvex::cli
