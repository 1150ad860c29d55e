#include <exception>
#include <new>

#include "cli/batch_command.h"
#include "cli/format_args.h"
#include "cli/tagging_args.h"
#include "naming/name_format.h"
#include "naming/tag_from_list.h"
#include "text/string_hash.h"
#include "text/text_utils.h"

namespace parvex::cli {

const char kFromListHelp[] =
    "Usage: parvex-cli from-list --list FILE [OPTION]... FOLDER|FILE...\n"
    "Sets tags of every .ogg file in the folders from the line of a CSV list that names the file.\n"
    "The fields of each line are cut at the separator; field I goes to the tag of placeholder I\n"
    "of the format, and the field under <Target file> holds the file's name (without folder,\n"
    "letter case included).\n\n"
    "  -l, --list FILE       the list (\"-\" reads it from standard input): lines ending in\n"
    "                        LF, CR LF or CR, no header; a field that starts with a double\n"
    "                        quote runs to the closing quote and may hold the separator,\n"
    "                        line ends and doubled quotes (\"\" for one), as spreadsheets\n"
    "                        write them\n" PARVEX_CLI_FORMAT_OPTIONS_HELP
    "                        (--fields also takes 'target', the file name "
    "column)\n" PARVEX_CLI_LOWER_OPTION_HELP PARVEX_CLI_OVERWRITE_OPTIONS_HELP PARVEX_CLI_BATCH_OPTIONS_HELP
    "  -h, --help            show this help\n\n"
    "When two lines name one file the later one is used. Each file gets the log line \"Tag from\n"
    "filename: PATH\" on standard output, followed by one line per comment that changes, or by why\n"
    "it is left as it is (the list has no line for it, ...); the lines of the list that named no\n"
    "file found are listed after the last file, and the run ends with a summary line. Each file\n"
    "that cannot be read or written is named on standard error with the reason, and the others\n"
    "are still done.\n"
    "Exit status: 0 when every file was done, 1 when the list or some file could not be read or\n"
    "written, 2 for bad usage.\n\n"
    "Example: parvex-cli from-list ~/Music -r --list tags.csv --fields target,artist,title -s ';'\n";

namespace {

// The list name that stands for standard input.
constexpr const char* kStandardInput = "-";

struct TFromListArgs {
    TBatchArgs Batch;
    TFormatArgs Format;
    TTagFromListOptions Options;
    std::string ListPath;
    bool ListGiven = false;
    int OverwriteGiven = 0;
};

std::string Parse(const std::vector<std::string>& argv, TFromListArgs& args) {
    TOptionParser parser;
    AddBatchOptions(parser, args.Batch);
    AddFormatOptions(parser, args.Format, TFormatKind::List);
    AddLowerWordsOption(parser, args.Options.CaseFixWords);
    AddOverwriteOptions(parser, args.Options.Overwrite, args.OverwriteGiven);
    parser.Value("list", 'l', [&args](const std::string& value) -> std::string {
        args.ListPath = value;
        args.ListGiven = true;
        return {};
    });
    std::string error = parser.Parse(argv, args.Batch.Paths);
    if (error.empty()) error = CheckOverwriteChoice(args.OverwriteGiven);
    if (error.empty() && !args.ListGiven) error = "no list: give --list FILE";
    if (error.empty() && args.ListPath != kStandardInput) error = CheckInputList(args.ListPath);
    if (!error.empty()) return error;
    TTagFromListOptions& options = args.Options;
    options.CaseFixChecked = !options.CaseFixWords.empty();
    options.Separator = args.Format.Separator;
    options.Format = ResolveFormat(args.Format, error);
    if (!error.empty()) return error;
    if (error = CheckFormatNamesTarget(options.Format, options.Separator); !error.empty()) return error;
    return CheckFormatNamesField(options.Format, options.Separator);
}

}  // namespace

int RunFromList(const std::vector<std::string>& argv, TStreams& io) {
    TFromListArgs args;
    const std::string error = Parse(argv, args);
    if (!error.empty()) return UsageError(io, "from-list", error);
    const TTagFromListOptions& options = args.Options;
    TStringHash table(kTagListStartSize);
    std::vector<TListedKey> keys;
    try {
        keys = LoadTagList(args.ListPath == kStandardInput ? "/dev/stdin" : args.ListPath, options, table);
    } catch (const std::bad_alloc&) {
        // A list held whole in memory: a file without line ends (a device, a binary file) can outgrow it.
        io.Err << "parvex-cli: the list is too large to load: not enough memory\n";
        return kExitFileFailed;
    } catch (const std::exception& failure) {
        io.Err << "parvex-cli: " << EscapedControls(failure.what()) << '\n';
        return kExitFileFailed;
    }
    TRunOrder order;
    order.Planner = [&](const std::string& dir, const std::string& name, TOggVorbis& file,
                        tagrecord& record) {
        return PlanTagFromList(options, table, file, record, dir, name);
    };
    order.Closing = [&keys](const TFoundFileList& found) { return UnmatchedListLines(keys, found.Names()); };
    return RunBatchCommand("from-list", args.Batch, order, io);
}

}  // namespace parvex::cli
