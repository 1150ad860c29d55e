#pragma once
// The name-format options of the commands that read or make names: the format as its text
// ("--format '<Artist> - <Title>'") or built from entries ("--fields artist,title"), and the
// field separator ("--separator ' - '").

#include <string>
#include <vector>

#include "cli/field_names.h"
#include "cli/options.h"

namespace parvex::cli {

struct TFormatArgs {
    std::string Text;                  // --format
    std::vector<std::string> Entries;  // --fields, as entries of the format ("Artist", "TRASH", ...)
    std::string Separator;             // --separator
    int Given = 0;                     // how many of --format and --fields were given
    TFormatKind Kind = TFormatKind::Rename;  // the placeholders the format may hold
};

// Adds -f/--format, --fields and -s/--separator; --fields takes the entries `kind` allows.
void AddFormatOptions(TOptionParser& parser, TFormatArgs& args, TFormatKind kind);

// Help lines of those options.
#define PARVEX_CLI_FORMAT_OPTIONS_HELP                                                           \
    "  -f, --format TEXT     the name format, such as '<Artist> - <Title>'; placeholders are\n"  \
    "                        <Artist> <Title> <Album> <Track> <Date> <Genre> <Comment>; any\n"   \
    "                        other <Word> is refused, and a '<' not followed by a letter\n"     \
    "                        ('<-', '< ') is taken as it stands\n"                                \
    "  --fields LIST         the format built from entries instead: a comma-separated list of\n" \
    "                        artist, title, album, track, date, genre, comment, trash\n"         \
    "  -s, --separator TEXT  the text between the fields (may hold spaces)\n"

// The format text: --format as given, or the --fields entries joined by the separator. An empty
// result with the usage error in `error` when neither or both were given, or when the format holds
// a placeholder its kind does not know.
std::string ResolveFormat(const TFormatArgs& args, std::string& error);

// The usage error for a list format that, cut at `separator`, has no "<Target file>" column: its
// lines could name no file. Empty when it has one.
std::string CheckFormatNamesTarget(const std::string& format, const std::string& separator);

// The usage error for a format that, cut at `separator`, names no tag field: such a run could set
// nothing. Empty when it names one.
std::string CheckFormatNamesField(const std::string& format, const std::string& separator);

// A usage error about the format cut at `separator`: "the format 'F' cut at 'S' " + `problem`; with
// no separator, a hint that one is needed to cut it at all.
std::string FormatProblem(const std::string& format, const std::string& separator,
                          const std::string& problem);

}  // namespace parvex::cli
