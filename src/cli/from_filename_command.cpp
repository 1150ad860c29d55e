#include "cli/batch_command.h"
#include "cli/format_args.h"
#include "cli/tagging_args.h"
#include "naming/tag_from_name.h"

namespace parvex::cli {

const char kFromFilenameHelp[] =
    "Usage: parvex-cli from-filename [OPTION]... FOLDER|FILE...\n"
    "Sets tags of every .ogg file in the folders from the file's own name: the name without its\n"
    "last four characters (\".ogg\") is cut at the separator, and piece I goes to the tag of\n"
    "placeholder I of the format; <TRASH> skips a piece.\n\n" PARVEX_CLI_FORMAT_OPTIONS_HELP
    "  --replace TEXT        replace TEXT by a space in the name before cutting "
    "it\n" PARVEX_CLI_LOWER_OPTION_HELP PARVEX_CLI_OVERWRITE_OPTIONS_HELP PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "A name with fewer pieces than the format has fields is left unchanged; pieces past the\n"
    "format are dropped. Each file gets the log line \"Tag from filename: PATH\" on standard\n"
    "output, followed by one line per comment that changes, or by why it is left as it is; the run\n"
    "ends with a summary line. Each file that cannot be read or written is named on standard error\n"
    "with the reason, and the others are still done.\n"
    "Exit status: 0 when every file was done, 1 when some file could not be read or written,\n"
    "2 for bad usage.\n\n"
    "Examples:\n"
    "  parvex-cli from-filename ~/Music --format '<Artist> - <Title>' --separator ' - '\n"
    "  parvex-cli from-filename ~/Music --fields track,trash,title -s _ --replace . --dry-run\n";

namespace {

struct TFromFilenameArgs {
    TBatchArgs Batch;
    TFormatArgs Format;
    TTagFromFileNameOptions Options;
    int OverwriteGiven = 0;
};

std::string Parse(const std::vector<std::string>& argv, TFromFilenameArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    AddFormatOptions(parser, args.Format, TFormatKind::FileName);
    AddLowerWordsOption(parser, args.Options.CaseFixWords);
    AddOverwriteOptions(parser, args.Options.Overwrite, args.OverwriteGiven);
    parser.Value("replace", 0, [&args](const std::string& value) -> std::string {
        if (value.empty()) return "--replace needs the text to replace";
        args.Options.ReplaceChecked = true;
        args.Options.ReplaceText = value;
        return {};
    });
    std::string error = parser.Parse(argv, args.Batch.Paths);
    if (error.empty()) error = CheckOverwriteChoice(args.OverwriteGiven);
    if (!error.empty()) return error;
    args.Options.CaseFixChecked = !args.Options.CaseFixWords.empty();
    args.Options.Separator = args.Format.Separator;
    args.Options.Format = ResolveFormat(args.Format, error);
    if (!error.empty()) return error;
    return CheckFormatNamesField(args.Options.Format, args.Options.Separator);
}

}  // namespace

int RunFromFilename(const std::vector<std::string>& argv, TStreams& io) {
    TFromFilenameArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "from-filename", error);
    const TTagFromFileNameOptions& options = args.Options;
    return RunBatchCommand(
        "from-filename", args.Batch,
        {[&](const std::string& dir, const std::string& name, TOggVorbis& file, tagrecord& record) {
            return PlanTagFromFileName(options, file, record, dir, name);
        }},
        io);
}

}  // namespace parvex::cli
