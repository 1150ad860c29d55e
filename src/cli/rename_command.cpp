#include "cli/batch_command.h"
#include "cli/format_args.h"
#include "cli/tagging_args.h"
#include "naming/name_format.h"
#include "naming/rename_from_tag.h"

namespace parvex::cli {

const char kRenameHelp[] =
    "Usage: parvex-cli rename [OPTION]... FOLDER|FILE...\n"
    "Renames every .ogg file of the folders after its own tags: the format with each placeholder\n"
    "replaced by the file's value, then \".ogg\". The file stays in its folder and never replaces\n"
    "another file.\n\n" PARVEX_CLI_FORMAT_OPTIONS_HELP
    "                        (the separator only joins the --fields entries; trash is not "
    "one)\n" PARVEX_CLI_LOWER_OPTION_HELP
    "  --replace-spaces TEXT replace every space of the new name by TEXT (may be empty)\n"
    "  --rename-untagged     also rename files that have no tags\n" PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "The characters \\ / : * ? \" < > | are removed from the new name, a line break in a tag\n"
    "becomes a blank, and a track \"3/12\" is numbered 3. Each file gets the log line \"Renaming:\n"
    "PATH\" on standard output and, when it has tags, \"     to: NEW PATH\", or why it is left as it\n"
    "is; the run ends with a summary line. Each file that cannot be read or renamed (the new name is\n"
    "taken, the tags give no name) is named on standard error with the reason, and the others are\n"
    "still done.\n"
    "Exit status: 0 when every file was done, 1 when some file could not be read or renamed,\n"
    "2 for bad usage.\n\n"
    "Example: parvex-cli rename ~/Music/Album --format '<Track> - <Title>' --dry-run\n";

namespace {

struct TRenameArgs {
    TBatchArgs Batch;
    TFormatArgs Format;
    TRenameFromTagOptions Options;
};

bool HoldsPlaceholder(const std::string& format) {
    for (std::string_view caption : kFieldCaptions)
        if (format.find(Placeholder(caption)) != std::string::npos) return true;
    return false;
}

std::string Parse(const std::vector<std::string>& argv, TRenameArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    AddFormatOptions(parser, args.Format, TFormatKind::Rename);
    AddLowerWordsOption(parser, args.Options.CaseFixWords);
    parser.Value("replace-spaces", 0, [&args](const std::string& value) -> std::string {
        args.Options.ReplaceSpacesChecked = true;
        args.Options.SpaceReplacement = value;
        return {};
    });
    parser.Flag("rename-untagged", 0, [&args] { args.Options.DontRenameUntagged = false; });
    std::string error = parser.Parse(argv, args.Batch.Paths);
    if (!error.empty()) return error;
    args.Options.CaseFixChecked = !args.Options.CaseFixWords.empty();
    args.Options.Format = ResolveFormat(args.Format, error);
    if (!error.empty()) return error;
    // A format without placeholders would give every file the same name.
    if (!HoldsPlaceholder(args.Options.Format))
        return "the format '" + args.Options.Format + "' holds no placeholder such as <Title>";
    return {};
}

}  // namespace

int RunRename(const std::vector<std::string>& argv, TStreams& io) {
    TRenameArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "rename", error);
    const TRenameFromTagOptions& options = args.Options;
    TPlannedNames planned;
    TRunOrder order;
    order.Planner = [&](const std::string& dir, const std::string& name, TOggVorbis& file,
                        tagrecord& record) {
        // Every file is planned before the first is renamed: the names taken and freed by the
        // renames planned so far count on top of the folder's.
        return PlanRenameFromTag(options, planned, file, record, dir, name);
    };
    order.Planning = TPlanning::InOrder;
    return RunBatchCommand("rename", args.Batch, order, io);
}

}  // namespace parvex::cli
