#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "cli/cli.h"
#include "cli/format_args.h"
#include "naming/tag_list_export.h"
#include "text/text_utils.h"

namespace parvex::cli {

const char kExportHelp[] =
    "Usage: parvex-cli export --fields LIST [OPTION]... FOLDER|FILE...\n"
    "Writes a tag list of the .ogg, .oga and .opus files given or found in the folders: one line\n"
    "per file in the format from-list reads, to edit in a spreadsheet and read back with from-list\n"
    "and the same --fields and --separator. A field that holds the separator, a double quote or a\n"
    "line end is put in double quotes, each quote in it doubled; the others are written as they\n"
    "are. Lines end in LF and are sorted by path.\n\n" PARVEX_CLI_FORMAT_OPTIONS_HELP
    "                        (--fields also takes 'target', the file name column, which the\n"
    "                        list needs)\n"
    "  -o, --output FILE     write the list to FILE instead of standard output\n"
    "  -r, --recurse         also list the files of every subfolder\n"
    "  -h, --help            show this help\n\n"
    "Each file or folder that cannot be read is named on standard error with the reason and left\n"
    "out. The list names files without their folder: two files of one name are both listed and\n"
    "named on standard error, since reading the list back would give both the later line's tags.\n"
    "Exit status: 0 when every file was listed, 1 when some file or folder could not be read, two\n"
    "files share a name or the list could not be written, 2 for bad usage.\n\n"
    "Example: parvex-cli export ~/Music/Album --fields target,artist,title -s ';' -o tags.csv\n";

namespace {

struct TExportArgs {
    std::vector<std::string> Paths;
    TFormatArgs Format;
    std::string Output;
    bool Recurse = false;
};

std::string Parse(const std::vector<std::string>& argv, TExportArgs& args, std::string& format) {
    TOptionParser parser;
    AddFormatOptions(parser, args.Format, TFormatKind::List);
    parser.Flag("recurse", 'r', [&args] { args.Recurse = true; });
    parser.Value("output", 'o', [&args](const std::string& value) -> std::string {
        if (value.empty()) return "--output needs a file name";
        args.Output = value;
        return {};
    });
    std::string error = parser.Parse(argv, args.Paths);
    if (error.empty() && args.Paths.empty()) error = "no folder or file given";
    if (!error.empty()) return error;
    format = ResolveFormat(args.Format, error);
    if (!error.empty()) return error;
    return CheckFormatNamesTarget(format, args.Format.Separator);
}

}  // namespace

int RunExport(const std::vector<std::string>& argv, TStreams& io) {
    TExportArgs args;
    std::string format;
    if (const std::string error = Parse(argv, args, format); !error.empty())
        return UsageError(io, "export", error);
    int status = kExitOk;
    const TExportProblem problem = [&](const std::string& path, const std::string& reason) {
        io.Out.flush();
        io.Err << "parvex-cli: " << EscapedControls(path + ": " + reason) << '\n';
        status = kExitFileFailed;
    };
    const std::vector<std::string> files = ExportedFiles(args.Paths, args.Recurse, problem);
    if (args.Output.empty()) {
        ExportTagList(files, format, args.Format.Separator, io.Out, problem);
        return status;
    }
    std::ofstream list(args.Output, std::ios::binary | std::ios::trunc);
    if (list) ExportTagList(files, format, args.Format.Separator, list, problem);
    if (list) list.close();
    if (!list) {
        problem(args.Output, std::string("cannot be written: ") + std::strerror(errno));
        return kExitFileFailed;
    }
    return status;
}

}  // namespace parvex::cli
