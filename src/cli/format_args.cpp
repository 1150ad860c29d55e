#include "cli/format_args.h"

#include <optional>

#include "cli/field_names.h"
#include "naming/format_fields.h"
#include "naming/name_format.h"
#include "naming/tag_from_list.h"
#include "text/text_utils.h"

namespace parvex::cli {

void AddFormatOptions(TOptionParser& parser, TFormatArgs& args, TFormatKind kind) {
    args.Kind = kind;
    parser.Value("format", 'f', [&args](const std::string& value) -> std::string {
        args.Text = value;
        ++args.Given;
        return {};
    });
    parser.Value("fields", 0, [&args, kind](const std::string& value) -> std::string {
        args.Entries.clear();
        for (const std::string& word : SplitCommas(value)) {
            const std::optional<std::string> entry = ParseFormatEntry(word, kind);
            if (!entry) return "--fields: unknown entry '" + word + "'";
            args.Entries.push_back(*entry);
        }
        if (args.Entries.empty()) return "--fields needs at least one entry";
        ++args.Given;
        return {};
    });
    parser.Value("separator", 's', [&args](const std::string& value) -> std::string {
        args.Separator = value;
        return {};
    });
}

std::string ResolveFormat(const TFormatArgs& args, std::string& error) {
    if (args.Given == 0) {
        error = "no name format: give --format or --fields";
        return {};
    }
    if (args.Given > 1) {
        error = "give the name format once, by --format or by --fields";
        return {};
    }
    std::string format = args.Entries.empty() ? args.Text : BuildNameFormat(args.Entries, args.Separator);
    error = UnknownPlaceholderProblem(format, args.Separator, args.Kind);
    return error.empty() ? format : std::string();
}

std::string CheckFormatNamesTarget(const std::string& format, const std::string& separator) {
    if (!TargetColumns(format, separator).empty()) return {};
    return FormatProblem(format, separator, "has no <Target file> column");
}

std::string CheckFormatNamesField(const std::string& format, const std::string& separator) {
    const int count = CountFields(format, separator);
    for (int i = 1; i <= count; ++i)
        if (PlaceholderField(NthField(format, separator, i))) return {};
    return FormatProblem(format, separator, "names no tag field");
}

std::string FormatProblem(const std::string& format, const std::string& separator,
                          const std::string& problem) {
    if (separator.empty())
        return "the format '" + format + "' " + problem + " (give --separator when it has several)";
    return "the format '" + format + "' cut at '" + separator + "' " + problem;
}

}  // namespace parvex::cli
