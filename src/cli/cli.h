#pragma once
// parvex-cli: the core's operations from a terminal. Each command is a table entry with its own
// argument parsing, help text and run function; main() only dispatches.

#include <iosfwd>
#include <string>
#include <vector>

namespace parvex::cli {

// Exit statuses of every command.
constexpr int kExitOk = 0;        // every file was handled
constexpr int kExitFileFailed = 1;  // some file could not be read or written
constexpr int kExitUsage = 2;     // bad arguments

struct TStreams {
    std::ostream& Out;
    std::ostream& Err;
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
int RunCli(const std::vector<std::string>& args, TStreams& io);

// Writes "parvex-cli: <message>" and a pointer to --help on the error stream; returns kExitUsage.
int UsageError(TStreams& io, const std::string& command, const std::string& message);

bool IsHelpOption(const std::string& arg);

// Commands defined in their own files.
int RunShow(const std::vector<std::string>& args, TStreams& io);
int RunSet(const std::vector<std::string>& args, TStreams& io);
extern const char kShowHelp[];
extern const char kSetHelp[];

}  // namespace parvex::cli
