#pragma once
// parvex-cli: the core's operations from a terminal. Each command is a table entry with its own
// argument parsing, help text and run function; main() only dispatches.

#include <iosfwd>
#include <string>
#include <vector>

namespace parvex::cli {

// Exit statuses of every command.
constexpr int kExitOk = 0;          // every file was handled
constexpr int kExitFileFailed = 1;  // some file could not be read or written
constexpr int kExitUsage = 2;       // bad arguments

struct TStreams {
    std::ostream& Out;
    std::ostream& Err;
    bool OutIsTerminal = false;  // log lines are then flushed one by one, above the progress bar
    bool ErrIsTerminal = false;  // a long run then shows a progress bar there
    int Columns = 80;            // the terminal's width
};

struct TCommand {
    const char* Name;
    const char* Summary;  // one line for the command list
    const char* Help;     // the whole --help text of the command
    int (*Run)(const std::vector<std::string>& args, TStreams& io);
};

// Every command, in the order the help lists them.
const std::vector<TCommand>& Commands();

// Runs the command named by args[0] with the rest of `args`; handles --help and unknown commands.
int RunCli(std::vector<std::string> args, TStreams& io);

// Writes "parvex-cli: <message>" and a pointer to --help on the error stream; returns kExitUsage.
int UsageError(TStreams& io, const std::string& command, const std::string& message);

bool IsHelpOption(const std::string& arg);

// Commands defined in their own files.
int RunShow(const std::vector<std::string>& args, TStreams& io);
int RunSet(const std::vector<std::string>& args, TStreams& io);
int RunMass(const std::vector<std::string>& args, TStreams& io);
int RunClear(const std::vector<std::string>& args, TStreams& io);
int RunFromFilename(const std::vector<std::string>& args, TStreams& io);
int RunRename(const std::vector<std::string>& args, TStreams& io);
int RunFromList(const std::vector<std::string>& args, TStreams& io);
int RunExport(const std::vector<std::string>& args, TStreams& io);
int RunUndo(const std::vector<std::string>& args, TStreams& io);
extern const char kShowHelp[];
extern const char kSetHelp[];
extern const char kMassHelp[];
extern const char kClearHelp[];
extern const char kFromFilenameHelp[];
extern const char kRenameHelp[];
extern const char kFromListHelp[];
extern const char kExportHelp[];
extern const char kUndoHelp[];

}  // namespace parvex::cli
