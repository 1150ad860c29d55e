#include <optional>

#include "batch/clear_tags.h"
#include "cli/batch_command.h"
#include "cli/field_names.h"

namespace parvex::cli {

const char kClearHelp[] =
    "Usage: parvex-cli clear [OPTION]... FOLDER|FILE...\n"
    "Removes chosen tags from every .ogg file of the folders.\n\n"
    "  --field FIELD[,FIELD] remove these tags (the option may be given more than once)\n"
    "  --other-tags          remove every comment without a field of its own\n"
    "  --all                 remove every tag but PERFORMER (the encoder's vendor text "
    "stays)\n" PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "FIELD is one of artist, title, album, track, date, genre, comment, license, organization,\n"
    "location, contact, version, copyright, isrc, or its comment name (TRACKNUMBER). Clearing\n"
    "comment removes the file's comment whether it is kept as COMMENT or as DESCRIPTION.\n\n"
    "Each file gets the log line \"Clear Tags: PATH\" on standard output, followed by one line per\n"
    "comment removed (or \"no change\" for a file with none of the tags, which is not rewritten);\n"
    "the run ends with a summary line. Each file that cannot be read or written is named on\n"
    "standard error with the reason, and the others are still done.\n"
    "Exit status: 0 when every file was written, 1 when some file could not be read or written,\n"
    "2 for bad usage.\n\n"
    "Example: parvex-cli clear ~/Music --recurse --field comment,genre --dry-run\n";

namespace {

struct TClearArgs {
    TBatchArgs Batch;
    TClearTagsOptions Options;
};

std::string Parse(const std::vector<std::string>& argv, TClearArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    parser.Value("field", 0, [&args](const std::string& value) -> std::string {
        const std::vector<std::string> words = SplitCommas(value);
        if (words.empty()) return "--field needs a field";
        for (const std::string& word : words) {
            const std::optional<TTagField> field = ParseTagField(word);
            if (!field) return "--field: unknown field '" + word + "'; the fields are " + TagFieldWords();
            args.Options.Fields.push_back(*field);
        }
        return {};
    });
    parser.Flag("other-tags", 0, [&args] { args.Options.OtherTags = true; });
    parser.Flag("all", 0, [&args] { args.Options.RemoveAll = true; });
    const std::string error = parser.Parse(argv, args.Batch.Paths);
    if (!error.empty()) return error;
    const TClearTagsOptions& o = args.Options;
    if (o.Fields.empty() && !o.OtherTags && !o.RemoveAll)
        return "nothing to remove: give --field, --other-tags or --all";
    return {};
}

}  // namespace

int RunClear(const std::vector<std::string>& argv, TStreams& io) {
    TClearArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "clear", error);
    const TClearTagsOptions& options = args.Options;
    return RunBatchCommand(
        "clear", args.Batch,
        {[&](const std::string& dir, const std::string& name, TOggVorbis& file, tagrecord& record) {
            return PlanClearTags(options, file, record, dir, name);
        }},
        io);
}

}  // namespace parvex::cli
