#include "cli/cli.h"

#include <ostream>

#include "text/text_utils.h"

namespace parvex::cli {

namespace {

void PrintOverview(std::ostream& out) {
    out << "Usage: parvex-cli COMMAND [OPTION]... FILE|FOLDER...\n"
           "Shows and edits the comments (tags) of Ogg Vorbis files.\n\nCommands:\n";
    for (const TCommand& c : Commands())
        out << "  " << c.Name << std::string(15 - std::string(c.Name).size(), ' ') << c.Summary << "\n";
    out << "\nRun 'parvex-cli COMMAND --help' for the options of a command, 'parvex-cli --version' for\n"
           "the version.\n"
           "Exit status: 0 when every file was handled, 1 when some file failed, 2 for bad usage.\n";
}

}  // namespace

const std::vector<TCommand>& Commands() {
    static const std::vector<TCommand> commands = {
        {"show", "show stream information and comments", kShowHelp, RunShow},
        {"set", "set or remove comments", kSetHelp, RunSet},
        {"mass", "set chosen tags in every file of a folder", kMassHelp, RunMass},
        {"clear", "remove chosen tags from every file of a folder", kClearHelp, RunClear},
        {"from-filename", "set tags from each file's name", kFromFilenameHelp, RunFromFilename},
        {"rename", "rename each file after its tags", kRenameHelp, RunRename},
        {"from-list", "set tags from the lines of a CSV list", kFromListHelp, RunFromList},
        {"export", "write the tags of files as a CSV list", kExportHelp, RunExport},
        {"undo", "put back the files a batch run changed", kUndoHelp, RunUndo},
    };
    return commands;
}

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

int UsageError(TStreams& io, const std::string& command, const std::string& message) {
    io.Err << "parvex-cli: " << EscapedControls(message) << "\nTry 'parvex-cli "
           << (command.empty() ? "" : command + " ") << "--help' for more information.\n";
    return kExitUsage;
}

int RunCli(std::vector<std::string> args, TStreams& io) {
    if (args.empty()) {
        PrintOverview(io.Err);
        return kExitUsage;
    }
    if (IsHelpOption(args[0])) {
        PrintOverview(io.Out);
        return kExitOk;
    }
    if (args[0] == "--version") {
        io.Out << "parvex-cli " PARVEX_VERSION "\n";
        return kExitOk;
    }
    for (const TCommand& command : Commands()) {
        if (args[0] != command.Name) continue;
        // The command's own arguments, without copying them: a folder's files may be thousands.
        args.erase(args.begin());
        for (const std::string& arg : args) {
            if (arg == "--") break;
            if (IsHelpOption(arg)) {
                io.Out << command.Help;
                return kExitOk;
            }
        }
        return command.Run(args, io);
    }
    return UsageError(io, "", "unknown command '" + args[0] + "'");
}

}  // namespace parvex::cli
