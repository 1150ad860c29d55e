#include <optional>

#include "batch/mass_tag.h"
#include "cli/batch_command.h"
#include "cli/field_names.h"

namespace parvex::cli {

const char kMassHelp[] =
    "Usage: parvex-cli mass [OPTION]... FOLDER|FILE...\n"
    "Sets chosen tags in every .ogg file of the folders. A value replaces the file's own, or is put\n"
    "in front of it or after it, joined with nothing between them.\n\n"
    "  --set FIELD=TEXT      give FIELD the TEXT in the mode of --mode; an empty TEXT under\n"
    "                        overwrite removes the tag\n"
    "  --mode MODE           how every --set works: overwrite (the default), prepend or append\n"
    "  --prepend FIELD=TEXT  put TEXT in front of the value of FIELD\n"
    "  --append FIELD=TEXT   put TEXT after the value of FIELD\n"
    "  --other NAME=VALUE    add the comment NAME=VALUE after the file's other tags\n"
    "  --replace-other       remove the file's other tags first; given alone, remove them "
    "all\n"
    "  --picture IMAGE       make the JPEG or PNG file IMAGE every file's front cover\n"
    "  --remove-picture      remove every picture of every file\n" PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "FIELD is one of artist, title, album, track, date, genre, comment, license, organization,\n"
    "location, contact, version, copyright, isrc, or its comment name (TRACKNUMBER). Other tags\n"
    "are the comments without a field of their own; NAME is written in capitals. Options may be\n"
    "given more than once and are applied in order.\n\n"
    "Each file gets the log line \"Mass Tag: PATH\" on standard output, followed by one line per\n"
    "comment that changes (or \"no change\": such a file is not rewritten); the run ends with a\n"
    "summary line. Each file that cannot be read or written is named on standard error with the\n"
    "reason, and the others are still done.\n"
    "Exit status: 0 when every file was written, 1 when some file could not be read or written,\n"
    "2 for bad usage.\n\n"
    "Example: parvex-cli mass ~/Music/Album --recurse --set ARTIST=Band --append 'TITLE= (Live)'\n";

namespace {

std::optional<TMassMode> ParseMode(const std::string& word) {
    if (word == "overwrite") return TMassMode::Overwrite;
    if (word == "prepend") return TMassMode::Prepend;
    if (word == "append") return TMassMode::Append;
    return std::nullopt;
}

struct TMassArgs {
    TBatchArgs Batch;
    TMassTagOptions Options;
    std::vector<std::size_t> SetRows;  // the rows given by --set, which take the mode of --mode
    TMassMode SetMode = TMassMode::Overwrite;
    std::optional<TPicture> FrontCover;  // --picture
    bool RemovePictures = false;         // --remove-picture
};

// A handler that adds a row for "FIELD=TEXT" in `mode`.
TOptionParser::TValueHandler RowAdder(TMassArgs& args, const std::string& option, TMassMode mode) {
    return [&args, option, mode](const std::string& value) -> std::string {
        const auto assignment = SplitAssignment(value);
        const std::optional<TTagField> field = assignment ? ParseTagField(assignment->first) : std::nullopt;
        if (!field)
            return option + " needs FIELD=TEXT with one of the fields " + TagFieldWords() + ", got '" +
                   value + "'";
        if (option == "--set") args.SetRows.push_back(args.Options.Rows.size());
        args.Options.Rows.push_back({*field, assignment->second, mode});
        return {};
    };
}

std::string Parse(const std::vector<std::string>& argv, TMassArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    parser.Value("set", 0, RowAdder(args, "--set", TMassMode::Overwrite));
    parser.Value("prepend", 0, RowAdder(args, "--prepend", TMassMode::Prepend));
    parser.Value("append", 0, RowAdder(args, "--append", TMassMode::Append));
    parser.Value("mode", 0, [&args](const std::string& value) -> std::string {
        const std::optional<TMassMode> mode = ParseMode(value);
        if (!mode) return "--mode needs overwrite, prepend or append, got '" + value + "'";
        args.SetMode = *mode;
        return {};
    });
    parser.Value("other", 0, [&args](const std::string& value) -> std::string {
        std::pair<std::string, std::string> comment;
        if (std::string error = ParseCommentAssignment("--other", value, comment); !error.empty())
            return error;
        args.Options.OtherTagsChecked = true;
        args.Options.OtherTagLines.push_back(comment.first + "=" + comment.second);
        return {};
    });
    args.Options.OtherTagsMode = TMassMode::Append;
    parser.Flag("replace-other", 0, [&args] {
        args.Options.OtherTagsChecked = true;
        args.Options.OtherTagsMode = TMassMode::Overwrite;
    });
    parser.Value("picture", 0, [&args](const std::string& value) -> std::string {
        std::string problem;
        args.FrontCover = LoadFrontCover(value, &problem);
        return problem;
    });
    parser.Flag("remove-picture", 0, [&args] { args.RemovePictures = true; });
    std::string error = parser.Parse(argv, args.Batch.Paths);
    if (!error.empty()) return error;
    if (args.FrontCover && args.RemovePictures) return "give --picture or --remove-picture, not both";
    if (args.FrontCover) {
        args.Options.PictureAction = TPictureAction::SetFrontCover;
        args.Options.Picture = std::move(*args.FrontCover);
    } else if (args.RemovePictures) {
        args.Options.PictureAction = TPictureAction::RemoveAll;
    }
    if (args.Options.Rows.empty() && !args.Options.OtherTagsChecked &&
        args.Options.PictureAction == TPictureAction::Keep)
        return "nothing to set: give --set, --prepend, --append, --other, --replace-other, --picture or "
               "--remove-picture";
    for (std::size_t row : args.SetRows) args.Options.Rows[row].Mode = args.SetMode;
    return {};
}

}  // namespace

int RunMass(const std::vector<std::string>& argv, TStreams& io) {
    TMassArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "mass", error);
    const TMassTagOptions& options = args.Options;
    return RunBatchCommand("mass", args.Batch,
                           {[&](const std::string& dir, const std::string& name, TOggVorbis& file,
                                tagrecord& record) { return PlanMassTag(options, file, record, dir, name); }},
                           io);
}

}  // namespace parvex::cli
