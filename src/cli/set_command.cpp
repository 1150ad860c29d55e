#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <ostream>
#include <utility>

#include "cli/cli.h"
#include "cli/options.h"
#include "ogg/comment_writer.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "ogg/picture.h"
#include "ogg/utf8.h"
#include "text/text_utils.h"

namespace parvex::cli {

const char kSetHelp[] =
    "Usage: parvex-cli set FILE... [--tag NAME=VALUE]... [--tag-file NAME=FILE]...\n"
    "                  [--remove NAME]... [--picture IMAGE] [--remove-picture]\n"
    "Sets or removes comments in each file and saves it; the audio is not touched.\n\n"
    "  --tag NAME=VALUE  replace every comment NAME with VALUE (given more than once for the\n"
    "                    same NAME, each value becomes a comment of its own)\n"
    "  --tag-file NAME=FILE\n"
    "                    the same with the value read from FILE (\"-\": standard input), for\n"
    "                    values too long for an argument, lyrics for one: UTF-8 text, taken\n"
    "                    whole but for one line end at its very end\n"
    "  --remove NAME     remove every comment NAME\n"
    "  --picture IMAGE   make the JPEG or PNG file IMAGE the front cover, in place of the\n"
    "                    file's front cover; its other pictures stay\n"
    "  --remove-picture  remove every picture (before --picture sets its own)\n"
    "  -h, --help        show this help\n\n"
    "Names are not case-sensitive: a comment keeps the name it has in the file, and a new one\n"
    "is written in capitals. Pictures are written as METADATA_BLOCK_PICTURE comments, which\n"
    "other taggers read; a malformed picture comment is kept as it is and named on standard\n"
    "error. Each file that cannot be read or written is named on standard error.\n"
    "Exit status: 0 when every file was saved, 1 when some file failed, 2 for bad usage.\n";

namespace {

using TComment = std::pair<std::string, std::string>;

struct TEdits {
    std::vector<std::string> Files;
    std::vector<TComment> Tags;  // in the order given
    std::vector<std::string> Removed;
    bool RemovePictures = false;
    std::optional<TPicture> FrontCover;
};

// The file name of --tag-file that stands for standard input.
constexpr const char* kStandardInput = "-";

// Reads the value of --tag-file NAME=FILE into `value`; the usage error when the file cannot be read
// or is not UTF-8 text (a comment value is UTF-8). A line end at the very end is no part of the
// value: text files end in one.
std::string ReadValueFile(const std::string& option, const std::string& path, std::string& value) {
    const bool standardInput = path == kStandardInput;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    value.clear();
    char block[65536];
    while (error == 0) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got == 0) break;
        if (got > 0)
            value.append(block, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            error = errno;
    }
    if (fd >= 0 && !standardInput) ::close(fd);
    const std::string source = standardInput ? std::string("standard input") : "'" + path + "'";
    if (error != 0) return option + ": cannot read " + source + ": " + ErrorText(error);
    if (const std::size_t bad = FirstInvalidUtf8(value); bad != std::string::npos) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(value[bad]));
        return option + ": " + source + " is not UTF-8 text: byte " + byte + " at offset " + std::to_string(bad) +
               " begins no UTF-8 character";
    }
    if (value.ends_with("\r\n"))
        value.resize(value.size() - 2);
    else if (value.ends_with('\n'))
        value.pop_back();
    return {};
}

// Parses the arguments; an empty result means success, anything else is the usage error.
std::string Parse(const std::vector<std::string>& args, TEdits& edits) {
    TOptionParser parser;
    parser.Value("tag", 0, [&edits](const std::string& value) -> std::string {
        std::pair<std::string, std::string> comment;
        if (std::string error = ParseCommentAssignment("--tag", value, comment); !error.empty()) return error;
        edits.Tags.push_back(std::move(comment));
        return {};
    });
    bool inputRead = false;
    parser.Value("tag-file", 0, [&edits, &inputRead](const std::string& value) -> std::string {
        std::pair<std::string, std::string> comment;
        if (std::string error = ParseCommentAssignment("--tag-file", value, comment); !error.empty()) return error;
        if (comment.second == kStandardInput && std::exchange(inputRead, true))
            return "--tag-file: standard input can give one value only";
        const std::string path = std::move(comment.second);
        if (std::string error = ReadValueFile("--tag-file", path, comment.second); !error.empty()) return error;
        edits.Tags.push_back(std::move(comment));
        return {};
    });
    parser.Value("remove", 0, [&edits](const std::string& value) -> std::string {
        std::string name = value;
        if (!NormalizeCommentName(name)) return "--remove needs a comment name, got '" + value + "'";
        edits.Removed.push_back(name);
        return {};
    });
    parser.Value("picture", 0, [&edits](const std::string& value) -> std::string {
        std::string problem;
        edits.FrontCover = LoadFrontCover(value, &problem);
        return problem;
    });
    parser.Flag("remove-picture", 0, [&edits] { edits.RemovePictures = true; });
    const std::string error = parser.Parse(args, edits.Files);
    if (!error.empty()) return error;
    if (edits.Files.empty()) return "no file given";
    if (edits.Tags.empty() && edits.Removed.empty() && !edits.RemovePictures && !edits.FrontCover)
        return "nothing to change: give --tag, --tag-file, --remove, --picture or --remove-picture";
    return {};
}

// The picture edits on the comments; returns how many malformed picture comments were kept.
std::size_t EditPictures(std::vector<TComment>& comments, const TEdits& edits) {
    if (!edits.RemovePictures && !edits.FrontCover) return 0;
    std::vector<std::string> lines;
    for (const auto& [name, value] : comments) lines.push_back(name + "=" + value);
    if (edits.RemovePictures) RemovePictures(lines);
    if (edits.FrontCover) SetFrontCover(lines, *edits.FrontCover);
    const std::size_t kept = MalformedPictures(lines);
    comments.clear();
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        comments.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return kept;
}

// The file's comments in file order after the edits: the first value of a --tag name takes the
// place of the name's first old entry, under that entry's own name (or goes to the end), further
// values go to the end. Names match whatever their letter case. The values are moved out of `tag`,
// which keeps the names, all the save needs of it: a huge header is not held twice.
std::vector<TComment> Edited(VorbisTag& tag, const TEdits& edits) {
    std::vector<TComment> comments;
    for (std::size_t k = 1; k < tag.Count(); ++k) comments.emplace_back(tag.Names[k], std::move(tag.Values[k]));
    auto named = [](const std::string& name) {
        return [&name](const TComment& c) { return SameIgnoringCase(c.first, name); };
    };
    for (const std::string& name : edits.Removed) std::erase_if(comments, named(name));
    std::vector<std::string> replaced;
    for (const auto& [name, value] : edits.Tags) {
        if (std::find(replaced.begin(), replaced.end(), name) != replaced.end()) {
            comments.emplace_back(name, value);
            continue;
        }
        replaced.push_back(name);
        const auto first = std::find_if(comments.begin(), comments.end(), named(name));
        const std::string kept = first == comments.end() ? name : first->first;
        const auto index = first - comments.begin();
        std::erase_if(comments, named(name));
        comments.insert(comments.begin() + std::min<std::ptrdiff_t>(index, std::ssize(comments)),
                        {kept, value});
    }
    return comments;
}

// Hands the comments to the file object: the first of each field's name with a value fills the
// field, the rest become OtherTags lines, given in reverse because the writer takes them from the
// last to the first. Each value is let go once it is handed over.
void FillFileObject(std::vector<TComment>& comments, TOggVorbis& file) {
    for (auto& [name, value] : comments) {
        const auto& fields = TOggVorbis::SavedFields();
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto& f) { return SameIgnoringCase(name, f.Name); });
        if (field != fields.end() && !value.empty() && (file.*(field->Field)).empty())
            file.*(field->Field) = std::move(value);
        else
            file.AddOtherTag(name, value);
        std::string().swap(value);
    }
    std::reverse(file.OtherTags.begin(), file.OtherTags.end());
}

// Saves one file; an empty result means success, anything else is the reason it failed. Malformed
// picture comments that were kept are named on `err`.
std::string SaveFile(const std::string& path, const TEdits& edits, std::ostream& err) {
    TOggVorbis file;
    const auto edited = [&](FileInfo& info) -> const TOggVorbis& {
        std::vector<TComment> comments = Edited(info.Tag, edits);
        if (const std::size_t kept = EditPictures(comments, edits))
            err << "parvex-cli: " << EscapedName(path) << ": " << KeptMalformedPicturesNote(kept) << "\n";
        FillFileObject(comments, file);
        return file;
    };
    std::string reason;
    std::vector<std::string> notes;
    try {
        // The edits are made on the file as read, and that file is the one saved: one changed
        // meanwhile is refused, not overwritten.
        switch (SaveFileTags(path, edited, &reason, &notes)) {
            case TSaveOutcome::NotOgg:
                return kNotOggVorbisOrOpus;
            case TSaveOutcome::Refused:
                return "could not be written: " + reason + "; the file is unchanged";
            case TSaveOutcome::Saved:
                break;
        }
    } catch (const EFOpenError& e) {
        return e.what();
    }
    for (const std::string& note : notes) err << "parvex-cli: " << EscapedName(path) << ": " << note << "\n";
    return {};
}

}  // namespace

int RunSet(const std::vector<std::string>& args, TStreams& io) {
    TEdits edits;
    const std::string usage = Parse(args, edits);
    if (!usage.empty()) return UsageError(io, "set", usage);
    int status = kExitOk;
    for (const std::string& path : edits.Files) {
        const std::string error = SaveFile(path, edits, io.Err);
        if (error.empty()) continue;
        io.Err << "parvex-cli: " << EscapedName(path + ": " + error) << "\n";
        status = kExitFileFailed;
    }
    return status;
}

}  // namespace parvex::cli
